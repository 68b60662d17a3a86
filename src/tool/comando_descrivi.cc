// `scenario descrivi CARTELLA`.
#include <memory>

#include "tool/comandi.h"
#include "tool/descrivi.h"
#include "tool/testi_aiuto.h"

namespace scen {

namespace {

esecuzione dichiara(parte_comando& parte) {
  auto richiesta = std::make_shared<richiesta_descrivi>();
  parte.argomento("CARTELLA", richiesta->cartella,
                  "cartella in cui scrivere le descrizioni e i documenti");
  parte.bandiera("--utf8", richiesta->utf8, "le descrizioni in UTF-8 con le righe chiuse da LF");
  return [richiesta](const chiamata& c) { return descrivi(*richiesta, c.uscita, c.errori); };
}

}  // namespace

const comando comando_descrivi = {"descrivi", aiuto_descrivi, aiuto_descrivi_piede,
                                  "descrivi: serve CARTELLA", dichiara};

}  // namespace scen
