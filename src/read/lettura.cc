#include "read/lettura.h"

#include "model/esiti.h"

namespace scen {

void registra_esito(modello& m, diagnosi_lettura& d, const posizione_lettura& p, Long numero,
                    long riga) {
  m.errore_codice = numero;
  d = {p.file, riga, std::string(descrizione_esito(numero))};
}

}  // namespace scen
