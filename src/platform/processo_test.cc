#include "platform/processo.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <string>

namespace scen {
namespace {

// A child process that lives until the object goes.
class figlio_vivo {
 public:
  figlio_vivo() : pid_(::fork()) {
    if (pid_ == 0) {
      ::pause();
      ::_exit(0);
    }
  }
  ~figlio_vivo() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  figlio_vivo(const figlio_vivo&) = delete;
  figlio_vivo& operator=(const figlio_vivo&) = delete;

  pid_t pid() const { return pid_; }

 private:
  pid_t pid_;
};

// The id of a child that has ended and been reaped: no process has it now.
pid_t figlio_finito() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  if (pid > 0) ::waitpid(pid, nullptr, 0);
  return pid;
}

TEST(Processo, ThisOneIsTheRunningProcess) {
  EXPECT_EQ(numero_processo(), static_cast<std::uint32_t>(::getpid()));
}

TEST(Processo, RunningOnesAndEndedOnes) {
  figlio_vivo vivo;
  ASSERT_GT(vivo.pid(), 0);
  const pid_t finito = figlio_finito();
  ASSERT_GT(finito, 0);
  struct caso {
    std::string cosa;
    std::uint32_t pid;
    bool in_vita;
  };
  const caso casi[] = {
      {"this process", static_cast<std::uint32_t>(::getpid()), true},
      {"its parent", static_cast<std::uint32_t>(::getppid()), true},
      {"a child still running", static_cast<std::uint32_t>(vivo.pid()), true},
      {"a child that has ended", static_cast<std::uint32_t>(finito), false},
      {"no process", 0, false},
      // Beyond pid_t: never taken for a process group.
      {"2^31", 0x80000000u, false},
      {"2^32 - 1", 0xffffffffu, false},
  };
  for (const caso& c : casi) EXPECT_EQ(processo_vivo(c.pid), c.in_vita) << c.cosa;
}

}  // namespace
}  // namespace scen
