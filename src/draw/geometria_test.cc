#include "draw/geometria.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace scen {
namespace {

// The farthest that a point left out lies from the kept polyline between the
// two kept points around it.
double errore_massimo(const std::vector<punto>& punti, const std::vector<std::size_t>& tenuti) {
  double peggiore = 0;
  for (std::size_t k = 0; k + 1 < tenuti.size(); ++k)
    for (std::size_t i = tenuti[k] + 1; i < tenuti[k + 1]; ++i)
      peggiore = std::max(peggiore,
                          distanza_dal_segmento(punti[i], punti[tenuti[k]], punti[tenuti[k + 1]]));
  return peggiore;
}

struct caso_sfoltimento {
  std::string nome;
  std::vector<punto> punti;
  double tolleranza;
  std::size_t tenuti_al_massimo;  // a thinning worth the name keeps no more
};

std::vector<punto> arco(int n, double raggio, double giro) {
  std::vector<punto> p;
  for (int i = 0; i < n; ++i) {
    const double a = giro * i / (n - 1);
    p.push_back({raggio * std::cos(a), raggio * std::sin(a)});
  }
  return p;
}

std::vector<punto> dritta(int n) {
  std::vector<punto> p;
  for (int i = 0; i < n; ++i) p.push_back({0.5 * i, 2.0 * i});
  return p;
}

// A line like a trace: straights and curves one metre at a time.
std::vector<punto> percorso(int metri) {
  std::vector<punto> p{{0, 0}, {0, 1}};
  for (int m = 2; m < metri; ++m) {
    const double k = (m / 700) % 3 == 1 ? 0.002 : (m / 700) % 3 == 2 ? -0.001 : 0;
    const double dx = p[m - 1].x - p[m - 2].x, dy = p[m - 1].y - p[m - 2].y;
    p.push_back({p[m - 1].x + dx + k * dy, p[m - 1].y + dy - k * dx});
  }
  return p;
}

TEST(Sfoltisci, TieneGliEstremiEResta_EntroLaTolleranza) {
  const std::vector<caso_sfoltimento> casi = {
      {"dritta", dritta(1000), 0.01, 2},
      {"arco", arco(2000, 1000, std::numbers::pi), 1.0, 80},
      {"cerchio chiuso", arco(3000, 500, 2 * std::numbers::pi), 0.5, 160},
      {"zig zag", {{0, 0}, {1, 5}, {2, 0}, {3, 5}, {4, 0}}, 0.1, 5},
      {"percorso", percorso(50000), 0.5, 1200},
      {"due punti", {{3, 4}, {5, 6}}, 1.0, 2},
      {"un punto", {{3, 4}}, 1.0, 1},
      {"punti uguali", std::vector<punto>(50, punto{7, 7}), 0.1, 2},
  };
  for (const caso_sfoltimento& c : casi) {
    SCOPED_TRACE(c.nome);
    const std::vector<punto> copia = c.punti;
    const std::vector<std::size_t> tenuti = sfoltisci(c.punti, c.tolleranza);
    EXPECT_EQ(c.punti, copia) << "i dati non si toccano";
    ASSERT_FALSE(tenuti.empty());
    EXPECT_EQ(tenuti.front(), 0u);
    EXPECT_EQ(tenuti.back(), c.punti.size() - 1);
    for (std::size_t k = 1; k < tenuti.size(); ++k) EXPECT_LT(tenuti[k - 1], tenuti[k]);
    EXPECT_LE(errore_massimo(c.punti, tenuti), c.tolleranza);
    EXPECT_LE(tenuti.size(), c.tenuti_al_massimo);
  }
}

TEST(Sfoltisci, UnaTolleranzaPiuStrettaTienePiuPunti) {
  const std::vector<punto> p = percorso(20000);
  EXPECT_GT(sfoltisci(p, 0.05).size(), sfoltisci(p, 1.0).size());
  EXPECT_TRUE(sfoltisci({}, 1.0).empty());
}

TEST(Geometria, DistanzeRiquadriESegmenti) {
  EXPECT_DOUBLE_EQ(distanza_dal_segmento({0, 5}, {-1, 0}, {1, 0}), 5);
  EXPECT_DOUBLE_EQ(distanza_dal_segmento({4, 4}, {0, 0}, {1, 0}), 5);  // beyond an end
  EXPECT_DOUBLE_EQ(distanza_dal_segmento({3, 4}, {0, 0}, {0, 0}), 5);  // a segment of no length

  const riquadro r{0, 0, 10, 10};
  EXPECT_TRUE(segmento_nel_riquadro({-5, 5}, {15, 5}, r));  // straight through
  EXPECT_TRUE(segmento_nel_riquadro({2, 2}, {3, 3}, r));    // all inside
  EXPECT_FALSE(segmento_nel_riquadro({-5, -5}, {-1, 20}, r));
  EXPECT_FALSE(segmento_nel_riquadro({11, -5}, {20, 5}, r));
  EXPECT_TRUE(segmento_nel_riquadro({-5, 5}, {5, -5}, r));   // across a corner
  EXPECT_FALSE(segmento_nel_riquadro({-5, 4}, {4, -5}, r));  // past the corner

  EXPECT_TRUE(r.sovrapposto({9, 9, 12, 12}));
  EXPECT_FALSE(r.sovrapposto({10, 0, 12, 12})) << "edges that touch share no area";
  EXPECT_FALSE(r.sovrapposto(riquadro{}));
  const riquadro b = riquadro_di({{3, -1}, {-2, 4}, {0, 0}});
  EXPECT_EQ(b.x0, -2);
  EXPECT_EQ(b.y0, -1);
  EXPECT_EQ(b.x1, 3);
  EXPECT_EQ(b.y1, 4);
  EXPECT_TRUE(riquadro_di({}).vuoto());
}

}  // namespace
}  // namespace scen
