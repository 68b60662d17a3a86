// What compilatore tells the user once the build run is over, and how it
// ends: the program's entry point shows it and chooses the exit status.
#pragma once

#include <string>
#include <vector>

#include "run/esecuzione.h"

namespace scen {

struct rapporto_build {
  // The text after " Errore n. ": the outcome, or 1250 and 1251; empty when
  // there is none.
  std::string errore;
  // Errors 1250 and 1251 go through the error report, which ends the
  // program at once.
  bool termina = false;
  // Further lines, in order: where reading stopped and why
  // ("FILE:RIGA:COLONNA: errore: causa"), with its notes and warnings, then a
  // file that could not be written.
  std::vector<std::string> righe;
  int stato = 0;  // the exit status: 0 all done, 1 otherwise
};

rapporto_build rapporto(const risultato_build& r);

}  // namespace scen
