// What the documents take from a pair of descriptions that read without
// error: the model the readers filled and what they saw.
#pragma once

#include "documents/dati_documenti.h"
#include "model/modello.h"
#include "read/vista.h"

namespace scen {

// The records that the documents use, from the descriptions as the readers
// see them; the stations and the ordered progressives from the model of the
// reading.
descrizioni_documenti dati_da(const descrizione_vista& linea, const descrizione_vista& treno,
                              const modello& letto);

}  // namespace scen
