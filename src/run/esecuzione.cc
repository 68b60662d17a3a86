#include "run/esecuzione.h"

#include <memory>
#include <utility>
#include <vector>

#include "content/chiavi_portate.h"
#include "describe/descrizioni.h"
#include "documents/documenti.h"
#include "model/nomi_file.h"
#include "platform/blocco_cartella.h"
#include "platform/file.h"
#include "platform/insieme_file.h"
#include "platform/interruzione.h"
#include "platform/ospite.h"
#include "platform/windows1252.h"

namespace scen {

namespace {

// The description files exist only for the readers: once written, they go
// on whatever way the run ends, an interrupt included (on an interrupt even
// an older one of the same name goes, being of no use either). The readers
// delete them first on the usual way.
class descrizioni_scritte {
 public:
  descrizioni_scritte() = default;
  descrizioni_scritte(const descrizioni_scritte&) = delete;
  descrizioni_scritte& operator=(const descrizioni_scritte&) = delete;
  ~descrizioni_scritte() {
    for (const std::string& percorso : percorsi_) static_cast<void>(elimina_file(percorso));
  }

  // Before the file is written: an interrupt while it is being written
  // removes what is there then.
  void interrotto(const std::string& percorso) {
    interruzioni_.push_back(std::make_unique<rimuovi_se_interrotto>(percorso));
  }
  // Once it is written.
  void aggiungi(const std::string& percorso) { percorsi_.push_back(percorso); }

 private:
  std::vector<std::string> percorsi_;
  std::vector<std::unique_ptr<rimuovi_se_interrotto>> interruzioni_;
};

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
  auto guasto = [&](const Stato& stato) {
    risultato.percorso.esito = esito_percorso::guasto_file;
    risultato.percorso.messaggio = stato.messaggio();
    return risultato;
  };

  // One run at a time in a folder; what runs killed earlier left half
  // written goes.
  blocco_cartella blocco;
  if (Stato stato = blocco.prendi(cartella, [&] { mostra_guasto(avviso_attesa(cartella)); });
      !stato.riuscito())
    return guasto(stato);
  // A set of compiled files that a killed run left half replaced is
  // finished or undone first: its temporaries are not abandoned. What was
  // done, or could not be, goes unsaid: this run replaces the whole set
  // again, and says why if it cannot.
  std::string detto;
  static_cast<void>(riprendi_insieme(cartella, detto));
  static_cast<void>(rimuovi_temporanei_abbandonati(cartella));

  const std::string nome_linea = nome_descrizione_linea(*m);
  const std::string nome_treno = nome_descrizione_treno(*m);
  const file_descrizione descrizioni{percorso_in(cartella, nome_linea),
                                     percorso_in(cartella, nome_treno)};
  descrizioni_scritte scritte;

  using scrittore = Stato (*)(const modello&, const std::string&);
  const std::pair<scrittore, const std::string*> passi[] = {{linea_transitoria, &descrizioni.linea},
                                                            {treno_transitoria, &descrizioni.treno},
                                                            {dati_note, nullptr},
                                                            {dati_rallentamenti, nullptr},
                                                            {dati_scheda, nullptr}};
  for (const auto& [scrivi, descrizione] : passi) {
    if (descrizione != nullptr) scritte.interrotto(*descrizione);
    if (Stato stato = scrivi(*m, cartella); !stato.riuscito()) return guasto(stato);
    if (descrizione != nullptr) scritte.aggiungi(*descrizione);
  }

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
