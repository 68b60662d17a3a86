// `scenario importa TRACCIATO --uscita LINEA`: its command line here, its
// work in the program that has the import (comandi.h).
#include <CLI/CLI.hpp>
#include <memory>

#include "import/importa.h"
#include "tool/comandi.h"
#include "tool/testi_aiuto.h"

namespace scen {

namespace {

esecuzione dichiara(CLI::App& parte) {
  auto richiesta = std::make_shared<richiesta_importa>();
  parte.add_option("TRACCIATO", richiesta->traccia, "traccia GPS, GPX o GeoJSON")
      ->required()
      ->type_name("");
  parte.add_option("--uscita", richiesta->uscita, "descrizione della linea da scrivere")
      ->required()
      ->type_name("LINEA");
  parte.add_option("--treno", richiesta->treno, "anche una traccia di descrizione del treno")
      ->type_name("TRENO");
  parte.add_flag("--json", richiesta->json, "i risultati come un solo documento JSON");
  return [richiesta](const chiamata& c) { return importa_in_questo_programma(*richiesta, c); };
}

}  // namespace

const comando comando_importa = {"importa", aiuto_importa, aiuto_importa_piede,
                                 "importa: servono TRACCIATO e --uscita LINEA", dichiara};

}  // namespace scen
