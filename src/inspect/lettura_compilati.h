// Reading the compiled files back into the model's tables: the cells, the
// record table and the plan trace, each checked by its size and its structure
// so that a file that is truncated, empty or not a compiled file of its kind
// is refused with a message naming the file and what is wrong, never read
// wrong (see doc/file_compilati.md for the layout).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/disposizione_compilati.h"
#include "model/modello.h"
#include "platform/stato.h"
#include "read/accesso.h"

namespace scen {

enum class tipo_compilato { linea, treno, celle };

// The kind in words: "linea compilata", "treno compilato", "celle compilate".
std::string_view nome_tipo(tipo_compilato tipo);

// The kind that a file's name gives it (the last part of a path counts):
// "*_linea.dat" the line, "*.sim" the train, any other "*.dat" the cells;
// nothing for any other name.
std::optional<tipo_compilato> tipo_dal_nome(std::string_view nome);

// Limits that every compiled file meets. The trace and the cells run 7000 m
// beyond the line's end; the longest line (1,000,000 m) gives a trace of
// 1,007,001 metres and 20,141 cells. The readers take a line length down to
// -7000 m, and the files are written as long as there is a cell 1 for the
// mark: so at least 2 cells and a trace with metres 0 and 1.
inline constexpr Long metri_oltre_la_linea = oltre_la_linea;
inline constexpr Long metri_estesi_massimi = lunghezza_massima + oltre_la_linea;
inline constexpr size_t metri_minimi = 2;
inline constexpr size_t celle_minime = 2;
inline constexpr size_t celle_massime = static_cast<size_t>(ultima_cella_di(lunghezza_massima)) + 1;

// Readers of one file's bytes. `nome` (host text) begins every message,
// as "NOME: what is wrong". On failure the table is left as it was.

// The cell file: a whole number of 15-byte cells, 2 to 20,141 of them,
// cell 1 with the mark 5121, every cell code one that the compiler writes.
Stato leggi_celle_compilate(std::string_view byte, std::string_view nome,
                            std::vector<cella>& celle);

// The train file: exactly 87 records, nothing after the last, record 85
// with the mark 610.
Stato leggi_treno_compilato(std::string_view byte, std::string_view nome,
                            std::array<registro, indice_registro::numero>& registri);

// The line file: variants (tags 0, 2, 5) that fill two components of equal
// length, 2 to 1,007,001 metres each, Integers only at metres 0 and 1
// (0, 0 across and 0, 1 along).
Stato leggi_linea_compilata(std::string_view byte, std::string_view nome,
                            std::array<componente_tracciato, 2>& tracciato);

// Reads the file `percorso` (host name) of kind `tipo` into `m`: the cells
// and `ultima_cella`; the records and the keys they carry (record 85 the
// route key, 86 the train key); the trace, `lunghezza_estesa` and
// `con_tracciato` = 1. A file that does not exist, a folder, an empty file,
// one too large for its kind, or one that cannot be read is refused like a
// malformed one, with its name.
Stato leggi_compilato(const std::string& percorso, tipo_compilato tipo, modello& m);

}  // namespace scen
