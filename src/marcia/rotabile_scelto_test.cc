#include "marcia/rotabile_scelto.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/cartella_temporanea.h"

namespace scen {
namespace {

TEST(RotabileScelto, TheFileBesideTheTrainHasItsNameAndRotabileJson) {
  const struct {
    const char* treno;
    const char* atteso;
  } casi[] = {
      {"treno.txt", "treno.rotabile.json"},
      {"Vela_Nuro_IC 731-.txt", "Vela_Nuro_IC 731-.rotabile.json"},
      {"dir.v2/treno", "dir.v2/treno.rotabile.json"},
      {"a\\b.c\\treno.TXT", "a\\b.c\\treno.rotabile.json"},
      {".treno", ".treno.rotabile.json"},
      {"x/.treno", "x/.treno.rotabile.json"},
      {"treno.descr.txt", "treno.descr.rotabile.json"},
  };
  for (const auto& c : casi) EXPECT_EQ(rotabile_accanto(c.treno), c.atteso) << c.treno;
}

TEST(RotabileScelto, GivenBesideOrBuiltIn) {
  prova::CartellaTemporanea cartella;
  const std::string treno = cartella.file("treno.txt");
  rotabile_scelto s;
  // Nothing beside: the built-in train, and nothing to say.
  ASSERT_TRUE(scegli_rotabile("", treno, s).riuscito());
  EXPECT_EQ(s.se_dato(), nullptr);
  EXPECT_EQ(riga_rotabile_accanto(s), "");
  const std::string json = R"({"nome": "p", "massa_t": 100, "lunghezza_m": 20,
    "velocita_massima_kmh": 100, "coefficiente_masse_rotanti": 1, "sforzo_trazione": [[0, 100]],
    "resistenza": {"a_kN": 1, "b_kN_per_kmh": 0, "c_kN_per_kmh2": 0},
    "decelerazione_frenatura_ms2": 0.5})";
  prova::scrivi(cartella.file("treno.rotabile.json"), json);
  ASSERT_TRUE(scegli_rotabile("", treno, s).riuscito());
  ASSERT_NE(s.se_dato(), nullptr);
  EXPECT_EQ(s.treno->nome, "p");
  EXPECT_EQ(riga_rotabile_accanto(s), "rotabile: " + cartella.file("treno.rotabile.json") +
                                          " (accanto alla descrizione del treno)");
  // Given: that one, not said.
  prova::scrivi(cartella.file("altro.json"), json);
  ASSERT_TRUE(scegli_rotabile(cartella.file("altro.json"), treno, s).riuscito());
  EXPECT_FALSE(s.accanto);
  EXPECT_EQ(riga_rotabile_accanto(s), "");
  // Given and missing: a failure, never the built-in train instead.
  EXPECT_FALSE(scegli_rotabile(cartella.file("manca.json"), treno, s).riuscito());
}

}  // namespace
}  // namespace scen
