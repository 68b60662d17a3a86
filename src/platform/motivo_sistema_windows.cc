// Windows: `codice` is the system's error number (GetLastError).
#include <fmt/format.h>
#include <windows.h>

#include <string>

#include "platform/motivo_sistema.h"
#include "platform/testo_largo.h"

namespace scen {

namespace {

const char* in_italiano(DWORD codice) {
  switch (codice) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "file o cartella inesistente";
    case ERROR_DIRECTORY:
      return "non è una cartella";
    case ERROR_ACCESS_DENIED:
      return "permesso negato";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return "file in uso da un altro programma";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return "spazio esaurito sul disco";
    case ERROR_FILE_TOO_LARGE:
      return "file troppo grande";
    case ERROR_WRITE_PROTECT:
      return "file system in sola lettura";
    default:
      return nullptr;
  }
}

// The system's own text, without its closing full stop and line end.
std::string testo_sistema(DWORD codice) {
  wchar_t* testo = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, codice, 0, reinterpret_cast<wchar_t*>(&testo), 0, nullptr);
  std::wstring proprio = n > 0 && testo != nullptr ? std::wstring(testo, n) : std::wstring();
  if (testo != nullptr) ::LocalFree(testo);
  while (!proprio.empty() && (proprio.back() == L'\r' || proprio.back() == L'\n' ||
                              proprio.back() == L' ' || proprio.back() == L'.'))
    proprio.pop_back();
  if (proprio.empty()) return fmt::format("errore di sistema {}", codice);
  return stretto(proprio);
}

}  // namespace

std::string motivo_sistema(int codice) {
  const auto numero = static_cast<DWORD>(codice);
  const std::string proprio = testo_sistema(numero);
  const char* italiano = in_italiano(numero);
  if (italiano == nullptr) return proprio;
  return fmt::format("{} ({})", italiano, proprio);
}

}  // namespace scen
