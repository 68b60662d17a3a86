#include "run/esecuzione.h"

#include <memory>

#include "content/chiavi_portate.h"
#include "describe/descrizioni.h"
#include "documents/documenti.h"
#include "model/nomi_file.h"
#include "platform/file.h"
#include "platform/ospite.h"
#include "platform/windows1252.h"

namespace scen {

namespace {

// The descriptions live only until the readers delete them: not flushed.
Stato linea_transitoria(const modello& m, const std::string& cartella) {
  return dati_linea(m, cartella, durata::transitoria);
}
Stato treno_transitoria(const modello& m, const std::string& cartella) {
  return dati_treno(m, cartella, durata::transitoria);
}

}  // namespace

risultato_build esegui_build(const std::string& cartella) {
  auto m = std::make_unique<modello>();
  m->chiave_percorso = chiave_percorso_portata;
  m->chiave_treno = chiave_treno_portata;
  mostra_attesa();

  risultato_build risultato;
  using scrittore = Stato (*)(const modello&, const std::string&);
  for (scrittore scrivi :
       {linea_transitoria, treno_transitoria, dati_note, dati_rallentamenti, dati_scheda}) {
    Stato stato = scrivi(*m, cartella);
    if (!stato.riuscito()) {
      risultato.percorso.esito = esito_percorso::guasto_file;
      risultato.percorso.messaggio = stato.messaggio();
      return risultato;
    }
  }

  const std::string nome_linea = nome_descrizione_linea(*m);
  const std::string nome_treno = nome_descrizione_treno(*m);
  const file_descrizione descrizioni{percorso_in(cartella, nome_linea),
                                     percorso_in(cartella, nome_treno)};
  risultato.percorso = memorizza_percorso(*m, 1, descrizioni, cartella);
  risultato.errore_codice = m->errore_codice;
  risultato.errore_posizione = m->errore_posizione;

  // The user knows the description files by their names in the folder.
  diagnosi_lettura& diagnosi = risultato.percorso.diagnosi;
  rinomina_file(diagnosi, descrizioni.linea, da_1252_a_utf8(nome_linea));
  rinomina_file(diagnosi, descrizioni.treno, da_1252_a_utf8(nome_treno));
  return risultato;
}

}  // namespace scen
