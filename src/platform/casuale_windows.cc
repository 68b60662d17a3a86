#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

#include "platform/casuale.h"

namespace scen {

std::uint32_t numero_casuale() {
  static std::uint32_t contatore = 0;
  std::uint32_t numero = 0;
  if (::BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&numero), sizeof numero,
                        BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0)
    numero = (++contatore ^ ::GetTickCount()) * 0x9e3779b9u;
  return numero;
}

}  // namespace scen
