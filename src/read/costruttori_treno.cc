#include "read/costruttori_treno.h"

#include "model/esiti.h"
#include "read/accesso.h"

namespace scen {

namespace {

// 10 × decine + unità, in 32 bits, into a 16-bit value word.
Integer parola(Long decine, Long unita, std::string_view campo) {
  const Long dieci = a_long(10 * static_cast<largo>(decine), "10 × cifra del segnale");
  return a_integer(a_long(static_cast<largo>(dieci) + unita, campo), campo);
}

}  // namespace

esito memo_segnale(modello& m, const record_segnale& s) {
  const largo q = cella_dopo(s.posizione);
  cella& c = cella_n(m, q);
  if (!cella_libera(c)) return esito::segnale_su_cella_occupata;
  c.codice = codice_cella::segnale;
  const Long tre_classe = a_long(3 * static_cast<largo>(s.classe), "3 × classe del segnale");
  const Long dieci_decine_4 = a_long(10 * static_cast<largo>(s.decine_4), "10 × cifra del segnale");
  c.valore_4 = a_integer(a_long(static_cast<largo>(a_long(
                                    static_cast<largo>(dieci_decine_4) + tre_classe, "valore_4")) +
                                    s.cifra_tipo,
                                "valore_4"),
                         "valore_4");
  c.valore_1 = parola(s.decine_1, s.unita_1, "valore_1");
  c.valore_2 = parola(s.decine_2, s.unita_2, "valore_2");
  c.valore_3 = parola(s.decine_3, s.unita_3, "valore_3");
  const Long extra = s.valore_extra >= 1 && s.valore_extra <= 100 ? 101 : s.valore_extra;
  c.valore_5 = s.classe == 2 ? a_byte(extra, "valore_5") : 0;

  const Long tipo = a_long(static_cast<largo>(tre_classe) + s.cifra_tipo, "tipo del segnale");
  const Long dieci_tipo = a_long(10 * static_cast<largo>(tipo), "10 × tipo del segnale");
  for (int k = 1; k <= 4; ++k) {
    const Byte segno = a_byte(static_cast<largo>(dieci_tipo) + k, "avvicinamento");
    cella_n(m, q - 2 * k).avvicinamento = segno;
  }
  return esito::nessuno;
}

esito memo_rallentamento(modello& m, const record_rallentamento& r) {
  const Long fine =
      a_long(static_cast<largo>(r.inizio) + r.lunghezza, "inizio + lunghezza del rallentamento");
  const Long avviso =
      a_long(static_cast<largo>(r.inizio) - 1200, "inizio del rallentamento - 1200");
  const largo s = cella_dopo(r.inizio);
  const largo e = cella_dopo(fine);
  const largo w = cella_dopo(avviso);
  const largo a = cella_di(avviso);

  // Near the start of the line there is no warning point, and so no approach
  // cells before it either.
  const bool con_avviso = r.inizio > 1500;
  if (con_avviso && !cella_libera(cella_n(m, w))) return esito::avviso_su_cella_occupata;
  if (!cella_libera(cella_n(m, s))) return esito::inizio_su_cella_occupata;
  if (!cella_libera(cella_n(m, e))) return esito::fine_su_cella_occupata;

  const bool mostrato = r.valore_mostrato != 0;
  cella_n(m, e).codice = codice_cella::fine_rallentamento;
  if (mostrato) cella_n(m, e).valore_2 = a_integer(r.valore_mostrato, "valore_2");
  cella_n(m, s).codice = codice_cella::inizio_rallentamento;
  if (mostrato) cella_n(m, s).valore_2 = a_integer(r.valore_mostrato, "valore_2");
  if (con_avviso) {
    cella& cw = cella_n(m, w);
    cw.codice = codice_cella::avviso_rallentamento;
    if (mostrato) cw.valore_2 = a_integer(r.valore_mostrato, "valore_2");
    cw.valore_1 = a_integer(r.velocita, "valore_1");
  }
  cella_n(m, s).valore_1 = a_integer(r.velocita, "valore_1");
  cella_n(m, s).valore_3 = a_integer(r.treno_intero, "valore_3");
  cella_n(m, e).valore_1 = a_integer(r.velocita, "valore_1");
  cella_n(m, e).valore_3 = a_integer(r.treno_intero, "valore_3");

  if (!con_avviso || r.con_avvicinamento == 0) return esito::nessuno;
  for (largo d = 0; d <= 3; ++d)
    if (!cella_libera(cella_n(m, a - d))) return esito::avvicinamento_su_cella_occupata;
  for (largo d = 0; d <= 3; ++d) {
    cella& c = cella_n(m, a - d);
    c.codice = codice_cella::avvicinamento_avviso;
    c.valore_1 = static_cast<Integer>(d + 1);
    if (mostrato) c.valore_2 = static_cast<Integer>(d + 1);
  }
  return esito::nessuno;
}

}  // namespace scen
