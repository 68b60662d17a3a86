#include "import/registrazione.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace scen {

namespace {

// A stop: points that stay within this of the first of them (m), whose path
// is more than `giro_fermata` times as long: the receiver wandering, not the
// vehicle running.
constexpr double raggio_fermata = 40;
constexpr double giro_fermata = 3;
// A turn back: seen on the points at least `passo_ritorno` apart, a change of
// direction of more than `angolo_ritorno` after which the track runs back
// along the way it came, within `scarto_ritorno` of it, for
// `conferma_ritorno` (or to its end).
constexpr double passo_ritorno = 50;
constexpr double angolo_ritorno = 150;
constexpr double scarto_ritorno = 50;
constexpr double conferma_ritorno = 300;

// "punto N (riga R, ORA)", with what the file gives.
std::string chi(const traccia& t, size_t k) {
  const punto_traccia& p = t.punti[k];
  std::string tra;
  if (p.riga > 0) tra = fmt::format("riga {}", p.riga);
  if (k < t.ore.size() && !t.ore[k].empty()) tra += (tra.empty() ? "" : ", ") + t.ore[k];
  return fmt::format("punto {}{}", k + 1, tra.empty() ? "" : " (" + tra + ")");
}

// The same point again makes one group.
std::vector<gruppo_punti> senza_ripetuti(const std::vector<punto_piano>& piano) {
  std::vector<gruppo_punti> g;
  for (size_t k = 0; k < piano.size(); ++k) {
    if (!g.empty() && distanza(g.back().luogo, piano[k]) == 0)
      g.back().a = k + 1;
    else
      g.push_back({k, k + 1, piano[k]});
  }
  return g;
}

// Each stop folded into one group at the middle of its points.
std::vector<gruppo_punti> fermate_unite(const std::vector<gruppo_punti>& g) {
  std::vector<gruppo_punti> uniti;
  for (size_t i = 0; i < g.size();) {
    size_t k = i;
    double giro = 0;
    while (k + 1 < g.size() && distanza(g[k + 1].luogo, g[i].luogo) <= raggio_fermata) {
      giro += distanza(g[k].luogo, g[k + 1].luogo);
      ++k;
    }
    if (k > i + 1 && giro > giro_fermata * raggio_fermata) {
      punto_piano centro;
      for (size_t j = i; j <= k; ++j) {
        centro.x += g[j].luogo.x / static_cast<double>(k - i + 1);
        centro.y += g[j].luogo.y / static_cast<double>(k - i + 1);
      }
      uniti.push_back({g[i].da, g[k].a, centro});
      i = k + 1;
    } else {
      uniti.push_back(g[i]);
      ++i;
    }
  }
  return uniti;
}

// Whether the path after group `b` runs back along the path before it.
bool torna_sui_suoi_passi(const std::vector<gruppo_punti>& g, size_t b) {
  double percorso = 0;
  for (size_t k = b + 1; k < g.size() && percorso < conferma_ritorno; ++k) {
    percorso += distanza(g[k - 1].luogo, g[k].luogo);
    double vicino = INFINITY;
    double indietro = 0;
    for (size_t j = b; j > 0 && indietro < conferma_ritorno + 2 * scarto_ritorno; --j) {
      vicino = std::min(vicino, distanza_dal_segmento(g[k].luogo, g[j - 1].luogo, g[j].luogo));
      indietro += distanza(g[j - 1].luogo, g[j].luogo);
    }
    if (vicino > scarto_ritorno) return false;
  }
  return true;
}

// The group where the path first turns back, or g.size() when it never does.
size_t primo_ritorno(const std::vector<gruppo_punti>& g) {
  std::vector<size_t> v{0};
  for (size_t k = 1; k < g.size(); ++k)
    if (distanza(g[k].luogo, g[v.back()].luogo) >= passo_ritorno) v.push_back(k);
  const double limite = std::cos(angolo_ritorno * std::numbers::pi / 180);
  for (size_t n = 1; n + 1 < v.size(); ++n) {
    const punto_piano a = g[v[n - 1]].luogo, b = g[v[n]].luogo, c = g[v[n + 1]].luogo;
    const double ux = b.x - a.x, uy = b.y - a.y, wx = c.x - b.x, wy = c.y - b.y;
    const double coseno = (ux * wx + uy * wy) / (std::hypot(ux, uy) * std::hypot(wx, wy));
    if (coseno > limite) continue;
    // The turn: of the points about the corner, the furthest from the one before.
    size_t svolta = v[n];
    for (size_t k = v[n - 1]; k <= v[n + 1]; ++k)
      if (distanza(g[k].luogo, a) > distanza(g[svolta].luogo, a)) svolta = k;
    if (torna_sui_suoi_passi(g, svolta)) return svolta;
  }
  return g.size();
}

}  // namespace

Stato percorso_della_traccia(const traccia& t, const std::vector<punto_piano>& piano,
                             const std::string& nome, percorso_registrato& p) {
  p.gruppi = senza_ripetuti(piano);
  p.avvisi.clear();
  if (t.registrata) {
    p.gruppi = fermate_unite(p.gruppi);
    const size_t svolta = primo_ritorno(p.gruppi);
    if (svolta < p.gruppi.size()) {
      double prima = 0;
      for (size_t k = 1; k <= svolta; ++k)
        prima += distanza(p.gruppi[k - 1].luogo, p.gruppi[k].luogo);
      const size_t punto = p.gruppi[svolta].a - 1;
      if (prima < minimo_prima_del_ritorno)
        return Stato::errore(messaggio_punto(
            nome, t.punti[punto].riga,
            fmt::format(
                "punto {}{}: la traccia torna indietro a {:.0f} m dall'inizio: prima della "
                "svolta "
                "servono almeno {:.0f} m di linea",
                punto + 1,
                punto < t.ore.size() && !t.ore[punto].empty() ? " (" + t.ore[punto] + ")" : "",
                prima, minimo_prima_del_ritorno)));
      p.avvisi.push_back(fmt::format(
          "{}: la traccia torna indietro: la linea finisce lì, a {:.0f} m dall'inizio, e i {} "
          "punti dopo sono lasciati",
          chi(t, punto), prima, t.punti.size() - punto - 1));
      p.gruppi.resize(svolta + 1);
    }
  }
  // The gaps: bridged in a straight line, up to a limit.
  size_t salti = 0, dove = 0;
  double salto = 0;
  for (size_t k = 1; k < p.gruppi.size(); ++k) {
    const double d = distanza(p.gruppi[k - 1].luogo, p.gruppi[k].luogo);
    const size_t punto = p.gruppi[k].da;
    if (d > salto_massimo)
      return Stato::errore(messaggio_punto(
          nome, t.punti[punto].riga,
          fmt::format("punto {}: a {:.0f} m dal punto prima; tra due punti di fila ci sono al "
                      "più {:.0f} m",
                      punto + 1, d, salto_massimo)));
    if (d <= salto_segnalato) continue;
    ++salti;
    if (d > salto) {
      salto = d;
      dove = punto;
    }
  }
  if (salti > 0)
    p.avvisi.push_back(fmt::format(
        "{} tra punti di fila oltre {:.0f} m, colmat{} in linea retta: il più grande, di {:.0f} m, "
        "arriva al {}",
        salti == 1 ? std::string("un salto") : fmt::format("{} salti", salti), salto_segnalato,
        salti == 1 ? "o" : "i", salto, chi(t, dove)));
  return Stato::ok();
}

}  // namespace scen
