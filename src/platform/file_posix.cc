// Linux implementation of the host's files.
#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/file.h"
#include "platform/motivo_sistema.h"
#include "platform/windows1252.h"

namespace scen {

namespace {

Stato guasto(std::string_view azione, const std::string& percorso, int codice) {
  return Stato::errore(fmt::format("{} \"{}\": {}", azione, percorso, motivo_sistema(codice)));
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

// A size limit in words: "64 MiB" when it is a whole number of MiB.
std::string in_byte(size_t byte) {
  constexpr size_t mib = size_t{1} << 20;
  if (byte >= mib && byte % mib == 0) return fmt::format("{} MiB", byte / mib);
  return fmt::format("{} byte", byte);
}

}  // namespace

std::string percorso_in(const std::string& cartella, std::string_view nome_1252) {
  std::string nome = da_1252_a_utf8(nome_1252);
  if (cartella.empty()) return nome;
  return cartella + "/" + nome;
}

file_nuovo::file_nuovo(std::string percorso, durata d)
    : percorso_(std::move(percorso)), temporaneo_(percorso_ + ".~parziale"), durata_(d) {}

file_nuovo::~file_nuovo() { abbandona(); }

void file_nuovo::abbandona() {
  if (fd_ < 0) return;
  ::close(fd_);
  ::unlink(temporaneo_.c_str());
  fd_ = -1;
}

Stato file_nuovo::apri() {
  fd_ = ::open(temporaneo_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) return guasto("impossibile creare", percorso_, errno);
  return Stato::ok();
}

Stato file_nuovo::scrivi(std::string_view byte) {
  Stato stato = scrivi_tutto(fd_, byte, percorso_);
  if (!stato.riuscito()) abbandona();
  return stato;
}

Stato file_nuovo::completa() {
  Stato stato;
  if (durata_ == durata::durevole && ::fsync(fd_) != 0)
    stato = guasto("impossibile scrivere", percorso_, errno);
  if (!stato.riuscito()) {
    abbandona();
    return stato;
  }
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) stato = guasto("impossibile chiudere", percorso_, errno);
  if (stato.riuscito() && ::rename(temporaneo_.c_str(), percorso_.c_str()) != 0)
    stato = guasto("impossibile sostituire", percorso_, errno);
  if (!stato.riuscito()) ::unlink(temporaneo_.c_str());
  return stato;
}

Stato sostituisci_file(const std::string& percorso, std::string_view contenuto, durata d) {
  file_nuovo file(percorso, d);
  Stato stato = file.apri();
  if (stato.riuscito()) stato = file.scrivi(contenuto);
  if (stato.riuscito()) stato = file.completa();
  return stato;
}

Stato leggi_file(const std::string& percorso, std::string& contenuto, size_t massimo) {
  int fd = ::open(percorso.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return guasto("impossibile aprire", percorso, errno);
  auto troppo_grande = [&] {
    ::close(fd);
    contenuto.clear();
    return Stato::errore(fmt::format("impossibile leggere \"{}\": il file supera il limite di {}",
                                     percorso, in_byte(massimo)));
  };
  struct stat info;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<std::uintmax_t>(info.st_size) > massimo)
    return troppo_grande();
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
    if (static_cast<size_t>(n) > massimo - contenuto.size()) return troppo_grande();
    contenuto.append(blocco, static_cast<size_t>(n));
  }
  ::close(fd);
  return Stato::ok();
}

bool esiste(const std::string& percorso) {
  struct stat info;
  return ::stat(percorso.c_str(), &info) == 0;
}

bool e_cartella(const std::string& percorso) {
  struct stat info;
  return ::stat(percorso.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Stato elimina_file(const std::string& percorso) {
  if (::unlink(percorso.c_str()) != 0 && errno != ENOENT)
    return guasto("impossibile eliminare", percorso, errno);
  return Stato::ok();
}

}  // namespace scen
