// `scenario verifica LINEA TRENO`.
#include <CLI/CLI.hpp>
#include <memory>

#include "tool/comandi.h"
#include "tool/testi_aiuto.h"
#include "tool/verifica.h"

namespace scen {

namespace {

esecuzione dichiara(CLI::App& parte) {
  auto richiesta = std::make_shared<richiesta_verifica>();
  parte.add_option("LINEA", richiesta->linea, "file di descrizione della linea")
      ->required()
      ->type_name("");
  parte.add_option("TRENO", richiesta->treno, "file di descrizione del treno")
      ->required()
      ->type_name("");
  parte.add_flag("--utf8", richiesta->utf8,
                 "LINEA e TRENO sono in UTF-8, con le righe chiuse da LF, CR LF o CR");
  parte.add_flag("--json", richiesta->json, "i problemi come un solo documento JSON");
  parte.add_flag("--rigoroso", richiesta->rigoroso, "anche gli avvisi fanno fallire la verifica");
  return [richiesta](const chiamata& c) { return verifica(*richiesta, c.uscita, c.errori); };
}

}  // namespace

const comando comando_verifica = {"verifica", aiuto_verifica, aiuto_verifica_piede,
                                  "verifica: servono LINEA e TRENO", dichiara};

}  // namespace scen
