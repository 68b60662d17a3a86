#include "documents/ordine_rallentamenti.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scen {
namespace {

stazione_descritta stazione(std::string nome, std::int64_t posizione) {
  return {std::move(nome), posizione, posizione - 200, posizione + 200, 0, 0, 0, 0};
}

descrizioni_documenti linea_breve(std::vector<rallentamento_descritto> rallentamenti) {
  descrizioni_documenti d;
  d.progressive = {{5000, 1000, false}};
  d.stazioni = {stazione("Vela", 0), stazione("Borgo", 3000), stazione("Nuro Centrale", 9000)};
  d.rallentamenti = std::move(rallentamenti);
  return d;
}

TEST(OrdineRallentamenti, StationsASlowdownLiesAmong) {
  const std::vector<stazione_descritta> stazioni = linea_breve({}).stazioni;
  const struct {
    std::int64_t inizio;
    const char* attese;
  } casi[] = {
      {-500, "Vela"},         // before the first station
      {150, "Vela"},          // inside its extent
      {200, "Vela"},          // at its end
      {250, "Vela e Borgo"},  //
      {2800, "Borgo"},        //
      {5000, "Borgo e Nuro Centrale"},
      {9300, "Nuro Centrale"},  // after the last
  };
  for (const auto& c : casi) EXPECT_EQ(stazioni_del_rallentamento(stazioni, c.inizio), c.attese);
}

TEST(OrdineRallentamenti, OneRowPerSlowdownAndEmptyRowsToTwentySix) {
  std::vector<diagnostica> problemi;
  const std::vector<std::string> ordine = ordine_rallentamenti(
      linea_breve({{1800, 60, 500, false, 20}, {7300, 30, 1200, true, 21}}), "R 2", problemi);
  EXPECT_TRUE(problemi.empty());
  ASSERT_EQ(ordine.size(), 46u);
  EXPECT_EQ(ordine[4], "  Linea  Vela-Nuro C.le");
  EXPECT_EQ(ordine[6],
            "  Si ordina al macchinista del treno R 2 di effettuare i seguenti rallentamenti");
  // After the jump at 5000 m the count goes on from 6.000: 7300 m is 8.300.
  EXPECT_EQ(ordine[12],
            " | 1 |Vela e Borgo                |Km 1.000    |  60Km/h  |  500    |            |");
  EXPECT_EQ(ordine[13],
            " | 2 |Borgo e Nuro Centrale       |Km 8.000    |  30Km/h  |  1200   |     A      |");
  for (size_t i = 14; i < 38; ++i)
    EXPECT_EQ(ordine[i],
              " |   |                            |            |          |         |            |");
  for (size_t i = 8; i < 39; ++i) EXPECT_EQ(ordine[i].size(), 82u) << i;
  EXPECT_EQ(ordine[38], ordine[11]);
  EXPECT_EQ(ordine[43], " D - Rallentamneto N. ... e N. ...  sono contigui");
}

TEST(OrdineRallentamenti, TheTenthRowAndTheLastThatFits) {
  std::vector<rallentamento_descritto> rallentamenti(26, {1800, 60, 500, false, 20});
  std::vector<diagnostica> problemi;
  const std::vector<std::string> ordine =
      ordine_rallentamenti(linea_breve(rallentamenti), "R 2", problemi);
  EXPECT_TRUE(problemi.empty());
  EXPECT_EQ(ordine[21].substr(0, 6), " |10 |");
  EXPECT_EQ(ordine[37].substr(0, 6), " |26 |");
}

TEST(OrdineRallentamenti, WhatTheOrderCannotShowIsNamedAtItsLine) {
  const struct {
    const char* caso;
    std::vector<rallentamento_descritto> rallentamenti;
    diagnostica atteso;
  } casi[] = {
      {"more slowdowns than rows",
       std::vector<rallentamento_descritto>(27, {1800, 60, 500, false, 20}),
       problema_di(true, 20, 0, true,
                   "l'ordine di rallentamento ha posto per 26 rallentamenti: questo è il 27°")},
      {"a slowdown before the first kilometre post",
       {{-100, 60, 500, false, 31}},
       problema_di(
           true, 31, 0, true,
           "rallentamento a -100 m: prima del suo inizio la linea non ha un cippo chilometrico da "
           "cui l'ordine di rallentamento lo possa contare (la progressiva vi vale -0.100)")},
      {"a speed too wide for its cell",
       {{1800, 1234567, 500, false, 32}},
       problema_di(
           true, 32, 0, true,
           "rallentamento a 1800 m: la velocità 1234567 o la lunghezza 500 non stanno nelle celle "
           "dell'ordine di rallentamento")},
  };
  for (const auto& c : casi) {
    std::vector<diagnostica> problemi;
    EXPECT_TRUE(ordine_rallentamenti(linea_breve(c.rallentamenti), "R 2", problemi).empty())
        << c.caso;
    ASSERT_EQ(problemi.size(), 1u) << c.caso;
    EXPECT_EQ(problemi[0], c.atteso) << c.caso;
  }
  // Two station names too wide together.
  descrizioni_documenti d = linea_breve({{5000, 60, 500, false, 33}});
  d.stazioni[1].nome = "Borgo San Lorenzo Vecchio";
  std::vector<diagnostica> problemi;
  EXPECT_TRUE(ordine_rallentamenti(d, "R 2", problemi).empty());
  ASSERT_EQ(problemi.size(), 1u);
  EXPECT_EQ(problemi[0].causa,
            "rallentamento a 5000 m: «Borgo San Lorenzo Vecchio e Nuro Centrale» ha 41 caratteri, "
            "ma l'ordine di rallentamento ne mostra al più 28 per le stazioni");
}

}  // namespace
}  // namespace scen
