// Windows: large blocks straight from the system's virtual memory, which
// gives them whole pages; large pages would need a privilege that an
// ordinary user lacks.
#include <windows.h>

#include <cstdlib>

#include "platform/memoria.h"

namespace scen {

namespace {
constexpr std::size_t blocco_grande = std::size_t{2} << 20;
}

void* alloca_grande(std::size_t byte) {
  if (byte < blocco_grande) {
    if (void* p = std::malloc(byte == 0 ? 1 : byte)) return p;
    throw std::bad_alloc();
  }
  void* p = ::VirtualAlloc(nullptr, byte, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

void libera_grande(void* p, std::size_t byte) noexcept {
  if (byte < blocco_grande)
    std::free(p);
  else if (p != nullptr)
    ::VirtualFree(p, 0, MEM_RELEASE);
}

}  // namespace scen
