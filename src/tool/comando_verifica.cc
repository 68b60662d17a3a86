// `scenario verifica LINEA TRENO`.
#include <memory>

#include "tool/comandi.h"
#include "tool/testi_aiuto.h"
#include "tool/verifica.h"

namespace scen {

namespace {

esecuzione dichiara(parte_comando& parte) {
  auto richiesta = std::make_shared<richiesta_verifica>();
  parte.argomento("LINEA", richiesta->linea, "file di descrizione della linea");
  parte.argomento("TRENO", richiesta->treno, "file di descrizione del treno");
  parte.bandiera("--utf8", richiesta->utf8,
                 "LINEA e TRENO sono in UTF-8, con le righe chiuse da LF, CR LF o CR");
  parte.bandiera("--json", richiesta->json, "i problemi come un solo documento JSON");
  parte.bandiera("--rigoroso", richiesta->rigoroso, "anche gli avvisi fanno fallire la verifica");
  parte.opzione("--rotabile", richiesta->rotabile,
                "il treno della marcia con cui si controllano gli orari, in un file JSON", "FILE");
  return [richiesta](const chiamata& c) { return verifica(*richiesta, c.uscita, c.errori); };
}

}  // namespace

const comando comando_verifica = {"verifica", aiuto_verifica, aiuto_verifica_piede,
                                  "verifica: servono LINEA e TRENO", dichiara};

}  // namespace scen
