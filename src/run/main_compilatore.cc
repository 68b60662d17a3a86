// compilatore: writes the carried scenario into the program's own folder.
#include <cstdio>
#include <cstring>

#include "platform/ospite.h"
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

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      std::fputs(aiuto, stdout);
      return 0;
    }
  }
  return scen::esegui_build(scen::cartella_programma());
}
