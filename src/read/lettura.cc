#include "read/lettura.h"

#include "model/esiti.h"

namespace scen {

void registra_esito(modello& m, diagnosi_lettura& d, const posizione_lettura& p, esito numero,
                    long riga) {
  m.errore_codice = numero;
  d = {p.file, riga, std::string(descrizione_esito(numero))};
}

void leggi_chiave(campi& f, modello& m, posizione_lettura& p) {
  f.testo(m.campo, "un campo");
  p.riga = f.riga();
}

bool leggi_chiave_record(campi& f, modello& m, posizione_lettura& p) {
  if (f.fine()) return false;
  leggi_chiave(f, m, p);
  if (f.fine()) return false;
  for (int i = 0; i < 2; ++i)
    if (contiene(m.campo, "-")) {
      leggi_chiave(f, m, p);
      if (f.fine()) return false;
    }
  return true;
}

}  // namespace scen
