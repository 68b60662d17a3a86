// The plan of the line in its own frame, its first stretch heading up: the
// line drawn from its trace, the stations named where they lie, the signals
// and slowdowns marked, a scale bar and an arrow that says which way the
// line sets out.
#pragma once

#include <vector>

#include "draw/geometria.h"
#include "draw/scena.h"
#include "draw/svg.h"

namespace scen {

// A point of the thinned line as drawn: the metre of the line it stands for
// and where it lies in the picture.
struct punto_pianta {
  long metro = 0;
  punto p;
};

struct pianta_disegnata {
  double altezza = 0;                  // of the panel, in pixels
  std::vector<punto_pianta> percorso;  // the line as drawn
  int stazioni_nominate = 0;           // stations whose name found room
};

// The height that the plan of `s` takes at the given width.
double altezza_pianta(const scena& s, double larghezza);

// Draws the plan into the panel `area` (its height from altezza_pianta).
pianta_disegnata disegna_pianta(scrittore_svg& w, const scena& s, const riquadro& area);

}  // namespace scen
