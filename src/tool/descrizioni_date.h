// The two description files that a command is given, the line and the
// train, read whole; with `--utf8`, each in the readers' Windows-1252.
#pragma once

#include <array>
#include <string>

#include "platform/stato.h"

namespace scen {

// Reads the line `nomi[0]` and then the train `nomi[1]` into `testi`. With
// `utf8` each is converted as it is read: UTF-8 with any line ends becomes
// Windows-1252 with CR LF. Stops at the first file that cannot be read or
// converted, with the message that names it.
Stato leggi_descrizioni_date(const std::array<std::string, 2>& nomi, bool utf8,
                             std::array<std::string, 2>& testi);

}  // namespace scen
