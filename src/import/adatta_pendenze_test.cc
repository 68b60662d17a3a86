#include <gtest/gtest.h>

#include <vector>

#include "import/adatta.h"
#include "testing/tracce_prova.h"

namespace scen {
namespace {

struct tratto {
  long fine;      // m
  long pendenza;  // per mille
};

// Heights one a metre along stretches of known gradients, sampled every 20 m
// with normal noise of `sigma` and joined by straight lines between samples,
// as a track's points give them.
std::vector<double> profilo(const std::vector<tratto>& tratti, double sigma, uint64_t seme) {
  std::vector<double> vere{250.0};
  for (const tratto& t : tratti)
    while (static_cast<long>(vere.size()) <= t.fine)
      vere.push_back(vere.back() + static_cast<double>(t.pendenza) / 1000.0);
  prova::rumore r(seme);
  std::vector<double> campioni;
  for (size_t m = 0; m < vere.size(); m += 20) campioni.push_back(vere[m] + sigma * r.normale());
  std::vector<double> quote(vere.size());
  for (size_t m = 0; m < quote.size(); ++m) {
    const size_t i = m / 20;
    const double f = static_cast<double>(m % 20) / 20.0;
    quote[m] =
        i + 1 < campioni.size() ? campioni[i] + f * (campioni[i + 1] - campioni[i]) : campioni[i];
  }
  return quote;
}

std::vector<std::pair<Long, Long>> coppie(const std::vector<pendenza_importata>& p) {
  std::vector<std::pair<Long, Long>> c;
  for (const pendenza_importata& x : p) c.emplace_back(x.posizione, x.valore);
  return c;
}

// Without noise the stretches come back exactly; through noise, as many
// records with the same gradients, each where its stretch begins or within a
// few cells of it where the change is small (3 per mille at 15 km).
TEST(AdattaPendenze, FindsTheStretchesThroughNoiseWithoutBuyingRecords) {
  const std::vector<tratto> tratti = {{2000, 5}, {3500, -7}, {9000, 12}, {15000, 0}, {20000, -3}};
  const std::vector<std::pair<Long, Long>> attese = {
      {0, 5}, {2000, -7}, {3500, 12}, {9000, 0}, {15000, -3}};
  EXPECT_EQ(coppie(adatta_pendenze(profilo(tratti, 0, 1))), attese);
  for (double sigma : {0.5, 1.0})
    for (uint64_t seme : {1, 2, 3}) {
      const auto trovate = coppie(adatta_pendenze(profilo(tratti, sigma, seme)));
      ASSERT_EQ(trovate.size(), attese.size()) << sigma << " " << seme;
      for (size_t i = 0; i < attese.size(); ++i) {
        EXPECT_EQ(trovate[i].second, attese[i].second) << sigma << " " << seme << " " << i;
        EXPECT_LE(std::abs(trovate[i].first - attese[i].first), 200) << sigma << " " << seme;
      }
    }
}

TEST(AdattaPendenze, FollowsAJumpOfTheHeightsAndAShortOrEmptyProfile) {
  // A height that leaps by 40 m, far more than a cell can climb, is followed
  // as closely as the gradients allow: the fit does not fail.
  std::vector<double> quote = profilo({{3000, 2}}, 0, 1);
  for (size_t m = 1500; m < quote.size(); ++m) quote[m] += 40;
  const std::vector<pendenza_importata> p = adatta_pendenze(quote);
  ASSERT_FALSE(p.empty());
  EXPECT_EQ(p.front().posizione, 0);
  for (const pendenza_importata& x : p) {
    EXPECT_EQ(x.posizione % 50, 0);
    EXPECT_LE(std::abs(x.valore), 60);
  }
  EXPECT_EQ(coppie(adatta_pendenze({})), (std::vector<std::pair<Long, Long>>{{0, 0}}));
  EXPECT_EQ(coppie(adatta_pendenze(std::vector<double>(40, 3.0))),
            (std::vector<std::pair<Long, Long>>{{0, 0}}));
}

}  // namespace
}  // namespace scen
