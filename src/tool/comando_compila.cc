// `scenario compila LINEA TRENO CARTELLA`.
#include <memory>
#include <string>
#include <tuple>

#include "tool/comandi.h"
#include "tool/compila.h"
#include "tool/testi_aiuto.h"

namespace scen {

namespace {

struct opzioni_compila {
  richiesta_compila richiesta;
  std::string chiave_percorso = chiave_percorso_portata;  // as given, UTF-8
  std::string chiave_treno = chiave_treno_portata;        // as given, UTF-8
};

esecuzione dichiara(parte_comando& parte) {
  auto o = std::make_shared<opzioni_compila>();
  parte.argomento("LINEA", o->richiesta.linea, "file di descrizione della linea");
  parte.argomento("TRENO", o->richiesta.treno, "file di descrizione del treno");
  parte.argomento("CARTELLA", o->richiesta.cartella, "cartella in cui scrivere i file compilati");
  parte.opzione("--chiave-percorso", o->chiave_percorso,
                "chiave del percorso (predefinita \"Vela_Nuro\")", "K");
  parte.opzione("--chiave-treno", o->chiave_treno, "chiave del treno (predefinita \"IC 731\")",
                "K");
  parte.bandiera("--senza-linea", o->richiesta.senza_linea,
                 "non costruisce il tracciato e non scrive la linea compilata");
  parte.bandiera("--utf8", o->richiesta.utf8,
                 "LINEA e TRENO sono in UTF-8, con le righe chiuse da LF, CR LF o CR");
  return [o](const chiamata& c) {
    for (auto [utf8, quale, chiave] :
         {std::tuple{&o->chiave_percorso, "del percorso", &o->richiesta.chiave_percorso},
          std::tuple{&o->chiave_treno, "del treno", &o->richiesta.chiave_treno}}) {
      Stato stato = chiave_1252(*utf8, quale, *chiave);
      if (!stato.riuscito()) return uso_non_valido(c.errori, stato.messaggio());
    }
    return compila(o->richiesta, c.uscita, c.errori);
  };
}

}  // namespace

const comando comando_compila = {"compila", aiuto_compila, aiuto_compila_piede,
                                 "compila: servono LINEA, TRENO e CARTELLA", dichiara};

}  // namespace scen
