#include <fmt/format.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/cartella_privata.h"
#include "platform/motivo_sistema.h"
#include "platform/processo.h"

namespace scen {

namespace {

constexpr std::string_view prefisso = "scenario-";

// The process that made a private folder named `nome`, or 0 when the name
// is not of the pattern "scenario-<pid>-XXXXXX".
pid_t processo_di(std::string_view nome) {
  if (nome.substr(0, prefisso.size()) != prefisso) return 0;
  nome.remove_prefix(prefisso.size());
  const size_t trattino = nome.find('-');
  if (trattino == std::string_view::npos || trattino == 0 || nome.size() - trattino - 1 != 6)
    return 0;
  pid_t pid = 0;
  const auto [fine, errore] = std::from_chars(nome.data(), nome.data() + trattino, pid);
  if (errore != std::errc() || fine != nome.data() + trattino || pid <= 0) return 0;
  return pid;
}

// Removes the private folders under `base` that runs killed before they
// could remove them left behind: of this pattern, of this user, real folders
// (not links), whose process no longer exists.
void rimuovi_abbandonate(const std::filesystem::path& base) {
  // Stepping through the folder with an error code: a folder that cannot be
  // read to its end is left as far as it was read, and nothing is thrown.
  std::error_code errore;
  for (std::filesystem::directory_iterator voce(base, errore), fine; !errore && voce != fine;
       voce.increment(errore)) {
    const std::string nome = voce->path().filename().string();
    const pid_t pid = processo_di(nome);
    if (pid == 0 || pid == ::getpid()) continue;
    struct stat info;
    if (::lstat(voce->path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid())
      continue;
    if (processo_vivo(static_cast<std::uint32_t>(pid))) continue;
    std::error_code ignorato;
    std::filesystem::remove_all(voce->path(), ignorato);
  }
}

}  // namespace

Stato cartella_privata::crea() {
  std::error_code errore;
  std::filesystem::path base = std::filesystem::temp_directory_path(errore);
  if (errore)
    return Stato::errore(fmt::format("nessuna cartella temporanea: {}", errore.message()));
  rimuovi_abbandonate(base);
  std::string modello = (base / fmt::format("{}{}-XXXXXX", prefisso, ::getpid())).string();
  std::vector<char> nome(modello.begin(), modello.end());
  nome.push_back('\0');
  segnali_trattenuti trattenuti;
  if (::mkdtemp(nome.data()) == nullptr)
    return Stato::errore(
        fmt::format("impossibile creare \"{}\": {}", modello, motivo_sistema(errno)));
  percorso_ = nome.data();
  interruzione_ = std::make_unique<rimuovi_se_interrotto>(percorso_);
  return Stato::ok();
}

cartella_privata::~cartella_privata() {
  if (percorso_.empty()) return;
  std::error_code ignorato;
  std::filesystem::remove_all(percorso_, ignorato);
  interruzione_.reset();
}

}  // namespace scen
