// `scenario compila`: compiles two given description files into a folder.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "content/chiavi_portate.h"
#include "platform/stato.h"

namespace scen {

struct richiesta_compila {
  std::string linea;                                      // the line description file (host name)
  std::string treno;                                      // the train description file (host name)
  std::string cartella;                                   // where the compiled files go (host name)
  std::string chiave_percorso = chiave_percorso_portata;  // Windows-1252
  std::string chiave_treno = chiave_treno_portata;        // Windows-1252
  bool senza_linea = false;                               // j = 0: no compiled line file
  bool utf8 = false;                                      // given files in UTF-8, any line ends
};

// A key given on the command line (UTF-8) in Windows-1252. `quale` names the
// key in the message: "del percorso" or "del treno".
Stato chiave_1252(std::string_view utf8, std::string_view quale, std::string& chiave);

// Compiles copies of the two description files (the given files are never
// touched) and writes the compiled files into the folder. Diagnostics go to
// `errori`; the last line written to `uscita` is always the outcome line
// "esito errore_codice=N errore_posizione=P", except after errors 1250 and
// 1251; when a given file or the folder cannot be used nothing is read and
// the line gives the model's fields as they stand (0). The output folder is
// locked for the whole run (another run in it waits). Running out of memory
// (std::bad_alloc) is passed on, with no outcome line. Returns the exit
// status (platform/stati_uscita.h): uscita_riuscita compiled with outcome 0,
// uscita_esito compiled with another outcome (the files are written),
// uscita_fallita 1250/1251, a file failure or a model that cannot be written.
int compila(const richiesta_compila& richiesta, std::ostream& uscita, std::ostream& errori);

}  // namespace scen
