// The card's times from the physics: the timetable of the built-in train
// with the usual supplement, for the stations that the description leaves
// without a time, the recovery column and the running speeds.
#pragma once

#include "documents/dati_documenti.h"
#include "model/modello.h"
#include "platform/stato.h"
#include "read/vista.h"

namespace scen {

// Fills `d.marcia` from the model of the reading and the line as the
// readers saw it (its curves). A line that the train cannot run leaves it
// empty, with the reason.
Stato aggiungi_marcia(descrizioni_documenti& d, const modello& letto,
                      const descrizione_vista& linea);

}  // namespace scen
