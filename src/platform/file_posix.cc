// Linux implementation of the host's files.
#include <dirent.h>
#include <fcntl.h>
#include <fmt/format.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string_view>
#include <vector>

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

// A name for the temporary file of `percorso`, unique to this process and
// unlikely to be taken by anything else.
std::string nome_temporaneo(const std::string& percorso) {
  static std::uint32_t contatore = 0;
  std::uint32_t casuale = 0;
  if (::getrandom(&casuale, sizeof casuale, 0) != static_cast<ssize_t>(sizeof casuale))
    casuale = ++contatore * 0x9e3779b9u;  // no random bytes: O_EXCL still keeps names apart
  return fmt::format("{}.~parziale.{}.{:08x}", percorso, ::getpid(), casuale);
}

int descrittore(std::intptr_t fd) { return static_cast<int>(fd); }

}  // namespace

const char separatore_cartella = '/';

void file_nuovo::abbandona() {
  if (fd_ >= 0) ::close(descrittore(fd_));
  if (fd_ >= 0 || chiuso_) ::unlink(temporaneo_.c_str());
  fd_ = -1;
  chiuso_ = false;
  interruzione_.reset();
}

Stato file_nuovo::apri() {
  // O_EXCL with O_CREAT never opens an existing name, and with O_NOFOLLOW
  // not even a link to nowhere: only a file made here and now is written.
  constexpr int tentativi = 16;
  for (int i = 0;; ++i) {
    temporaneo_ = nome_temporaneo(percorso_);
    segnali_trattenuti trattenuti;
    const int fd =
        ::open(temporaneo_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0) {
      fd_ = fd;
      interruzione_ = std::make_unique<rimuovi_se_interrotto>(temporaneo_);
      return Stato::ok();
    }
    if (errno != EEXIST || i + 1 == tentativi)
      return guasto("impossibile creare", percorso_, errno);
  }
}

Stato file_nuovo::scrivi(std::string_view byte) {
  Stato stato = scrivi_tutto(descrittore(fd_), byte, percorso_);
  if (stato.riuscito())
    annota(byte);
  else
    abbandona();
  return stato;
}

Stato file_nuovo::chiudi() {
  if (fd_ < 0) return chiuso_ ? Stato::ok() : non_aperto(percorso_);
  Stato stato;
  if (durata_ == durata::durevole && ::fsync(descrittore(fd_)) != 0)
    stato = guasto("impossibile scrivere", percorso_, errno);
  if (stato.riuscito() && ::close(descrittore(fd_)) != 0) {
    fd_ = -1;  // closed even when close fails
    chiuso_ = true;
    stato = guasto("impossibile chiudere", percorso_, errno);
  }
  if (!stato.riuscito()) {
    abbandona();
    return stato;
  }
  fd_ = -1;
  chiuso_ = true;
  return stato;
}

Stato file_nuovo::completa() {
  Stato stato = chiudi();
  if (!stato.riuscito()) return stato;
  if (::rename(temporaneo_.c_str(), percorso_.c_str()) != 0) {
    stato = guasto("impossibile sostituire", percorso_, errno);
    abbandona();
    return stato;
  }
  al_suo_posto();
  return stato;
}

Stato rimuovi_temporanei_abbandonati(const std::string& cartella) {
  const std::string nome = cartella.empty() ? "." : cartella;
  DIR* elenco = ::opendir(nome.c_str());
  if (elenco == nullptr) return guasto("impossibile elencare la cartella", cartella, errno);
  // Listed first, removed after: removing while listing may hide names.
  std::vector<std::string> nomi;
  while (const dirent* voce = ::readdir(elenco))
    if (e_temporaneo_abbandonato(voce->d_name)) nomi.emplace_back(voce->d_name);
  const int fd = ::dirfd(elenco);
  for (const std::string& temporaneo : nomi) {
    struct stat info;
    if (::fstatat(fd, temporaneo.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode))
      ::unlinkat(fd, temporaneo.c_str(), 0);
  }
  ::closedir(elenco);
  return Stato::ok();
}

namespace {

// Reads the open file `fd` whole into `contenuto`, and closes it.
Stato leggi_aperto(int fd, const std::string& percorso, std::string& contenuto, size_t massimo) {
  auto troppo_grande = [&] {
    ::close(fd);
    contenuto.clear();
    return oltre_il_limite(percorso, massimo);
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

// What a name that is not a regular file names, in words.
Stato non_un_file(const std::string& percorso, mode_t modo) {
  const char* cosa = S_ISFIFO(modo)                   ? "è una pipe (FIFO), non un file"
                     : S_ISDIR(modo)                  ? "è una cartella, non un file"
                     : S_ISCHR(modo) || S_ISBLK(modo) ? "è un dispositivo, non un file"
                     : S_ISSOCK(modo)                 ? "è un socket, non un file"
                                                      : "non è un file regolare";
  return Stato::errore(fmt::format("impossibile leggere \"{}\": {}", percorso, cosa));
}

}  // namespace

Stato leggi_file(const std::string& percorso, std::string& contenuto, size_t massimo) {
  int fd = ::open(percorso.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return guasto("impossibile aprire", percorso, errno);
  return leggi_aperto(fd, percorso, contenuto, massimo);
}

Stato leggi_file_regolare(const std::string& percorso, std::string& contenuto, size_t massimo) {
  // Looked at before it is opened (a device is not even opened), and again
  // once open, without waiting (a pipe with no writer would hold the open),
  // since the name may have changed in between.
  struct stat info;
  if (::stat(percorso.c_str(), &info) != 0) return guasto("impossibile aprire", percorso, errno);
  if (!S_ISREG(info.st_mode)) return non_un_file(percorso, info.st_mode);
  const int fd = ::open(percorso.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return guasto("impossibile aprire", percorso, errno);
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int codice = errno;
    ::close(fd);
    return S_ISREG(info.st_mode) ? guasto("impossibile leggere", percorso, codice)
                                 : non_un_file(percorso, info.st_mode);
  }
  const int modi = ::fcntl(fd, F_GETFL);
  if (modi >= 0) ::fcntl(fd, F_SETFL, modi & ~O_NONBLOCK);
  return leggi_aperto(fd, percorso, contenuto, massimo);
}

bool esiste(const std::string& percorso) {
  struct stat info;
  return ::stat(percorso.c_str(), &info) == 0;
}

bool e_cartella(const std::string& percorso) {
  struct stat info;
  return ::stat(percorso.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Stato dimensione_file(const std::string& percorso, std::uint64_t& byte) {
  struct stat info;
  if (::stat(percorso.c_str(), &info) != 0) return guasto("impossibile aprire", percorso, errno);
  byte = static_cast<std::uint64_t>(info.st_size);
  return Stato::ok();
}

Stato elenca_cartella(const std::string& cartella, std::vector<std::string>& nomi) {
  DIR* d = ::opendir(cartella.c_str());
  if (d == nullptr) return guasto("impossibile aprire la cartella", cartella, errno);
  nomi.clear();
  errno = 0;
  while (const dirent* voce = ::readdir(d)) {
    const std::string nome = voce->d_name;
    if (nome != "." && nome != "..") nomi.push_back(nome);
    errno = 0;
  }
  const int codice = errno;
  ::closedir(d);
  if (codice != 0) return guasto("impossibile leggere la cartella", cartella, codice);
  std::sort(nomi.begin(), nomi.end());
  return Stato::ok();
}

Stato elimina_file(const std::string& percorso) {
  if (::unlink(percorso.c_str()) != 0 && errno != ENOENT)
    return guasto("impossibile eliminare", percorso, errno);
  return Stato::ok();
}

}  // namespace scen
