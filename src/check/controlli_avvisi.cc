#include "check/controlli_avvisi.h"

#include <string>
#include <utility>

#include "check/avvisi_stato.h"
#include "check/avvisi_verosimili.h"

namespace scen {

void controlli::esegui() {
  if (linea_) {
    for (const record_visto& r : linea_->record)
      if (r.tipo == specie::lunghezza && r.intero) lunghezza_ = r.valore(1);
    descrizione(*linea_, file_verificato::linea);
    generale_linea(*linea_);
  }
  if (treno_) {
    descrizione(*treno_, file_verificato::treno);
    generale_treno(*treno_);
    segni_di_fermata();
  }
}

void controlli::avviso(file_verificato f, const campo_visto& c, std::string causa) {
  p_.avviso(f, c.riga, c.colonna, std::move(causa));
}

void controlli::avviso(file_verificato f, const record_visto& r, size_t n, std::string causa) {
  avviso(f, n == 0 ? r.chiave : r.campo(n), std::move(causa));
}

// What every description has: its fields passed over, its records each by
// itself, and each kind's order.
void controlli::descrizione(const descrizione_vista& d, file_verificato f) {
  // The line's description given for the train: one error says so.
  if (d.linea || !linea_ || !d.record.empty() || linea_->testo != d.testo) campi_ignorati(d, f);
  for (size_t i = 0; i < d.record.size(); ++i) {
    const record_visto& r = d.record[i];
    if (i > 0 && d.record[i - 1].chiave.inizio == r.chiave.inizio) continue;
    record_con_piu_parole(d, i, f);
    parola_con_altro(d, i, f);
    disposizione(d, r, f);
  }
  for (const record_visto& r : d.record)
    if (letto(r)) {
      if (!con_migliaia(d, r)) record(r, f);
      migliaia(d, r, f);
    }
  for (specie tipo : {specie::pendenza, specie::velocita, specie::aderenza})
    ordine_profilo(d, tipo, f);
  for (specie tipo : {specie::segnale, specie::rallentamento, specie::abbattimento})
    ordine_semplice(d, tipo, f);
  ordine_curve(d, f);
  ordine_montagne(d, f);
}

void controlla_avvisi(const descrizione_vista* linea, const descrizione_vista* treno, bool utf8,
                      elenco_problemi& problemi) {
  controlli(linea, treno, utf8, problemi).esegui();
  if (linea) pendenze_verosimili(*linea, problemi);
  if (treno) rallentamenti_sotto_il_limite(*treno, problemi);
}

}  // namespace scen
