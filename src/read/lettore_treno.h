// The train half of `memorizza_dati`: reads the train description into the
// header records, the station records and the cells.
#pragma once

#include "model/modello.h"
#include "read/campi.h"
#include "read/lettore_linea.h"
#include "read/lettura.h"

namespace scen {

// Reads the fields of an open train description, after the line half that
// left `linea`: the signpost index, and the progressives for the check at the
// end. Stops by setting an outcome (and filling `d`) or, for a read failure,
// by throwing `guasto_lettura`.
void leggi_treno(modello& m, campi& f, const esito_linea& linea, posizione_lettura& p,
                 diagnosi_lettura& d);

// Reads the train description only to look, as `scorri_linea` the line's.
void scorri_treno(campi& f, posizione_lettura& p);

}  // namespace scen
