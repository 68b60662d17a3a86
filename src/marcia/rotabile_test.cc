#include "marcia/rotabile.h"

#include <gtest/gtest.h>

#include <string>

namespace scen {
namespace {

const std::string valido = R"({
  "nome": "E 1",
  "massa_t": 400,
  "lunghezza_m": 200,
  "velocita_massima_kmh": 160,
  "coefficiente_masse_rotanti": 1.06,
  "sforzo_trazione": [[0, 200], [80, 200], [160, 100]],
  "resistenza": {"a_kN": 8, "b_kN_per_kmh": 0.05, "c_kN_per_kmh2": 0.001},
  "decelerazione_frenatura_ms2": 0.5,
  "aderenza_massima": 0.04
})";

std::string con(const std::string& vecchio, const std::string& nuovo) {
  std::string t = valido;
  const size_t i = t.find(vecchio);
  if (i == std::string::npos) return "non trovato: " + vecchio;
  return t.replace(i, vecchio.size(), nuovo);
}

TEST(Rotabile, ReadsAFileWithEveryField) {
  rotabile r;
  ASSERT_TRUE(leggi_rotabile(valido, "t.json", r).riuscito());
  EXPECT_EQ(r.nome, "E 1");
  EXPECT_EQ(r.massa_t, 400);
  EXPECT_EQ(r.sforzo_trazione.size(), 3U);
  EXPECT_EQ(r.c_kN_per_kmh2, 0.001);
  ASSERT_TRUE(r.aderenza_massima);
  // Constant before the first point, linear between, the last after.
  EXPECT_DOUBLE_EQ(sforzo_a(r, 40),
                   200 > 0.04 * 400 * gravita_ms2 ? 0.04 * 400 * gravita_ms2 : 200);
  r.aderenza_massima.reset();
  EXPECT_DOUBLE_EQ(sforzo_a(r, 0), 200);
  EXPECT_DOUBLE_EQ(sforzo_a(r, 120), 150);
  EXPECT_DOUBLE_EQ(sforzo_a(r, 200), 100);
  EXPECT_DOUBLE_EQ(resistenza_a(r, 100), 8 + 5 + 10);
}

TEST(Rotabile, BadValuesAreNamedByTheirField) {
  const struct {
    std::string testo;
    std::string atteso;
  } casi[] = {
      {con("\"massa_t\": 400", "\"massa_t\": -4"), "«massa_t»: deve essere positivo"},
      {con("\"massa_t\": 400,", ""), "«massa_t»: manca"},
      {con("\"massa_t\": 400", "\"massa_t\": \"400\""), "«massa_t»: deve essere un numero"},
      {con("[80, 200]", "[80, 200], [70, 150]"),
       "«sforzo_trazione[2]»: le velocità devono crescere"},
      {con("[160, 100]", "[160, -1]"), "«sforzo_trazione[2]»: lo sforzo -1 kN è negativo"},
      {con("[160, 100]", "[160]"), "«sforzo_trazione[2]»: deve essere una coppia"},
      {con("\"a_kN\": 8, ", ""), "«resistenza.a_kN»: manca"},
      {con("\"c_kN_per_kmh2\": 0.001", "\"c_kN_per_kmh2\": -0.001"), "«resistenza.c_kN_per_kmh2»"},
      {con("1.06", "0.9"), "«coefficiente_masse_rotanti»: deve valere almeno 1"},
      {con("\"decelerazione_frenatura_ms2\": 0.5", "\"decelerazione_frenatura_ms2\": 0"),
       "«decelerazione_frenatura_ms2»"},
      {con("\"nome\": \"E 1\",", ""), "«nome»: manca"},
      {con("\"aderenza_massima\": 0.04", "\"aderenza_massima\": -1"), "«aderenza_massima»"},
      {"[1, 2]", "il file deve essere un oggetto JSON"},
      {"{\"nome\": ", "t.json:1:"},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.testo);
    rotabile r;
    const Stato s = leggi_rotabile(c.testo, "t.json", r);
    ASSERT_FALSE(s.riuscito());
    EXPECT_NE(s.messaggio().find(c.atteso), std::string::npos) << s.messaggio();
    EXPECT_EQ(s.messaggio().rfind("t.json", 0), 0U) << s.messaggio();
  }
}

TEST(Rotabile, TheBuiltInTrain) {
  const rotabile r = rotabile_incorporato(10, 130);
  EXPECT_TRUE(rotabile_valido(r).riuscito());
  EXPECT_DOUBLE_EQ(r.massa_t, 85 + 450);
  EXPECT_NEAR(r.lunghezza_m, 19.6 + 264, 1e-9);
  EXPECT_DOUBLE_EQ(sforzo_a(r, 0), 250);
  EXPECT_DOUBLE_EQ(sforzo_a(r, 80), 250);
  EXPECT_NEAR(sforzo_a(r, 160), 5600 * 3.6 / 160, 1e-9);
  EXPECT_NEAR(r.decelerazione_frenatura_ms2, 0.52, 1e-12);
  EXPECT_EQ(frenatura_da_massa_frenata(10), 0.2);
  EXPECT_EQ(frenatura_da_massa_frenata(300), 0.8);
  // 2.5 + 0.025 (v/10)^2 N/kN of the weight.
  EXPECT_NEAR(resistenza_a(r, 100), 535 * gravita_ms2 * (2.5 + 2.5) / 1000, 1e-9);
}

}  // namespace
}  // namespace scen
