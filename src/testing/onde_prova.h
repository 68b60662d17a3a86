// For the curve fit's tests and benchmark: tracks of known shape in the
// plane.
#pragma once

#include <cmath>
#include <numbers>
#include <vector>

#include "import/adatta.h"

namespace scen::prova {

// A track one point a metre along a wave across the Y axis: `ampiezza` (m)
// either side every `onda` (m), tighter at its crests than the tightest
// curve class when the two say so.
inline std::vector<punto_piano> onda(double lunghezza, double ampiezza, double onda) {
  std::vector<punto_piano> t{{0, 0}};
  double x = 0, y = 0;
  for (double s = 1; s <= lunghezza; ++s) {
    const double a = std::atan(ampiezza * 2 * std::numbers::pi / onda *
                               std::cos(2 * std::numbers::pi * y / onda));
    x += std::sin(a);
    y += std::cos(a);
    t.push_back({x, y});
  }
  return t;
}

}  // namespace scen::prova
