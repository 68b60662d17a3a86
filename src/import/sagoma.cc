#include "import/sagoma.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace scen {

namespace {

// Half the window of the smoothing along the track (m): a local quadratic
// fit follows the sharpest curve a line has while it averages out the
// noise of the points either side.
constexpr double finestra_piano = 175;
constexpr double finestra_quota = 200;
// The first direction: from the start to this far along the track (m).
constexpr double base_direzione = 200;

// Values at each point of a weighted local quadratic fit of `valori` against
// the arc length `u`, over the points within `finestra` of it. Where too few
// points fall in the window the point keeps its own value.
template <size_t N>
std::vector<std::array<double, N>> liscia(const std::vector<double>& u,
                                          const std::vector<std::array<double, N>>& valori,
                                          double finestra) {
  const size_t n = u.size();
  std::vector<std::array<double, N>> lisciati(valori);
  size_t primo = 0, ultimo = 0;
  for (size_t i = 0; i < n; ++i) {
    while (u[i] - u[primo] > finestra) ++primo;
    while (ultimo + 1 < n && u[ultimo + 1] - u[i] <= finestra) ++ultimo;
    if (ultimo - primo < 4) continue;
    // Normal equations of a + b t + c t^2 with tricube weights.
    double s[5] = {0, 0, 0, 0, 0};
    std::array<std::array<double, 3>, N> b{};
    for (size_t j = primo; j <= ultimo; ++j) {
      const double t = (u[j] - u[i]) / finestra;
      const double q = 1 - std::abs(t) * std::abs(t) * std::abs(t);
      const double w = q * q * q;
      double potenza = w;
      for (double& sk : s) {
        sk += potenza;
        potenza *= t;
      }
      for (size_t k = 0; k < N; ++k) {
        b[k][0] += w * valori[j][k];
        b[k][1] += w * t * valori[j][k];
        b[k][2] += w * t * t * valori[j][k];
      }
    }
    // Near either end of the track the window is one-sided, and a quadratic
    // would swing there: a straight line instead.
    if (u[i] - u[primo] < finestra / 2 || u[ultimo] - u[i] < finestra / 2) {
      const double det = s[0] * s[2] - s[1] * s[1];
      if (std::abs(det) < 1e-12) continue;
      for (size_t k = 0; k < N; ++k) lisciati[i][k] = (b[k][0] * s[2] - s[1] * b[k][1]) / det;
      continue;
    }
    // Solve [s0 s1 s2; s1 s2 s3; s2 s3 s4] (a b c) = rhs for a, by Cramer.
    const double det = s[0] * (s[2] * s[4] - s[3] * s[3]) - s[1] * (s[1] * s[4] - s[3] * s[2]) +
                       s[2] * (s[1] * s[3] - s[2] * s[2]);
    if (std::abs(det) < 1e-12) continue;
    for (size_t k = 0; k < N; ++k) {
      const double r0 = b[k][0], r1 = b[k][1], r2 = b[k][2];
      const double deta = r0 * (s[2] * s[4] - s[3] * s[3]) - s[1] * (r1 * s[4] - s[3] * r2) +
                          s[2] * (r1 * s[3] - s[2] * r2);
      lisciati[i][k] = deta / det;
    }
  }
  return lisciati;
}

double distanza(punto_piano a, punto_piano b) { return std::hypot(a.x - b.x, a.y - b.y); }

}  // namespace

Stato prepara_sagoma(const traccia& t, const std::string& nome, sagoma_traccia& s) {
  auto errore = [&](long riga, const std::string& motivo) {
    return Stato::errore(messaggio_punto(nome, riga, motivo));
  };
  if (t.punti.empty())
    return errore(0,
                  "nessuna traccia: né punti trk/trkseg/trkpt (GPX) né una LineString o "
                  "MultiLineString (GeoJSON)");
  if (t.punti.size() < 2)
    return errore(t.punti[0].riga, "la traccia ha un solo punto: ne servono almeno due");

  double lat = 0, lon = 0;
  for (const punto_traccia& p : t.punti) {
    lat += p.latitudine;
    lon += p.longitudine;
  }
  const double n = static_cast<double>(t.punti.size());
  proiezione_locale proiezione;
  if (Stato stato = proiezione.crea(lat / n, lon / n); !stato.riuscito()) return stato;

  std::vector<double> u;
  std::vector<std::array<double, 2>> piano;
  std::vector<std::array<double, 1>> quote;
  s.senza_quota = 0;
  for (size_t i = 0; i < t.punti.size(); ++i) {
    const punto_traccia& p = t.punti[i];
    const punto_piano q = proiezione.avanti(p.latitudine, p.longitudine);
    if (!std::isfinite(q.x) || !std::isfinite(q.y))
      return errore(p.riga, fmt::format("punto {}: troppo lontano dal resto della traccia", i + 1));
    double passo = 0;
    if (!piano.empty()) {
      passo = distanza(q, {piano.back()[0], piano.back()[1]});
      if (passo > salto_massimo)
        return errore(p.riga, fmt::format("punto {}: a {:.0f} m dal punto prima; tra due punti di "
                                          "fila ci sono al più {:.0f} m",
                                          i + 1, passo, salto_massimo));
      if (passo == 0) continue;  // the same point again adds nothing
    }
    u.push_back(piano.empty() ? 0 : u.back() + passo);
    if (u.back() > 2 * lunghezza_massima_linea)
      break;  // far too long already: the length check below says so
    piano.push_back({q.x, q.y});
    if (!p.quota) ++s.senza_quota;
    quote.push_back({p.quota.value_or(0)});
  }

  const std::vector<std::array<double, 2>> lisciato = liscia(u, piano, finestra_piano);
  std::vector<double> lungo(lisciato.size(), 0);
  for (size_t i = 1; i < lisciato.size(); ++i)
    lungo[i] = lungo[i - 1] +
               std::hypot(lisciato[i][0] - lisciato[i - 1][0], lisciato[i][1] - lisciato[i - 1][1]);
  s.lunghezza = lungo.back();
  if (std::round(s.lunghezza / 50) * 50 > lunghezza_massima_linea)
    return errore(0, fmt::format("traccia lunga {:.0f} m: una linea arriva al più a 1.000.000 m",
                                 s.lunghezza));
  if (s.lunghezza < 50)
    return errore(0, fmt::format("traccia lunga {:.0f} m: una linea ne ha almeno 50", s.lunghezza));
  std::vector<std::array<double, 1>> quote_lisciate;
  if (s.senza_quota == 0) quote_lisciate = liscia(u, quote, finestra_quota);

  // Metre by metre along the smoothed track.
  const size_t metri = static_cast<size_t>(std::floor(s.lunghezza)) + 1;
  std::vector<punto_piano> est_nord(metri);
  s.quote.assign(s.senza_quota == 0 ? metri : 0, 0);
  size_t j = 0;
  for (size_t m = 0; m < metri; ++m) {
    const double d = static_cast<double>(m);
    while (j + 2 < lungo.size() && lungo[j + 1] < d) ++j;
    const double tratto = lungo[j + 1] - lungo[j];
    const double f = tratto > 0 ? std::clamp((d - lungo[j]) / tratto, 0.0, 1.0) : 0.0;
    est_nord[m] = {lisciato[j][0] + f * (lisciato[j + 1][0] - lisciato[j][0]),
                   lisciato[j][1] + f * (lisciato[j + 1][1] - lisciato[j][1])};
    if (!s.quote.empty())
      s.quote[m] = quote_lisciate[j][0] + f * (quote_lisciate[j + 1][0] - quote_lisciate[j][0]);
  }

  // The plan's frame: origin at the start, Y along the first direction.
  const punto_piano origine = est_nord[0];
  const punto_piano verso = est_nord[std::min(metri - 1, static_cast<size_t>(base_direzione))];
  const double lx = verso.x - origine.x, ly = verso.y - origine.y;
  const double l = std::hypot(lx, ly);
  const double ux = l > 0 ? lx / l : 0, uy = l > 0 ? ly / l : 1;
  s.punti.resize(metri);
  for (size_t m = 0; m < metri; ++m) {
    const double dx = est_nord[m].x - origine.x, dy = est_nord[m].y - origine.y;
    s.punti[m] = {dx * uy - dy * ux, dx * ux + dy * uy};
  }

  // Named points: the nearest point of the smoothed track.
  s.nominati.clear();
  for (const punto_nominato& p : t.nominati) {
    const punto_piano q = proiezione.avanti(p.latitudine, p.longitudine);
    double migliore = INFINITY, dove = 0;
    for (size_t i = 0; i + 1 < lisciato.size(); ++i) {
      const double ax = lisciato[i][0], ay = lisciato[i][1];
      const double bx = lisciato[i + 1][0] - ax, by = lisciato[i + 1][1] - ay;
      const double ll = bx * bx + by * by;
      const double f = ll > 0 ? std::clamp(((q.x - ax) * bx + (q.y - ay) * by) / ll, 0.0, 1.0) : 0;
      const double d = std::hypot(q.x - (ax + f * bx), q.y - (ay + f * by));
      if (d < migliore) {
        migliore = d;
        dove = lungo[i] + f * (lungo[i + 1] - lungo[i]);
      }
    }
    s.nominati.push_back({p.nome, dove});
  }
  std::stable_sort(s.nominati.begin(), s.nominati.end(),
                   [](const punto_lungo_linea& a, const punto_lungo_linea& b) {
                     return a.posizione < b.posizione;
                   });
  return Stato::ok();
}

}  // namespace scen
