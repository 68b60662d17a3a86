// The manual page of `scenario` (section 1, in the man macros), made at build
// time by `scenario --pagina-man` from the texts of its help: what the help
// says once is what the page says.
#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

#include "tool/comandi.h"

namespace scen {

// A line of text (UTF-8) as the man macros read it: backslashes and hyphens
// escaped, characters beyond ASCII by their code points (\[u00E8]), and a
// line that would begin as a request kept as text.
std::string testo_man(std::string_view riga);

// The page of `scenario` at `versione`, with `comandi` in the order of its
// help: the program's own help and options, then each command with its
// arguments, its options and its own help.
void scrivi_pagina_man(std::ostream& uscita, std::span<const comando* const> comandi,
                       std::string_view versione);

}  // namespace scen
