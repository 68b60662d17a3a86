#include "import/lisciatura.h"

#include <cmath>

namespace scen {

template <std::size_t N>
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

template std::vector<std::array<double, 1>> liscia<1>(const std::vector<double>&,
                                                      const std::vector<std::array<double, 1>>&,
                                                      double);
template std::vector<std::array<double, 2>> liscia<2>(const std::vector<double>&,
                                                      const std::vector<std::array<double, 2>>&,
                                                      double);

}  // namespace scen
