// The compiled files of one scenario in a folder, read back together into
// one model and checked against each other.
#pragma once

#include <string>

#include "model/modello.h"
#include "platform/stato.h"

namespace scen {

// Reads from `cartella` (host name) the train file P_T.sim and the cell file
// P_T.dat (both needed) and the line file P_linea.dat (if there is one) into
// `m`, as `leggi_compilato` does for each.
//
// The keys P and T are `m.chiave_percorso` and `m.chiave_treno`
// (Windows-1252) when both are given; when either is empty, the folder must
// hold exactly one "*.sim" file, and the keys are those that its records 85
// and 86 carry, which must make up its name.
//
// The files must belong together: as many cells as the line length of the
// train file (record 84) gives, and a trace of that length plus 7000 m.
// Afterwards `lunghezza_estesa` and `ultima_cella` are those of that length,
// and `con_tracciato` says whether a line file was read (1) or not (0).
// Every failure names the folder or the file, and what is wrong.
Stato leggi_cartella_compilata(const std::string& cartella, modello& m);

}  // namespace scen
