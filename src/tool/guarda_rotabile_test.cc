// `scenario guarda` with the author's rolling stock beside the train
// description: each reading takes it afresh, a train that stops is a problem
// listed at its record and marked on the profile.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "testing/cartella_temporanea.h"
#include "testing/descrizioni_prova.h"
#include "tool/guarda.h"
#include "tool/guarda_stato.h"

namespace scen {
namespace {

using json = nlohmann::json;

// 50 kN for 300 t: it cannot climb 40 per mille.
constexpr const char* debole = R"({"nome": "debole", "massa_t": 300,
  "lunghezza_m": 150, "velocita_massima_kmh": 100, "coefficiente_masse_rotanti": 1.05,
  "sforzo_trazione": [[0, 50]],
  "resistenza": {"a_kN": 6, "b_kN_per_kmh": 0, "c_kN_per_kmh2": 0},
  "decelerazione_frenatura_ms2": 0.5})";

TEST(GuardaRotabile, EachReadingTakesTheRollingStockBesideTheTrain) {
  prova::CartellaTemporanea cartella;
  richiesta_guarda r;
  r.linea = cartella.file("linea.txt");
  r.treno = cartella.file("treno.txt");
  std::string linea = prova::linea_prova;
  const std::string da = "pendenza,  6000,   5";
  linea.replace(linea.find(da), da.size(), "pendenza,  6000,   40");
  prova::scrivi(r.linea, linea);
  prova::scrivi(r.treno, prova::treno_prova);
  // The built-in train climbs it.
  stato_guarda s = leggi_stato(r, stato_guarda{});
  EXPECT_EQ(json::parse(s.json)["problemi"].size(), 1U) << s.json;
  EXPECT_EQ(s.disegno_json.find("corsa-fermo"), std::string::npos);

  // Saved beside the train: the next reading runs it, lists where it stops
  // and marks the place on the profile.
  prova::scrivi(cartella.file("treno.rotabile.json"), debole);
  s = leggi_stato(r, s);
  const json problemi = json::parse(s.json)["problemi"];
  bool trovato = false;
  for (const json& p : problemi) {
    const std::string testo = p["testo"].get<std::string>();
    if (testo.find("il treno «debole» non ce la fa") == std::string::npos) continue;
    trovato = true;
    EXPECT_EQ(testo.rfind(r.linea + ":16:20: avviso: pendenza di 40 per mille: ", 0), 0U) << testo;
    EXPECT_EQ(p["metro"], 6000);
  }
  EXPECT_TRUE(trovato) << s.json;
  EXPECT_NE(s.disegno_json.find("corsa-fermo"), std::string::npos);

  // A fault in it is said where reading stops, the run being the built-in
  // train's.
  prova::scrivi(cartella.file("treno.rotabile.json"), "{");
  s = leggi_stato(r, s);
  EXPECT_NE(s.json.find("(la marcia è del treno incorporato)"), std::string::npos) << s.json;
  EXPECT_EQ(s.disegno_json.find("corsa-fermo"), std::string::npos);
}

}  // namespace
}  // namespace scen
