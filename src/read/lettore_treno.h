// The train half of `memorizza_dati`: reads the train description into the
// header records, the station records and the cells.
#pragma once

#include <string>

#include "model/modello.h"
#include "read/campi.h"
#include "read/lettura.h"

namespace scen {

// Reads the fields of an open train description. `limite_cartelli` is the
// signpost index left by the line half; `file_linea` names the line
// description for the progressive check. Stops by setting an outcome (and
// filling `d`) or, for a read failure, by throwing `guasto_lettura`.
void leggi_treno(modello& m, campi& f, Long limite_cartelli, posizione_lettura& p,
                 diagnosi_lettura& d, const std::string& file_linea);

}  // namespace scen
