#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// Heights `vere` (one a metre) sampled every 20 m with heavy-tailed noise
// (mostly normal of `sigma`, one sample in ten five times wider) and, one
// sample in `ogni_salto`, an outlier of up to 30 m either way; joined by
// straight lines between samples.
std::vector<double> rumorose(const std::vector<double>& vere, double sigma, long ogni_salto,
                             uint64_t seme) {
  prova::rumore r(seme);
  std::vector<double> campioni;
  for (size_t m = 0; m < vere.size(); m += 20) {
    double e = sigma * r.normale();
    if (r.uniforme() < 0.1) e *= 5;
    if (ogni_salto > 0 && r.uniforme() < 1.0 / static_cast<double>(ogni_salto))
      e += (r.uniforme() - 0.5) * 60;
    campioni.push_back(vere[m] + e);
  }
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
      ASSERT_EQ(trovate.size(), attese.size())
          << sigma << " " << seme << " " << ::testing::PrintToString(trovate);
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

// The records read the other way along a line of `lunghezza`: each stretch
// [x, x') of gradient g becomes [lunghezza - x', lunghezza - x) of -g.
std::vector<std::pair<Long, Long>> specchiate(const std::vector<std::pair<Long, Long>>& p,
                                              Long lunghezza) {
  std::vector<std::pair<Long, Long>> r;
  for (size_t i = p.size(); i-- > 0;)
    r.emplace_back(i + 1 == p.size() ? 0 : lunghezza - p[i + 1].first, -p[i].second);
  return r;
}

Long arrotondata(size_t metri) {
  return static_cast<Long>(std::llround(static_cast<double>(metri) / 50.0) * 50);
}

// A level line whose heights carry heavy-tailed noise and outliers of up to
// 30 m, as a phone logs them, gets few records, all near level.
TEST(AdattaPendenze, ALevelLineThroughHeavyTailedNoiseAndOutliersStaysNearLevel) {
  const std::vector<double> piana(20001, 300.0);
  for (const double sigma : {1.0, 3.0, 6.0})
    for (uint64_t seme : {1, 2, 3, 4}) {
      const auto p = coppie(adatta_pendenze(rumorose(piana, sigma, 15, seme)));
      EXPECT_LE(p.size(), 4u) << sigma << " " << seme;
      for (const auto& [dove, valore] : p) EXPECT_LE(std::abs(valore), 3) << sigma << " " << seme;
    }
}

// A known profile through heavy-tailed noise and outliers comes back: the
// gradient in force in the middle of each stretch is its own within 1 per
// mille, with at most one record more than the stretches (a kink may take
// two steps).
TEST(AdattaPendenze, FindsAKnownProfileThroughOutliers) {
  const std::vector<tratto> tratti = {{3000, 0}, {7000, 10}, {12000, -6}, {16000, 0}};
  const std::vector<double> vere = profilo(tratti, 0, 1);
  for (uint64_t seme : {1, 2, 3, 4, 5}) {
    const auto trovate = coppie(adatta_pendenze(rumorose(vere, 1.0, 20, seme)));
    EXPECT_LE(trovate.size(), tratti.size() + 1)
        << seme << " " << ::testing::PrintToString(trovate);
    long inizio = 0;
    for (const tratto& t : tratti) {
      const long mezzo = (inizio + t.fine) / 2;
      inizio = t.fine;
      Long in_forza = trovate.front().second;
      for (const auto& [dove, valore] : trovate)
        if (dove <= mezzo) in_forza = valore;
      EXPECT_LE(std::abs(in_forza - t.pendenza), 1) << seme << " at " << mezzo;
    }
  }
}

// The profile read the other way gives the records mirrored along the line
// (whose length is the profile's rounded to 50 m), exactly, whether or not
// the profile's length is a multiple of 50 m, noisy or not, from a track's
// points or from a tile's grid.
TEST(AdattaPendenze, TheProfileReadTheOtherWayGivesTheRecordsMirrored) {
  struct caso {
    size_t lunghezza;
    double sigma;
    double correlazione;
  };
  const std::vector<caso> casi = {{9000, 0, 0}, {9000, 1.5, 0}, {9017, 1.5, 0}, {9033, 0.8, 0},
                                  {9049, 3, 0}, {9025, 1, 0},   {9010, 2, 92},  {8980, 0.5, 92}};
  const std::vector<tratto> tratti = {{2000, 4}, {2600, 14}, {5000, -3}, {9100, 6}};
  for (const caso& c : casi)
    for (uint64_t seme : {1, 2}) {
      std::vector<double> vere = profilo(tratti, 0, 1);
      vere.resize(c.lunghezza + 1);
      const std::vector<double> quote = rumorose(vere, c.sigma, 30, seme);
      const std::vector<double> rovescio(quote.rbegin(), quote.rend());
      const auto avanti = coppie(adatta_pendenze(quote, c.correlazione));
      const auto indietro = coppie(adatta_pendenze(rovescio, c.correlazione));
      EXPECT_EQ(indietro, specchiate(avanti, arrotondata(c.lunghezza)))
          << c.lunghezza << " " << c.sigma << " " << seme;
    }
}

// Heights drawn straight across a long bridge whose gradient changes on it
// (7 per mille to 3 at 4,000 m, the bridge from 3,000 to 5,800 m): marked as
// not seen, they let the gradients on either side run on and meet where the
// heights at the bridge's ends ask, at the true change; read the other way,
// the same records mirrored. Taken as seen, the straight line would give a
// mean gradient across the bridge.
TEST(AdattaPendenze, HeightsNotSeenAcrossAStructureLetTheGradientsOutsideMeetInIt) {
  const std::vector<tratto> tratti = {{4000, 7}, {8000, 3}};
  for (uint64_t seme : {1, 2, 3}) {
    std::vector<double> quote = profilo(tratti, 0.5, seme);
    std::vector<double> viste(quote.size(), 1.0);
    const size_t a = 3000, b = 5800;
    for (size_t m = a + 1; m < b; ++m) {
      quote[m] = quote[a] +
                 (quote[b] - quote[a]) * static_cast<double>(m - a) / static_cast<double>(b - a);
      viste[m] = 0;
    }
    const auto avanti = coppie(adatta_pendenze(quote, 0, viste));
    ASSERT_EQ(avanti.size(), 2u) << seme << " " << ::testing::PrintToString(avanti);
    EXPECT_EQ(avanti[0], (std::pair<Long, Long>{0, 7})) << seme;
    EXPECT_EQ(avanti[1].second, 3) << seme;
    EXPECT_LE(std::abs(avanti[1].first - 4000), 150) << seme;
    const std::vector<double> rovescio(quote.rbegin(), quote.rend());
    const auto indietro =
        coppie(adatta_pendenze(rovescio, 0, std::vector<double>(viste.rbegin(), viste.rend())));
    EXPECT_EQ(indietro, specchiate(avanti, arrotondata(quote.size() - 1))) << seme;
  }
}

// No record is steeper than the heights show over 500 m around it: a hill
// that a tile sees above a cutting on a level line, short and high, does not
// give the steep records that would follow it, with or without noise.
TEST(AdattaPendenze, NoRecordIsSteeperThanTheHeightsOver500Metres) {
  struct caso {
    double altezza;  // of the hill (m)
    long larghezza;  // m
    double sigma;
  };
  const std::vector<caso> casi = {{8, 200, 0}, {15, 300, 0}, {6, 150, 0.5}, {25, 400, 1}};
  for (const caso& c : casi) {
    std::vector<double> vere(6001);
    for (long m = 0; m <= 6000; ++m) {
      const double x = static_cast<double>(m - 3000) / static_cast<double>(c.larghezza / 2);
      vere[static_cast<size_t>(m)] =
          400 + 0.002 * static_cast<double>(m) + (std::abs(x) < 1 ? c.altezza * (1 - x * x) : 0);
    }
    const auto p = coppie(adatta_pendenze(rumorose(vere, c.sigma, 0, 7)));
    for (size_t i = 0; i < p.size(); ++i) {
      // The steepest chord of 500 m of the true heights that overlaps the
      // record's stretch.
      const long da = p[i].first, a = i + 1 < p.size() ? p[i + 1].first : 6000;
      double ripida = 0;
      for (long s = std::max(0L, da - 500); s <= std::min(5500L, a); ++s)
        ripida = std::max(
            ripida,
            std::abs(vere[static_cast<size_t>(s + 500)] - vere[static_cast<size_t>(s)]) / 0.5);
      EXPECT_LE(std::abs(p[i].second), std::llround(ripida) + 1)
          << c.altezza << " " << c.larghezza << " at " << da;
    }
  }
}

}  // namespace
}  // namespace scen
