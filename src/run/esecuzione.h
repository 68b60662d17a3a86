// The build run: writes every file of the carried scenario into a folder and
// tells how it ended. It never ends the program itself: the program's entry
// point reports what happened and chooses the exit status.
#pragma once

#include <string>

#include "compile/memorizza_percorso.h"
#include "model/esiti.h"

namespace scen {

struct risultato_build {
  // How the compile step ended; a description file or crew document that
  // could not be written is a `guasto_file` too, with its name and reason.
  risultato_percorso percorso;
  // The model's outcome after reading and compiling.
  esito errore_codice = esito::nessuno;
  Long errore_posizione = 0;
};

// Runs every step in order: the two description files, the three crew
// documents, then the compile step. Stops at the first file that cannot be
// written. A reading diagnosis names its description file by its name in
// `cartella`. The folder is locked for the whole run (another run in it
// waits) and cleared of what killed runs left; the description files go on
// every way out once written, std::bad_alloc passed on included.
risultato_build esegui_build(const std::string& cartella);

}  // namespace scen
