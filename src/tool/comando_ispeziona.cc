// `scenario ispeziona FILE...`.
#include <memory>
#include <string>

#include "tool/comandi.h"
#include "tool/ispeziona.h"
#include "tool/testi_aiuto.h"

namespace scen {

namespace {

struct opzioni_ispeziona {
  richiesta_ispeziona richiesta;
  std::string celle;  // as given, read once the line is read
  bool con_celle = false;
};

esecuzione dichiara(parte_comando& parte) {
  auto o = std::make_shared<opzioni_ispeziona>();
  parte.argomento("FILE", o->richiesta.file, "file compilati da ispezionare");
  parte.bandiera("--json", o->richiesta.json, "tutto come un solo documento JSON");
  parte.opzione("--celle", o->celle, "mostra campo per campo le celle da DA ad A dei file di celle",
                "DA-A", &o->con_celle);
  return [o](const chiamata& c) {
    Stato stato = completa_richiesta_ispeziona(o->richiesta, o->con_celle ? &o->celle : nullptr);
    if (!stato.riuscito()) return uso_non_valido(c.errori, stato.messaggio());
    return ispeziona(o->richiesta, c.uscita, c.errori);
  };
}

}  // namespace

const comando comando_ispeziona = {"ispeziona", aiuto_ispeziona, aiuto_ispeziona_piede,
                                   "ispeziona: serve almeno un FILE", dichiara};

}  // namespace scen
