// The output folder of a command that writes files into it.
#pragma once

#include <ostream>
#include <string>

#include "platform/blocco_cartella.h"
#include "platform/stato.h"

namespace scen {

// Makes `cartella` ready for a run that writes into it: it must be a folder;
// `blocco` takes it for the whole run (a wait of more than a moment is told
// on `errori`); a set of files that a killed run left half replaced is
// finished or undone (said on `errori`, see riprendi_insieme; one that
// cannot be finished is said there too, and the run goes on), then the
// temporary files that runs killed earlier left there go. A failure says
// what is wrong with the folder.
Stato prendi_cartella_uscita(const std::string& cartella, blocco_cartella& blocco,
                             std::ostream& errori);

// For a command that only reads compiled files in `cartella`: when a set of
// them was left half replaced there, takes the folder's lock for a moment
// and finishes or undoes it, saying so on `errori`. A failure names the
// folder or the file.
Stato riprendi_cartella_letta(const std::string& cartella, std::ostream& errori);

}  // namespace scen
