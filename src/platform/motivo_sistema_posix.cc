#include <fmt/format.h>

#include <cerrno>
#include <cstring>

#include "platform/motivo_sistema.h"

namespace scen {

namespace {

const char* in_italiano(int codice) {
  switch (codice) {
    case ENOENT:
      return "file o cartella inesistente";
    case EISDIR:
      return "è una cartella";
    case EACCES:
    case EPERM:
      return "permesso negato";
    case ENOSPC:
      return "spazio esaurito sul disco";
    case EFBIG:
      return "file troppo grande";
    case EROFS:
      return "file system in sola lettura";
    default:
      return nullptr;
  }
}

}  // namespace

std::string motivo_sistema(int codice) {
  const char* proprio = std::strerror(codice);
  const char* italiano = in_italiano(codice);
  if (italiano == nullptr) return proprio;
  return fmt::format("{} ({})", italiano, proprio);
}

}  // namespace scen
