#include "import/curve_strette.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "read/passo_tracciato.h"

namespace scen {

namespace {

// The base of the measure, the margin on the tightest class's radius, and
// the gap that still joins two stretches (m).
constexpr long base = 50;
constexpr double margine = 0.6;
constexpr long unione = 100;

}  // namespace

std::vector<tratto_stretto> tratti_stretti(const std::vector<punto_piano>& punti) {
  std::vector<tratto_stretto> tratti;
  const double raggio_minimo = margine / *curvatura_classe(6);
  const long n = static_cast<long>(punti.size());
  auto direzione = [&](long da, long a) {
    const punto_piano p = punti[static_cast<size_t>(da)], q = punti[static_cast<size_t>(a)];
    return std::atan2(q.x - p.x, q.y - p.y);
  };
  for (long m = base; m + base < n; ++m) {
    const double giro = std::abs(
        std::remainder(direzione(m, m + base) - direzione(m - base, m), 2 * std::numbers::pi));
    if (giro <= 0) continue;
    const double raggio = static_cast<double>(base) / giro;
    if (raggio >= raggio_minimo) continue;
    if (!tratti.empty() && m - tratti.back().fine <= unione) {
      tratti.back().fine = m;
      tratti.back().raggio = std::min(tratti.back().raggio, raggio);
    } else {
      tratti.push_back({m, m, raggio});
    }
  }
  return tratti;
}

}  // namespace scen
