// Linux implementation of the host: a terminal stands in for the window.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/ospite.h"

namespace scen {

std::string cartella_programma() {
  std::string percorso(4096, '\0');
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", percorso.data(), percorso.size());
    if (n < 0) return ".";
    if (static_cast<size_t>(n) < percorso.size()) {
      percorso.resize(static_cast<size_t>(n));
      break;
    }
    percorso.resize(percorso.size() * 2);
  }
  size_t barra = percorso.rfind('/');
  if (barra == std::string::npos) return ".";
  if (barra == 0) return "/";
  return percorso.substr(0, barra);
}

void mostra_attesa() {
  std::fputs("Attendere\n", stdout);
  std::fflush(stdout);
}

void mostra_errore(std::string_view a) {
  std::fflush(stdout);
  std::fprintf(stderr, " Errore n. %.*s\n", static_cast<int>(a.size()), a.data());
  std::fflush(stderr);
}

void errore(std::string_view a) {
  mostra_errore(a);
  std::_Exit(EXIT_FAILURE);
}

void guasto_fatale(std::string_view messaggio) {
  std::fflush(stdout);
  std::fprintf(stderr, "%.*s\n", static_cast<int>(messaggio.size()), messaggio.data());
  std::fflush(stderr);
  std::_Exit(EXIT_FAILURE);
}

}  // namespace scen
