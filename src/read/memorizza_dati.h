// Reading both description files into the model.
#pragma once

#include <string>
#include <string_view>

#include "model/modello.h"

namespace scen {

// Full names of the two description files. The readers delete them.
struct file_descrizione {
  std::string linea;
  std::string treno;
};

// Where reading stopped on an outcome, for authors: the description file,
// its line (from 1) and the cause in words. `file` is empty when reading
// ended without an outcome or the outcome belongs to no file.
struct diagnosi_lettura {
  std::string file;
  long riga = 0;
  std::string causa;
};

// The diagnosis as one line, "FILE:RIGA: causa", with the file named as
// `file` (the name the user knows it by).
std::string testo_diagnosi(const diagnosi_lettura& d, std::string_view file);

// Reads the line description and then the train description into `m`, as
// `m.con_tracciato` asks, leaving the outcome in `m.errore_codice` and
// `m.errore_posizione`.
diagnosi_lettura memorizza_dati(modello& m, const file_descrizione& file);

}  // namespace scen
