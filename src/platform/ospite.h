// What the build run needs of the host besides files: the program's own
// folder, the waiting sign and the reports to the user.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/stato.h"

namespace scen {

// The folder that holds the running program, without a trailing separator.
// A host that cannot tell it is a failure, never a guess.
[[nodiscard]] Stato cartella_programma(std::string& cartella);

// Whether the error stream is a terminal that a person watches (so that
// progress lines are worth writing there).
bool errori_a_terminale();

// Shows the waiting sign "Attendere" while the run works.
void mostra_attesa();

// Shows a text the user asked for (the help): on standard output, or in a
// message box for a program that has no console.
void mostra_testo(std::string_view testo);

// Shows " Errore n. " followed by `a`; the program goes on.
void mostra_errore(std::string_view a);

// Shows a failure in words (a file that cannot be written, where reading
// stopped); the program goes on.
void mostra_guasto(std::string_view messaggio);

// Shows what a finished run tells the user: " Errore n. " followed by `a`
// when `a` is not empty, then each of `righe`, in one report; the program
// goes on.
void mostra_esito(std::string_view a, const std::vector<std::string>& righe);

// The error report: shows " Errore n. " followed by `a`, then ends the
// program at once with a failure status. Only the program's entry point
// calls it.
[[noreturn]] void errore(std::string_view a);

}  // namespace scen
