// The compile step: read both descriptions, complete the cells, stamp the
// reserved slots and write the three compiled files.
#pragma once

#include <string>

#include "model/modello.h"
#include "read/memorizza_dati.h"

namespace scen {

enum class esito_percorso {
  scritti,         // the compiled files were written (the outcome may still be set)
  errore_1250,     // a reserved slot of the first pair was taken: nothing written
  errore_1251,     // a reserved slot of the second pair was taken: nothing written
  non_scrivibile,  // the model cannot be written: nothing written
  guasto_file,     // a compiled file could not be written
};

struct risultato_percorso {
  esito_percorso esito = esito_percorso::scritti;
  std::string messaggio;      // the reason, for non_scrivibile and guasto_file
  diagnosi_lettura diagnosi;  // where reading stopped, if it stopped
};

// Which reserved slot the stamps after reading would find taken: one of the
// first pair (the general record's field 7 or the first value of cell 1),
// `errore_1250`; else one of the second pair (its time or the second value
// of cell 1), `errore_1251`; else none, `scritti`.
esito_percorso casella_riservata_presa(const modello& m);

// Steps after reading: the code-reduction pass, the reserved slots and the
// three compiled files (the line file only when `m.con_tracciato` is set).
risultato_percorso completa_e_scrivi(modello& m, const std::string& cartella_uscita);

// `j` not 0 also builds the trace and writes the compiled line file; with 0
// an older compiled line file stays as it is. The compiled files go into
// `cartella_uscita` under the names given by the keys.
risultato_percorso memorizza_percorso(modello& m, Long j, const file_descrizione& descrizioni,
                                      const std::string& cartella_uscita);

}  // namespace scen
