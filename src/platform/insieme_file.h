// Files of one folder replaced as a set: a run killed at any step leaves,
// for the next run that takes the folder, either all the older files or all
// the new ones, never some of each.
//
// Each file is written whole under its temporary name (see file_nuovo) and
// flushed. Then a journal, the file `nome_diario` in the same folder, names
// each temporary, the file it replaces and what it must hold; it is flushed
// and takes its name before the first file is renamed, and goes after the
// last. A journal found in a folder is an interrupted replacement:
// `riprendi_insieme` finishes it when every file it names is whole (under
// its temporary name or already under its own), otherwise it removes the
// temporaries and the journal.
//
// The journal is text, one line each:
//   "insieme di file 1"
//   "<byte> <hash> <name> <temporary name>", once per file, in renaming order
//   "fine <hash>"
// <byte> is the file's size in decimal, <hash> the 64-bit FNV-1a of its
// bytes in 16 lower-case hexadecimal digits, and the names are plain names in
// the journal's folder, with every byte up to the space, DEL and "%" written
// as "%XX" (two upper-case hexadecimal digits). The temporary name is the
// file's name followed by ".~parziale.<pid>.<8 hex digits>". The last line's
// hash is that of every byte before it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file.h"
#include "platform/stato.h"

namespace scen {

// The journal's name in the folder of the set it replaces.
inline constexpr std::string_view nome_diario = ".~insieme";

// The journal's full name in `cartella`.
std::string percorso_diario(const std::string& cartella);

// One file of a journal.
struct voce_diario {
  std::string nome;            // the file replaced, a plain name (host text)
  std::string temporaneo;      // its temporary, a plain name in the same folder
  std::uint64_t byte = 0;      // the size it must have
  std::uint64_t impronta = 0;  // the hash of its bytes
};

// The journal's text for `voci`, and back. `leggi_diario` refuses (naming
// the file `percorso` and what is wrong) any text that `testo_diario` would
// not write: a line of another form, a name that is not a plain name (empty,
// ending in a dot or a space, with a slash, a backslash or a NUL), a temporary not named
// after its file, two entries for one name, no entry, a hash that is not
// that of the text.
std::string testo_diario(const std::vector<voce_diario>& voci);
Stato leggi_diario(std::string_view testo, const std::string& percorso,
                   std::vector<voce_diario>& voci);

// A set of files in one folder, replaced together by `completa`.
class insieme_nuovo {
 public:
  explicit insieme_nuovo(std::string cartella);
  insieme_nuovo(const insieme_nuovo&) = delete;
  insieme_nuovo& operator=(const insieme_nuovo&) = delete;

  // A new file of the set, `nome` (host text, a plain name) in the folder,
  // to be opened and written by the caller; the files are renamed in the
  // order they are added. The file stays valid as long as the set.
  file_nuovo& aggiungi(const std::string& nome);

  // Closes and flushes every file, checks that no target is a folder,
  // writes the journal, renames every file
  // over its target, flushes the folder and removes the journal. Interrupt
  // signals wait from the journal's writing to its removal. A failure before
  // the first file is renamed leaves the older files and no temporary; a
  // rename that fails after it leaves the journal and the temporaries not
  // yet renamed for the next run to finish. The message names the file.
  Stato completa();

 private:
  std::string cartella_;
  std::vector<std::string> nomi_;
  std::vector<std::unique_ptr<file_nuovo>> file_;
};

// What the folder `cartella` holds once the replacement a journal there
// names, if any, is finished or undone; call it only while holding the
// folder's `blocco_cartella`, and before `rimuovi_temporanei_abbandonati`
// (which would take the journal's temporaries). Nothing outside the folder
// is ever renamed or removed, and only regular files are renamed. `detto`
// gets what was done, for the user, or stays empty when there was no
// journal. Fails when a file of a journal that can be finished cannot be
// renamed, or the journal cannot be removed: then the journal stays.
Stato riprendi_insieme(const std::string& cartella, std::string& detto);

// Host steps of the set, each within one folder. `sostituibile` fails, as
// the rename would, when `percorso` is a folder (a rename cannot replace
// one); `rinomina_sopra` renames `da` over `a` (replacing it),
// `sincronizza_cartella` puts the folder's
// names on the disk (nothing to do on Windows, whose renames write through),
// `e_file_regolare` tells a regular file (a link is not one), and
// `termina_subito` ends the process at once, as a kill does.
Stato sostituibile(const std::string& percorso);
Stato rinomina_sopra(const std::string& da, const std::string& a);
Stato sincronizza_cartella(const std::string& cartella);
bool e_file_regolare(const std::string& percorso);
[[noreturn]] void termina_subito();

// For tests only: when the environment variable `SCEN_PROVA_FERMA_DOPO_RINOMINE`
// holds a number N, a run that replaces a set ends through `termina_subito`
// once N renames of sets have been made in it (the journal's counting as
// one), before the next rename or the journal's removal.
inline constexpr const char* variabile_fermata_di_prova = "SCEN_PROVA_FERMA_DOPO_RINOMINE";

}  // namespace scen
