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

struct segnale {
  Long f[11];
};

void metti_segnale(modello& m, segnale s) {
  Long* f = s.f;
  memo_segnale(m, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10]);
}

TEST(MemoSegnale, TheFirstCarriedSignal) {
  modello m = con_celle(100);
  m.celle[22].codice = codice_cella::segnale_montagna;
  metti_segnale(m, {{1050, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0}});
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

TEST(MemoSegnale, TheExtraValueOnlyForClassTwo) {
  struct caso {
    Long f2, f11, valore_5, f11_dopo;
  };
  for (const caso& c : {caso{2, 50, 101, 101}, caso{2, 0, 0, 0}, caso{2, 115, 115, 115},
                        caso{2, 100, 101, 101}, caso{1, 50, 0, 101}, caso{1, 300, 0, 300}}) {
    modello m = con_celle(100);
    Long f[11] = {1050, c.f2, 0, 0, 0, 0, 0, 0, 0, 0, c.f11};
    memo_segnale(m, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10]);
    EXPECT_EQ(m.celle[22].valore_5, c.valore_5) << c.f2 << " " << c.f11;
    EXPECT_EQ(f[10], c.f11_dopo);
  }
  modello m = con_celle(100);
  EXPECT_THROW(metti_segnale(m, {{1050, 2, 0, 0, 0, 0, 0, 0, 0, 0, 256}}), guasto_lettura);
}

TEST(MemoSegnale, AnOccupiedCellSets16AndWritesNothing) {
  modello m = con_celle(100);
  m.celle[22].codice = codice_cella::fermata;
  const modello prima = m;
  metti_segnale(m, {{1050, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0}});
  EXPECT_EQ(m.errore_codice, esito::segnale_su_cella_occupata);
  EXPECT_EQ(m.celle, prima.celle);
}

TEST(MemoSegnale, MarksBeforeCellZeroFailWhereTheyFall) {
  modello m = con_celle(100);
  try {
    metti_segnale(m, {{100, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0}});  // cell 3: marks at 1, -1
    FAIL();
  } catch (const guasto_lettura& g) {
    EXPECT_EQ(g.causa, "indice di cella -1 prima della cella 0");
  }
  EXPECT_EQ(m.celle[3].codice, codice_cella::segnale);
  EXPECT_EQ(m.celle[1].avvicinamento, 81);
}

TEST(MemoSegnale, ValueWordsAndMarksMustFitTheirFields) {
  modello m = con_celle(100);
  try {
    metti_segnale(m, {{1050, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0}});  // kind 27: marks 271..274
    FAIL();
  } catch (const guasto_lettura& g) {
    EXPECT_EQ(g.causa, "valore 271 fuori dal campo avvicinamento (0..255)");
  }
  EXPECT_EQ(m.celle[22].valore_4, 27);
  EXPECT_THROW(metti_segnale(m, {{2050, 2, 4000, 0, 0, 0, 0, 0, 0, 0, 0}}), guasto_lettura);
}

void metti_rallentamento(modello& m, Long g1, Long g2, Long g3, Long g4, Long g5, Long g6) {
  memo_rallentamento(m, g1, g2, g3, g4, g5, g6);
}

TEST(MemoRallentamento, TheFirstCarriedSlowdown) {
  modello m = con_celle(6821);
  metti_rallentamento(m, 291850, 60, 500, 0, 1, 60);
  EXPECT_EQ(m.errore_codice, esito::nessuno);
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
  metti_rallentamento(m, 10000, 30, 200, 1, 1, 0);
  EXPECT_EQ(m.celle[201].valore_3, 1);  // start
  EXPECT_EQ(m.celle[205].valore_3, 1);  // end
  EXPECT_EQ(m.celle[205].valore_2, 0);
  EXPECT_EQ(m.celle[177].valore_1, 30);  // warning point
  EXPECT_EQ(m.celle[176].valore_1, 1);
  EXPECT_EQ(m.celle[176].valore_2, 0);
}

TEST(MemoRallentamento, AtOrBelow1500NoWarningPointNorApproachCells) {
  modello m = con_celle(100);
  metti_rallentamento(m, 1500, 60, 40, 0, 1, 60);  // start 31, end 32 (1540 / 50 + 1 = 31.8)
  EXPECT_EQ(m.errore_codice, esito::nessuno);
  int codificate = 0;
  for (const cella& c : m.celle) codificate += c.codice != 0;
  EXPECT_EQ(codificate, 2);
  EXPECT_EQ(m.celle[31].codice, 3);
  EXPECT_EQ(m.celle[32].codice, 2);
}

TEST(MemoRallentamento, StartAndEndShareACellOnlyWhereRoundingPutsThemThere) {
  modello m = con_celle(100);
  metti_rallentamento(m, 1000, 60, 20, 0, 0, 0);  // 21 and 21.4: one cell, code 3
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
    metti_rallentamento(m, 10000, 60, 500, 0, 1, 60);
    EXPECT_EQ(numero_esito(m.errore_codice), c.esito);
    EXPECT_EQ(m.celle, prima) << c.esito;
  }
}

TEST(MemoRallentamento, ApproachCollisionKeepsTheThreeMarks) {
  modello m = con_celle(400);
  m.celle[174].codice = codice_cella::cartello;
  metti_rallentamento(m, 10000, 60, 500, 0, 1, 60);
  EXPECT_EQ(m.errore_codice, esito::avvicinamento_su_cella_occupata);
  EXPECT_EQ(m.celle[177].codice, 4);
  EXPECT_EQ(m.celle[201].codice, 3);
  EXPECT_EQ(m.celle[211].codice, 2);
  EXPECT_EQ(m.celle[176].codice, 0);
}

TEST(MemoRallentamento, AnEndPastTheCellsFails) {
  modello m = con_celle(100);
  EXPECT_THROW(metti_rallentamento(m, 4000, 60, 2000, 0, 0, 0), guasto_lettura);
  EXPECT_THROW(metti_rallentamento(m, INT32_MAX - 10, 60, 20, 0, 0, 0), guasto_lettura);
}

}  // namespace
}  // namespace scen
