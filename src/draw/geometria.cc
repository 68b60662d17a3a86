#include "draw/geometria.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace scen {

void riquadro::includi(punto p) {
  if (vuoto()) {
    *this = {p.x, p.y, p.x, p.y};
    return;
  }
  x0 = std::min(x0, p.x);
  y0 = std::min(y0, p.y);
  x1 = std::max(x1, p.x);
  y1 = std::max(y1, p.y);
}

bool riquadro::sovrapposto(const riquadro& altro) const {
  if (vuoto() || altro.vuoto()) return false;
  return x0 < altro.x1 && altro.x0 < x1 && y0 < altro.y1 && altro.y0 < y1;
}

riquadro riquadro_di(const std::vector<punto>& punti) {
  riquadro r;
  for (punto p : punti) r.includi(p);
  return r;
}

double distanza_dal_segmento(punto p, punto a, punto b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double l2 = dx * dx + dy * dy;
  double t = 0;
  if (l2 > 0) t = std::clamp(((p.x - a.x) * dx + (p.y - a.y) * dy) / l2, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

bool segmento_nel_riquadro(punto a, punto b, const riquadro& r) {
  if (r.vuoto()) return false;
  // Liang-Barsky: clip the segment's parameter range to each side in turn.
  double t0 = 0, t1 = 1;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const std::pair<double, double> lati[] = {
      {-dx, a.x - r.x0}, {dx, r.x1 - a.x}, {-dy, a.y - r.y0}, {dy, r.y1 - a.y}};
  for (auto [p, q] : lati) {
    if (p == 0) {
      if (q < 0) return false;
      continue;
    }
    const double t = q / p;
    if (p < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  return true;
}

std::vector<std::size_t> sfoltisci(const std::vector<punto>& punti, double tolleranza) {
  const std::size_t n = punti.size();
  if (n <= 2) {
    std::vector<std::size_t> tutti(n);
    for (std::size_t i = 0; i < n; ++i) tutti[i] = i;
    return tutti;
  }
  std::vector<bool> tenuto(n, false);
  tenuto[0] = tenuto[n - 1] = true;
  // A stack of spans instead of recursion: a trace holds hundreds of
  // thousands of points.
  std::vector<std::pair<std::size_t, std::size_t>> campate{{0, n - 1}};
  while (!campate.empty()) {
    auto [da, a] = campate.back();
    campate.pop_back();
    double peggiore = -1;
    std::size_t dove = da;
    for (std::size_t i = da + 1; i < a; ++i) {
      const double d = distanza_dal_segmento(punti[i], punti[da], punti[a]);
      if (d > peggiore) {
        peggiore = d;
        dove = i;
      }
    }
    if (peggiore > tolleranza) {
      tenuto[dove] = true;
      campate.push_back({da, dove});
      campate.push_back({dove, a});
    }
  }
  std::vector<std::size_t> indici;
  for (std::size_t i = 0; i < n; ++i)
    if (tenuto[i]) indici.push_back(i);
  return indici;
}

}  // namespace scen
