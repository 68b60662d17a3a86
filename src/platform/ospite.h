// What the build run needs of the host besides files: the program's own
// folder, the waiting sign and the error report.
#pragma once

#include <string>
#include <string_view>

namespace scen {

// The folder that holds the running program, without a trailing separator.
std::string cartella_programma();

// Shows the waiting sign "Attendere" while the run works.
void mostra_attesa();

// Shows " Errore n. " followed by `a`; the program goes on.
void mostra_errore(std::string_view a);

// The error report: shows " Errore n. " followed by `a`, then ends the
// program at once with a failure status.
[[noreturn]] void errore(std::string_view a);

// Reports a failure of the host (a file that cannot be written) in words and
// ends the program with a failure status.
[[noreturn]] void guasto_fatale(std::string_view messaggio);

}  // namespace scen
