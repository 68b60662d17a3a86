// The plan trace's step: each metre is the last one-metre step repeated,
// turned by a fixed amount in a curve. The line reader draws the trace with
// it; whoever needs to redraw a plan from curve records uses the same.
#pragma once

#include <optional>

namespace scen {

// The curvature per metre of curve class `classe` (1 gentlest to 6
// sharpest), positive for a curve to the right; nothing outside 1 to 6.
inline std::optional<double> curvatura_classe(int classe) {
  static constexpr double curvature[] = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};
  if (classe < 1 || classe > 6) return std::nullopt;
  return curvature[classe - 1];
}

// The last two metres drawn; the next is one step on from them.
struct passo_tracciato {
  double x1 = 0, y1 = 1;  // the last metre
  double x2 = 0, y2 = 0;  // the one before

  // The metre after the last, turned by k: positive k turns toward positive
  // X. The step is the last one plus k times it turned a right angle, so it
  // also grows a little inside a curve.
  void metro(double k, double& x, double& y) const {
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    x = (x1 + dx) + k * dy;
    y = (y1 + dy) - k * dx;
  }
  // A straight metre has no turn term at all: adding k * dy with k = 0 could
  // turn a -0.0 into +0.0 and so change the bytes written.
  void metro_dritto(double& x, double& y) const {
    x = x1 + (x1 - x2);
    y = y1 + (y1 - y2);
  }
  // Takes (x, y) as the last metre.
  void avanza(double x, double y) {
    x2 = x1;
    y2 = y1;
    x1 = x;
    y1 = y;
  }
};

}  // namespace scen
