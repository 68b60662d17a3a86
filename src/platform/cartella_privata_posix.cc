#include <fmt/format.h>
#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/cartella_privata.h"
#include "platform/motivo_sistema.h"

namespace scen {

Stato cartella_privata::crea() {
  std::error_code errore;
  std::filesystem::path base = std::filesystem::temp_directory_path(errore);
  if (errore)
    return Stato::errore(fmt::format("nessuna cartella temporanea: {}", errore.message()));
  std::string modello = (base / "scenario-XXXXXX").string();
  std::vector<char> nome(modello.begin(), modello.end());
  nome.push_back('\0');
  if (::mkdtemp(nome.data()) == nullptr)
    return Stato::errore(
        fmt::format("impossibile creare \"{}\": {}", modello, motivo_sistema(errno)));
  percorso_ = nome.data();
  return Stato::ok();
}

cartella_privata::~cartella_privata() {
  if (percorso_.empty()) return;
  std::error_code ignorato;
  std::filesystem::remove_all(percorso_, ignorato);
}

}  // namespace scen
