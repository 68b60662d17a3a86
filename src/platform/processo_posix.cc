#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

#include "platform/processo.h"

namespace scen {

std::uint32_t numero_processo() { return static_cast<std::uint32_t>(::getpid()); }

bool processo_vivo(std::uint32_t pid) {
  // Beyond pid_t, kill would take the id for a process group.
  if (pid == 0 || pid > static_cast<std::uint32_t>(std::numeric_limits<pid_t>::max())) return false;
  const auto processo = static_cast<pid_t>(pid);
  return processo == ::getpid() || ::kill(processo, 0) == 0 || errno != ESRCH;
}

}  // namespace scen
