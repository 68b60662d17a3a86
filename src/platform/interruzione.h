// Things a run puts down for its own use only (its private folder, the
// description files of the build run) and removes on the way out. Interrupt,
// termination and hang-up signals (on Windows: Ctrl+C, Ctrl+Break, closing
// the console) would end the process without running any destructor; these
// records let the host remove such things first.
#pragma once

#include <string>

namespace scen {

// Call once, first thing in the program's entry point. Afterwards:
// - a file-size limit of the process (RLIMIT_FSIZE) makes the write that
//   passes it fail with the system's "file too large" (EFBIG) instead of
//   ending the process (SIGXFSZ is ignored);
// - on an interrupt, termination or hang-up signal, every path recorded
//   with `rimuovi_se_interrotto` is removed, then the process ends as that
//   signal ends it.
void prepara_processo();

// Records `percorso` (a file, or a folder holding files only) for removal if
// the process is ended by one of those signals, for as long as the object
// lives. It does not remove anything itself. At most a few (8) records are
// kept at a time; beyond them a record is ignored.
class rimuovi_se_interrotto {
 public:
  explicit rimuovi_se_interrotto(const std::string& percorso);
  ~rimuovi_se_interrotto();
  rimuovi_se_interrotto(const rimuovi_se_interrotto&) = delete;
  rimuovi_se_interrotto& operator=(const rimuovi_se_interrotto&) = delete;

 private:
  int posto_ = -1;  // the slot of the record, -1 if none
};

// While an object of this class lives, those signals are held back; they
// come when the outermost one goes. Making a thing and recording it for
// removal are thus one step for the signals: none can come between them.
class segnali_trattenuti {
 public:
  segnali_trattenuti();
  ~segnali_trattenuti();
  segnali_trattenuti(const segnali_trattenuti&) = delete;
  segnali_trattenuti& operator=(const segnali_trattenuti&) = delete;
};

}  // namespace scen
