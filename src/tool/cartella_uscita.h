// The output folder of a command that writes files into it.
#pragma once

#include <ostream>
#include <string>

#include "platform/blocco_cartella.h"
#include "platform/stato.h"

namespace scen {

// Makes `cartella` ready for a run that writes into it: it must be a folder;
// `blocco` takes it for the whole run (a wait of more than a moment is told
// on `errori`); temporary files that runs killed earlier left there go. A
// failure says what is wrong with the folder.
Stato prendi_cartella_uscita(const std::string& cartella, blocco_cartella& blocco,
                             std::ostream& errori);

}  // namespace scen
