#include "model/esiti.h"

#include <gtest/gtest.h>

namespace scen {
namespace {

TEST(Esiti, OutcomeTextCarriesThePositionOnlyWhereOneApplies) {
  EXPECT_EQ(testo_esito(esito::fuori_dalle_celle, 340100), "15 alla posizione 340100");
  EXPECT_EQ(testo_esito(esito::stazioni_troppe, 340100), "10");
  EXPECT_EQ(testo_esito(esito::errore_di_lettura, 7), "25");
  EXPECT_EQ(testo_esito(esito::riduzione_nel_rallentamento, 0), "13 alla posizione 0");
}

TEST(Esiti, EveryNumberOfTheTableAndNoOther) {
  std::string numeri;
  for (Long n = 0; n <= 200; ++n)
    if (!descrizione_esito(static_cast<esito>(n)).empty()) numeri += std::to_string(n) + " ";
  EXPECT_EQ(numeri, "1 2 3 4 5 6 7 8 9 10 11 12 13 15 16 17 18 19 20 21 22 24 25 101 102 103 ");
  std::string con_posizione;
  for (Long n = 0; n <= 200; ++n)
    if (esito_con_posizione(static_cast<esito>(n))) con_posizione += std::to_string(n) + " ";
  EXPECT_EQ(con_posizione, "6 7 8 9 11 12 13 15 16 17 18 19 20 21 22 ");
}

}  // namespace
}  // namespace scen
