// The code-reduction pass: code reductions around every slowdown.
#pragma once

#include "model/modello.h"

namespace scen {

inline constexpr Integer valore_riduzione = 180;

// Before a slowdown's start the pass puts one code reduction in each of these
// groups of cells, counted back from the start cell, in the group's first
// free cell.
inline constexpr Long gruppi_prima_dell_inizio[3][3] = {{5, 6, 7}, {11, 12, 13}, {18, 19, 20}};

void riduzione_codici(modello& m);

}  // namespace scen
