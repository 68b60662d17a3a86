// Slowdowns whose stretches overlap: the cells hold both starts and both
// ends, and nothing tells which speed holds where they share the line.
#pragma once

#include <vector>

#include "read/vista.h"

namespace scen {

struct sovrapposizione {
  const record_visto* primo;    // the slowdown that begins first
  const record_visto* secondo;  // the one that begins inside it
};

// The overlaps of the train's slowdowns read whole, in order of start: each
// slowdown that begins before the end of one that began before it.
std::vector<sovrapposizione> rallentamenti_sovrapposti(const descrizione_vista& treno);

}  // namespace scen
