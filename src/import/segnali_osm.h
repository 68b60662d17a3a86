// Which of a line's mapped signals become signal records: the main ones.
#pragma once

#include <string>

#include "import/estratto_osm.h"

namespace scen {

// A signal that shows whether the train may pass it: a main, combined or
// repeated main signal (railway:signal:main, :combined, :main_repeated).
// Distant signals, speed boards, block and train-protection markers,
// catenary signs and the like only announce or mark, and a signal record
// would stop the train at them.
bool segnale_principale(const punto_osm& segnale);

// The kind a signal that is not a main one is counted under: the first it
// shows of distant, speed_limit, speed_limit_distant, minor, route,
// shunting, stop, train_protection, electricity, else the first of its
// kinds; "senza genere" for a signal mapped without any.
std::string genere_da_contare(const punto_osm& segnale);

}  // namespace scen
