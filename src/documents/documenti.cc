#include "documents/documenti.h"

#include "content/dati_incorporati.h"
#include "model/nomi_file.h"
#include "platform/file.h"
#include "text/scrittore_testo.h"

namespace scen {

namespace {

Stato scrivi_documento(const modello& m, const std::string& cartella, const char* proprio,
                       const char* dato) {
  return scrivi_tabella(percorso_in(cartella, nome_documento(m, proprio)),
                        chiudi_tabella(righe_incorporate(dato)));
}

}  // namespace

Stato dati_note(const modello& m, const std::string& cartella) {
  return scrivi_documento(m, cartella, "note.txt", "note");
}

Stato dati_rallentamenti(const modello& m, const std::string& cartella) {
  return scrivi_documento(m, cartella, "rallentamenti.txt", "rallentamenti");
}

Stato dati_scheda(const modello& m, const std::string& cartella) {
  return scrivi_documento(m, cartella, "scheda_treno.txt", "scheda_treno");
}

}  // namespace scen
