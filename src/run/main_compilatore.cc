// compilatore: writes the carried scenario into the program's own folder.
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "platform/interruzione.h"
#include "platform/memoria.h"
#include "platform/ospite.h"
#include "run/esecuzione.h"
#include "run/rapporto.h"

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
    "quando c'\xc3\xa8), poi, se la lettura si \xc3\xa8 fermata in un file di\n"
    "descrizione, la riga \"FILE:RIGA:COLONNA: errore: causa\" con le sue\n"
    "note, ed esce con stato 1. Un file che non si pu\xc3\xb2 scrivere si segnala\n"
    "con il suo nome e il motivo.\n"
    "\n"
    "Con --versione mostra la versione ed esce.\n";

}  // namespace

int main(int argc, char** argv) {
  scen::prepara_processo();
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      scen::mostra_testo(aiuto);
      return EXIT_SUCCESS;
    }
    if (std::strcmp(argv[i], "--versione") == 0) {
      scen::mostra_testo("compilatore " SCEN_VERSIONE "\n");
      return EXIT_SUCCESS;
    }
  }
  std::string cartella;
  if (scen::Stato stato = scen::cartella_programma(cartella); !stato.riuscito()) {
    scen::mostra_guasto(stato.messaggio());
    return EXIT_FAILURE;
  }
  scen::rapporto_build fine;
  try {
    fine = scen::rapporto(scen::esegui_build(cartella));
  } catch (const std::bad_alloc&) {
    // The run has undone what it must on the way out (the description
    // files); what it wrote before stays as for any failure.
    scen::mostra_guasto(scen::memoria_esaurita);
    return EXIT_FAILURE;
  }
  if (fine.termina) scen::errore(fine.errore);
  scen::mostra_esito(fine.errore, fine.righe);
  return fine.stato;
}
