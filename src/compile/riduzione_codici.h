// The code-reduction pass: code reductions around every slowdown.
#pragma once

#include "model/modello.h"

namespace scen {

inline constexpr Integer valore_riduzione = 180;

void riduzione_codici(modello& m);

}  // namespace scen
