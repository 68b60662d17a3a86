// Linux implementation of the host's files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include <fmt/format.h>

#include "platform/file.h"
#include "platform/windows1252.h"

namespace scen {

namespace {

Stato guasto(std::string_view azione, const std::string& percorso, int codice) {
  return Stato::errore(fmt::format("{} \"{}\": {}", azione, percorso, std::strerror(codice)));
}

Stato scrivi_tutto(int fd, std::string_view dati, const std::string& percorso) {
  while (!dati.empty()) {
    ssize_t n = ::write(fd, dati.data(), dati.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return guasto("impossibile scrivere", percorso, errno);
    }
    dati.remove_prefix(static_cast<size_t>(n));
  }
  return Stato::ok();
}

}  // namespace

std::string percorso_in(const std::string& cartella, std::string_view nome_1252) {
  std::string nome = da_1252_a_utf8(nome_1252);
  if (cartella.empty()) return nome;
  return cartella + "/" + nome;
}

Stato sostituisci_file(const std::string& percorso, std::string_view contenuto) {
  const std::string temporaneo = percorso + ".~parziale";
  int fd = ::open(temporaneo.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return guasto("impossibile creare", percorso, errno);
  Stato stato = scrivi_tutto(fd, contenuto, percorso);
  if (stato.riuscito() && ::fsync(fd) != 0) stato = guasto("impossibile scrivere", percorso, errno);
  if (::close(fd) != 0 && stato.riuscito()) stato = guasto("impossibile chiudere", percorso, errno);
  if (stato.riuscito() && ::rename(temporaneo.c_str(), percorso.c_str()) != 0)
    stato = guasto("impossibile sostituire", percorso, errno);
  if (!stato.riuscito()) ::unlink(temporaneo.c_str());
  return stato;
}

Stato leggi_file(const std::string& percorso, std::string& contenuto) {
  int fd = ::open(percorso.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return guasto("impossibile aprire", percorso, errno);
  contenuto.clear();
  char blocco[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, blocco, sizeof blocco);
    if (n < 0) {
      if (errno == EINTR) continue;
      int codice = errno;
      ::close(fd);
      return guasto("impossibile leggere", percorso, codice);
    }
    if (n == 0) break;
    contenuto.append(blocco, static_cast<size_t>(n));
  }
  ::close(fd);
  return Stato::ok();
}

bool esiste(const std::string& percorso) {
  struct stat info;
  return ::stat(percorso.c_str(), &info) == 0;
}

Stato elimina_file(const std::string& percorso) {
  if (::unlink(percorso.c_str()) != 0 && errno != ENOENT)
    return guasto("impossibile eliminare", percorso, errno);
  return Stato::ok();
}

}  // namespace scen
