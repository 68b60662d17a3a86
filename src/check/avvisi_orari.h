// The warnings on times that no train can keep: a station's time earlier
// than the fastest run of the built-in train allows after the time before
// it, times that run backwards, a clock that is not the origin's time.
#pragma once

#include "check/verifica_problemi.h"
#include "model/modello.h"
#include "read/vista.h"

namespace scen {

// On the model of a reading that went through, with the records of the two
// files as that reading saw them for the places.
void controlla_orari(const modello& letto, const descrizione_vista& linea,
                     const descrizione_vista& treno, elenco_problemi& problemi);

}  // namespace scen
