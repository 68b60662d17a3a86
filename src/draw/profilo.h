// The profile of the line on one distance axis in kilometres: the station
// names, the relative height and the gradient, the speed limit, the
// adhesion, the mountain zones and the signals, with the slowdowns shaded
// and the stations as vertical guides.
#pragma once

#include "draw/geometria.h"
#include "draw/scena.h"
#include "draw/svg.h"

namespace scen {

struct profilo_disegnato {
  double altezza = 0;    // of the panel, in pixels
  double x0 = 0;         // where metre 0 lies
  double x1 = 0;         // where the end of the line lies
  double y0 = 0;         // top of the bands that share the axis
  double y1 = 0;         // their bottom
  double y_nomi = 0;     // bottom of the station names
  double y_asse = 0;     // the distance axis
  double y_orario0 = 0;  // top of the timetable's band (its earliest time)
  double y_orario1 = 0;  // its bottom (its latest time)
};

// The height that the profile takes.
double altezza_profilo();

// Draws the profile into `area` (its height from altezza_profilo). The
// elements that follow the distance axis carry what a page needs to zoom
// them: the class "dati" on groups drawn in pixels at full view, and
// "data-m", the metre, on texts placed at a point of the line.
profilo_disegnato disegna_profilo(scrittore_svg& w, const scena& s, const riquadro& area);

// The heights above the origin that the gradients give, metre by metre at
// each change of gradient: (metre, height in m).
std::vector<punto> quote(const scena& s);

}  // namespace scen
