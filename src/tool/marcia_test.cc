// `scenario marcia`: the timetable as text, JSON and CSV, and what it says
// of files it cannot use.
#include "tool/marcia.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "content/dati_incorporati.h"
#include "platform/file.h"
#include "testing/cartella_temporanea.h"
#include "testing/descrizioni_prova.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;

using prova::crlf;

class MarciaPortata : public testing::Test {
 protected:
  void SetUp() override {
    prova::scrivi(cartella.file("linea.txt"), crlf(righe_incorporate("linea")));
    prova::scrivi(cartella.file("treno.txt"), crlf(righe_incorporate("treno")));
    richiesta.linea = cartella.file("linea.txt");
    richiesta.treno = cartella.file("treno.txt");
  }
  int esegui() {
    uscita.str("");
    errori.str("");
    return marcia(richiesta, uscita, errori);
  }
  CartellaTemporanea cartella;
  richiesta_marcia richiesta;
  std::ostringstream uscita, errori;
};

TEST_F(MarciaPortata, TheJsonHasEveryStationInOrder) {
  richiesta.json = true;
  ASSERT_EQ(esegui(), 0) << errori.str();
  const nlohmann::json j = nlohmann::json::parse(uscita.str());
  const auto& s = j.at("stazioni");
  ASSERT_EQ(s.size(), 45u);
  EXPECT_EQ(s[0].at("nome"), "Vela");
  EXPECT_EQ(s[0].at("orario_s"), 13 * 3600 + 4 * 60 + 30);
  EXPECT_EQ(s[44].at("nome"), "Nuro Centrale");
  EXPECT_EQ(s[44].at("posizione_m"), 332750);
  // With the usual 5% the train arrives when the carried card says.
  EXPECT_EQ(s[44].at("orario_s"), 16 * 3600 + 20 * 60);
  double prima = -1;
  long posizione = -1;
  for (const auto& e : s) {
    EXPECT_GE(e.at("corsa_minima_s").get<double>(), prima);
    EXPECT_GE(e.at("posizione_m").get<long>(), posizione);
    prima = e.at("corsa_minima_s").get<double>();
    posizione = e.at("posizione_m").get<long>();
    EXPECT_EQ(e.at("orario_s").get<long>() % 30, 0);
  }
  EXPECT_EQ(j.at("cippi").size(), 22u);
}

TEST_F(MarciaPortata, NoSupplementGivesTheFastestRun) {
  richiesta.json = true;
  richiesta.margine = "0%";
  ASSERT_EQ(esegui(), 0) << errori.str();
  const nlohmann::json j = nlohmann::json::parse(uscita.str());
  const auto& ultima = j.at("stazioni").back();
  EXPECT_EQ(ultima.at("recupero_s"), 0);
  EXPECT_NEAR(ultima.at("orario_s").get<double>(),
              13 * 3600 + 4 * 60 + 30 + ultima.at("corsa_minima_s").get<double>(), 15);
}

TEST_F(MarciaPortata, TextAndCsv) {
  ASSERT_EQ(esegui(), 0) << errori.str();
  EXPECT_NE(uscita.str().find("locomotiva elettrica e 10 vetture"), std::string::npos);
  EXPECT_NE(uscita.str().find("Nuro Centrale"), std::string::npos);
  richiesta.csv = true;
  ASSERT_EQ(esegui(), 0) << errori.str();
  std::istringstream righe(uscita.str());
  std::string riga;
  std::getline(righe, riga);
  EXPECT_EQ(riga.rfind("tipo,nome,posizione_m,km,", 0), 0u);
  size_t n = 0;
  while (std::getline(righe, riga)) ++n;
  EXPECT_EQ(n, 45u + 22u);
}

TEST_F(MarciaPortata, ARollingStockFile) {
  prova::scrivi(cartella.file("treno.json"), R"({"nome": "prova", "massa_t": 300,
    "lunghezza_m": 150, "velocita_massima_kmh": 120, "coefficiente_masse_rotanti": 1.05,
    "sforzo_trazione": [[0, 180], [120, 60]],
    "resistenza": {"a_kN": 6, "b_kN_per_kmh": 0.02, "c_kN_per_kmh2": 0.0008},
    "decelerazione_frenatura_ms2": 0.5})");
  richiesta.rotabile = cartella.file("treno.json");
  richiesta.json = true;
  ASSERT_EQ(esegui(), 0) << errori.str();
  const nlohmann::json j = nlohmann::json::parse(uscita.str());
  EXPECT_EQ(j.at("treno").at("nome"), "prova");
  // Never above its top speed.
  for (const auto& e : j.at("stazioni")) EXPECT_LE(e.at("velocita_kmh").get<double>(), 120);

  prova::scrivi(cartella.file("treno.json"), R"({"nome": "prova", "massa_t": -3})");
  richiesta.json = false;
  EXPECT_EQ(esegui(), 2);
  EXPECT_NE(errori.str().find("campo «lunghezza_m»: manca"), std::string::npos) << errori.str();
  prova::scrivi(cartella.file("treno.json"), "{");
  EXPECT_EQ(esegui(), 2);
  EXPECT_NE(errori.str().find("treno.json:1:"), std::string::npos) << errori.str();
}

TEST_F(MarciaPortata, RollingStockFilesOutOfRangeAreRefusedAtTheirPlace) {
  const std::string prima = R"({"nome": "prova", "massa_t": 300,
  "lunghezza_m": 150, "velocita_massima_kmh": 120, "coefficiente_masse_rotanti": 1.05,
  "sforzo_trazione": [[0, 180], [120, 60]],
  "resistenza": {"a_kN": 6, "b_kN_per_kmh": 0.02, "c_kN_per_kmh2": 0.0008},
  "decelerazione_frenatura_ms2": )";
  const struct {
    std::string frenatura;  // and what follows it
    std::string atteso;     // after "treno.json:"
  } casi[] = {
      // Once a timetable of "-2562047788015215:-30:-8", exit status 0.
      {"1e-300}",
       "5:34: campo «decelerazione_frenatura_ms2»: deve valere almeno 0.05 m/s², non 1e-300"},
      // Once an internal error.
      {"1e400}", "5:34: il numero 1e400 è oltre ogni numero finito che si legge"},
      // Once undefined behaviour in the run.
      {"0.5, \"lunghezza_m\": 1e308}",
       "5:39: la chiave «lunghezza_m» compare due volte nello stesso oggetto (la prima alla riga "
       "2, colonna 3): ogni campo si scrive una volta"},
      {"0.5, \"massa_t\": 300}",
       "5:39: la chiave «massa_t» compare due volte nello stesso oggetto (la prima alla riga 1, "
       "colonna 19): ogni campo si scrive una volta"},
  };
  richiesta.rotabile = cartella.file("treno.json");
  for (const auto& c : casi) {
    SCOPED_TRACE(c.frenatura);
    prova::scrivi(cartella.file("treno.json"), prima + c.frenatura);
    EXPECT_EQ(esegui(), 2);
    EXPECT_EQ(uscita.str(), "");
    EXPECT_EQ(errori.str(), cartella.file("treno.json") + ":" + c.atteso + "\n");
  }
  prova::scrivi(cartella.file("treno.json"), std::string(R"({"nome": "prova", "massa_t": 300,
  "lunghezza_m": 1e308, "velocita_massima_kmh": 120, "coefficiente_masse_rotanti": 1.05,
  "sforzo_trazione": [[0, 180], [120, 60]],
  "resistenza": {"a_kN": 6, "b_kN_per_kmh": 0.02, "c_kN_per_kmh2": 0.0008},
  "decelerazione_frenatura_ms2": 0.5})"));
  EXPECT_EQ(esegui(), 2);
  EXPECT_EQ(errori.str(),
            cartella.file("treno.json") +
                ":2:18: campo «lunghezza_m»: deve valere al più 10000 m, non 1e+308\n");
}

TEST_F(MarciaPortata, ARollingStockFileOfMoreThanAMebibyteIsNotRead) {
  prova::scrivi(cartella.file("treno.json"), "[" + std::string((1 << 20) + 1, ' ') + "]");
  richiesta.rotabile = cartella.file("treno.json");
  EXPECT_EQ(esegui(), 2);
  EXPECT_EQ(uscita.str(), "");
  EXPECT_EQ(errori.str(), "impossibile leggere \"" + cartella.file("treno.json") +
                              "\": il file supera il limite di 1 MiB\n");
}

TEST_F(MarciaPortata, ControlCharactersFromTheFilesAreWrittenOut) {
  // The rolling stock's name and a station's: line ends and escape
  // sequences reach the terminal written out, never raw.
  prova::scrivi(cartella.file("treno.json"), R"({"nome": "E\u001b[2J\nX\u009b", "massa_t": 300,
    "lunghezza_m": 150, "velocita_massima_kmh": 120, "coefficiente_masse_rotanti": 1.05,
    "sforzo_trazione": [[0, 180], [120, 60]],
    "resistenza": {"a_kN": 6, "b_kN_per_kmh": 0.02, "c_kN_per_kmh2": 0.0008},
    "decelerazione_frenatura_ms2": 0.5})");
  richiesta.rotabile = cartella.file("treno.json");
  std::vector<std::string> righe = righe_incorporate("treno");
  ASSERT_NE(righe[57].find("Colle Ardito"), std::string::npos);
  righe[57].replace(righe[57].find("Colle Ardito"), 12,
                    "Colle\x1b]0;x\x07"
                    "Ardito");
  prova::scrivi(cartella.file("treno.txt"), crlf(righe));
  for (bool csv : {false, true}) {
    SCOPED_TRACE(csv);
    richiesta.csv = csv;
    ASSERT_EQ(esegui(), 0) << errori.str();
    EXPECT_EQ(uscita.str().find_first_of("\x1b\x07\r"), std::string::npos);
    EXPECT_EQ(uscita.str().find("\xc2\x9b"), std::string::npos);
    EXPECT_NE(uscita.str().find("Colle\\x1b]0;x\\x07Ardito"), std::string::npos) << uscita.str();
    if (!csv) {
      EXPECT_EQ(uscita.str().rfind("treno: E\\x1b[2J\\nX\\u009b: 300,0 t", 0), 0u) << uscita.str();
    }
  }
}

TEST_F(MarciaPortata, DescriptionsWithErrorsGiveNoTimetable) {
  std::vector<std::string> righe = righe_incorporate("treno");
  righe[57] = "stazione,   11950,  2,  400,  0, 0, 0,  1,1,0,  4,1,1,   99,  13,18,x, Colle Ardito";
  prova::scrivi(cartella.file("treno.txt"), crlf(righe));
  EXPECT_EQ(esegui(), 1);
  EXPECT_EQ(uscita.str(), "");
  EXPECT_NE(errori.str().find("treno.txt:58:"), std::string::npos) << errori.str();
}

TEST_F(MarciaPortata, ThePictureWrittenIsNamedOnTheErrorStream) {
  richiesta.uscita = cartella.file("marcia.svg");
  ASSERT_EQ(esegui(), 0) << errori.str();
  EXPECT_FALSE(prova::leggi(richiesta.uscita).empty());
  EXPECT_EQ(errori.str(), "marcia: disegno " + richiesta.uscita +
                              ": 334,0 km, 45 stazioni (45 nominate sulla pianta), 179 segnali, "
                              "2 rallentamenti\n");
}

TEST_F(MarciaPortata, ATrainThatStopsIsNamedAndDrawnUpToWhereItStops) {
  // 52 per mille from 33850 to 43500 m: 12 coaches do not get over it.
  std::vector<std::string> linea = righe_incorporate("linea");
  for (std::string& r : linea)
    if (r.rfind("pendenza,", 0) == 0) {
      const long p = std::stol(r.substr(9));
      if (p >= 33850 && p < 43500) r = "pendenza,  " + std::to_string(p) + ",   52";
    }
  prova::scrivi(cartella.file("linea.txt"), crlf(linea));
  std::vector<std::string> treno = righe_incorporate("treno");
  treno[1] = "numero vetture,  12";
  prova::scrivi(cartella.file("treno.txt"), crlf(treno));
  richiesta.uscita = cartella.file("fermo.svg");
  EXPECT_EQ(esegui(), 1);
  EXPECT_EQ(uscita.str(), "");
  const std::string fermo =
      "marcia: il treno «locomotiva elettrica e 12 vetture» non ce la fa: a 37307 m si "
      "ferma, lo sforzo non vince la resistenza, la pendenza e le curve (pendenza media "
      "sotto il treno 52 per mille, mancano 84,2 kN)\n";
  EXPECT_EQ(errori.str().substr(0, fermo.size()), fermo);
  EXPECT_EQ(
      errori.str().substr(fermo.size()).rfind("marcia: disegno " + richiesta.uscita + ": ", 0), 0u)
      << errori.str();
  std::string svg;
  ASSERT_TRUE(leggi_file(richiesta.uscita, svg).riuscito());
  EXPECT_NE(svg.find("id=\"corsa-fermo\""), std::string::npos);
  EXPECT_NE(svg.find("id=\"corsa-velocita\""), std::string::npos);
}

TEST(Marcia, UsageFaults) {
  const struct {
    richiesta_marcia r;
    bool valida;
  } casi[] = {
      {{"l", "t", "", "", true, true, "", false}, false},
      {{"l", "t", "", "5%", false, false, "", false}, true},
      {{"l", "t", "", "2,5", false, false, "", false}, true},
      {{"l", "t", "", "101%", false, false, "", false}, false},
      {{"l", "t", "", "-1%", false, false, "", false}, false},
      {{"l", "t", "", "cinque", false, false, "", false}, false},
      {{"l", "t", "", "", false, false, "x.png", false}, false},
      {{"l", "t", "", "", false, false, "x.html", false}, true},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.r.margine + " " + c.r.uscita);
    EXPECT_EQ(richiesta_marcia_valida(c.r).riuscito(), c.valida);
  }
  double m = 0;
  ASSERT_TRUE(leggi_margine("2,5%", m));
  EXPECT_EQ(m, 2.5);
}

}  // namespace
}  // namespace scen
