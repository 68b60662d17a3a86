// The fastest run and the timetable in a picture's content.
#pragma once

#include "draw/scena.h"
#include "marcia/marcia_modello.h"

namespace scen {

// Puts the run `m` (made by `marcia_del_modello`) into `s.marcia`: the
// speed and the timetable's path. A run that stopped on the way leaves its
// speed up to there and the place where it stopped, with why.
void marcia_in_scena(const marcia_modello& m, scena& s);

}  // namespace scen
