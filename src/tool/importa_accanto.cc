// `scenario importa` in the program without the import: the program beside
// it, the same tool with the import linked in, does it on the same command
// line; a build without that program says so.
#include <ostream>

#include "platform/programma_accanto.h"
#include "platform/stati_uscita.h"
#include "tool/comandi.h"

namespace scen {

int importa_in_questo_programma(const richiesta_importa&, const chiamata& c) {
#ifdef SCEN_IMPORTA_ACCANTO
  const Stato stato = passa_al_programma_accanto(SCEN_IMPORTA_ACCANTO, c.argv);
  c.errori << "scenario importa: " << stato.messaggio() << '\n';
#else
  c.errori << "scenario importa: questa versione di scenario è stata costruita senza "
              "l'importazione delle tracce GPS\n";
#endif
  return uscita_fallita;
}

}  // namespace scen
