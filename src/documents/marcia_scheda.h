// The card's times from the physics: the timetable of the run with the
// usual supplement, for the stations that the description leaves without a
// time, the recovery column and the running speeds.
#pragma once

#include "documents/dati_documenti.h"
#include "marcia/marcia_modello.h"
#include "platform/stato.h"

namespace scen {

// Fills `d.marcia` from the run `m` (made by `marcia_del_modello` with the
// usual supplement). A run that did not go through leaves it empty, with
// the reason.
Stato aggiungi_marcia(descrizioni_documenti& d, const marcia_modello& m);

}  // namespace scen
