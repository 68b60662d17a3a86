// Linux: the host steps of a set of files replaced together.
#include <fcntl.h>
#include <fmt/format.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/insieme_file.h"
#include "platform/motivo_sistema.h"

namespace scen {

Stato sostituibile(const std::string& percorso) {
  struct stat info;
  if (::lstat(percorso.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    return Stato::errore(
        fmt::format("impossibile sostituire \"{}\": {}", percorso, motivo_sistema(EISDIR)));
  return Stato::ok();
}

Stato rinomina_sopra(const std::string& da, const std::string& a) {
  if (::rename(da.c_str(), a.c_str()) != 0)
    return Stato::errore(
        fmt::format("impossibile sostituire \"{}\": {}", a, motivo_sistema(errno)));
  return Stato::ok();
}

Stato sincronizza_cartella(const std::string& cartella) {
  const std::string nome = cartella.empty() ? "." : cartella;
  const int fd = ::open(nome.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int codice = fd < 0 ? errno : 0;
  // Some file systems flush no folder: nothing more can be done there.
  if (fd >= 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) codice = errno;
  if (fd >= 0) ::close(fd);
  if (codice != 0)
    return Stato::errore(fmt::format("impossibile scrivere la cartella \"{}\": {}", cartella,
                                     motivo_sistema(codice)));
  return Stato::ok();
}

bool e_file_regolare(const std::string& percorso) {
  struct stat info;
  return ::lstat(percorso.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void termina_subito() {
  ::kill(::getpid(), SIGKILL);
  std::_Exit(137);  // not reached
}

}  // namespace scen
