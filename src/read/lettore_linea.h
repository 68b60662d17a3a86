// The line half of `memorizza_dati`: reads the line description into the
// header records, the cells and the plan trace.
#pragma once

#include <string>

#include "model/modello.h"
#include "read/campi.h"
#include "read/lettura.h"

namespace scen {

// A kilometric progressive read with a start or an offset off the 50 m grid:
// the field at fault and what it holds, for the check that the train half
// makes after both files (outcome 2). Line 0 when every progressive is on
// the grid.
struct progressiva_fuori_passo {
  punto_file punto;
  std::string dettaglio;
};

// What the train half takes from the line half.
struct esito_linea {
  bool prosegui = false;     // the train half follows (normal end or outcome 15)
  Long limite_cartelli = 0;  // the signpost index left: highest record free for stations
  std::string file;          // the line description's full name
  progressiva_fuori_passo progressiva;
};

// Reads the fields of an open line description. Stops by setting an outcome
// (and filling `d`) or, for a read failure, by throwing `guasto_lettura`.
esito_linea leggi_linea(modello& m, campi& f, posizione_lettura& p, diagnosi_lettura& d);

// Reads the line description only to look: every record's fields, told to
// `p.osservatore`, building nothing; a field that cannot be read ends its
// line, not the reading.
void scorri_linea(campi& f, posizione_lettura& p);

}  // namespace scen
