#include "describe/descrizioni.h"

#include "content/dati_incorporati.h"
#include "model/nomi_file.h"
#include "platform/file.h"
#include "text/scrittore_testo.h"

namespace scen {

Stato dati_linea(const modello& m, const std::string& cartella, durata d) {
  return scrivi_tabella(percorso_in(cartella, nome_descrizione_linea(m)),
                        chiudi_tabella(righe_incorporate("linea")), d);
}

Stato dati_treno(const modello& m, const std::string& cartella, durata d) {
  return scrivi_tabella(percorso_in(cartella, nome_descrizione_treno(m)),
                        chiudi_tabella(righe_incorporate("treno")), d);
}

}  // namespace scen
