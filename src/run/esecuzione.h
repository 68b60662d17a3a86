// The build run: writes every file of the carried scenario into `cartella`.
#pragma once

#include <string>

#include "compile/memorizza_percorso.h"
#include "model/modello.h"

namespace scen {

inline constexpr const char* chiave_percorso_portata = "Vela_Nuro";
inline constexpr const char* chiave_treno_portata = "IC 731";

// The text after " Errore n. " for the outcome in `m`: the number and, for
// outcomes that come with one, " alla posizione " and the position.
std::string testo_esito(const modello& m);

// Runs every step in order and returns the program's exit status. Errors
// 1250 and 1251 end the program through the error report.
int esegui_build(const std::string& cartella);

}  // namespace scen
