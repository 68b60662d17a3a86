#include <fmt/format.h>

#include "platform/programma_accanto.h"

namespace scen {

// The Windows programs carry no program beside them.
Stato passa_al_programma_accanto(const std::string& nome, char**) {
  return Stato::errore(fmt::format("impossibile avviare \"{}\": non c'è in questa versione", nome));
}

}  // namespace scen
