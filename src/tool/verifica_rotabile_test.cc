// `scenario verifica` with the author's rolling stock: given with
// --rotabile or found beside the train description, its run is the one
// whose times are checked.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "content/dati_incorporati.h"
#include "testing/cartella_temporanea.h"
#include "testing/descrizioni_prova.h"
#include "tool/verifica.h"

namespace scen {
namespace {

using prova::crlf;

// A slow train: 60 km/h at most, so that the carried times are too soon.
constexpr const char* lento = R"({"nome": "lento", "massa_t": 300,
  "lunghezza_m": 150, "velocita_massima_kmh": 60, "coefficiente_masse_rotanti": 1.05,
  "sforzo_trazione": [[0, 180], [60, 100]],
  "resistenza": {"a_kN": 6, "b_kN_per_kmh": 0.02, "c_kN_per_kmh2": 0.0008},
  "decelerazione_frenatura_ms2": 0.5})";

TEST(VerificaRotabile, TheTimesAreCheckedWithTheAuthorsTrain) {
  prova::CartellaTemporanea cartella;
  prova::scrivi(cartella.file("linea.txt"), crlf(righe_incorporate("linea")));
  prova::scrivi(cartella.file("treno.txt"), crlf(righe_incorporate("treno")));
  richiesta_verifica r;
  r.linea = cartella.file("linea.txt");
  r.treno = cartella.file("treno.txt");
  auto esegui = [&](std::string& uscita, std::string& errori) {
    std::ostringstream u, e;
    const int stato = verifica(r, u, e);
    uscita = u.str();
    errori = e.str();
    return stato;
  };
  std::string uscita, errori;
  // The built-in train keeps the carried times: only the decimal comma.
  ASSERT_EQ(esegui(uscita, errori), 0) << errori;
  EXPECT_EQ(uscita.find("corsa più veloce"), std::string::npos) << uscita;

  // The slow train beside the description: said first, then its times.
  prova::scrivi(cartella.file("treno.rotabile.json"), lento);
  ASSERT_EQ(esegui(uscita, errori), 0) << errori;
  EXPECT_EQ(uscita.rfind("rotabile: " + cartella.file("treno.rotabile.json") +
                             " (accanto alla descrizione del treno)\n",
                         0),
            0U)
      << uscita;
  EXPECT_NE(uscita.find("ma la corsa più veloce del treno «lento» ci mette"), std::string::npos)
      << uscita;

  // Given with --rotabile: the same problems, without the line that says
  // where it was found.
  r.rotabile = cartella.file("treno.rotabile.json");
  std::string data;
  ASSERT_EQ(esegui(data, errori), 0) << errori;
  EXPECT_EQ(uscita, "rotabile: " + cartella.file("treno.rotabile.json") +
                        " (accanto alla descrizione del treno)\n" + data);

  // A rolling-stock file with a fault is a file that cannot be used.
  prova::scrivi(cartella.file("treno.rotabile.json"), "{");
  EXPECT_EQ(esegui(data, errori), 2);
  EXPECT_EQ(errori.rfind(cartella.file("treno.rotabile.json") + ":", 0), 0U) << errori;
}

}  // namespace
}  // namespace scen
