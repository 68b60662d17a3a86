#include "run/esecuzione.h"

#include <fmt/format.h>

#include <cstdlib>
#include <memory>

#include "describe/descrizioni.h"
#include "documents/documenti.h"
#include "model/esiti.h"
#include "model/nomi_file.h"
#include "platform/file.h"
#include "platform/ospite.h"

namespace scen {

std::string testo_esito(const modello& m) {
  if (esito_con_posizione(m.errore_codice))
    return fmt::format("{} alla posizione {}", m.errore_codice, m.errore_posizione);
  return fmt::format("{}", m.errore_codice);
}

int esegui_build(const std::string& cartella) {
  auto m = std::make_unique<modello>();
  m->chiave_percorso = chiave_percorso_portata;
  m->chiave_treno = chiave_treno_portata;
  mostra_attesa();

  using scrittore = Stato (*)(const modello&, const std::string&);
  for (scrittore scrivi : {dati_linea, dati_treno, dati_note, dati_rallentamenti, dati_scheda}) {
    Stato stato = scrivi(*m, cartella);
    if (!stato.riuscito()) guasto_fatale(stato.messaggio());
  }

  const file_descrizione descrizioni{percorso_in(cartella, nome_descrizione_linea(*m)),
                                     percorso_in(cartella, nome_descrizione_treno(*m))};
  risultato_percorso risultato = memorizza_percorso(*m, 1, descrizioni, cartella);
  switch (risultato.esito) {
    case esito_percorso::errore_1250:
      errore("1250");
    case esito_percorso::errore_1251:
      errore("1251");
    case esito_percorso::guasto_file:
      guasto_fatale(risultato.messaggio);
    case esito_percorso::non_scrivibile:
      if (m->errore_codice != 0) mostra_errore(testo_esito(*m));
      guasto_fatale("nessun file compilato scritto: " + risultato.messaggio);
    case esito_percorso::scritti:
      break;
  }
  if (m->errore_codice != 0) errore(testo_esito(*m));
  return EXIT_SUCCESS;
}

}  // namespace scen
