// Linux implementation of the host: a terminal stands in for the window.
#include <fmt/format.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/motivo_sistema.h"
#include "platform/ospite.h"
#include "platform/visibile.h"

namespace scen {

Stato cartella_programma(std::string& cartella) {
  std::string percorso(4096, '\0');
  for (;;) {
    const ssize_t n = ::readlink("/proc/self/exe", percorso.data(), percorso.size());
    if (n < 0)
      return Stato::errore(
          fmt::format("impossibile trovare la cartella del programma: {}", motivo_sistema(errno)));
    if (static_cast<size_t>(n) < percorso.size()) {
      percorso.resize(static_cast<size_t>(n));
      break;
    }
    percorso.resize(percorso.size() * 2);
  }
  const size_t barra = percorso.rfind('/');
  if (barra == std::string::npos)
    return Stato::errore(
        fmt::format("impossibile trovare la cartella del programma in \"{}\"", percorso));
  cartella = barra == 0 ? "/" : percorso.substr(0, barra);
  return Stato::ok();
}

bool errori_a_terminale() { return ::isatty(STDERR_FILENO) == 1; }

void mostra_attesa() {
  std::fputs("Attendere\n", stdout);
  std::fflush(stdout);
}

void mostra_testo(std::string_view testo) {
  std::fwrite(testo.data(), 1, testo.size(), stdout);
  std::fflush(stdout);
}

void mostra_errore(std::string_view a) {
  std::fflush(stdout);
  std::fprintf(stderr, " Errore n. %.*s\n", static_cast<int>(a.size()), a.data());
  std::fflush(stderr);
}

void mostra_guasto(std::string_view messaggio) {
  std::fflush(stdout);
  // A name in it (the program's folder) may hold control characters.
  const std::string visto = visibile(messaggio);
  std::fprintf(stderr, "%.*s\n", static_cast<int>(visto.size()), visto.data());
  std::fflush(stderr);
}

void mostra_esito(std::string_view a, const std::vector<std::string>& righe) {
  if (!a.empty()) mostra_errore(a);
  for (const std::string& riga : righe) mostra_guasto(riga);
}

void errore(std::string_view a) {
  mostra_errore(a);
  std::_Exit(EXIT_FAILURE);
}

}  // namespace scen
