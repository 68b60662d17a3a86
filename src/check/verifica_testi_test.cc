#include "check/verifica_testi.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace scen {
namespace {

TEST(VerificaTesti, TheEditDistanceCountsASwapAsOneEdit) {
  const struct {
    std::string_view a, b;
    size_t d;
  } casi[] = {
      {"", "", 0},
      {"stazione", "stazione", 0},
      {"stazoine", "stazione", 1},
      {"sttazione", "stazione", 1},
      {"stazion", "stazione", 1},
      {"segnale", "stazione", 6},
      {"", "curva", 5},
      {"abcd", "badc", 2},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(std::string(c.a) + " / " + std::string(c.b));
    EXPECT_EQ(distanza(c.a, c.b), c.d);
    EXPECT_EQ(distanza(c.b, c.a), c.d);
    // Counted up to a limit: the distance itself within it, one more beyond.
    for (size_t limite = 0; limite <= 6; ++limite)
      EXPECT_EQ(distanza_entro(c.a, c.b, limite), std::min(c.d, limite + 1));
  }
}

TEST(VerificaTesti, AFieldOfAnyLengthHasNoNearWordButAShortOneHas) {
  const std::string_view parole[] = {"stazione", "segnale"};
  EXPECT_EQ(piu_vicina("Stazoine ", parole), "stazione");
  EXPECT_EQ(piu_vicina("stazione", parole), "");
  EXPECT_EQ(piu_vicina(std::string(8'000'000, 's'), parole), "");
}

}  // namespace
}  // namespace scen
