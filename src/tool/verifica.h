// `scenario verifica`: every problem of a pair of description files in one
// run, written nowhere but on the output: the errors that stop reading or
// compiling, and warnings for what is read without a word but is almost
// surely a mistake.
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <vector>

#include "check/verifica_problemi.h"
#include "marcia/rotabile.h"

namespace scen {

struct richiesta_verifica {
  std::string linea;      // the line description file (host name)
  std::string treno;      // the train description file (host name)
  bool utf8 = false;      // given in UTF-8, any line ends
  bool json = false;      // the problems as one JSON document
  bool rigoroso = false;  // warnings fail the check too
  // The train of the run whose times are checked: a JSON file; empty, the
  // file beside the train description when there is one, else the built-in
  // train.
  std::string rotabile;
};

// After this many errors the check stops, and says so.
inline constexpr long errori_massimi_verifica = 50;

// What a check of two descriptions finds.
struct problemi_trovati {
  std::vector<problema> ordinati;  // sorted as they are written
  long errori = 0;
  long avvisi = 0;
  std::string interruzione;  // why the check was cut short, if it was
  bool convertiti = true;    // with `utf8`: both files read as UTF-8
  // Held back because one mistake, told first, explains them.
  long seguono = 0;
};

// Every problem of the two descriptions `byte` (the line's and the train's
// bytes as their files hold them, named `nomi`); with `utf8` each is first
// converted from UTF-8, and a failure there is a problem of its file.
// `treno` is the train of the run (the built-in one when none).
problemi_trovati trova_problemi(std::array<std::string, 2> byte, const nomi_verificati& nomi,
                                bool utf8, const rotabile* treno = nullptr);

// When one mistake explains the rest of `trovati` (the files given swapped,
// the line's length in kilometres), that mistake first and only the
// problems that do not follow from it; those that do are counted in
// `seguono`. Those that follow from the length are those that a check with
// the length in metres no longer finds.
// `treno` is the train of the run, as for trova_problemi.
void riduci_alla_causa(problemi_trovati& trovati, const std::array<std::string, 2>& byte,
                       const nomi_verificati& nomi, bool utf8, const rotabile* treno = nullptr);

// Checks the two files and writes their problems to `uscita`, one line each
// ("FILE:RIGA:COLONNA: errore: causa", or "avviso"), sorted by file, line
// and column, then the summary line "N errori, M avvisi"; with `json`, one
// JSON document instead. A file that cannot be read is named on `errori`,
// with the reason. Returns the exit status: 0 no error, 1 errors (or
// warnings, when `rigoroso`), 2 a file that cannot be read (or, with
// `utf8`, converted).
int verifica(const richiesta_verifica& richiesta, std::ostream& uscita, std::ostream& errori);

}  // namespace scen
