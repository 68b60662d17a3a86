// For tests: running the programs on a host that misbehaves as a test asks
// (see guasti_ospite.cc), and what the build under test can stand.
#pragma once

#include <string>

#include "testing/riga_comando.h"

namespace scen::prova {

// The start of a shell command line that loads the library of host faults
// into the program it runs, with `variabili` ("NOME=valore ...") set.
inline std::string con_guasti(const std::string& variabili) {
#ifdef SCEN_GUASTI_OSPITE
  // A program built with the address sanitizer wants its runtime first among
  // the libraries; loading one before it is what this test means to do.
  return "LD_PRELOAD=" + tra_apici(SCEN_GUASTI_OSPITE) +
         " ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0\" " + variabili +
         " ";
#else
  return variabili + " ";
#endif
}

// The address sanitizer reserves terabytes of address space at start: a
// program built with it cannot run under an address-space limit.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool con_sanitizzatore = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool con_sanitizzatore = true;
#else
inline constexpr bool con_sanitizzatore = false;
#endif
#else
inline constexpr bool con_sanitizzatore = false;
#endif

}  // namespace scen::prova
