#include "import/curve_strette.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "read/passo_tracciato.h"

namespace scen {

namespace {

// The chord either side of a metre (m); how far about a stretch where the
// plan strays the tight curve that sent it astray is looked for (m); the gap
// that still joins two stretches (m).
constexpr long base = 100;
constexpr long intorno = 300;
constexpr long unione = 100;
// A track's points a few metres astray bend a chord of 100 m by a few
// hundredths of a radian: a curve of the tightest class can measure a
// fifth tighter than it is.
constexpr double margine = 0.8;

// The path through the points, one point a metre of the track.
std::vector<punto_piano> al_metro(const std::vector<punto_piano>& punti,
                                  const std::vector<double>& lungo) {
  std::vector<punto_piano> metri;
  if (punti.size() < 2 || lungo.size() != punti.size()) return metri;
  const long ultimo = static_cast<long>(std::floor(lungo.back()));
  size_t k = 0;
  for (long m = 0; m <= ultimo; ++m) {
    const double d = static_cast<double>(m);
    while (k + 2 < lungo.size() && lungo[k + 1] < d) ++k;
    const double tratto = lungo[k + 1] - lungo[k];
    const double f = tratto > 0 ? std::clamp((d - lungo[k]) / tratto, 0.0, 1.0) : 0.0;
    metri.push_back({punti[k].x + f * (punti[k + 1].x - punti[k].x),
                     punti[k].y + f * (punti[k + 1].y - punti[k].y)});
  }
  return metri;
}

}  // namespace

std::vector<double> raggi_del_percorso(const std::vector<punto_piano>& punti,
                                       const std::vector<double>& lungo) {
  const std::vector<punto_piano> metri = al_metro(punti, lungo);
  const long n = static_cast<long>(metri.size());
  std::vector<double> raggi(metri.size(), std::numeric_limits<double>::infinity());
  auto direzione = [&](long da, long a) {
    const punto_piano p = metri[static_cast<size_t>(da)], q = metri[static_cast<size_t>(a)];
    return std::atan2(q.x - p.x, q.y - p.y);
  };
  for (long m = base; m + base < n; ++m) {
    const double giro = std::abs(
        std::remainder(direzione(m, m + base) - direzione(m - base, m), 2 * std::numbers::pi));
    if (giro > 0) raggi[static_cast<size_t>(m)] = static_cast<double>(base) / giro;
  }
  return raggi;
}

std::vector<tratto_stretto> tratti_stretti(const std::vector<double>& raggi,
                                           const std::vector<double>& scarti,
                                           double scarto_massimo) {
  const double raggio_minimo = margine / *curvatura_classe(6);
  const long n = static_cast<long>(std::min(raggi.size(), scarti.size()));
  // The stretches where the plan strays.
  std::vector<tratto_stretto> lontani;
  for (long m = 0; m < n; ++m) {
    const double d = scarti[static_cast<size_t>(m)];
    if (!(d > scarto_massimo)) continue;
    if (!lontani.empty() && m - lontani.back().fine <= unione) {
      lontani.back().fine = m;
      lontani.back().scarto = std::max(lontani.back().scarto, d);
    } else {
      lontani.push_back({m, m, 0, d});
    }
  }
  // Each named by the tight curve about it, when there is one.
  std::vector<tratto_stretto> tratti;
  for (const tratto_stretto& l : lontani) {
    tratto_stretto t{-1, -1, std::numeric_limits<double>::infinity(), l.scarto};
    for (long m = std::max(0L, l.inizio - intorno); m <= std::min(n - 1, l.fine + intorno); ++m) {
      const double r = raggi[static_cast<size_t>(m)];
      if (!(r < raggio_minimo)) continue;
      if (t.inizio < 0) t.inizio = m;
      t.fine = m;
      t.raggio = std::min(t.raggio, r);
    }
    if (t.inizio < 0) continue;
    if (!tratti.empty() && t.inizio <= tratti.back().fine + unione) {
      tratti.back().fine = std::max(tratti.back().fine, t.fine);
      tratti.back().raggio = std::min(tratti.back().raggio, t.raggio);
      tratti.back().scarto = std::max(tratti.back().scarto, t.scarto);
    } else {
      tratti.push_back(t);
    }
  }
  return tratti;
}

}  // namespace scen
