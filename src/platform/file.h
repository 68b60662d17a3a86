// Files of the host: whole-file reads, whole-file replacement that never
// leaves a partial file behind, presence tests and deletion. Names are the
// host's own (UTF-8 on Linux).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/interruzione.h"
#include "platform/stato.h"

namespace scen {

// The full name of `nome` (Windows-1252) inside `cartella` (host text).
std::string percorso_in(const std::string& cartella, std::string_view nome_1252);

// A file being replaced, written piece by piece: the bytes go to a temporary
// file in the same folder, which `completa` flushes and renames over the
// target. Until then the older file stays whole; a file_nuovo dropped before
// `completa` (or after a failure) removes its temporary file. Every failure
// names the target and the system's reason.
//
// The temporary's name is the target's, then ".~parziale.", the process id
// in decimal, "." and 8 random lower-case hexadecimal digits (see
// `e_nome_temporaneo`). `apri` creates it new and exclusive: a name that
// exists already, a link among them, is never opened, followed or reused
// (another random name is tried). The rename in `completa` is the only step
// that touches the target's name. While it exists, the temporary file is
// recorded for removal if the process is interrupted.
class file_nuovo {
 public:
  explicit file_nuovo(std::string percorso);
  ~file_nuovo();
  file_nuovo(const file_nuovo&) = delete;
  file_nuovo& operator=(const file_nuovo&) = delete;

  Stato apri();
  Stato scrivi(std::string_view byte);
  Stato completa();

 private:
  void abbandona();

  std::string percorso_;
  std::string temporaneo_;
  std::intptr_t fd_ = -1;  // the host's handle on the temporary file
  std::unique_ptr<rimuovi_se_interrotto> interruzione_;
};

// Replaces `percorso` with exactly `contenuto`. The bytes go to a temporary
// file in the same folder, which is renamed over the target only once it is
// complete and flushed: on any failure the older file stays whole and no
// temporary file remains. The message names the file and the system's reason.
Stato sostituisci_file(const std::string& percorso, std::string_view contenuto);

// Whether `nome` (a name in a folder, without the folder) is the name of a
// temporary file of `file_nuovo`: "<name>.~parziale.<pid>.<8 hex digits>",
// or "<name>.~parziale" as older versions of the programs made them.
bool e_nome_temporaneo(std::string_view nome);

// Removes from the folder `cartella` the temporary files that runs killed
// while writing left there: regular files whose names `e_nome_temporaneo`
// accepts (links and folders of such names stay), except those whose name
// carries the id of a process still running. Call it only while holding the
// folder's `blocco_cartella`: then no living run of these programs is
// writing there. Fails only when the folder cannot be listed.
Stato rimuovi_temporanei_abbandonati(const std::string& cartella);

// Reads the whole file into `contenuto`.
Stato leggi_file(const std::string& percorso, std::string& contenuto);

bool esiste(const std::string& percorso);

// Whether `percorso` names a folder (a link to one counts).
bool e_cartella(const std::string& percorso);

// Deletes the file if it exists; a file that is already gone is no failure.
Stato elimina_file(const std::string& percorso);

}  // namespace scen
