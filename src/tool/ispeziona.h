// `scenario ispeziona`: what compiled files hold, in words or as one JSON
// document, each file told apart by its name and checked by its size and
// structure before anything is said of it.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inspect/fatti_compilati.h"
#include "platform/stato.h"

namespace scen {

struct richiesta_ispeziona {
  std::vector<std::string> file;          // compiled files (host names)
  bool json = false;                      // one JSON document instead of words
  std::optional<intervallo_celle> celle;  // cells to show field by field
};

// `testo` as "DA-A" (or "N", the one cell N): whole numbers, DA not beyond A.
// The message is for `uso_non_valido`.
Stato leggi_intervallo_celle(std::string_view testo, intervallo_celle& intervallo);

// Completes the request from the command line: `celle`, when `--celle` was
// given, is its text, read by `leggi_intervallo_celle`; `--celle` needs a
// cell file among the files (by its name). The message is for
// `uso_non_valido`.
Stato completa_richiesta_ispeziona(richiesta_ispeziona& richiesta, const std::string* celle);

// Reads every file of the request, in order, and writes to `uscita` what
// each holds; a file that is no compiled file of the kind its name gives is
// named on `errori` with what is wrong ("FILE: causa"), and the others are
// still shown. Files of one scenario given together (same folder, same
// keys) must fit the train file's line length, and those that do not are
// listed after the files. Returns the exit status: 0 every file read, its
// competition code that of the keys in its name, and the files that go
// together fitting; 1 every file read, but a code or the keys in the records
// not those of the name, or files that do not fit; 2 a file that could not
// be read as a compiled file.
int ispeziona(const richiesta_ispeziona& richiesta, std::ostream& uscita, std::ostream& errori);

}  // namespace scen
