// Where a track curves tighter than the tightest curve class, so that the
// redrawn plan cannot follow it.
#pragma once

#include <vector>

#include "import/proiezione.h"

namespace scen {

struct tratto_stretto {
  long inizio = 0, fine = 0;  // metres along the track
  double raggio = 0;          // the track's least radius there (m)
  double scarto = 0;          // how far the plan strays from the track about it (m)
};

// The radius of the path through `punti` (the track's points as given, not
// smoothed: smoothing widens a tight curve) at each metre of the track,
// `lungo` being the place of each point along it (m): the chord 100 m before
// the metre turned into the chord 100 m after it. Infinite where the path
// runs straight or the chords do not fit.
std::vector<double> raggi_del_percorso(const std::vector<punto_piano>& punti,
                                       const std::vector<double>& lungo);

// The stretches where the plan strays more than `scarto_massimo` from the
// track (`scarti`, one a metre) and the track, within 300 m of them, curves
// tighter than the tightest class, with a margin for the points' noise
// (`raggi`, one a metre): each named by the
// metres where it is that tight. The noise of a track's points alone does
// not give one: the plan strays only where the curve is truly too tight.
std::vector<tratto_stretto> tratti_stretti(const std::vector<double>& raggi,
                                           const std::vector<double>& scarti,
                                           double scarto_massimo = 20);

}  // namespace scen
