// The two description files, written from the scenario's carried content.
#pragma once

#include <string>

#include "model/modello.h"
#include "platform/stato.h"

namespace scen {

// The line description file, route key + "_linea.txt", in `cartella`.
Stato dati_linea(const modello& m, const std::string& cartella);

// The train description file, route key + "_" + train key + "-.txt".
Stato dati_treno(const modello& m, const std::string& cartella);

}  // namespace scen
