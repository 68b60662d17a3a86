// Reading both description files into the model.
#pragma once

#include <string>

#include "model/modello.h"
#include "read/diagnosi.h"

namespace scen {

// Full names of the two description files. The readers delete them.
struct file_descrizione {
  std::string linea;
  std::string treno;
};

// Reads the line description and then the train description into `m`, as
// `m.con_tracciato` asks, leaving the outcome in `m.errore_codice` and
// `m.errore_posizione`. Returns where reading stopped and why, with the
// files named by their full names.
diagnosi_lettura memorizza_dati(modello& m, const file_descrizione& file);

}  // namespace scen
