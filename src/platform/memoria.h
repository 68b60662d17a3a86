// Memory for the model's largest tables (the plan trace: two elements per
// metre, tens of megabytes). On hosts that offer it, such memory is asked for
// in large pages, which spares the system hundreds of thousands of small
// page faults when the table is first written.
#pragma once

#include <cstddef>
#include <new>

namespace scen {

// What the programs tell the user when the host has no more memory to give
// (std::bad_alloc): the run stops there, as on any other failure.
inline constexpr const char* memoria_esaurita = "memoria esaurita: il lavoro si è interrotto";

void* alloca_grande(std::size_t byte);
void libera_grande(void* p, std::size_t byte) noexcept;

template <typename T>
struct allocatore_grande {
  using value_type = T;

  allocatore_grande() = default;
  template <typename U>
  allocatore_grande(const allocatore_grande<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(alloca_grande(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { libera_grande(p, n * sizeof(T)); }

  template <typename U>
  friend bool operator==(const allocatore_grande&, const allocatore_grande<U>&) noexcept {
    return true;
  }
};

}  // namespace scen
