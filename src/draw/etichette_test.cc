#include "draw/etichette.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace scen {
namespace {

void nessuna_sovrapposizione(const std::vector<etichetta_posta>& poste) {
  for (std::size_t i = 0; i < poste.size(); ++i)
    for (std::size_t k = i + 1; k < poste.size(); ++k)
      if (poste[i].posta && poste[k].posta) {
        EXPECT_FALSE(poste[i].dove.sovrapposto(poste[k].dove)) << i << " e " << k;
      }
}

TEST(PoniEtichette, UnaSolaStaAccantoAlSuoPuntoSenzaGuida) {
  const auto poste = poni_etichette({{{100, 100}, 40, 12}}, {}, {0, 0, 400, 400});
  ASSERT_EQ(poste.size(), 1u);
  EXPECT_TRUE(poste[0].posta);
  EXPECT_FALSE(poste[0].guida);
  EXPECT_DOUBLE_EQ(poste[0].dove.x0, 104);  // to the right, at the first ring
  EXPECT_DOUBLE_EQ(poste[0].dove.y0, 94);   // centred on the point
}

TEST(PoniEtichette, UnMucchioDiPuntiNonSiSovrapponeEUsaLeGuide) {
  // Thirty names on points 3 px apart: most must stand away from theirs.
  std::vector<richiesta_etichetta> richieste;
  for (int i = 0; i < 30; ++i) richieste.push_back({{200, 100 + 3.0 * i}, 60, 12});
  const auto poste = poni_etichette(richieste, {}, {0, 0, 500, 400});
  nessuna_sovrapposizione(poste);
  int poste_n = 0, guide = 0;
  for (const auto& p : poste) {
    poste_n += p.posta;
    guide += p.guida;
    if (p.posta) {
      EXPECT_GE(p.dove.x0, 0);
      EXPECT_LE(p.dove.x1, 500);
      EXPECT_GE(p.dove.y0, 0);
      EXPECT_LE(p.dove.y1, 400);
    }
  }
  EXPECT_EQ(poste_n, 30);
  EXPECT_GT(guide, 0);
}

TEST(PoniEtichette, EvitaGliOstacoliELaLinea) {
  ostacoli o;
  o.riquadri.push_back({104, 90, 200, 110});      // right of the point: taken
  o.segmenti.push_back({{50, 100}, {100, 100}});  // the line comes from the left
  const auto poste = poni_etichette({{{100, 100}, 40, 12}}, o, {0, 0, 400, 400});
  ASSERT_TRUE(poste[0].posta);
  EXPECT_FALSE(poste[0].dove.sovrapposto(o.riquadri[0]));
  EXPECT_FALSE(segmento_nel_riquadro(o.segmenti[0].first, o.segmenti[0].second, poste[0].dove));
}

TEST(PoniEtichette, SenzaPostoLEtichettaRestaFuori) {
  // An area no bigger than one label: the second has nowhere to go.
  const auto poste = poni_etichette({{{10, 10}, 50, 10}, {{10, 10}, 50, 10}}, {}, {0, 0, 70, 22});
  EXPECT_TRUE(poste[0].posta);
  EXPECT_FALSE(poste[1].posta);
}

struct caso_fila {
  const char* nome;
  std::vector<double> voluti;
  double passo, minimo, massimo;
  std::vector<double> attesi;
};

TEST(PoniInFila, TieneLOrdineENonSovrappone) {
  const std::vector<caso_fila> casi = {
      {"lontani: ognuno al suo posto", {10, 50, 90}, 12, 0, 100, {10, 50, 90}},
      {"due vicini: intorno alla loro media", {40, 44}, 12, 0, 100, {36, 48}},
      {"tre uguali", {50, 50, 50}, 10, 0, 100, {40, 50, 60}},
      {"contro il bordo sinistro", {0, 1, 2}, 10, 0, 100, {0, 10, 20}},
      {"contro il bordo destro", {99, 100}, 10, 0, 100, {90, 100}},
      {"una fila che ne raggiunge un'altra", {20, 22, 34, 36}, 10, 0, 100, {13, 23, 33, 43}},
      {"troppi: su tutto lo spazio", {5, 5, 5, 5, 5}, 30, 0, 100, {0, 25, 50, 75, 100}},
      {"nessuno", {}, 10, 0, 100, {}},
  };
  for (const caso_fila& c : casi) {
    SCOPED_TRACE(c.nome);
    const std::vector<double> posti = poni_in_fila(c.voluti, c.passo, c.minimo, c.massimo);
    ASSERT_EQ(posti.size(), c.attesi.size());
    for (std::size_t i = 0; i < posti.size(); ++i) EXPECT_NEAR(posti[i], c.attesi[i], 1e-9) << i;
  }
}

TEST(PoniInFila, QuarantacinqueNomiSuMilleVirgolaNessunoSiTocca) {
  std::vector<double> voluti;
  for (int i = 0; i < 45; ++i) voluti.push_back(std::pow(i, 1.3) * 7);
  const std::vector<double> posti = poni_in_fila(voluti, 12.5, 50, 980);
  for (std::size_t i = 1; i < posti.size(); ++i) EXPECT_GE(posti[i] - posti[i - 1], 12.5 - 1e-9);
  EXPECT_GE(posti.front(), 50);
  EXPECT_LE(posti.back(), 980);
}

}  // namespace
}  // namespace scen
