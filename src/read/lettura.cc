#include "read/lettura.h"

namespace scen {

void profilo::riempi(modello& m, Byte valore, largo fino_a) {
  do {
    cella_n(m, riempimento).*campo = valore;
    ++riempimento;
  } while (riempimento < fino_a);
}

bool lettore_descrizione::leggi() {
  if (!apertura()) return false;
  for (;;) {
    if (!chiave_record()) break;
    const passo esito_record = record();
    if (esito_record == passo::chiudi) break;
    if (esito_record == passo::ferma) return false;
  }
  chiusura();
  return true;
}

void lettore_descrizione::chiave() {
  f_.testo(m_.campo, "un campo");
  p_.riga = f_.riga();
}

bool lettore_descrizione::chiave_record() {
  if (f_.fine()) return false;
  chiave();
  if (f_.fine()) return false;
  for (int i = 0; i < 2; ++i)
    if (ha_esatto("-")) {
      chiave();
      if (f_.fine()) return false;
    }
  return true;
}

void lettore_descrizione::ferma(esito numero) {
  m_.errore_codice = numero;
  d_ = {p_.file, p_.riga, std::string(descrizione_esito(numero))};
}

void lettore_descrizione::ferma_a(esito numero, Long posizione) {
  ferma(numero);
  m_.errore_posizione = posizione;
}

bool lettore_descrizione::in_campo(Long posizione, largo margine) {
  if (nelle_celle(m_, posizione, margine)) return true;
  ferma_a(esito::fuori_dalle_celle, posizione);
  return false;
}

passo lettore_descrizione::dopo_costruttore(esito numero, Long posizione) {
  if (numero == esito::nessuno) return passo::continua;
  ferma_a(numero, posizione);
  return passo::ferma;
}

}  // namespace scen
