#include "read/costruttori_treno.h"

#include <gtest/gtest.h>

#include "read/guasto.h"

namespace scen {
namespace {

modello con_celle(size_t numero) {
  modello m;
  m.celle.resize(numero);
  m.ultima_cella = static_cast<Long>(numero) - 1;
  return m;
}

// The first carried signal, "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0".
const record_segnale primo_segnale{1050, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0};

TEST(MemoSegnale, TheFirstCarriedSignal) {
  modello m = con_celle(100);
  m.celle[22].codice = codice_cella::segnale_montagna;
  EXPECT_EQ(memo_segnale(m, primo_segnale), esito::nessuno);
  const cella& c = m.celle[22];
  EXPECT_EQ(c.codice, codice_cella::segnale);
  EXPECT_EQ(c.valore_1, 42);
  EXPECT_EQ(c.valore_2, 11);
  EXPECT_EQ(c.valore_3, 11);
  EXPECT_EQ(c.valore_4, 8);
  EXPECT_EQ(c.valore_5, 0);
  const int segnati[] = {20, 18, 16, 14};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(m.celle[segnati[k]].avvicinamento, 81 + k);
  EXPECT_EQ(m.celle[21].avvicinamento, 0);
  EXPECT_EQ(m.errore_codice, esito::nessuno);
}

TEST(MemoSegnale, EachDigitGoesToItsOwnPlace) {
  modello m = con_celle(100);
  // Class 1, kind 3 × 1 + 2 = 5: tens 1 to 4, units 6 to 8.
  EXPECT_EQ(memo_segnale(m, {2050, 1, 1, 2, 3, 4, 2, 6, 7, 8, 0}), esito::nessuno);
  const cella& c = m.celle[42];
  EXPECT_EQ(c.valore_1, 16);
  EXPECT_EQ(c.valore_2, 27);
  EXPECT_EQ(c.valore_3, 38);
  EXPECT_EQ(c.valore_4, 45);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(m.celle[42 - 2 * k].avvicinamento, 50 + k);
}

TEST(MemoSegnale, TheExtraValueOnlyForClassTwo) {
  struct caso {
    Long classe, extra, valore_5;
  };
  for (const caso& c : {caso{2, 50, 101}, caso{2, 1, 101}, caso{2, 0, 0}, caso{2, 115, 115},
                        caso{2, 100, 101}, caso{2, 101, 101}, caso{1, 50, 0}, caso{1, 300, 0}}) {
    modello m = con_celle(100);
    const record_segnale s{1050, c.classe, 0, 0, 0, 0, 0, 0, 0, 0, c.extra};
    EXPECT_EQ(memo_segnale(m, s), esito::nessuno);
    EXPECT_EQ(m.celle[22].valore_5, c.valore_5) << c.classe << " " << c.extra;
  }
  modello m = con_celle(100);
  EXPECT_THROW(memo_segnale(m, {1050, 2, 0, 0, 0, 0, 0, 0, 0, 0, 256}), guasto_lettura);
}

TEST(MemoSegnale, AnOccupiedCellSets16AndWritesNothing) {
  modello m = con_celle(100);
  m.celle[22].codice = codice_cella::fermata;
  const modello prima = m;
  EXPECT_EQ(memo_segnale(m, primo_segnale), esito::segnale_su_cella_occupata);
  EXPECT_EQ(m.celle, prima.celle);
  EXPECT_EQ(m.errore_codice, esito::nessuno);  // the reader records the outcome
}

TEST(MemoSegnale, MarksBeforeCellZeroFailWhereTheyFall) {
  modello m = con_celle(100);
  try {
    memo_segnale(m, {100, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0});  // cell 3: marks at 1, -1
    FAIL();
  } catch (const guasto_lettura& g) {
    EXPECT_EQ(g.causa,
              "il segno di avvicinamento 200 m prima del segnale a 100 m: la cella -1 viene prima "
              "della cella 0, l'inizio della linea; un segnale va posto ad almeno 325 m");
    EXPECT_EQ(g.campo, 1);
  }
  EXPECT_EQ(m.celle[3].codice, codice_cella::segnale);
  EXPECT_EQ(m.celle[1].avvicinamento, 81);
}

TEST(MemoSegnale, ValueWordsAndMarksMustFitTheirFields) {
  modello m = con_celle(100);
  try {
    memo_segnale(m, {1050, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // kind 27: marks 271..274
    FAIL();
  } catch (const guasto_lettura& g) {
    EXPECT_EQ(g.causa,
              "il tipo del segnale, 3 × campo 2 + campo 7, vale 27, ma va da 0 a 25: i segni di "
              "avvicinamento, 10 × tipo + 1..4, vanno da 0 a 255");
    EXPECT_EQ(g.campo, 2);
  }
  EXPECT_EQ(m.celle[22].valore_4, 27);
  EXPECT_THROW(memo_segnale(m, {2050, 2, 4000, 0, 0, 0, 0, 0, 0, 0, 0}), guasto_lettura);
}

TEST(MemoRallentamento, TheFirstCarriedSlowdown) {
  modello m = con_celle(6821);
  EXPECT_EQ(memo_rallentamento(m, {291850, 60, 500, 0, 1, 60}), esito::nessuno);
  struct atteso {
    int cella;
    Byte codice;
    Integer v1, v2, v3;
  };
  for (atteso a : {atteso{5814, 4, 60, 60, 0}, atteso{5838, 3, 60, 60, 0},
                   atteso{5848, 2, 60, 60, 0}, atteso{5813, 5, 1, 1, 0}, atteso{5812, 5, 2, 2, 0},
                   atteso{5811, 5, 3, 3, 0}, atteso{5810, 5, 4, 4, 0}}) {
    const cella& c = m.celle[a.cella];
    EXPECT_EQ(c.codice, a.codice) << a.cella;
    EXPECT_EQ(c.valore_1, a.v1) << a.cella;
    EXPECT_EQ(c.valore_2, a.v2) << a.cella;
    EXPECT_EQ(c.valore_3, a.v3) << a.cella;
  }
  EXPECT_EQ(m.celle[5809].codice, 0);
}

TEST(MemoRallentamento, WholeTrainFlagAndNoDisplayValue) {
  modello m = con_celle(400);
  EXPECT_EQ(memo_rallentamento(m, {10000, 30, 200, 1, 1, 0}), esito::nessuno);
  EXPECT_EQ(m.celle[201].valore_3, 1);  // start
  EXPECT_EQ(m.celle[205].valore_3, 1);  // end
  EXPECT_EQ(m.celle[205].valore_2, 0);
  EXPECT_EQ(m.celle[177].valore_1, 30);  // warning point
  EXPECT_EQ(m.celle[176].valore_1, 1);
  EXPECT_EQ(m.celle[176].valore_2, 0);
}

TEST(MemoRallentamento, AtOrBelow1500NoWarningPointNorApproachCells) {
  modello m = con_celle(100);
  // Start 31, end 32 (1540 / 50 + 1 = 31.8).
  EXPECT_EQ(memo_rallentamento(m, {1500, 60, 40, 0, 1, 60}), esito::nessuno);
  int codificate = 0;
  for (const cella& c : m.celle) codificate += c.codice != 0;
  EXPECT_EQ(codificate, 2);
  EXPECT_EQ(m.celle[31].codice, 3);
  EXPECT_EQ(m.celle[32].codice, 2);
}

TEST(MemoRallentamento, StartAndEndShareACellOnlyWhereRoundingPutsThemThere) {
  modello m = con_celle(100);
  memo_rallentamento(m, {1000, 60, 20, 0, 0, 0});  // 21 and 21.4: one cell, code 3
  EXPECT_EQ(m.celle[21].codice, 3);
  EXPECT_EQ(m.celle[22].codice, 0);
}

TEST(MemoRallentamento, CollisionsBeforeWritingLeaveTheCells) {
  struct caso {
    int occupata;
    Long esito;
  };
  for (caso c : {caso{177, 17}, caso{201, 18}, caso{211, 19}}) {
    modello m = con_celle(400);
    m.celle[c.occupata].codice = codice_cella::segnale;
    const std::vector<cella> prima = m.celle;
    EXPECT_EQ(numero_esito(memo_rallentamento(m, {10000, 60, 500, 0, 1, 60})), c.esito);
    EXPECT_EQ(m.celle, prima) << c.esito;
  }
}

TEST(MemoRallentamento, ApproachCollisionKeepsTheThreeMarks) {
  modello m = con_celle(400);
  m.celle[174].codice = codice_cella::cartello;
  EXPECT_EQ(memo_rallentamento(m, {10000, 60, 500, 0, 1, 60}),
            esito::avvicinamento_su_cella_occupata);
  EXPECT_EQ(m.celle[177].codice, 4);
  EXPECT_EQ(m.celle[201].codice, 3);
  EXPECT_EQ(m.celle[211].codice, 2);
  EXPECT_EQ(m.celle[176].codice, 0);
}

TEST(MemoRallentamento, AnEndPastTheCellsFails) {
  modello m = con_celle(100);
  EXPECT_THROW(memo_rallentamento(m, {4000, 60, 2000, 0, 0, 0}), guasto_lettura);
  EXPECT_THROW(memo_rallentamento(m, {INT32_MAX - 10, 60, 20, 0, 0, 0}), guasto_lettura);
}

}  // namespace
}  // namespace scen
