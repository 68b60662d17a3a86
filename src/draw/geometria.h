// Plane geometry for the drawing: points, boxes and the thinning of a
// polyline for drawing it.
#pragma once

#include <cstddef>
#include <vector>

namespace scen {

struct punto {
  double x = 0;
  double y = 0;
  friend bool operator==(const punto&, const punto&) = default;
};

// An axis-aligned box; an empty box has x0 > x1.
struct riquadro {
  double x0 = 1;
  double y0 = 1;
  double x1 = 0;
  double y1 = 0;

  bool vuoto() const { return x0 > x1 || y0 > y1; }
  double larghezza() const { return vuoto() ? 0 : x1 - x0; }
  double altezza() const { return vuoto() ? 0 : y1 - y0; }
  void includi(punto p);
  // Whether the two boxes share some area (touching edges do not count).
  bool sovrapposto(const riquadro& altro) const;
  bool contiene(punto p) const { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; }
};

riquadro riquadro_di(const std::vector<punto>& punti);

// Distance from `p` to the segment from `a` to `b`.
double distanza_dal_segmento(punto p, punto a, punto b);

// Whether the segment from `a` to `b` crosses the inside of box `r`.
bool segmento_nel_riquadro(punto a, punto b, const riquadro& r);

// Douglas-Peucker: the indices of the points of `punti` kept so that no
// point left out lies farther than `tolleranza` from the polyline through the
// kept ones. The first and the last point are always kept; the indices come
// in ascending order. `punti` is not changed.
std::vector<std::size_t> sfoltisci(const std::vector<punto>& punti, double tolleranza);

}  // namespace scen
