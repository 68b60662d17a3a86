#include <windows.h>

#include "platform/processo.h"

namespace scen {

std::uint32_t numero_processo() { return ::GetCurrentProcessId(); }

bool processo_vivo(std::uint32_t pid) {
  if (pid == 0) return false;
  HANDLE processo = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (processo != nullptr) {
    DWORD codice = 0;
    const bool vivo = !::GetExitCodeProcess(processo, &codice) || codice == STILL_ACTIVE;
    ::CloseHandle(processo);
    return vivo;
  }
  // The system no longer knows the id; any other refusal (access) leaves it
  // running.
  return ::GetLastError() != ERROR_INVALID_PARAMETER;
}

}  // namespace scen
