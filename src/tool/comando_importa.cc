// `scenario importa TRACCIATO --uscita LINEA`: its command line here, its
// work in the program that has the import (comandi.h).
#include <memory>

#include "import/importa.h"
#include "tool/comandi.h"
#include "tool/testi_aiuto.h"

namespace scen {

namespace {

esecuzione dichiara(parte_comando& parte) {
  auto richiesta = std::make_shared<richiesta_importa>();
  parte.argomento("TRACCIATO", richiesta->traccia,
                  "traccia GPS, GPX o GeoJSON, o estratto OpenStreetMap (.osm, .osm.pbf)");
  parte.opzione_obbligatoria("--uscita", richiesta->uscita, "descrizione della linea da scrivere",
                             "LINEA");
  parte.opzione("--treno", richiesta->treno, "anche una traccia di descrizione del treno", "TRENO");
  parte.opzione("--relazione", richiesta->relazione,
                "di un estratto: la relazione route della linea", "ID");
  parte.opzione("--da", richiesta->da, "di un estratto: la stazione dove la linea comincia",
                "STAZIONE");
  parte.opzione("--a", richiesta->a, "di un estratto: la stazione dove la linea finisce",
                "STAZIONE");
  parte.opzione_ripetibile("--quote", richiesta->quote,
                           "tessere di quote (.hgt, GeoTIFF), file o cartella, anche più volte: "
                           "di una traccia, al posto delle sue quote",
                           "PERCORSO");
  parte.bandiera("--json", richiesta->json, "i risultati come un solo documento JSON");
  return [richiesta](const chiamata& c) { return importa_in_questo_programma(*richiesta, c); };
}

}  // namespace

const comando comando_importa = {"importa", aiuto_importa, aiuto_importa_piede,
                                 "importa: servono TRACCIATO e --uscita LINEA", dichiara};

}  // namespace scen
