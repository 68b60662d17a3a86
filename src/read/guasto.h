// Run-time failures of reading. They end `memorizza_dati` through its failure
// handler (outcome 25); the cause names exactly what failed.
#pragma once

#include <string>

namespace scen {

struct guasto_lettura {
  std::string causa;
  // Line of the description file where it happened, from 1; 0 when the
  // failure is not tied to a field (the reader then gives its record line).
  long riga = 0;
};

[[noreturn]] void guasto(std::string causa, long riga = 0);

}  // namespace scen
