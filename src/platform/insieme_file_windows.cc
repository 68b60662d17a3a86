// Windows: the host steps of a set of files replaced together.
#include <fmt/format.h>
#include <windows.h>

#include "platform/insieme_file.h"
#include "platform/motivo_sistema.h"
#include "platform/testo_largo.h"

namespace scen {

Stato sostituibile(const std::string& percorso) {
  const DWORD attributi = ::GetFileAttributesW(largo(percorso).c_str());
  if (attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return Stato::errore(fmt::format("impossibile sostituire \"{}\": {}", percorso,
                                     motivo_sistema(static_cast<int>(ERROR_ACCESS_DENIED))));
  return Stato::ok();
}

Stato rinomina_sopra(const std::string& da, const std::string& a) {
  if (!::MoveFileExW(largo(da).c_str(), largo(a).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return Stato::errore(fmt::format("impossibile sostituire \"{}\": {}", a,
                                     motivo_sistema(static_cast<int>(::GetLastError()))));
  return Stato::ok();
}

// MOVEFILE_WRITE_THROUGH returns only once the rename is on the disk.
Stato sincronizza_cartella(const std::string&) { return Stato::ok(); }

bool e_file_regolare(const std::string& percorso) {
  const DWORD attributi = ::GetFileAttributesW(largo(percorso).c_str());
  const DWORD altro =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
  return attributi != INVALID_FILE_ATTRIBUTES && (attributi & altro) == 0;
}

void termina_subito() {
  ::TerminateProcess(::GetCurrentProcess(), 137);
  ::ExitProcess(137);  // not reached
}

}  // namespace scen
