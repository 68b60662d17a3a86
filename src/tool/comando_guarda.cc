// `scenario guarda LINEA TRENO`.
#include <memory>

#include "tool/comandi.h"
#include "tool/guarda.h"
#include "tool/testi_aiuto.h"

namespace scen {

namespace {

esecuzione dichiara(parte_comando& parte) {
  auto richiesta = std::make_shared<richiesta_guarda>();
  parte.argomento("LINEA", richiesta->linea, "file di descrizione della linea");
  parte.argomento("TRENO", richiesta->treno, "file di descrizione del treno");
  parte.opzione("--porta", richiesta->porta,
                "la porta su cui servire la pagina (0, o senza: una libera)", "N");
  parte.bandiera("--utf8", richiesta->utf8,
                 "LINEA e TRENO sono in UTF-8, con le righe chiuse da LF, CR LF o CR");
  parte.bandiera("--apri", richiesta->apri, "apre la pagina nel browser del sistema");
  parte.opzione("--rotabile", richiesta->rotabile, "il treno della marcia in un file JSON", "FILE");
  return [richiesta](const chiamata& c) { return guarda(*richiesta, c.uscita, c.errori); };
}

}  // namespace

const comando comando_guarda = {"guarda", aiuto_guarda, aiuto_guarda_piede,
                                "guarda: servono LINEA e TRENO", dichiara};

}  // namespace scen
