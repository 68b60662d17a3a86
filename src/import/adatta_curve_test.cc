#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "import/adatta.h"
#include "testing/onde_prova.h"

namespace scen {
namespace {

// A line of 203 km waving tighter than any curve class: the plan strays
// from it at every crest and the fit widens its tolerance there. It comes
// to the track's end, each metre matched to one of the track within the
// drift allowed, and redraws to a plan of its own length: a fit that walked
// the track's length at every metre would not end here for minutes.
TEST(AdattaCurve, ALongLineWavingTighterThanAnyClassIsFittedToItsEnd) {
  const std::vector<punto_piano> t = prova::onda(203000, 100, 700);
  std::vector<long> corrispondenze;
  const std::vector<curva_importata> curve = adatta_curve(t, corrispondenze);
  ASSERT_GT(corrispondenze.size(), 200000u);
  EXPECT_EQ(corrispondenze.back(), static_cast<long>(t.size()) - 1);
  for (size_t m = 1; m < corrispondenze.size(); ++m) {
    ASSERT_LE(std::abs(corrispondenze[m] - static_cast<long>(m)), 25) << m;
    ASSERT_GE(corrispondenze[m], corrispondenze[m - 1] - 25) << m;
  }
  EXPECT_FALSE(curve.empty());
  for (const curva_importata& c : curve) {
    EXPECT_GE(c.classe, 1);
    EXPECT_LE(c.classe, 6);
    EXPECT_GT(c.lunghezza, 0);
  }
}

// A line waving within the tolerance is one straight run however long.
TEST(AdattaCurve, ALineWavingWithinTheToleranceIsStraight) {
  const std::vector<punto_piano> t = prova::onda(150000, 3, 1000);
  std::vector<long> corrispondenze;
  EXPECT_TRUE(adatta_curve(t, corrispondenze).empty());
  EXPECT_EQ(corrispondenze.back(), static_cast<long>(t.size()) - 1);
}

}  // namespace
}  // namespace scen
