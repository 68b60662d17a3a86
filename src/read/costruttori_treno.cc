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

void memo_segnale(modello& m, Long f1, Long& f2, Long& f3, Long& f4, Long& f5, Long& f6, Long& f7,
                  Long& f8, Long& f9, Long& f10, Long& f11) {
  const largo q = cella_dopo(f1);
  cella& c = cella_n(m, q);
  if (!cella_libera(c)) {
    m.errore_codice = esito::segnale_su_cella_occupata;
    return;
  }
  c.codice = codice_cella::segnale;
  const Long tre_f2 = a_long(3 * static_cast<largo>(f2), "3 × classe del segnale");
  const Long dieci_f6 = a_long(10 * static_cast<largo>(f6), "10 × cifra del segnale");
  c.valore_4 = a_integer(
      a_long(static_cast<largo>(a_long(static_cast<largo>(dieci_f6) + tre_f2, "valore_4")) + f7,
             "valore_4"),
      "valore_4");
  c.valore_1 = parola(f3, f8, "valore_1");
  c.valore_2 = parola(f4, f9, "valore_2");
  c.valore_3 = parola(f5, f10, "valore_3");
  if (f11 >= 1 && f11 <= 100) f11 = 101;
  c.valore_5 = f2 == 2 ? a_byte(f11, "valore_5") : 0;

  const Long tipo = a_long(static_cast<largo>(tre_f2) + f7, "tipo del segnale");
  const Long dieci_tipo = a_long(10 * static_cast<largo>(tipo), "10 × tipo del segnale");
  for (int k = 1; k <= 4; ++k) {
    const Byte segno = a_byte(static_cast<largo>(dieci_tipo) + k, "avvicinamento");
    cella_n(m, q - 2 * k).avvicinamento = segno;
  }
}

void memo_rallentamento(modello& m, Long g1, Long& g2, Long& g3, Long& g4, Long g5, Long& g6) {
  const Long fine = a_long(static_cast<largo>(g1) + g3, "inizio + lunghezza del rallentamento");
  const Long avviso = a_long(static_cast<largo>(g1) - 1200, "inizio del rallentamento - 1200");
  const largo s = cella_dopo(g1);
  const largo e = cella_dopo(fine);
  const largo w = cella_dopo(avviso);
  const largo a = cella_di(avviso);

  const bool con_avviso = g1 > 1500;
  if (con_avviso) {
    if (!cella_libera(cella_n(m, w))) {
      m.errore_codice = esito::avviso_su_cella_occupata;
      return;
    }
  } else {
    g5 = 0;
  }
  if (!cella_libera(cella_n(m, s))) {
    m.errore_codice = esito::inizio_su_cella_occupata;
    return;
  }
  if (!cella_libera(cella_n(m, e))) {
    m.errore_codice = esito::fine_su_cella_occupata;
    return;
  }

  cella_n(m, e).codice = codice_cella::fine_rallentamento;
  if (g6 != 0) cella_n(m, e).valore_2 = a_integer(g6, "valore_2");
  cella_n(m, s).codice = codice_cella::inizio_rallentamento;
  if (g6 != 0) cella_n(m, s).valore_2 = a_integer(g6, "valore_2");
  if (con_avviso) {
    cella& cw = cella_n(m, w);
    cw.codice = codice_cella::avviso_rallentamento;
    if (g6 != 0) cw.valore_2 = a_integer(g6, "valore_2");
    cw.valore_1 = a_integer(g2, "valore_1");
  }
  cella_n(m, s).valore_1 = a_integer(g2, "valore_1");
  cella_n(m, s).valore_3 = a_integer(g4, "valore_3");
  cella_n(m, e).valore_1 = a_integer(g2, "valore_1");
  cella_n(m, e).valore_3 = a_integer(g4, "valore_3");

  if (g5 == 0) return;
  for (largo d = 0; d <= 3; ++d)
    if (!cella_libera(cella_n(m, a - d))) {
      m.errore_codice = esito::avvicinamento_su_cella_occupata;
      return;
    }
  for (largo d = 0; d <= 3; ++d) {
    cella& c = cella_n(m, a - d);
    c.codice = codice_cella::avvicinamento_avviso;
    c.valore_1 = static_cast<Integer>(d + 1);
    if (g6 != 0) c.valore_2 = static_cast<Integer>(d + 1);
  }
}

}  // namespace scen
