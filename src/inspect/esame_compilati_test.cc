#include "inspect/esame_compilati.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

namespace scen {
namespace {

TEST(EsaminaTracciato, FilledMetresTheFirstEmptyLengthsAndBox) {
  std::array<componente_tracciato, 2> t;
  // A right angle: 0,0 -> 0,1 -> 3,1 (metre 2), then a hole at metre 3 and
  // one more filled metre after it, which counts but draws nothing.
  t[0] = {Integer{0}, Integer{0}, 3.0, variante{}, 5.0};
  t[1] = {Integer{0}, Integer{1}, 1.0, 9.0, 5.0};
  const esame_tracciato e = esamina_tracciato(t);
  EXPECT_EQ(e.ultimo_metro, 4);
  EXPECT_EQ(e.metri_pieni, 4);
  EXPECT_EQ(e.primo_vuoto, 3);
  EXPECT_EQ(e.ultimo_pieno, 2);
  EXPECT_DOUBLE_EQ(e.lunghezza_lungo, 4.0);
  EXPECT_DOUBLE_EQ(e.lunghezza_retta, std::hypot(3.0, 1.0));
  EXPECT_EQ(std::tuple(e.x_min, e.x_max, e.y_min, e.y_max), std::tuple(0.0, 3.0, 0.0, 1.0));

  t[0][0] = variante{};
  const esame_tracciato vuoto = esamina_tracciato(t);
  EXPECT_EQ(vuoto.primo_vuoto, 0);
  EXPECT_EQ(vuoto.ultimo_pieno, -1);
  EXPECT_EQ(vuoto.lunghezza_lungo, 0.0);
}

TEST(PartiRegistri, StationsUpFromOneSignpostsDownFromEighty) {
  std::array<registro, indice_registro::numero> r{};
  EXPECT_EQ(parti(r).stazioni, 0);
  EXPECT_EQ(parti(r).primo_cartello, 81);
  r[1].tipo = 8;
  r[2].nome = "B";
  r[4].nome = "after a hole: not a station";
  r[80].nome = "(Km 1)";
  r[79].nome = "(Km 2)";
  r[81].inizio = 5;  // header records are neither
  const parti_registri p = parti(r);
  EXPECT_EQ(p.stazioni, 2);
  EXPECT_EQ(p.primo_cartello, 79);
}

TEST(DivisioniNome, EveryUnderscoreRouteKeyFirst) {
  EXPECT_EQ(divisioni_nome("Vela_Nuro_IC 731"),
            (std::vector<chiavi_nome>{{"Vela", "Nuro_IC 731"}, {"Vela_Nuro", "IC 731"}}));
  EXPECT_EQ(divisioni_nome("_"), (std::vector<chiavi_nome>{{"", ""}}));
  EXPECT_TRUE(divisioni_nome("senza").empty());
}

TEST(CodiciDiChiavi, TheCarriedKeysGiveTheCarriedCodes) {
  EXPECT_EQ(codice_og_di({"Vela_Nuro", "IC 731"}), 2352);
  EXPECT_EQ(codice_st_di({"Vela_Nuro", "IC 731"}), 32226);
  EXPECT_EQ(codice_og_di({"", ""}), 2583);
  EXPECT_EQ(codice_st_di({"", ""}), 34355);
}

TEST(Ora, SecondsOfTheDay) {
  EXPECT_EQ(ora(47070), "13:04:30");
  EXPECT_EQ(ora(0), "00:00:00");
  EXPECT_EQ(ora(58800), "16:20:00");
}

TEST(OggettoCella, EveryCodeThatCellsCarryHasAName) {
  for (int c = 0; c < 256; ++c)
    EXPECT_EQ(oggetto_cella(static_cast<Byte>(c)).empty(), !(c <= 6 || (c >= 10 && c <= 14))) << c;
}

}  // namespace
}  // namespace scen
