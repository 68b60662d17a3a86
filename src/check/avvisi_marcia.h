// The warnings of the run itself: a train that cannot go on, named at the
// record where its speed reaches zero; and what the run would take without
// a word but is hardly meant: a braked mass far from any train's, a dwell at
// the destination, a climb steeper than the train can start on.
#pragma once

#include "check/verifica_problemi.h"
#include "marcia/marcia_modello.h"
#include "read/vista.h"

namespace scen {

// On the run of a reading that went through (made by `marcia_del_modello`),
// with the records of the two files as that reading saw them.
void controlla_marcia(const marcia_modello& corsa_fatta, const descrizione_vista& linea,
                      const descrizione_vista& treno, elenco_problemi& problemi);

}  // namespace scen
