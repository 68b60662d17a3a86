// Linux: the lock is flock on a descriptor of the folder itself, so no file
// is added to the folder, and the kernel drops it when the process ends.
#include <fcntl.h>
#include <fmt/format.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/blocco_cartella.h"
#include "platform/motivo_sistema.h"

namespace scen {

blocco_cartella::~blocco_cartella() {
  if (maniglia_ >= 0) ::close(static_cast<int>(maniglia_));  // closing releases the lock
}

Stato blocco_cartella::prendi(const std::string& cartella, const std::function<void()>& in_attesa) {
  auto guasto = [&](int codice) {
    return Stato::errore(fmt::format("impossibile bloccare la cartella \"{}\": {}", cartella,
                                     motivo_sistema(codice)));
  };
  const std::string nome = cartella.empty() ? "." : cartella;
  const int fd = ::open(nome.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return guasto(errno);

  using orologio = std::chrono::steady_clock;
  const orologio::time_point inizio = orologio::now();
  auto pausa = std::chrono::milliseconds(1);
  bool avvisato = false;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
    const int codice = errno;
    if (codice == EINTR) continue;
    if (codice == ENOLCK || codice == EOPNOTSUPP || codice == ENOSYS) {
      // A file system without locks (some network shares): the runs' own
      // temporary names still keep their files apart.
      break;
    }
    if (codice != EWOULDBLOCK) {
      ::close(fd);
      return guasto(codice);
    }
    if (!avvisato &&
        orologio::now() - inizio >= std::chrono::milliseconds(attesa_prima_di_avvisare_ms)) {
      avvisato = true;
      if (in_attesa) in_attesa();
    }
    std::this_thread::sleep_for(pausa);
    pausa = std::min(pausa * 2, std::chrono::milliseconds(20));
  }
  maniglia_ = fd;
  return Stato::ok();
}

}  // namespace scen
