// `scenario documenti LINEA TRENO CARTELLA`.
#include <memory>
#include <string>

#include "tool/chiavi_comando.h"
#include "tool/comandi.h"
#include "tool/documenti.h"
#include "tool/testi_aiuto.h"

namespace scen {

namespace {

struct opzioni_documenti {
  richiesta_documenti richiesta;
  chiavi_comando chiavi;
  std::string note;
  bool con_note = false;
};

esecuzione dichiara(parte_comando& parte) {
  auto o = std::make_shared<opzioni_documenti>();
  parte.argomento("LINEA", o->richiesta.linea, "file di descrizione della linea");
  parte.argomento("TRENO", o->richiesta.treno, "file di descrizione del treno");
  parte.argomento("CARTELLA", o->richiesta.cartella, "cartella in cui scrivere i documenti");
  dichiara_chiavi(parte, o->chiavi);
  parte.bandiera("--utf8", o->richiesta.utf8,
                 "LINEA e TRENO sono in UTF-8, con le righe chiuse da LF, CR LF o CR");
  parte.opzione("--note", o->note, "testo delle note, in UTF-8", "FILE", &o->con_note);
  parte.opzione("--categoria", o->richiesta.categoria,
                "categoria del treno (predefinita \"V200 C\")", "C");
  parte.opzione("--massa-bloccata", o->richiesta.massa_bloccata,
                "massa bloccata in tonnellate (predefinita 600)", "T");
  parte.bandiera("--senza-marcia", o->richiesta.senza_marcia,
                 "la scheda senza i tempi della marcia: solo gli orari della descrizione");
  parte.opzione("--rotabile", o->richiesta.rotabile, "il treno della marcia in un file JSON",
                "FILE");
  return [o](const chiamata& c) {
    Stato stato = chiavi_1252(o->chiavi, o->richiesta.chiave_percorso, o->richiesta.chiave_treno);
    if (!stato.riuscito()) return uso_non_valido(c.errori, stato.messaggio());
    if (o->con_note) o->richiesta.note = o->note;
    return documenti(o->richiesta, c.uscita, c.errori);
  };
}

}  // namespace

const comando comando_documenti = {"documenti", aiuto_documenti, aiuto_documenti_piede,
                                   "documenti: servono LINEA, TRENO e CARTELLA", dichiara};

}  // namespace scen
