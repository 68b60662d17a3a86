// Handing the work to another program that stands beside this one, in the
// same folder: a command whose libraries the rest of the program should not
// have to load lives in a program of its own.
#pragma once

#include <string>

#include "platform/stato.h"

namespace scen {

// Replaces this process with the program `nome` of this program's own
// folder, given `argomenti` (argv, null-terminated; the first, the
// program's name, is replaced by the other program's full name). Returns
// only when it cannot be started, with the program's name and the reason.
[[nodiscard]] Stato passa_al_programma_accanto(const std::string& nome, char** argomenti);

}  // namespace scen
