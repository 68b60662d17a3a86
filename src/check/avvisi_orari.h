// The warnings on times that no train can keep: a station's time earlier
// than the fastest run of the train allows after the time before it, times
// that run backwards, a clock that is not the origin's time; and, when the
// run cannot be made, that the times are not checked, and why.
#pragma once

#include "check/verifica_problemi.h"
#include "marcia/marcia_modello.h"
#include "model/modello.h"
#include "read/vista.h"

namespace scen {

// On the model of a reading that went through and its run (made by
// `marcia_del_modello`), with the train's records as that reading saw them
// for the places.
void controlla_orari(const marcia_modello& corsa_fatta, const modello& letto,
                     const descrizione_vista& treno, elenco_problemi& problemi);

}  // namespace scen
