#include "import/curve_strette.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace scen {
namespace {

// A path of points every `passo` m: 500 m straight, an arc of `raggio` m
// turning a quarter to the right, 500 m straight; and the place of each
// point along it.
struct percorso {
  std::vector<punto_piano> punti;
  std::vector<double> lungo;
};

percorso con_arco(double raggio, double passo = 10) {
  percorso p;
  const double arco = raggio * std::numbers::pi / 2;
  const double totale = 1000 + arco;
  for (double u = 0; u <= totale; u += passo) {
    punto_piano q;
    if (u <= 500) {
      q = {0, u};
    } else if (u <= 500 + arco) {
      const double a = (u - 500) / raggio;
      q = {raggio - raggio * std::cos(a), 500 + raggio * std::sin(a)};
    } else {
      q = {raggio + (u - 500 - arco), 500 + raggio};
    }
    p.punti.push_back(q);
    p.lungo.push_back(u);
  }
  return p;
}

TEST(CurveStrette, TheRadiusOfTheGivenPointsIsTheArcsInsideIt) {
  for (double raggio : {120.0, 250.0, 600.0}) {
    const percorso p = con_arco(raggio);
    const std::vector<double> r = raggi_del_percorso(p.punti, p.lungo);
    ASSERT_EQ(r.size(), static_cast<size_t>(std::floor(p.lungo.back())) + 1);
    const size_t mezzo = static_cast<size_t>(500 + raggio * std::numbers::pi / 4);
    EXPECT_NEAR(r[mezzo], raggio, raggio * 0.02) << raggio;
    EXPECT_TRUE(std::isinf(r[200])) << raggio;  // on the straight
  }
}

TEST(CurveStrette, AStretchIsWarnedOnlyWhereAToTightCurveSendsThePlanAstray) {
  struct caso {
    double raggio;
    double scarto;  // how far the plan strays about the arc
    size_t tratti;
  } casi[] = {
      {120, 45, 1},  // tight, and the plan astray: warned
      {120, 8, 0},   // tight but the plan keeps near it
      {600, 45, 0},  // astray for some other reason than a tight curve
  };
  for (const caso& c : casi) {
    const percorso p = con_arco(c.raggio);
    const std::vector<double> r = raggi_del_percorso(p.punti, p.lungo);
    std::vector<double> scarti(r.size(), 2);
    for (size_t m = 550; m < 700; ++m) scarti[m] = c.scarto;
    const std::vector<tratto_stretto> t = tratti_stretti(r, scarti);
    ASSERT_EQ(t.size(), c.tratti) << c.raggio << " " << c.scarto;
    if (t.empty()) continue;
    EXPECT_NEAR(t[0].raggio, c.raggio, c.raggio * 0.05);
    EXPECT_EQ(t[0].scarto, c.scarto);
    EXPECT_GE(t[0].inizio, 400);
    EXPECT_LE(t[0].fine, 500 + static_cast<long>(c.raggio * std::numbers::pi / 2) + 100);
  }
}

}  // namespace
}  // namespace scen
