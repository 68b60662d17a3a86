#include "read/costruttori_treno.h"

#include <fmt/format.h>

#include <initializer_list>
#include <utility>

#include "model/esiti.h"
#include "read/accesso.h"

namespace scen {

namespace {

// Of the value fields that make up one value, the first that is not a single
// digit, as the fields of a signal should be; else the first of them.
int campo_in_causa(std::initializer_list<std::pair<int, Long>> campi) {
  for (const auto& [campo, valore] : campi)
    if (valore < 0 || valore > 9) return campo;
  return campi.begin()->first;
}

// 10 × decine + unità, in 32 bits, into a 16-bit value word.
Integer parola(Long decine, Long unita, nome_campo valore) {
  const Long dieci = a_long(10 * static_cast<largo>(decine), valore);
  return a_integer(a_long(static_cast<largo>(dieci) + unita, valore), valore);
}

}  // namespace

esito memo_segnale(modello& m, const record_segnale& s) {
  const largo q = cella_dopo(s.posizione);
  cella& c = cella_n(m, q, [&] {
    return uso_tabella{fmt::format("il segnale a {} m", s.posizione), 1};
  });
  if (!cella_libera(c)) return esito::segnale_su_cella_occupata;
  c.codice = codice_cella::segnale;
  // Fields 2 and 7 make the signal's kind: the first of them not a digit is at fault.
  const int campo_tipo = campo_in_causa({{2, s.classe}, {7, s.cifra_tipo}});
  const nome_campo tipo_segnale{"il tipo del segnale, 3 × campo 2 + campo 7,", campo_tipo};
  const Long tre_classe = a_long(3 * static_cast<largo>(s.classe), tipo_segnale);
  const nome_campo quarto{"il quarto valore del segnale, 10 × campo 6 + 3 × campo 2 + campo 7,",
                          campo_in_causa({{6, s.decine_4}, {2, s.classe}, {7, s.cifra_tipo}})};
  const Long dieci_decine_4 = a_long(10 * static_cast<largo>(s.decine_4), quarto);
  c.valore_4 = a_integer(
      a_long(static_cast<largo>(a_long(static_cast<largo>(dieci_decine_4) + tre_classe, quarto)) +
                 s.cifra_tipo,
             quarto),
      quarto);
  c.valore_1 = parola(s.decine_1, s.unita_1,
                      {"il primo valore del segnale, 10 × campo 3 + campo 8,",
                       campo_in_causa({{3, s.decine_1}, {8, s.unita_1}})});
  c.valore_2 = parola(s.decine_2, s.unita_2,
                      {"il secondo valore del segnale, 10 × campo 4 + campo 9,",
                       campo_in_causa({{4, s.decine_2}, {9, s.unita_2}})});
  c.valore_3 = parola(s.decine_3, s.unita_3,
                      {"il terzo valore del segnale, 10 × campo 5 + campo 10,",
                       campo_in_causa({{5, s.decine_3}, {10, s.unita_3}})});
  c.valore_5 = s.classe == classe_con_extra ? a_byte(extra_letto(s.valore_extra),
                                                     {"il valore extra del segnale (campo 11)", 11})
                                            : 0;

  const Long tipo = a_long(static_cast<largo>(tre_classe) + s.cifra_tipo, tipo_segnale);
  const Long dieci_tipo = a_long(10 * static_cast<largo>(tipo), tipo_segnale);
  // The approach marks are 10 × kind + 1 to 4, in a byte: the first of them
  // already shows whether the kind fits.
  if (const largo primo = static_cast<largo>(dieci_tipo) + 1; primo < 0 || primo > 255)
    guasto_campo(fmt::format("il tipo del segnale, 3 × campo 2 + campo 7, vale {}, ma va da 0 a "
                             "25: i segni di avvicinamento, 10 × tipo + 1..4, vanno da 0 a 255",
                             tipo),
                 campo_tipo);
  for (int k = 1; k <= 4; ++k) {
    const Byte segno = a_byte(static_cast<largo>(dieci_tipo) + k,
                              {"il segno di avvicinamento del segnale", campo_tipo});
    cella_n(m, q - 2 * k, [&] {
      return uso_tabella{fmt::format("il segno di avvicinamento {} m prima del segnale a {} m",
                                     100 * k, s.posizione),
                         1, "un segnale va posto ad almeno 325 m"};
    }).avvicinamento = segno;
  }
  return esito::nessuno;
}

esito memo_rallentamento(modello& m, const record_rallentamento& r) {
  const Long fine = a_long(static_cast<largo>(r.inizio) + r.lunghezza,
                           {"la fine del rallentamento, inizio + lunghezza (campi 1 e 3),", 3});
  static const std::string punto_di_avviso =
      fmt::format("il punto di avviso, {} m prima dell'inizio del rallentamento,", distanza_avviso);
  const Long avviso = a_long(static_cast<largo>(r.inizio) - distanza_avviso, {punto_di_avviso, 1});
  const largo s = cella_inizio_rallentamento(r.inizio);
  const largo e = cella_dopo(fine);
  const largo w = cella_avviso_rallentamento(r.inizio);
  const largo a = cella_avvicinamento(r.inizio);
  auto cella_avviso = [&] {
    return uso_tabella{fmt::format("il punto di avviso del rallentamento, a {} m", avviso), 1};
  };
  auto cella_inizio = [&] {
    return uso_tabella{fmt::format("l'inizio del rallentamento, a {} m", r.inizio), 1};
  };
  auto cella_fine = [&] {
    return uso_tabella{fmt::format("la fine del rallentamento, a {} m", fine), 3};
  };
  constexpr nome_campo mostrato_campo{"il valore mostrato del rallentamento (campo 6)", 6};
  constexpr nome_campo velocita{"la velocità del rallentamento (campo 2)", 2};
  constexpr nome_campo treno_intero{"il segno di treno intero del rallentamento (campo 4)", 4};

  // Near the start of the line there is no warning point, and so no approach
  // cells before it either.
  const bool con_avviso = con_punto_di_avviso(r.inizio);
  if (con_avviso && !cella_libera(cella_n(m, w, cella_avviso)))
    return esito::avviso_su_cella_occupata;
  if (!cella_libera(cella_n(m, s, cella_inizio))) return esito::inizio_su_cella_occupata;
  if (!cella_libera(cella_n(m, e, cella_fine))) return esito::fine_su_cella_occupata;

  const bool mostrato = r.valore_mostrato != 0;
  cella_n(m, e, cella_fine).codice = codice_cella::fine_rallentamento;
  if (mostrato) cella_n(m, e, cella_fine).valore_2 = a_integer(r.valore_mostrato, mostrato_campo);
  cella_n(m, s, cella_inizio).codice = codice_cella::inizio_rallentamento;
  if (mostrato) cella_n(m, s, cella_inizio).valore_2 = a_integer(r.valore_mostrato, mostrato_campo);
  if (con_avviso) {
    cella& cw = cella_n(m, w, cella_avviso);
    cw.codice = codice_cella::avviso_rallentamento;
    if (mostrato) cw.valore_2 = a_integer(r.valore_mostrato, mostrato_campo);
    cw.valore_1 = a_integer(r.velocita, velocita);
  }
  cella_n(m, s, cella_inizio).valore_1 = a_integer(r.velocita, velocita);
  cella_n(m, s, cella_inizio).valore_3 = a_integer(r.treno_intero, treno_intero);
  cella_n(m, e, cella_fine).valore_1 = a_integer(r.velocita, velocita);
  cella_n(m, e, cella_fine).valore_3 = a_integer(r.treno_intero, treno_intero);

  if (!con_avviso || r.con_avvicinamento == 0) return esito::nessuno;
  auto avvicinamento = [&] {
    return uso_tabella{
        fmt::format("le celle di avvicinamento prima del punto di avviso, a {} m", avviso), 1};
  };
  for (largo d = 0; d < celle_avvicinamento; ++d)
    if (!cella_libera(cella_n(m, a - d, avvicinamento)))
      return esito::avvicinamento_su_cella_occupata;
  for (largo d = 0; d < celle_avvicinamento; ++d) {
    cella& c = cella_n(m, a - d, avvicinamento);
    c.codice = codice_cella::avvicinamento_avviso;
    c.valore_1 = static_cast<Integer>(d + 1);
    if (mostrato) c.valore_2 = static_cast<Integer>(d + 1);
  }
  return esito::nessuno;
}

}  // namespace scen
