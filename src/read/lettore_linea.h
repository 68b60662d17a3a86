// The line half of `memorizza_dati`: reads the line description into the
// header records, the cells and the plan trace.
#pragma once

#include "model/modello.h"
#include "read/campi.h"
#include "read/lettura.h"

namespace scen {

struct esito_linea {
  bool prosegui = false;     // the train half follows (normal end or outcome 15)
  Long limite_cartelli = 0;  // the signpost index left: highest record free for stations
};

// Reads the fields of an open line description. Stops by setting an outcome
// (and filling `d`) or, for a read failure, by throwing `guasto_lettura`.
esito_linea leggi_linea(modello& m, campi& f, posizione_lettura& p, diagnosi_lettura& d);

}  // namespace scen
