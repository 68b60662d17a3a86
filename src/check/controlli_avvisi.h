// The warnings of `scenario verifica`: what the readers accept without a
// word but is almost surely a mistake. They come from a pass of our own over
// the records as the readers see them (verifica_record.h), against the field
// rules of the description formats: keywords that match nothing, stray
// fields, records out of order or beyond the line, values that the readers
// cut or pass over, text that looks like UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "check/verifica_problemi.h"
#include "read/vista.h"

namespace scen {

// Warns about the records of the two descriptions. Either may be missing
// (a file that could not be read); checks that need the other file (the
// line's length, the line's objects under a station's stop mark) are then
// left out. With `utf8` the files were given in UTF-8 and converted, so
// their text is not checked for UTF-8 bytes.
void controlla_avvisi(const descrizione_vista* linea, const descrizione_vista* treno, bool utf8,
                      elenco_problemi& problemi);

// A train description that reads empty, with no station and no limit, and
// why: no "[generale]", an empty file, the line's description in its place.
// None when the train has records.
std::optional<problema> treno_vuoto(const descrizione_vista* linea, const descrizione_vista& treno,
                                    gravita livello);

// The keyword nearest to `campo` among those of the line description (or of
// the train description) by edit distance, when it is near enough to be
// what was meant; empty when none is.
std::string parola_vicina(std::string_view campo, bool linea);

// Whether `testo` (Windows-1252 as read) holds bytes that make sense only as
// UTF-8: at least one multi-byte character and nothing that is not UTF-8.
bool sembra_utf8(std::string_view testo);

}  // namespace scen
