// What a program that stays open needs of the host: seeing that files
// changed on disk, being asked to end (Ctrl-C), and opening an address in the
// user's browser.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/stato.h"

namespace scen {

// What the host tells of a file that changes whenever the file is written or
// replaced whole (another file renamed over its name): its identity on the
// disk, its size and its times. A file that cannot be seen has `presente`
// false.
struct impronta_file {
  bool presente = false;
  std::array<std::uint64_t, 5> valori{};
  bool operator==(const impronta_file&) const = default;
};

impronta_file impronta(const std::string& percorso);

// Watches some files by their names: `cambiati` says whether any of them was
// written, replaced, removed or made since the last call (or since the
// watch began). The host is asked afresh at each call, so a call now and
// then (ten times a second) sees every save within that time.
class sorveglianza_file {
 public:
  explicit sorveglianza_file(std::vector<std::string> percorsi);
  bool cambiati();

 private:
  std::vector<std::string> percorsi_;
  std::vector<impronta_file> viste_;
};

// While an object of this class lives, an interrupt, termination or hang-up
// (on Windows: Ctrl+C, Ctrl+Break, closing the console) does not end the
// process: it is noted, and `chiesta` says so. A write to a connection that
// the other end has closed fails, instead of ending the process (SIGPIPE).
// Only one lives at a time.
class fine_chiesta {
 public:
  fine_chiesta();
  ~fine_chiesta();
  fine_chiesta(const fine_chiesta&) = delete;
  fine_chiesta& operator=(const fine_chiesta&) = delete;
  bool chiesta() const;
};

// Opens `indirizzo` (http://...) in the user's browser, without waiting for
// it; a failure to start the program that opens it says why.
[[nodiscard]] Stato apri_nel_browser(const std::string& indirizzo);

}  // namespace scen
