// Windows: random numbers from the system, for names that others must not
// guess or take. Only the Windows side of this layer includes it.
#pragma once

#include <cstdint>

namespace scen {

// 32 random bits from the system's generator; when it gives none, a number
// that still differs from call to call in this process.
std::uint32_t numero_casuale();

}  // namespace scen
