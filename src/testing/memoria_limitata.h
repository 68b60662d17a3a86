// For tests: running a program with too little memory for its work, but
// enough to start.
#pragma once

#include <string>

#include "testing/processo.h"
#include "testing/riga_comando.h"

namespace scen::prova {

// The start of a shell command line that limits the address space of the
// program it runs: what `programma --version` needs (found by halving, in
// the folder `cartella`), and 16 MB more. A program that builds the trace
// of a long line runs out of memory under it, while the test line fits.
inline std::string limite_memoria(const std::string& programma, const std::string& cartella) {
  // What the program needs just to start depends on the libraries it loads.
  auto parte = [&](long kib) {
    return esegui(
               "ulimit -v " + std::to_string(kib) + " && " + riga_comando(programma, {"--version"}),
               cartella)
               .stato == 0;
  };
  long basso = 1000, alto = 4000000;  // KiB
  if (!parte(alto)) return "false && ";
  while (alto - basso > 1000) {
    const long mezzo = (basso + alto) / 2;
    (parte(mezzo) ? alto : basso) = mezzo;
  }
  return "ulimit -v " + std::to_string(alto + 16000) + " && ";
}

// The test line, a hundred times longer: its trace is tens of megabytes.
inline std::string linea_lunghissima(std::string linea) {
  const std::string da = "lunghezza percorso,    10000";
  return linea.replace(linea.find(da), da.size(), "lunghezza percorso,    1000000");
}

}  // namespace scen::prova
