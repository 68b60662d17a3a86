// The one way every text file is written: a table of lines closed by the end
// marker, each line followed by CR LF, in Windows-1252.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/stato.h"

namespace scen {

inline constexpr const char* fine_del_file = "riferimento fine del file";
inline constexpr size_t righe_massime = 1000;

// A line table: the file's lines in order (UTF-8), then the end marker.
using tabella_righe = std::vector<std::string>;

// Closes `righe` with the end marker: the table a writer hands to
// `scrivi_tabella`.
tabella_righe chiudi_tabella(std::vector<std::string> righe);

// Appends to `byte` each of `righe` (UTF-8) in Windows-1252, followed by CR
// LF. False at the first line with a character that has no Windows-1252
// byte: `riga` is that line's index in `righe` and `carattere` the offset of
// the character in it, and `byte` holds the lines before it.
bool aggiungi_righe_1252(std::span<const std::string> righe, std::string& byte, size_t& riga,
                         size_t& carattere);

// The file's bytes: every entry up to the end marker, converted to
// Windows-1252 and followed by CR LF. A table with more than 1000 lines before
// its marker, one without a marker, or a character with no Windows-1252 byte
// is an error; `byte` is then left untouched.
Stato componi_testo(const tabella_righe& tabella, std::string& byte);

// Writes the table to `percorso`, replacing any older file whole.
Stato scrivi_tabella(const std::string& percorso, const tabella_righe& tabella,
                     durata d = durata::durevole);

}  // namespace scen
