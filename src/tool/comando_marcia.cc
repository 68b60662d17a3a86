// `scenario marcia LINEA TRENO`.
#include <memory>

#include "tool/comandi.h"
#include "tool/marcia.h"
#include "tool/testi_aiuto.h"

namespace scen {

namespace {

esecuzione dichiara(parte_comando& parte) {
  auto richiesta = std::make_shared<richiesta_marcia>();
  parte.argomento("LINEA", richiesta->linea, "la descrizione della linea");
  parte.argomento("TRENO", richiesta->treno, "la descrizione del treno");
  parte.opzione("--rotabile", richiesta->rotabile, "il treno in un file JSON", "FILE");
  parte.opzione("--margine", richiesta->margine, "il supplemento di regolarità, come 5%", "P%");
  parte.bandiera("--json", richiesta->json, "l'orario come documento JSON");
  parte.bandiera("--csv", richiesta->csv, "l'orario come CSV");
  parte.opzione("--uscita", richiesta->uscita,
                "anche il disegno con la marcia: FILE.svg o FILE.html", "FILE");
  parte.bandiera("--utf8", richiesta->utf8, "LINEA e TRENO sono in UTF-8");
  return [richiesta](const chiamata& c) {
    Stato valida = richiesta_marcia_valida(*richiesta);
    if (!valida.riuscito()) return uso_non_valido(c.errori, valida.messaggio());
    return marcia(*richiesta, c.uscita, c.errori);
  };
}

}  // namespace

const comando comando_marcia = {"marcia", aiuto_marcia, aiuto_marcia_piede,
                                "marcia: servono LINEA e TRENO", dichiara};

}  // namespace scen
