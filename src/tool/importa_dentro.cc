// `scenario importa` in the program that has the import linked in.
#include <iostream>

#include "import/importa.h"
#include "platform/ospite.h"
#include "tool/comandi.h"

namespace scen {

int importa_in_questo_programma(const richiesta_importa& richiesta, const chiamata& c) {
  // Progress lines while a large extract is read, where a person watches
  // the error stream.
  return importa(richiesta, c.uscita, c.errori, &c.errori == &std::cerr && errori_a_terminale());
}

}  // namespace scen
