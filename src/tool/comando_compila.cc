// `scenario compila LINEA TRENO CARTELLA`.
#include <memory>
#include <string>

#include "tool/chiavi_comando.h"
#include "tool/comandi.h"
#include "tool/compila.h"
#include "tool/testi_aiuto.h"

namespace scen {

namespace {

struct opzioni_compila {
  richiesta_compila richiesta;
  chiavi_comando chiavi;
};

esecuzione dichiara(parte_comando& parte) {
  auto o = std::make_shared<opzioni_compila>();
  parte.argomento("LINEA", o->richiesta.linea, "file di descrizione della linea");
  parte.argomento("TRENO", o->richiesta.treno, "file di descrizione del treno");
  parte.argomento("CARTELLA", o->richiesta.cartella, "cartella in cui scrivere i file compilati");
  dichiara_chiavi(parte, o->chiavi);
  parte.bandiera("--senza-linea", o->richiesta.senza_linea,
                 "non costruisce il tracciato e non scrive la linea compilata");
  parte.bandiera("--utf8", o->richiesta.utf8,
                 "LINEA e TRENO sono in UTF-8, con le righe chiuse da LF, CR LF o CR");
  return [o](const chiamata& c) {
    Stato stato = chiavi_1252(o->chiavi, o->richiesta.chiave_percorso, o->richiesta.chiave_treno);
    if (!stato.riuscito()) return uso_non_valido(c.errori, stato.messaggio());
    return compila(o->richiesta, c.uscita, c.errori);
  };
}

}  // namespace

const comando comando_compila = {"compila", aiuto_compila, aiuto_compila_piede,
                                 "compila: servono LINEA, TRENO e CARTELLA", dichiara};

}  // namespace scen
