// The two description files, written from the scenario's carried content.
#pragma once

#include <string>

#include "model/modello.h"
#include "platform/file.h"
#include "platform/stato.h"

namespace scen {

// The line description file, route key + "_linea.txt", in `cartella`; `d`
// says whether it is kept or read back and deleted by the same run.
Stato dati_linea(const modello& m, const std::string& cartella, durata d = durata::durevole);

// The train description file, route key + "_" + train key + "-.txt".
Stato dati_treno(const modello& m, const std::string& cartella, durata d = durata::durevole);

}  // namespace scen
