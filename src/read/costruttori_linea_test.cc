#include "read/costruttori_linea.h"

#include <gtest/gtest.h>

#include "read/accesso.h"

namespace scen {
namespace {

struct terna {
  Long inizio, scostamento, decrescente;
  friend bool operator==(const terna&, const terna&) = default;
};

void metti(modello& m, int indice, terna t) {
  m.registri[indice].inizio = t.inizio;
  m.registri[indice].fine = t.scostamento;
  m.registri[indice].progressiva = t.decrescente;
}

terna di(const modello& m, int indice) {
  return {m.registri[indice].inizio, m.registri[indice].fine, m.registri[indice].progressiva};
}

TEST(ProgressiveOrdina, OrdersByStartWithItsTieRules) {
  struct caso {
    const char* nome;
    terna tre, due, uno;  // as read into 81, 82, 83
    terna r81, r82, r83;  // after ordering
  };
  const terna T{300, 10, 0}, D{200, 20, 0}, U{100, 30, 0};
  const terna z{0, 0, 0};
  const caso casi[] = {
      {"carried",
       {315950, 412050, 1},
       {284500, -284500, 0},
       {31100, 3050, 0},
       {315950, 412150, 1},
       {284500, -284500, 0},
       {31100, 3050, 0}},
      {"ascending from tre", U, D, T, T, D, U},
      {"D greatest, T over U", D, T, U, T, D, U},
      {"max T, tie below: U then D",
       {300, 1, 0},
       {100, 2, 0},
       {100, 3, 0},
       {300, 1, 0},
       {100, 3, 0},
       {100, 2, 0}},
      {"max D, tie below: U then T",
       {100, 1, 0},
       {300, 2, 0},
       {100, 3, 0},
       {300, 2, 0},
       {100, 3, 0},
       {100, 1, 0}},
      {"max U, tie below: D then T",
       {100, 1, 0},
       {100, 2, 0},
       {300, 3, 0},
       {300, 3, 0},
       {100, 2, 0},
       {100, 1, 0}},
      {"largest start shared", {300, 1, 1}, {300, 2, 0}, {100, 3, 0}, z, z, z},
      {"three equal starts", {50, 1, 0}, {50, 2, 0}, {50, 3, 0}, z, z, z},
      {"starts add to 0, only D's offset above 0",
       {0, 0, 0},
       {0, 500, 0},
       {0, -5, 0},
       {0, 500, 0},
       {0, 0, 0},
       {0, -5, 0}},
      {"starts add to 0, T's offset",
       {-50, 5, 0},
       {0, 0, 0},
       {50, 0, 0},
       {-50, 5, 0},
       {0, 0, 0},
       {50, 0, 0}},
      {"starts add to 0, U's offset wins",
       {0, 5, 0},
       {0, 6, 0},
       {0, 7, 0},
       {0, 7, 0},
       {0, 6, 0},
       {0, 5, 0}},
      {"starts add to 0, no offset above 0", {0, 0, 1}, {0, -1, 0}, {0, 0, 0}, z, z, z},
      {"flag adds 100 after ordering",
       {0, 0, 0},
       {0, 0, 0},
       {100, 50, 1},
       {100, 150, 1},
       {0, 0, 0},
       {0, 0, 0}},
  };
  for (const caso& c : casi) {
    modello m;
    metti(m, 81, c.tre);
    metti(m, 82, c.due);
    metti(m, 83, c.uno);
    progressive_ordina(m);
    EXPECT_EQ(di(m, 81), c.r81) << c.nome;
    EXPECT_EQ(di(m, 82), c.r82) << c.nome;
    EXPECT_EQ(di(m, 83), c.r83) << c.nome;
  }
}

TEST(ProgressiveOrdina, ASumOfStartsBeyond32BitsFails) {
  modello m;
  metti(m, 81, {INT32_MAX, 0, 0});
  metti(m, 82, {1, 0, 0});
  EXPECT_THROW(progressive_ordina(m), guasto_lettura);
}

modello con_celle(size_t numero) {
  modello m;
  m.celle.resize(numero);
  m.ultima_cella = static_cast<Long>(numero) - 1;
  return m;
}

void zona(modello& m, Long inizio, Long fine, Long valore) {
  memo_montagna(m, {inizio, fine, valore});
}

TEST(MemoMontagna, ValueAboveTenGivesMarkersOnEveryFourthFreeCell) {
  modello m = con_celle(100);
  m.celle[47].codice = codice_cella::cartello;
  zona(m, 2000, 2500, 12);
  for (int i = 0; i < 100; ++i) {
    EXPECT_EQ(m.celle[i].montagna, (i >= 40 && i <= 49) ? 2 : 0) << i;
    const Byte atteso = i == 43   ? codice_cella::segnale_montagna
                        : i == 47 ? codice_cella::cartello
                                  : 0;
    EXPECT_EQ(m.celle[i].codice, atteso) << i;
  }
  EXPECT_EQ(m.montagne_numero, 1);
  EXPECT_EQ(m.montagne_inizio[1], 2000);
  EXPECT_EQ(m.montagne_fine[1], 2500);
}

TEST(MemoMontagna, ValueTwoPutsNoMarkersAndCloseZonesTakeThree) {
  modello m = con_celle(200);
  zona(m, 1000, 1500, 2);
  zona(m, 1650, 2000, 12);  // 150 m after the previous end: value 3, markers kept
  zona(m, 2200, 2400, 4);   // 200 m after: keeps its value
  EXPECT_EQ(m.celle[20].montagna, 2);
  EXPECT_EQ(m.celle[23].codice, 0);
  EXPECT_EQ(m.celle[33].montagna, 3);
  EXPECT_EQ(m.celle[36].codice, codice_cella::segnale_montagna);
  EXPECT_EQ(m.celle[44].montagna, 4);
  EXPECT_EQ(m.celle[48].montagna, 0);
}

TEST(MemoMontagna, HalvesRoundToEvenAndTheValueKeepsItsLowByte) {
  modello m = con_celle(20);
  zona(m, 75, 175, -255);  // cells 2 (1.5) to 2 (175/50 - 1 = 2.5); low byte 1
  EXPECT_EQ(m.celle[1].montagna, 0);
  EXPECT_EQ(m.celle[2].montagna, 1);
  EXPECT_EQ(m.celle[3].montagna, 0);
  zona(m, 500, 400, 1);  // first cell after the last: nothing
  for (int i = 4; i < 20; ++i) EXPECT_EQ(m.celle[i].montagna, 0);
}

TEST(MemoMontagna, AZonePastTheLastCellFailsThereKeepingEarlierCells) {
  modello m = con_celle(143);
  try {
    zona(m, 7000, 9000, 2);
    FAIL();
  } catch (const guasto_lettura& g) {
    EXPECT_EQ(g.causa,
              "la zona di montagna da 7000 a 9000 m: la cella 143 va oltre l'ultima, la cella "
              "142 (da 7100 a 7150 m)");
    EXPECT_EQ(g.campo, 2);  // the zone's end is at fault
  }
  EXPECT_EQ(m.celle[140].montagna, 2);
  EXPECT_EQ(m.celle[142].montagna, 2);
}

TEST(MemoMontagna, An81stZoneFails) {
  modello m = con_celle(10);
  for (int i = 0; i < 80; ++i) zona(m, 1000, 0, 1);
  try {
    zona(m, 1000, 0, 1);
    FAIL();
  } catch (const guasto_lettura& g) {
    EXPECT_EQ(g.causa, "più di 80 zone di montagna: questa è la n. 81");
  }
}

TEST(MemoIndicatoriVMax, StoresThePairsInTheCellAfterThePosition) {
  modello m = con_celle(200);
  m.celle[147].codice = codice_cella::segnale_montagna;
  m.celle[147].montagna = 2;
  EXPECT_EQ(memo_indicatori_v_max(m, {7300, {75, 80, 85, 2}, {75, 80, 85, 1}}), esito::nessuno);
  const cella& c = m.celle[147];
  EXPECT_EQ(c.codice, codice_cella::indicatore_velocita);
  EXPECT_EQ(c.valore_1, 1515);
  EXPECT_EQ(c.valore_2, 1616);
  EXPECT_EQ(c.valore_3, 1717);
  EXPECT_EQ(c.valore_4, 21);
  EXPECT_EQ(c.montagna, 2);
  EXPECT_EQ(m.errore_codice, esito::nessuno);

  memo_indicatori_v_max(m, {1000, {90, 95, 100, 0}, {}});
  EXPECT_EQ(m.celle[21].valore_1, 1800);
  EXPECT_EQ(m.celle[21].valore_2, 1900);
  EXPECT_EQ(m.celle[21].valore_3, 2000);
}

TEST(MemoIndicatoriVMax, AnOccupiedCellSets21AndWritesNothing) {
  modello m = con_celle(200);
  m.celle[147].codice = codice_cella::cartello;
  const cella prima = m.celle[147];
  EXPECT_EQ(memo_indicatori_v_max(m, {7300, {75, 80, 85, 0}, {75, 80, 85, 0}}),
            esito::indicatore_su_cella_occupata);
  EXPECT_EQ(m.celle[147], prima);
  EXPECT_EQ(m.errore_codice, esito::nessuno);  // the reader records the outcome
}

TEST(MemoIndicatoriVMax, PairsRoundToNearestAndMustFitSixteenBits) {
  modello m = con_celle(200);
  memo_indicatori_v_max(m, {100, {1, 1, 1638, 0}, {7, 8, 0, 0}});  // 20 + 1.4, 20 + 1.6, 32760
  EXPECT_EQ(m.celle[3].valore_1, 21);
  EXPECT_EQ(m.celle[3].valore_2, 22);
  EXPECT_EQ(m.celle[3].valore_3, 32760);

  try {
    memo_indicatori_v_max(m, {200, {1639, 0, 0, 0}, {}});
    FAIL();
  } catch (const guasto_lettura& g) {
    EXPECT_EQ(g.causa,
              "la coppia delle prime velocità dell'indicatore, 20 × campo 2 + campo 6 / 5, vale "
              "32780, ma va da -32768 a 32767");
    EXPECT_EQ(g.campo, 2);
  }
  EXPECT_EQ(m.celle[5].codice, codice_cella::indicatore_velocita);  // written before the failure

  // 33000 - 300: the sum is what must fit.
  memo_indicatori_v_max(m, {300, {0, 0, 0, 3300}, {0, 0, 0, -300}});
  EXPECT_EQ(m.celle[7].valore_4, 32700);
}

TEST(IndiciDiCella, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(cella_di(7025), 140);
  EXPECT_EQ(cella_di(7075), 142);
  EXPECT_EQ(cella_di(7074), 141);
  EXPECT_EQ(cella_di(25), 0);
  EXPECT_EQ(cella_dopo(25), 2);  // 1.5
  EXPECT_EQ(cella_di(-25), 0);
  EXPECT_EQ(cella_di(-75), -2);
  EXPECT_EQ(cella_di(-76), -2);
  EXPECT_EQ(cella_dopo(7300), 147);
}

}  // namespace
}  // namespace scen
