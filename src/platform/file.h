// Files of the host: whole-file reads, whole-file replacement that never
// leaves a partial file behind, presence tests and deletion. Names are the
// host's own (UTF-8 on Linux).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/interruzione.h"
#include "platform/stato.h"

namespace scen {

// The 64-bit FNV-1a hash of bytes: `impronta_iniziale` for none, then each
// piece folded in by `aggiorna_impronta`.
inline constexpr std::uint64_t impronta_iniziale = 0xcbf29ce484222325u;
std::uint64_t aggiorna_impronta(std::uint64_t impronta, std::string_view byte);

// How long a replaced file must last. A `durevole` file is on the disk
// before it takes its name, so that it survives a crash of the system; a
// `transitoria` one is read back and removed by the same run (a description
// the readers delete, a copy in a private folder) and is not flushed. Both
// take their name only once whole.
enum class durata { durevole, transitoria };

// What stands between a folder and a name in a full name: one backslash on
// Windows, a slash elsewhere.
extern const char separatore_cartella;

// The full name of `nome` (Windows-1252) inside `cartella` (host text):
// the folder as given, one `separatore_cartella`, the name.
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
  explicit file_nuovo(std::string percorso, durata d = durata::durevole);
  ~file_nuovo();
  file_nuovo(const file_nuovo&) = delete;
  file_nuovo& operator=(const file_nuovo&) = delete;

  Stato apri();
  Stato scrivi(std::string_view byte);
  Stato completa();

  // For files replaced together (see insieme_nuovo): `chiudi` flushes (when
  // durevole) and closes the temporary file, which keeps its temporary name
  // and is still removed when the file_nuovo goes or the process is
  // interrupted; once another step has renamed it over the target,
  // `al_suo_posto` says so and nothing is left to remove.
  Stato chiudi();
  void al_suo_posto();

  const std::string& percorso() const { return percorso_; }
  const std::string& temporaneo() const { return temporaneo_; }
  // The bytes written so far: how many, and their 64-bit FNV-1a hash.
  std::uint64_t byte_scritti() const { return byte_scritti_; }
  std::uint64_t impronta() const { return impronta_; }

 private:
  void abbandona();
  void annota(std::string_view byte);

  std::string percorso_;
  std::string temporaneo_;
  std::intptr_t fd_ = -1;  // the host's handle on the temporary file
  bool chiuso_ = false;    // closed, and still under its temporary name
  std::unique_ptr<rimuovi_se_interrotto> interruzione_;
  durata durata_;
  std::uint64_t byte_scritti_ = 0;
  std::uint64_t impronta_ = impronta_iniziale;
};

// Replaces `percorso` with exactly `contenuto`. The bytes go to a temporary
// file in the same folder, which is renamed over the target only once it is
// complete and flushed: on any failure the older file stays whole and no
// temporary file remains. The message names the file and the system's reason.
Stato sostituisci_file(const std::string& percorso, std::string_view contenuto,
                       durata d = durata::durevole);

// Whether `nome` (a name in a folder, without the folder) is the name of a
// temporary file of `file_nuovo`: "<name>.~parziale.<pid>.<8 hex digits>",
// or "<name>.~parziale" as older versions of the programs made them.
bool e_nome_temporaneo(std::string_view nome);

// Whether `nome` is the name of a temporary file of `file_nuovo` that no
// run is writing any more: one that `e_nome_temporaneo` accepts and whose
// process has ended (see `processo_vivo`), or one of the older names, which
// carry no process. A running process's temporary file is never left
// behind, whatever a folder's lock says (a run on a file system without
// locks, or in another process namespace).
bool e_temporaneo_abbandonato(std::string_view nome);

// Removes from the folder `cartella` the temporary files that runs killed
// while writing left there: regular files whose names `e_nome_temporaneo`
// accepts (links and folders of such names stay), except those whose name
// carries the id of a process still running. Call it only while holding the
// folder's `blocco_cartella`: then no living run of these programs is
// writing there. Fails only when the folder cannot be listed.
Stato rimuovi_temporanei_abbandonati(const std::string& cartella);

// Reads the whole file into `contenuto`. A file of more than `massimo` bytes
// is refused, one on disk before anything of it is read, a stream (a device,
// a pipe) as soon as it gives more.
Stato leggi_file(const std::string& percorso, std::string& contenuto,
                 std::size_t massimo = static_cast<std::size_t>(-1));

// The failure of `file_nuovo::chiudi` on a file not open (never opened, or
// dropped after a failure).
Stato non_aperto(const std::string& percorso);

// As `leggi_file`, for a name that anything may have been put under: only a
// regular file (or a link that leads to one) is read. A pipe, a device, a
// folder or a socket is refused at once, saying what it is ("è una pipe
// (FIFO), non un file"), and never waited on.
Stato leggi_file_regolare(const std::string& percorso, std::string& contenuto,
                          std::size_t massimo = static_cast<std::size_t>(-1));

// The refusal of `leggi_file` for a file of more than `massimo` bytes, in
// the same words on every host.
Stato oltre_il_limite(const std::string& percorso, std::size_t massimo);

bool esiste(const std::string& percorso);

// Whether `percorso` names a folder (a link to one counts).
bool e_cartella(const std::string& percorso);

// The size in bytes of the file `percorso`.
Stato dimensione_file(const std::string& percorso, std::uint64_t& byte);

// The names in the folder `cartella` (without "." and ".."), sorted.
Stato elenca_cartella(const std::string& cartella, std::vector<std::string>& nomi);

// Deletes the file if it exists; a file that is already gone is no failure.
Stato elimina_file(const std::string& percorso);

}  // namespace scen
