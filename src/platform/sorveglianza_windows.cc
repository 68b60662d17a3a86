// Windows: the files' state from GetFileAttributesEx, the end asked by the
// console's control events noted in a flag, the browser opened by the shell.
#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <atomic>

#include "platform/sorveglianza.h"
#include "platform/testo_largo.h"

namespace scen {

namespace {

std::atomic<bool> fine{false};

BOOL WINAPI al_controllo(DWORD evento) {
  switch (evento) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
      fine = true;
      return TRUE;
    default:
      return FALSE;
  }
}

std::uint64_t valore(const FILETIME& t) {
  return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

}  // namespace

impronta_file impronta(const std::string& percorso) {
  WIN32_FILE_ATTRIBUTE_DATA dati{};
  impronta_file i;
  if (!::GetFileAttributesExW(largo(percorso).c_str(), GetFileExInfoStandard, &dati)) return i;
  i.presente = true;
  i.valori = {dati.dwFileAttributes,
              (static_cast<std::uint64_t>(dati.nFileSizeHigh) << 32) | dati.nFileSizeLow,
              valore(dati.ftLastWriteTime), valore(dati.ftCreationTime), 0};
  return i;
}

fine_chiesta::fine_chiesta() {
  fine = false;
  ::SetConsoleCtrlHandler(al_controllo, TRUE);
}

fine_chiesta::~fine_chiesta() { ::SetConsoleCtrlHandler(al_controllo, FALSE); }

bool fine_chiesta::chiesta() const { return fine; }

Stato apri_nel_browser(const std::string& indirizzo) {
  const auto esito = reinterpret_cast<INT_PTR>(
      ::ShellExecuteW(nullptr, L"open", largo(indirizzo).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (esito <= 32) return Stato::errore("il browser non si è aperto");
  return Stato::ok();
}

}  // namespace scen
