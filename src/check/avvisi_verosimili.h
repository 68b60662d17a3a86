// Values that the readers take and the formats allow, but that no line or
// train of this kind has: a gradient steeper than an adhesion line climbs,
// a slowdown that does not slow down. Told as warnings, with the range such
// values usually keep.
#pragma once

#include "check/verifica_problemi.h"
#include "read/vista.h"

namespace scen {

// The steepest gradient, in thousandths, that a line worked by adhesion
// usually has, either way.
inline constexpr long pendenza_verosimile = 45;

// A gradient record beyond ±`pendenza_verosimile`.
void pendenze_verosimili(const descrizione_vista& linea, elenco_problemi& problemi);

// A slowdown whose speed is not below the speed limit in force where it
// starts.
void rallentamenti_sotto_il_limite(const descrizione_vista& treno, elenco_problemi& problemi);

}  // namespace scen
