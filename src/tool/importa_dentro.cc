// `scenario importa` in the program that has the import linked in.
#include "import/importa.h"
#include "tool/comandi.h"

namespace scen {

int importa_in_questo_programma(const richiesta_importa& richiesta, const chiamata& c) {
  return importa(richiesta, c.uscita, c.errori);
}

}  // namespace scen
