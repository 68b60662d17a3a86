// A description file written in UTF-8, as an ordinary editor saves it, made
// into the bytes that the readers read (Windows-1252, CR LF after every
// line), and back.
#pragma once

#include <string>
#include <string_view>

#include "platform/stato.h"

namespace scen {

// Converts `utf8` into `byte_1252`. A byte-order mark at the start is
// dropped; LF, CR LF and CR all end a line and become CR LF, and a last line
// without a line end stays without one. A character with no Windows-1252
// byte, or bytes that are not UTF-8, is an error whose message is
// "NOME_FILE:RIGA:COLONNA: errore: causa" (lines and columns counted from 1,
// columns in characters); `byte_1252` is then left untouched.
// Where a conversion failed and why, for callers that show the place
// themselves.
struct guasto_utf8 {
  long riga = 0;
  long colonna = 0;
  std::string causa;
};
Stato descrizione_da_utf8(std::string_view utf8, std::string_view nome_file, std::string& byte_1252,
                          guasto_utf8* guasto = nullptr);

// The other way: Windows-1252 bytes as UTF-8 with LF line ends, for an
// ordinary editor. CR LF, CR and LF each become one LF, so the lines stay the
// lines the readers count; `descrizione_da_utf8` gives the bytes back
// whenever every line ended in CR LF and no byte is one that Windows-1252
// leaves undefined.
std::string descrizione_in_utf8(std::string_view byte_1252);

}  // namespace scen
