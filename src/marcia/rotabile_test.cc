#include "marcia/rotabile.h"

#include <gtest/gtest.h>

#include <cmath>
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

TEST(Rotabile, BadValuesAreNamedByTheirFieldAtTheirPlace) {
  const struct {
    std::string testo;
    std::string atteso;
  } casi[] = {
      {con("\"massa_t\": 400", "\"massa_t\": -4"),
       "t.json:3:14: campo «massa_t»: deve essere positivo"},
      // A field missing: the place of the object that lacks it.
      {con("\"massa_t\": 400,", ""), "t.json:1:1: campo «massa_t»: manca"},
      {con("\"massa_t\": 400", "\"massa_t\": \"400\""),
       "t.json:3:14: campo «massa_t»: deve essere un numero"},
      {con("[80, 200]", "[80, 200], [70, 150]"),
       "t.json:7:45: campo «sforzo_trazione[2]»: le velocità devono crescere"},
      {con("[160, 100]", "[160, -1]"),
       "t.json:7:50: campo «sforzo_trazione[2]»: lo sforzo -1 kN è negativo"},
      {con("[160, 100]", "[160]"),
       "t.json:7:44: campo «sforzo_trazione[2]»: deve essere una coppia"},
      {con("\"a_kN\": 8, ", ""), "t.json:8:17: campo «resistenza.a_kN»: manca"},
      {con("\"c_kN_per_kmh2\": 0.001", "\"c_kN_per_kmh2\": -0.001"),
       "t.json:8:68: campo «resistenza.c_kN_per_kmh2»: non può essere negativo"},
      {con("1.06", "0.9"), "t.json:6:33: campo «coefficiente_masse_rotanti»: deve valere almeno 1"},
      {con("\"decelerazione_frenatura_ms2\": 0.5", "\"decelerazione_frenatura_ms2\": 0"),
       "t.json:9:34: campo «decelerazione_frenatura_ms2»: deve essere positivo"},
      {con("\"nome\": \"E 1\",", ""), "t.json:1:1: campo «nome»: manca"},
      {con("\"aderenza_massima\": 0.04", "\"aderenza_massima\": -1"),
       "t.json:10:23: campo «aderenza_massima»: deve essere positivo"},
      // A field of another name (a slip of a letter, of case) is said
      // before the field it stands for is missing.
      {con("\"massa_t\": 400", "\"massa_T\": 400"),
       "t.json:3:14: campo «massa_T»: non è un campo del rotabile (i campi sono: nome, massa_t, "
       "lunghezza_m, velocita_massima_kmh, coefficiente_masse_rotanti, sforzo_trazione, "
       "resistenza, decelerazione_frenatura_ms2, aderenza_massima, massa_aderente_t)"},
      {con("\"a_kN\": 8", "\"a_kN\": 8, \"d_kN\": 1"),
       "t.json:8:37: campo «resistenza.d_kN»: non è un campo del rotabile (i campi sono: a_kN, "
       "b_kN_per_kmh, c_kN_per_kmh2)"},
      {"[1, 2]", "t.json:1:1: il file deve essere un oggetto JSON"},
      {"{\"nome\": ", "t.json:1:"},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.testo);
    rotabile r;
    const Stato s = leggi_rotabile(c.testo, "t.json", r);
    ASSERT_FALSE(s.riuscito());
    EXPECT_EQ(s.messaggio().rfind(c.atteso, 0), 0U) << s.messaggio();
  }
}

TEST(Rotabile, FiguresBeyondTheirRangesAndKeysGivenTwiceAreRefusedAtTheirPlace) {
  const struct {
    std::string testo;
    std::string atteso;  // the whole message
  } casi[] = {
      // A braking rate that no train has, which made times of days beyond
      // counting.
      {con("\"decelerazione_frenatura_ms2\": 0.5", "\"decelerazione_frenatura_ms2\": 1e-300"),
       "t.json:9:34: campo «decelerazione_frenatura_ms2»: deve valere almeno 0.05 m/s², non "
       "1e-300"},
      {con("\"decelerazione_frenatura_ms2\": 0.5", "\"decelerazione_frenatura_ms2\": 12"),
       "t.json:9:34: campo «decelerazione_frenatura_ms2»: deve valere al più 3 m/s², non 12"},
      // A length beyond every position the run counts in.
      {con("\"lunghezza_m\": 200", "\"lunghezza_m\": 1e308"),
       "t.json:4:18: campo «lunghezza_m»: deve valere al più 10000 m, non 1e+308"},
      {con("\"massa_t\": 400", "\"massa_t\": 0.001"),
       "t.json:3:14: campo «massa_t»: deve valere almeno 0.1 t, non 0.001"},
      {con("\"massa_t\": 400", "\"massa_t\": 1e6"),
       "t.json:3:14: campo «massa_t»: deve valere al più 100000 t, non 1000000"},
      {con("\"velocita_massima_kmh\": 160", "\"velocita_massima_kmh\": 0.5"),
       "t.json:5:27: campo «velocita_massima_kmh»: deve valere almeno 1 km/h, non 0.5"},
      {con("\"velocita_massima_kmh\": 160", "\"velocita_massima_kmh\": 2000"),
       "t.json:5:27: campo «velocita_massima_kmh»: deve valere al più 1275 km/h, non 2000"},
      {con("1.06", "2.5"),
       "t.json:6:33: campo «coefficiente_masse_rotanti»: deve valere al più 2, non 2.5"},
      {con("[160, 100]", "[1600, 100]"),
       "t.json:7:45: campo «sforzo_trazione[2]»: la velocità 1600 km/h è oltre i 1275 km/h"},
      {con("[160, 100]", "[160, 1e5]"),
       "t.json:7:50: campo «sforzo_trazione[2]»: lo sforzo 100000 kN è oltre i 10000 kN"},
      {con("\"a_kN\": 8", "\"a_kN\": 1e9"),
       "t.json:8:26: campo «resistenza.a_kN»: deve valere al più 10000 kN, non 1000000000"},
      {con("\"aderenza_massima\": 0.04", "\"aderenza_massima\": 1.5"),
       "t.json:10:23: campo «aderenza_massima»: deve valere al più 1, non 1.5"},
      // Numbers beyond every double: refused where they stand, not an
      // internal error.
      {con("\"massa_t\": 400", "\"massa_t\": 1e400"),
       "t.json:3:14: il numero 1e400 è oltre ogni numero finito che si legge"},
      {con("[160, 100]", "[160, -1e400]"),
       "t.json:7:50: il numero -1e400 è oltre ogni numero finito che si legge"},
      {con("\"massa_t\": 400", "\"massa_t\": 1" + std::string(400, '0')),
       "t.json:3:14: il numero 1" + std::string(400, '0') +
           " è oltre ogni numero finito che si legge"},
      // A key given twice: neither is taken silently.
      {con("\"nome\": \"E 1\",", "\"nome\": \"E 1\", \"massa_t\": 40,"),
       "t.json:3:3: la chiave «massa_t» compare due volte nello stesso oggetto (la prima alla "
       "riga 2, colonna 18): ogni campo si scrive una volta"},
      {con("\"b_kN_per_kmh\": 0.05", "\"a_kN\": 0.05"),
       "t.json:8:29: la chiave «a_kN» compare due volte nello stesso oggetto (la prima alla "
       "riga 8, colonna 18): ogni campo si scrive una volta"},
      // The same key in two objects is no repetition; a repeated key with
      // a control character in it is shown written out.
      {con("\"nome\": \"E 1\",",
           "\"nome\": \"E 1\", \"x\\u001b[2J\": {\"x\\u001b[2J\": 1}, "
           "\"x\\u001b[2J\": 2,"),
       "t.json:2:51: la chiave «x\\x1b[2J» compare due volte nello stesso oggetto (la prima alla "
       "riga 2, colonna 18): ogni campo si scrive una volta"},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.testo);
    rotabile r;
    const Stato s = leggi_rotabile(c.testo, "t.json", r);
    ASSERT_FALSE(s.riuscito());
    EXPECT_EQ(s.messaggio(), c.atteso);
  }
}

TEST(Rotabile, NestingDeeperThanTheFileHasIsRefusedWhereItGoesTooDeep) {
  // Each level lengthened the pointers of all inside it: a deep file took
  // time and memory as the square of its depth.
  rotabile r;
  const std::string profondo =
      "{\"nome\": " + std::string(100000, '[') + std::string(100000, ']') + "}";
  const Stato s = leggi_rotabile(profondo, "t.json", r);
  ASSERT_FALSE(s.riuscito());
  EXPECT_EQ(s.messaggio(),
            "t.json:1:41: oggetti e liste annidati oltre 32 livelli: il file non ha questa forma");
  const std::string giusto = "{\"nome\": " + std::string(31, '[') + std::string(31, ']') + "}";
  EXPECT_EQ(leggi_rotabile(giusto, "t.json", r).messaggio(),
            "t.json:1:10: campo «nome»: deve essere un testo");
}

TEST(Rotabile, ThePlacesCountLinesAndBytesAfterAByteOrderMark) {
  // The mark is passed over as the reader does, and editors do: the
  // columns count the bytes after it.
  rotabile r;
  const Stato s = leggi_rotabile("\xef\xbb\xbf{\"nome\": \"\xc3\xa8\", \"nome\": 1}", "t.json", r);
  ASSERT_FALSE(s.riuscito());
  EXPECT_EQ(s.messaggio().rfind("t.json:1:16: la chiave «nome» compare due volte", 0), 0U)
      << s.messaggio();
  EXPECT_TRUE(leggi_rotabile("\xef\xbb\xbf" + valido, "t.json", r).riuscito());
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
  // Adhesion: the locomotive's 85 t on its driving axles, times the line's
  // value as a share of dry rail's 0.33.
  ASSERT_TRUE(r.massa_aderente_t);
  EXPECT_DOUBLE_EQ(*r.massa_aderente_t, 85);
  EXPECT_NEAR(sforzo_aderenza(r, 0), 0.33 * 85 * gravita_ms2, 1e-9);
  EXPECT_NEAR(sforzo_aderenza(r, 87), 0.33 * 0.87 * 85 * gravita_ms2, 1e-9);
  rotabile senza = r;
  senza.massa_aderente_t.reset();
  EXPECT_TRUE(std::isinf(sforzo_aderenza(senza, 87)));
}

}  // namespace
}  // namespace scen
