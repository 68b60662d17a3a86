// Record builders of the train description: signals and slowdowns.
#pragma once

#include "model/modello.h"

namespace scen {

// Places a signal in the cell after f1, with its approach marks 100 to 400 m
// before it; sets `errore_codice` 16 when the cell is not free. Raises an
// extra value f11 of 1 to 100 to 101 in the caller's variable.
void memo_segnale(modello& m, Long f1, Long& f2, Long& f3, Long& f4, Long& f5, Long& f6, Long& f7,
                  Long& f8, Long& f9, Long& f10, Long& f11);

// Places a slowdown: start and end cells, the warning point 1200 m before the
// start (beyond 1500 m) and, when g5 asks, the four approach cells before the
// warning point. Sets `errore_codice` 17 to 20 on a collision.
void memo_rallentamento(modello& m, Long g1, Long& g2, Long& g3, Long& g4, Long g5, Long& g6);

}  // namespace scen
