// Compiled files of one scenario given together must come from the same
// compile: the cells and the trace of the train file's line length. A train
// file and a cell file go together when they lie in the same folder under
// the same name (P_T.sim and P_T.dat), a train file and a line file when the
// line file is P_linea.dat of the train file's route key P.
#pragma once

#include <string>
#include <vector>

#include "inspect/fatti_compilati.h"

namespace scen {

// A cell file or a line file that does not fit the line length of the train
// file that it goes with.
struct incoerenza {
  enum class genere { celle, tracciato };
  genere tipo = genere::celle;
  std::string file;          // the cell or line file
  long trovato = 0;          // its cells, or the last metre of its trace
  long atteso = 0;           // those that the train file's line asks for
  std::string treno;         // the train file
  long lunghezza_linea = 0;  // its line length (m)
  friend bool operator==(const incoerenza&, const incoerenza&) = default;
};

// What does not fit among the files `letti`: for each train file in order,
// each cell or line file that goes with it, in order.
std::vector<incoerenza> incoerenze(const std::vector<fatti_file>& letti);

// The cells of the signposts, from the first cell file that goes with each
// train file, added to the train file's signposts.
void unisci_cartelli(std::vector<fatti_file>& letti);

}  // namespace scen
