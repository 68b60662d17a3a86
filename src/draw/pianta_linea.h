// The line in the plan's panel: the trace of the line (north up, in metres)
// fitted into the panel, and the points, the ways and the stretches of the
// line there.
#pragma once

#include <string>
#include <vector>

#include "draw/geometria.h"
#include "draw/scena.h"

namespace scen::parti_pianta {

inline constexpr double bordo = 34;  // room inside the panel around the line

// The world (metres, north up) into the panel (pixels, down).
struct proiezione {
  riquadro mondo;
  double scala = 1;  // pixels per metre
  double ox = 0, oy = 0;
  punto operator()(punto p) const {
    return {ox + (p.x - mondo.x0) * scala, oy + (mondo.y1 - p.y) * scala};
  }
};

// The trace of `s` up to the end of the line (what comes after it is the
// run-out), fitted into the panel `area`: as wide as the panel allows and as
// high as a plan may be, centred across the panel.
struct linea_in_pianta {
  linea_in_pianta(const scena& s, const riquadro& area);

  std::vector<punto> linea;  // metre by metre, in the world
  proiezione pr;

  // The drawn point of metre `m` (held within the line).
  punto in_pianta(long m) const;
  // The way of travel at metre `m`, in the picture, as a unit vector.
  punto direzione(long m) const;
  // The path of metres `da` to `a` of the line, thinned for drawing.
  std::string tratto(long da, long a) const;
};

}  // namespace scen::parti_pianta
