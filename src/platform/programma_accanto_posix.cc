#include <fmt/format.h>
#include <unistd.h>

#include <cerrno>

#include "platform/motivo_sistema.h"
#include "platform/ospite.h"
#include "platform/programma_accanto.h"

namespace scen {

Stato passa_al_programma_accanto(const std::string& nome, char** argomenti) {
  std::string cartella;
  if (Stato stato = cartella_programma(cartella); !stato.riuscito()) return stato;
  std::string percorso = cartella + "/" + nome;
  argomenti[0] = percorso.data();
  ::execv(percorso.c_str(), argomenti);
  return Stato::errore(
      fmt::format("impossibile avviare \"{}\": {}", percorso, motivo_sistema(errno)));
}

}  // namespace scen
