#include "import/sagoma.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "import/lisciatura.h"

namespace scen {

namespace {

// Half the window of the smoothing along the track (m): a local quadratic
// fit follows the sharpest curve a line has while it averages out the
// noise of the points either side; it runs twice over a recorded track.
constexpr double finestra_piano = 175;
// The first direction: from the start to this far along the track (m).
constexpr double base_direzione = 200;

// The points of the track on the plane, each told apart from the one before
// it: where they lie along the track (m), their place and their height (0
// where they have none).
struct punti_nel_piano {
  std::vector<double> u;
  std::vector<std::array<double, 2>> piano;
  std::vector<std::array<double, 1>> quote;
  std::vector<std::array<double, 1>> viste;  // the share of the group's heights seen
  bool presunte = false;                     // some height is drawn, not seen
  std::vector<size_t> tenuto;                // for each point of the track, the point kept for it
  long senza_quota = 0;                      // points that have no height
};

// A projection centred on the mean of the track's points.
Stato proiezione_al_centro(const traccia& t, proiezione_locale& proiezione) {
  double lat = 0, lon = 0;
  for (const punto_traccia& p : t.punti) {
    lat += p.latitudine;
    lon += p.longitudine;
  }
  const double n = static_cast<double>(t.punti.size());
  return proiezione.crea(lat / n, lon / n);
}

// The points of `t` on the plane, made into the path of a line (see
// percorso_della_traccia). Fails on a point that does not project; stops
// once the track is far too long for a line.
Stato nel_piano(const traccia& t, const proiezione_locale& proiezione, const std::string& nome,
                punti_nel_piano& p, std::vector<std::string>& avvisi) {
  std::vector<punto_piano> piano;
  for (size_t i = 0; i < t.punti.size(); ++i) {
    const punto_traccia& pt = t.punti[i];
    const punto_piano q = proiezione.avanti(pt.latitudine, pt.longitudine);
    if (!std::isfinite(q.x) || !std::isfinite(q.y))
      return Stato::errore(messaggio_punto(
          nome, pt.riga, fmt::format("punto {}: troppo lontano dal resto della traccia", i + 1)));
    piano.push_back(q);
  }
  percorso_registrato percorso;
  if (Stato s = percorso_della_traccia(t, piano, nome, percorso); !s.riuscito()) return s;
  avvisi = percorso.avvisi;
  for (const gruppo_punti& g : percorso.gruppi) {
    const double passo =
        p.piano.empty() ? 0 : distanza(g.luogo, {p.piano.back()[0], p.piano.back()[1]});
    p.u.push_back(p.piano.empty() ? 0 : p.u.back() + passo);
    if (p.u.back() > 2 * lunghezza_massima_linea) {
      p.u.pop_back();
      break;  // far too long already: the length check says so
    }
    // The group's height: the mean of its points' heights.
    double quota = 0;
    long con_quota = 0, viste = 0;
    for (size_t k = g.da; k < g.a; ++k) {
      p.tenuto.push_back(p.piano.size());
      if (!t.punti[k].quota) {
        ++p.senza_quota;
        continue;
      }
      quota += *t.punti[k].quota;
      ++con_quota;
      if (t.punti[k].quota_presunta)
        p.presunte = true;
      else
        ++viste;
    }
    p.piano.push_back({g.luogo.x, g.luogo.y});
    p.quote.push_back({con_quota > 0 ? quota / static_cast<double>(con_quota) : 0});
    p.viste.push_back(
        {con_quota > 0 ? static_cast<double>(viste) / static_cast<double>(con_quota) : 1});
  }
  return Stato::ok();
}

// The length along the smoothed track up to each of its points.
std::vector<double> lunghezze_lungo(const std::vector<std::array<double, 2>>& lisciato) {
  std::vector<double> lungo(lisciato.size(), 0);
  for (size_t i = 1; i < lisciato.size(); ++i)
    lungo[i] = lungo[i - 1] +
               std::hypot(lisciato[i][0] - lisciato[i - 1][0], lisciato[i][1] - lisciato[i - 1][1]);
  return lungo;
}

// A length that a line can have, rounded to its 50 m cells.
Stato lunghezza_ammessa(double lunghezza, const std::string& nome) {
  if (std::round(lunghezza / 50) * 50 > lunghezza_massima_linea)
    return Stato::errore(messaggio_punto(
        nome, 0,
        fmt::format("traccia lunga {:.0f} m: una linea arriva al più a 1.000.000 m", lunghezza)));
  if (lunghezza < 50)
    return Stato::errore(messaggio_punto(
        nome, 0, fmt::format("traccia lunga {:.0f} m: una linea ne ha almeno 50", lunghezza)));
  return Stato::ok();
}

// The smoothed track metre by metre along it, `metri` metres from 0, and
// the heights of the same metres into `quote` when the points have heights
// (else `quote` is left empty).
std::vector<punto_piano> ricampiona(const std::vector<std::array<double, 2>>& lisciato,
                                    const std::vector<double>& lungo,
                                    const std::vector<std::array<double, 1>>& quote_punti,
                                    size_t metri, std::vector<double>& quote) {
  std::vector<punto_piano> est_nord(metri);
  quote.assign(quote_punti.empty() ? 0 : metri, 0);
  size_t j = 0;
  for (size_t m = 0; m < metri; ++m) {
    const double d = static_cast<double>(m);
    while (j + 2 < lungo.size() && lungo[j + 1] < d) ++j;
    const double tratto = lungo[j + 1] - lungo[j];
    const double f = tratto > 0 ? std::clamp((d - lungo[j]) / tratto, 0.0, 1.0) : 0.0;
    est_nord[m] = {lisciato[j][0] + f * (lisciato[j + 1][0] - lisciato[j][0]),
                   lisciato[j][1] + f * (lisciato[j + 1][1] - lisciato[j][1])};
    if (!quote.empty())
      quote[m] = quote_punti[j][0] + f * (quote_punti[j + 1][0] - quote_punti[j][0]);
  }
  return est_nord;
}

// The points in the plan's frame: origin at the start of `est_nord` (the
// smoothed track metre by metre), Y along its first direction, X to its
// right; `altri` are taken into the same frame.
std::vector<punto_piano> nella_pianta(const std::vector<punto_piano>& est_nord,
                                      std::vector<punto_piano>& altri) {
  const size_t metri = est_nord.size();
  const punto_piano origine = est_nord[0];
  const punto_piano verso = est_nord[std::min(metri - 1, static_cast<size_t>(base_direzione))];
  const double lx = verso.x - origine.x, ly = verso.y - origine.y;
  const double l = std::hypot(lx, ly);
  const double ux = l > 0 ? lx / l : 0, uy = l > 0 ? ly / l : 1;
  auto girato = [&](punto_piano q) {
    const double dx = q.x - origine.x, dy = q.y - origine.y;
    return punto_piano{dx * uy - dy * ux, dx * ux + dy * uy};
  };
  std::vector<punto_piano> punti(metri);
  for (size_t m = 0; m < metri; ++m) punti[m] = girato(est_nord[m]);
  for (punto_piano& q : altri) q = girato(q);
  return punti;
}

// The points `punti` at the nearest point of the smoothed track, in their
// order.
std::vector<punto_lungo_linea> lungo_la_traccia(const std::vector<punto_nominato>& punti,
                                                const proiezione_locale& proiezione,
                                                const std::vector<std::array<double, 2>>& lisciato,
                                                const std::vector<double>& lungo) {
  std::vector<punto_lungo_linea> nominati;
  for (const punto_nominato& p : punti) {
    const punto_piano q = proiezione.avanti(p.latitudine, p.longitudine);
    double migliore = INFINITY, dove = 0;
    for (size_t i = 0; i + 1 < lisciato.size(); ++i) {
      double f = 0;
      const double d = distanza_dal_segmento(q, {lisciato[i][0], lisciato[i][1]},
                                             {lisciato[i + 1][0], lisciato[i + 1][1]}, &f);
      if (d < migliore) {
        migliore = d;
        dove = lungo[i] + f * (lungo[i + 1] - lungo[i]);
      }
    }
    nominati.push_back({p.nome, dove});
  }
  return nominati;
}

// The named points of `t` at the nearest point of the smoothed track, in
// order along it.
std::vector<punto_lungo_linea> nominati_lungo(const traccia& t, const proiezione_locale& proiezione,
                                              const std::vector<std::array<double, 2>>& lisciato,
                                              const std::vector<double>& lungo) {
  std::vector<punto_lungo_linea> nominati =
      lungo_la_traccia(t.nominati, proiezione, lisciato, lungo);
  std::stable_sort(nominati.begin(), nominati.end(),
                   [](const punto_lungo_linea& a, const punto_lungo_linea& b) {
                     return a.posizione < b.posizione;
                   });
  return nominati;
}

}  // namespace

Stato prepara_sagoma(const traccia& t, const std::string& nome, sagoma_traccia& s) {
  if (t.punti.empty())
    return Stato::errore(messaggio_punto(nome, 0,
                                         "nessuna traccia: né punti trk/trkseg/trkpt (GPX) né una "
                                         "LineString o MultiLineString (GeoJSON)"));
  if (t.punti.size() < 2)
    return Stato::errore(messaggio_punto(nome, t.punti[0].riga,
                                         "la traccia ha un solo punto: ne servono almeno due"));
  proiezione_locale proiezione;
  if (Stato stato = proiezione_al_centro(t, proiezione); !stato.riuscito()) return stato;
  punti_nel_piano p;
  if (Stato stato = nel_piano(t, proiezione, nome, p, s.avvisi); !stato.riuscito()) return stato;
  s.senza_quota = p.senza_quota;

  std::vector<std::array<double, 2>> lisciato = liscia(p.u, p.piano, finestra_piano);
  // Once more for a recorded track: what noise the first pass leaves makes
  // small waves, and each adds to the length.
  if (t.registrata) lisciato = liscia(p.u, lisciato, finestra_piano);
  const std::vector<double> lungo = lunghezze_lungo(lisciato);
  s.lunghezza = lungo.back();
  s.lunghezza_punti = p.u.back();
  if (Stato stato = lunghezza_ammessa(s.lunghezza, nome); !stato.riuscito()) return stato;
  // The heights as the points give them: the fit of the gradients weighs
  // their noise over the whole profile, which smoothing would hide from it.
  std::vector<std::array<double, 1>> quote;
  if (s.senza_quota == 0) quote = p.quote;

  const size_t metri = static_cast<size_t>(std::floor(s.lunghezza)) + 1;
  s.punti_percorso.clear();
  for (const std::array<double, 2>& q : p.piano) s.punti_percorso.push_back({q[0], q[1]});
  s.lungo_percorso = lungo;
  s.punti = nella_pianta(ricampiona(lisciato, lungo, quote, metri, s.quote), s.punti_percorso);
  s.quote_viste.clear();
  if (!quote.empty() && p.presunte) ricampiona(lisciato, lungo, p.viste, metri, s.quote_viste);
  s.nominati = nominati_lungo(t, proiezione, lisciato, lungo);
  s.lungo_punti.clear();
  for (size_t i = 0; i < t.punti.size(); ++i)
    s.lungo_punti.push_back(i < p.tenuto.size() ? lungo[p.tenuto[i]] : lungo.back());
  s.lungo_riferiti.clear();
  for (const punto_lungo_linea& r : lungo_la_traccia(t.riferiti, proiezione, lisciato, lungo))
    s.lungo_riferiti.push_back(r.posizione);
  return Stato::ok();
}

}  // namespace scen
