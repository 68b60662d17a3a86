// The fastest run and the timetable in a picture's content.
#pragma once

#include "draw/scena.h"
#include "marcia/rotabile.h"
#include "model/modello.h"

namespace scen {

// Computes the run of `treno` (the built-in train of the model's coaches and
// braked mass when none) over the line of `m`, the curves from the scene's
// own curvature, and the timetable with `margine` percent, into `s.marcia`.
// When the train cannot run the line, `s.marcia` says why.
void marcia_in_scena(const modello& m, scena& s, const rotabile* treno, double margine);

}  // namespace scen
