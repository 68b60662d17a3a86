// compilatore: writes the carried scenario into the program's own folder.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/ospite.h"
#include "read/memorizza_dati.h"
#include "run/esecuzione.h"

namespace {

constexpr const char* aiuto =
    "uso: compilatore\n"
    "\n"
    "Scrive nella cartella del programma lo scenario che porta con s\xc3\xa9\n"
    "(linea \"Vela_Nuro\", treno \"IC 731\"): la scheda treno, l'ordine di\n"
    "rallentamento, le note e i tre file compilati che il simulatore carica\n"
    "(Vela_Nuro_linea.dat, Vela_Nuro_IC 731.sim, Vela_Nuro_IC 731.dat).\n"
    "I file di descrizione della linea e del treno servono solo durante il\n"
    "lavoro e vengono eliminati. Ogni file viene sostituito per intero.\n"
    "\n"
    "Esce con stato 0 se tutto \xc3\xa8 andato bene; altrimenti scrive\n"
    "\" Errore n. \" e il numero dell'errore (con la posizione in metri,\n"
    "quando c'\xc3\xa8) ed esce con stato 1.\n";

// The outcome of reading and compiling, and where reading stopped.
void mostra_esito(const scen::risultato_build& r) {
  if (r.errore_codice != scen::esito::nessuno)
    scen::mostra_errore(scen::testo_esito(r.errore_codice, r.errore_posizione));
  const scen::diagnosi_lettura& diagnosi = r.percorso.diagnosi;
  if (!diagnosi.file.empty()) scen::mostra_guasto(scen::testo_diagnosi(diagnosi, diagnosi.file));
}

int riporta(const scen::risultato_build& r) {
  using scen::esito_percorso;
  switch (r.percorso.esito) {
    case esito_percorso::errore_1250:
      scen::errore("1250");
    case esito_percorso::errore_1251:
      scen::errore("1251");
    case esito_percorso::guasto_file:
      scen::mostra_guasto(r.percorso.messaggio);
      return EXIT_FAILURE;
    case esito_percorso::non_scrivibile:
      mostra_esito(r);
      scen::mostra_guasto("nessun file compilato scritto: " + r.percorso.messaggio);
      return EXIT_FAILURE;
    case esito_percorso::scritti:
      break;
  }
  if (r.errore_codice == scen::esito::nessuno) return EXIT_SUCCESS;
  mostra_esito(r);
  return EXIT_FAILURE;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(aiuto, stdout);
      return EXIT_SUCCESS;
    }
  }
  std::string cartella;
  if (scen::Stato stato = scen::cartella_programma(cartella); !stato.riuscito()) {
    scen::mostra_guasto(stato.messaggio());
    return EXIT_FAILURE;
  }
  return riporta(scen::esegui_build(cartella));
}
