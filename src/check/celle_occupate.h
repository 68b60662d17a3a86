// When reading stops on a cell that is taken: which record holds the cell,
// and where on the 50 m grid the record that wanted it could go instead.
// The readers know what a cell holds, not who put it there; this finds it
// again from the records as they were read.
#pragma once

#include <vector>

#include "check/verifica_problemi.h"
#include "model/modello.h"
#include "read/vista.h"

namespace scen {

// Whether reading stops on `e` because a cell an object wants is taken.
bool esito_di_cella_occupata(esito e);

// The notes for a reading of `m` stopped on a taken cell, by the record at
// line `riga` of `file`: one at the record that holds the cell, one at the
// stopped record with the nearest positions whose cells are free, before
// and after. None when the stop is of another kind or the records are not
// found.
std::vector<problema> note_cella_occupata(const modello& m, const descrizione_vista& linea,
                                          const descrizione_vista& treno, file_verificato file,
                                          long riga);

}  // namespace scen
