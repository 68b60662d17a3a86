// Linux: the records live in fixed memory, and the signal handler removes
// them with system calls alone (open, getdents64, unlinkat, rmdir), which
// are safe inside a handler; then the signal ends the process as it would
// have without the handler.
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/interruzione.h"

namespace scen {

namespace {

enum stato_posto : int { libero, in_scrittura, attivo };

struct posto {
  std::atomic<int> stato{libero};
  char percorso[4096];
};

constexpr int numero_posti = 8;
posto registro[numero_posti];

constexpr int segnali[] = {SIGINT, SIGTERM, SIGHUP};

bool punto_o_due(const char* nome) {
  return std::strcmp(nome, ".") == 0 || std::strcmp(nome, "..") == 0;
}

// Removes the files in the folder `fd`. Entries removed while the folder is
// being listed may hide others from the listing, so it is listed again until
// a listing removes nothing.
void svuota(int fd) {
  alignas(dirent64) char blocco[4096];
  for (int giro = 0; giro < 16; ++giro) {
    bool rimosso = false;
    if (::lseek(fd, 0, SEEK_SET) != 0) return;
    for (;;) {
      const ssize_t n = ::getdents64(fd, blocco, sizeof blocco);
      if (n <= 0) break;
      for (ssize_t i = 0; i < n;) {
        const auto* voce = reinterpret_cast<const dirent64*>(blocco + i);
        if (!punto_o_due(voce->d_name) && ::unlinkat(fd, voce->d_name, 0) == 0) rimosso = true;
        i += voce->d_reclen;
      }
    }
    if (!rimosso) return;
  }
}

void rimuovi(const char* percorso) {
  if (::unlink(percorso) == 0 || (errno != EISDIR && errno != EPERM)) return;
  const int fd = ::open(percorso, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  svuota(fd);
  ::close(fd);
  ::rmdir(percorso);
}

extern "C" void al_segnale(int numero) {
  for (posto& p : registro)
    if (p.stato.load() == attivo) rimuovi(p.percorso);
  // The handler was installed to run once: the signal, blocked while the
  // handler runs, now comes with its default action and ends the process.
  ::raise(numero);
}

}  // namespace

void prepara_processo() {
  ::signal(SIGXFSZ, SIG_IGN);
  for (int numero : segnali) {
    struct sigaction prima {};
    if (::sigaction(numero, nullptr, &prima) != 0 || prima.sa_handler == SIG_IGN)
      continue;  // a signal the process was started to ignore stays ignored
    struct sigaction azione {};
    azione.sa_handler = al_segnale;
    sigemptyset(&azione.sa_mask);
    for (int altro : segnali) sigaddset(&azione.sa_mask, altro);
    azione.sa_flags = SA_RESETHAND;
    ::sigaction(numero, &azione, nullptr);
  }
}

rimuovi_se_interrotto::rimuovi_se_interrotto(const std::string& percorso) {
  if (percorso.empty() || percorso.size() >= sizeof registro[0].percorso) return;
  for (int i = 0; i < numero_posti; ++i) {
    int atteso = libero;
    if (!registro[i].stato.compare_exchange_strong(atteso, in_scrittura)) continue;
    std::memcpy(registro[i].percorso, percorso.c_str(), percorso.size() + 1);
    registro[i].stato.store(attivo);
    posto_ = i;
    return;
  }
}

rimuovi_se_interrotto::~rimuovi_se_interrotto() {
  if (posto_ >= 0) registro[posto_].stato.store(libero);
}

namespace {

thread_local int trattenuti = 0;

void cambia_maschera(int come) {
  sigset_t insieme;
  sigemptyset(&insieme);
  for (int numero : segnali) sigaddset(&insieme, numero);
  ::pthread_sigmask(come, &insieme, nullptr);
}

}  // namespace

segnali_trattenuti::segnali_trattenuti() {
  if (trattenuti++ == 0) cambia_maschera(SIG_BLOCK);
}

segnali_trattenuti::~segnali_trattenuti() {
  if (--trattenuti == 0) cambia_maschera(SIG_UNBLOCK);
}

}  // namespace scen
