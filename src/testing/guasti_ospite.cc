// For tests: a library that a test loads into a program under test
// (LD_PRELOAD) to make the host behave as the test asks, through variables of
// the environment:
//   SCEN_PROVA_NON_ELIMINARE=TESTO  deleting a name that contains TESTO
//                                    fails with "permission denied";
//   SCEN_PROVA_PROCESSO=N           the process id is N;
//   SCEN_PROVA_CASUALE=zero         random bytes are all zero;
//   SCEN_PROVA_CASUALE=alterni      every other request (the first, the
//                                    third, ...) gets zero bytes.
// Without them the host behaves as usual. It is never part of the programs.
#include <dlfcn.h>
#include <sys/random.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

const char* variabile(const char* nome) {
  const char* valore = std::getenv(nome);
  return valore != nullptr && *valore != '\0' ? valore : nullptr;
}

std::atomic<unsigned> richieste_casuali{0};

}  // namespace

extern "C" {

int unlink(const char* nome) noexcept {
  const char* rifiutato = variabile("SCEN_PROVA_NON_ELIMINARE");
  if (rifiutato != nullptr && std::strstr(nome, rifiutato) != nullptr) {
    errno = EACCES;
    return -1;
  }
  using funzione = int (*)(const char*);
  static const auto vera = reinterpret_cast<funzione>(::dlsym(RTLD_NEXT, "unlink"));
  return vera(nome);
}

pid_t getpid() noexcept {
  if (const char* processo = variabile("SCEN_PROVA_PROCESSO"))
    return static_cast<pid_t>(std::atol(processo));
  return static_cast<pid_t>(::syscall(SYS_getpid));
}

ssize_t getrandom(void* byte, size_t quanti, unsigned int opzioni) {
  const char* modo = variabile("SCEN_PROVA_CASUALE");
  const unsigned numero = richieste_casuali.fetch_add(1);
  if (modo != nullptr &&
      (std::strcmp(modo, "zero") == 0 || (std::strcmp(modo, "alterni") == 0 && numero % 2 == 0))) {
    std::memset(byte, 0, quanti);
    return static_cast<ssize_t>(quanti);
  }
  return ::syscall(SYS_getrandom, byte, quanti, opzioni);
}
}
