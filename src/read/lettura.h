// What both readers share while they read: where they are, for the authors'
// diagnostics.
#pragma once

#include <string>

#include "model/modello.h"
#include "read/campi.h"
#include "read/memorizza_dati.h"

namespace scen {

struct posizione_lettura {
  std::string file;  // full name of the description file being read
  long riga = 0;     // line of the record being read, from 1
};

// Records that reading stopped on outcome `numero`, at the current position
// (`riga` 0 gives none) with the outcome's own cause.
void registra_esito(modello& m, diagnosi_lettura& d, const posizione_lettura& p, esito numero,
                    long riga);

// Reads the next field into `m.campo` and notes its line.
void leggi_chiave(campi& f, modello& m, posizione_lettura& p);

// Reads the keyword field of the next record into `m.campo`, passing over up
// to two fields that hold "-". False when the end of the file is reached
// before or right after a field is read: that field is then not used.
bool leggi_chiave_record(campi& f, modello& m, posizione_lettura& p);

}  // namespace scen
