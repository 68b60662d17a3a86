// What reading tells the author: where it stopped on an outcome, why, and the
// notes and warnings that go with it, each with its place in a description
// file. The lines read "FILE:RIGA:COLONNA: errore: causa", the form that
// editors and build logs take a place from.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/diagnostica.h"
#include "read/guasto.h"

namespace scen {

// Where reading stopped on an outcome, for authors: the description file,
// its line and column (from 1; the column counts bytes) and the cause in
// words. `file` is empty when reading ended without an outcome or the
// outcome belongs to no file; `riga` is 0 when the outcome belongs to the
// file as a whole, `colonna` 0 when it belongs to no field. `note` follow
// the error: notes on it, and warnings, which may come without an error.
using diagnosi_lettura = diagnostica;

// Makes the error of `d` the one given. The notes of an earlier error go with
// it; warnings stay.
void segna_errore(diagnosi_lettura& d, const std::string& file, punto_file punto,
                  std::string causa);

// Adds a note or a warning after the error.
void aggiungi_nota(diagnosi_lettura& d, gravita livello, const std::string& file, punto_file punto,
                   std::string testo);

// Names the file `da` as `a` wherever the diagnosis names it: the user knows
// a description file by another name than the one it was read under.
void rinomina_file(diagnosi_lettura& d, std::string_view da, const std::string& a);

// The diagnosis as the lines shown to the user, in order: the error, if
// there is one, then its notes and the warnings. Each line is
// "FILE:RIGA:COLONNA: errore: causa" (or "avviso", "nota"), without the
// column when there is none and without the line when the whole file is
// meant.
std::vector<std::string> righe_diagnosi(const diagnosi_lettura& d);

}  // namespace scen
