// `scenario ispeziona FILE...`.
#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "tool/comandi.h"
#include "tool/ispeziona.h"
#include "tool/testi_aiuto.h"

namespace scen {

namespace {

struct opzioni_ispeziona {
  richiesta_ispeziona richiesta;
  std::string celle;  // as given, read once the line is parsed
  CLI::Option* con_celle = nullptr;
};

esecuzione dichiara(CLI::App& parte) {
  auto o = std::make_shared<opzioni_ispeziona>();
  parte.add_option("FILE", o->richiesta.file, "file compilati da ispezionare")
      ->required()
      ->type_name("");
  parte.add_flag("--json", o->richiesta.json, "tutto come un solo documento JSON");
  o->con_celle = parte
                     .add_option("--celle", o->celle,
                                 "mostra campo per campo le celle da DA ad A dei file di celle")
                     ->type_name("DA-A");
  return [o](const chiamata& c) {
    Stato stato =
        completa_richiesta_ispeziona(o->richiesta, o->con_celle->count() > 0 ? &o->celle : nullptr);
    if (!stato.riuscito()) return uso_non_valido(c.errori, stato.messaggio());
    return ispeziona(o->richiesta, c.uscita, c.errori);
  };
}

}  // namespace

const comando comando_ispeziona = {"ispeziona", aiuto_ispeziona, aiuto_ispeziona_piede,
                                   "ispeziona: serve almeno un FILE", dichiara};

}  // namespace scen
