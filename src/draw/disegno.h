// The whole picture of a scenario as SVG: a title, the plan of the line on
// top and the profile under it; and the same two parts as documents of their
// own, for a page that lays them out as the screen allows.
#pragma once

#include <string>

#include "draw/pianta.h"
#include "draw/profilo.h"
#include "draw/scena.h"

namespace scen {

struct disegno {
  std::string svg;  // a complete SVG document, UTF-8, without an XML declaration
  // The title with the plan, and the profile, each a complete SVG document
  // that shows its own stretch of the whole in the whole's coordinates.
  std::string svg_pianta;
  std::string svg_profilo;
  double altezza = 0;
  pianta_disegnata pianta;
  profilo_disegnato profilo;
};

disegno disegna_scena(const scena& s);

// A length in kilometres as an Italian reader writes it: "334,0 km".
std::string km_italiani(long metri, int decimali = 1);

}  // namespace scen
