// The two competition codes, computed from the keys as copied into records 86
// (train key) and 85 (route key).
#pragma once

#include "model/modello.h"

namespace scen {

// The code text: train key and route key, in lower case, then the filler.
// Both functions leave it whole in `m.campo`.
Integer codice_gara_og(modello& m);  // plain sum of the first 25 bytes
Long codice_gara_st(modello& m);     // sum of each byte times its place 1..25

}  // namespace scen
