// Linux: the files' state from stat(2), the end asked by signals noted in a
// flag, the browser started with xdg-open in a process of its own.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <thread>

#include "platform/motivo_sistema.h"
#include "platform/sorveglianza.h"

extern char** environ;

namespace scen {

namespace {

constexpr int segnali[] = {SIGINT, SIGTERM, SIGHUP};
volatile std::sig_atomic_t fine = 0;
struct sigaction prima[std::size(segnali)];
struct sigaction prima_pipe;

extern "C" void fine_al_segnale(int) { fine = 1; }

std::uint64_t nanosecondi(const timespec& t) {
  return static_cast<std::uint64_t>(t.tv_sec) * 1000000000u + static_cast<std::uint64_t>(t.tv_nsec);
}

}  // namespace

impronta_file impronta(const std::string& percorso) {
  struct stat s {};
  impronta_file i;
  if (::stat(percorso.c_str(), &s) != 0) return i;
  i.presente = true;
  i.valori = {static_cast<std::uint64_t>(s.st_dev), static_cast<std::uint64_t>(s.st_ino),
              static_cast<std::uint64_t>(s.st_size), nanosecondi(s.st_mtim),
              nanosecondi(s.st_ctim)};
  return i;
}

fine_chiesta::fine_chiesta() {
  fine = 0;
  for (std::size_t i = 0; i < std::size(segnali); ++i) {
    struct sigaction azione {};
    azione.sa_handler = fine_al_segnale;
    sigemptyset(&azione.sa_mask);
    ::sigaction(segnali[i], &azione, &prima[i]);
  }
  struct sigaction ignora {};
  ignora.sa_handler = SIG_IGN;
  sigemptyset(&ignora.sa_mask);
  ::sigaction(SIGPIPE, &ignora, &prima_pipe);
}

fine_chiesta::~fine_chiesta() {
  for (std::size_t i = 0; i < std::size(segnali); ++i) ::sigaction(segnali[i], &prima[i], nullptr);
  ::sigaction(SIGPIPE, &prima_pipe, nullptr);
}

bool fine_chiesta::chiesta() const { return fine != 0; }

Stato apri_nel_browser(const std::string& indirizzo) {
  // Its output would mix with ours: it goes nowhere. It takes none of our
  // other files, so that the browser it starts keeps no port of ours.
  posix_spawn_file_actions_t azioni;
  posix_spawn_file_actions_init(&azioni);
  posix_spawn_file_actions_addopen(&azioni, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&azioni, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addclosefrom_np(&azioni, 3);
  std::string programma = "xdg-open";
  std::string copia = indirizzo;
  char* argv[] = {programma.data(), copia.data(), nullptr};
  pid_t pid = 0;
  const int errore = ::posix_spawnp(&pid, "xdg-open", &azioni, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&azioni);
  if (errore != 0)
    return Stato::errore("non riesco ad aprire il browser (xdg-open): " + motivo_sistema(errore));
  // xdg-open may stay until the browser it started ends: its end is awaited
  // aside, so that it leaves no process behind and keeps no one waiting.
  std::thread([pid] { ::waitpid(pid, nullptr, 0); }).detach();
  return Stato::ok();
}

}  // namespace scen
