// `scenario disegna CARTELLA` or `scenario disegna LINEA TRENO`.
#include <memory>

#include "tool/comandi.h"
#include "tool/disegna.h"
#include "tool/testi_aiuto.h"

namespace scen {

namespace {

esecuzione dichiara(parte_comando& parte) {
  auto richiesta = std::make_shared<richiesta_disegna>();
  parte.argomento("INGRESSI", richiesta->ingressi,
                  "CARTELLA dei file compilati, oppure LINEA e TRENO");
  parte.opzione("--uscita", richiesta->uscita, "il disegno: FILE.svg o FILE.html", "FILE");
  parte.bandiera("--utf8", richiesta->utf8, "LINEA e TRENO sono in UTF-8");
  parte.opzione("--rotabile", richiesta->file_rotabile, "il treno della marcia in un file JSON",
                "FILE");
  return [richiesta](const chiamata& c) {
    Stato valida = richiesta_disegna_valida(*richiesta);
    if (!valida.riuscito()) return uso_non_valido(c.errori, valida.messaggio());
    return disegna(*richiesta, c.uscita, c.errori);
  };
}

}  // namespace

const comando comando_disegna = {"disegna", aiuto_disegna, aiuto_disegna_piede,
                                 "disegna: servono CARTELLA, oppure LINEA e TRENO", dichiara};

}  // namespace scen
