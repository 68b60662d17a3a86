// The three compiled files: each is one table of the model, written whole
// with no header of its own (see doc/file_compilati.md).
#pragma once

#include <string>

#include "model/disposizione_compilati.h"
#include "model/modello.h"
#include "platform/stato.h"

namespace scen {
class file_nuovo;
}

namespace scen {

// The writers follow the layout of model/disposizione_compilati.h; a write
// beyond what a table was sized for throws `codifica_traboccata`.

// `tracciato`: all X elements in metre order, then all Y elements; each a
// two-byte tag (0 empty, 2 Integer, 5 Double) and its value.
std::string codifica_tracciato(const modello& m);

// The same bytes written into `file` a piece at a time, so the whole
// encoded trace is never held in memory at once; an encoding that does not
// fit its piece is returned as a failure.
Stato scrivi_tracciato(const modello& m, file_nuovo& file);

// `registri`: the 87 records in order, field by field, no padding.
std::string codifica_registri(const modello& m);

// `celle`: the cells in order, 15 bytes each.
std::string codifica_celle(const modello& m);

}  // namespace scen
