#include "read/vista.h"

#include "read/lettore_linea.h"
#include "read/lettore_treno.h"
#include "read/lettura.h"

namespace scen {

void raccolta_vista::nota_record(const campo_visto& c, size_t indice) {
  riga_ultimo_ = c.riga;
  ultimo_di_record_ = true;
  record_ultimo_ = indice;
}

void raccolta_vista::ignorato(const campo_visto& c, parte_file parte, bool trattino) {
  aperto_ = false;
  campo_ignorato g;
  g.campo = c;
  g.parte = parte;
  g.trattino = trattino;
  if (c.a_inizio_riga) {
    g.posto = posto_ignorato::inizio_riga;
  } else if (ultimo_di_record_ && riga_ultimo_ == c.riga &&
             d_.record[record_ultimo_].chiave.riga == c.riga) {
    g.posto = posto_ignorato::dopo_record;
    g.record = record_ultimo_;
  } else {
    g.posto = posto_ignorato::seguito;
  }
  d_.ignorati.push_back(g);
  riga_ultimo_ = c.riga;
  ultimo_di_record_ = false;
}

void raccolta_vista::generale(const campo_visto& c) {
  aperto_ = false;
  d_.con_generale = true;
  d_.generale = c;
}

void raccolta_vista::chiusura_generale(const campo_visto& c) {
  d_.generale_chiusa = true;
  d_.chiusura_generale = c;
}

void raccolta_vista::record(const campo_visto& k, const formato_record& f) {
  record_visto r;
  r.tipo = f.tipo;
  r.quale = f.quale;
  r.chiave = k;
  if (ultimo_di_record_ && riga_ultimo_ == k.riga &&
      d_.record[record_ultimo_].chiave.inizio != k.inizio) {
    r.a_meta_riga = true;
    r.record_prima = record_ultimo_;
  }
  d_.record.push_back(std::move(r));
  nota_record(k, d_.record.size() - 1);
  aperto_ = true;
}

void raccolta_vista::valore(const campo_visto& c) {
  if (!aperto_) return;
  d_.record.back().valori.push_back(c);
  nota_record(c, d_.record.size() - 1);
}

void raccolta_vista::interrotto() {
  if (aperto_) d_.record.back().intero = false;
  aperto_ = false;
  d_.interrotta = true;
  ultimo_di_record_ = false;
}

namespace {

template <class Scorri>
descrizione_vista vedi(std::string_view testo, bool linea, Scorri&& scorri) {
  descrizione_vista d;
  d.linea = linea;
  d.testo = testo;
  raccolta_vista raccolta(d);
  campi f = campi::su(testo);
  posizione_lettura p;
  p.osservatore = &raccolta;
  scorri(f, p);
  return d;
}

}  // namespace

descrizione_vista vedi_linea(std::string_view testo) { return vedi(testo, true, scorri_linea); }

descrizione_vista vedi_treno(std::string_view testo) { return vedi(testo, false, scorri_treno); }

}  // namespace scen
