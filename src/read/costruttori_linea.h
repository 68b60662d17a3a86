// Record builders of the line description: the kilometric progressives, the
// mountain zones and the speed indicators.
#pragma once

#include "model/modello.h"

namespace scen {

// Orders the three kilometric progressives of records 81 to 83 by start
// (latest first) and adds 100 to the offset of the decreasing ones.
void progressive_ordina(modello& m);

// Stores a mountain zone in the zone lists and writes its value into the
// `montagna` of its cells, with zone markers when the value is above 10.
// The value in the caller's variable may change.
void memo_montagna(modello& m, Long& inizio, Long& fine, Long& valore);

// Places a speed indicator in the cell after `posizione`; sets
// `errore_codice` 21 when that cell is not free.
void memo_indicatori_v_max(modello& m, Long posizione, Long& a1, Long& a2, Long& a3, Long& a4,
                           Long& b1, Long& b2, Long& b3, Long& b4);

}  // namespace scen
