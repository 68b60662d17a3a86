// Linux: blocks of 2 MiB or more are aligned to large pages and marked for
// them; the kernel falls back to small pages where it has no large ones.
#include <sys/mman.h>

#include <cstdlib>

#include "platform/memoria.h"

namespace scen {

namespace {
constexpr std::size_t pagina_grande = std::size_t{2} << 20;
}

void* alloca_grande(std::size_t byte) {
  if (byte < pagina_grande) {
    if (void* p = std::malloc(byte == 0 ? 1 : byte)) return p;
    throw std::bad_alloc();
  }
  const std::size_t arrotondati = (byte + pagina_grande - 1) / pagina_grande * pagina_grande;
  void* p = std::aligned_alloc(pagina_grande, arrotondati);
  if (p == nullptr) throw std::bad_alloc();
  ::madvise(p, arrotondati, MADV_HUGEPAGE);  // only advice: ignored where unsupported
  return p;
}

void libera_grande(void* p, std::size_t) noexcept { std::free(p); }

}  // namespace scen
