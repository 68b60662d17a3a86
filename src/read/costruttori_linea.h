// Record builders of the line description: the kilometric progressives, the
// mountain zones and the speed indicators.
#pragma once

#include "model/esiti.h"
#include "model/modello.h"

namespace scen {

// Orders the three kilometric progressives of records 81 to 83 by start
// (latest first) and adds 100 to the offset of the decreasing ones.
void progressive_ordina(modello& m);

// A "montagna" record: a mountain zone from `inizio` to `fine` (m). A value
// above 10 stands for the value less 10, with zone markers on the cells.
struct zona_montagna {
  Long inizio = 0;
  Long fine = 0;
  Long valore = 0;
};

// Stores a mountain zone in the zone lists and writes its value into the
// `montagna` of its cells, with a zone marker on every fourth free cell when
// the value asks for them. A zone that starts 150 m or less after the end of
// the one before takes the value 3.
void memo_montagna(modello& m, zona_montagna zona);

// One group of a speed indicator: three speeds (km/h) and a code.
struct gruppo_indicatore {
  Long velocita_1 = 0;
  Long velocita_2 = 0;
  Long velocita_3 = 0;
  Long codice = 0;
};

// An "indicatori_vmax" record, its values in file order. Each speed of the
// first group pairs with the same speed of the second into one value word.
struct record_indicatore {
  Long posizione = 0;  // where the indicator stands (m)
  gruppo_indicatore primo;
  gruppo_indicatore secondo;
};

// Places a speed indicator in the cell after its position. Returns its
// outcome: `esito::nessuno`, or 21 when that cell is not free.
esito memo_indicatori_v_max(modello& m, const record_indicatore& r);

}  // namespace scen
