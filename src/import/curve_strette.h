// Where a track curves tighter than the tightest curve class: there the
// redrawn plan cannot follow it.
#pragma once

#include <vector>

#include "import/proiezione.h"

namespace scen {

struct tratto_stretto {
  long inizio = 0, fine = 0;  // metres along the track
  double raggio = 0;          // the track's least radius there (m)
};

// The stretches of `punti` (one point a metre) whose radius, measured over
// 50 m either side, stays under the tightest class's, with some margin for
// the noise a smoothed track keeps; stretches less than 100 m apart are one.
std::vector<tratto_stretto> tratti_stretti(const std::vector<punto_piano>& punti);

}  // namespace scen
