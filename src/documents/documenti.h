// The three crew documents, written from the scenario's carried text.
#pragma once

#include <string>

#include "model/modello.h"
#include "platform/stato.h"

namespace scen {

Stato dati_note(const modello& m, const std::string& cartella);
Stato dati_rallentamenti(const modello& m, const std::string& cartella);
Stato dati_scheda(const modello& m, const std::string& cartella);

}  // namespace scen
