// One run everywhere: with the author's rolling stock beside the train
// description, the timetable of `marcia`, the card of `documenti` and the
// picture of `disegna` and `guarda` have the same times and speeds.
#include <gtest/gtest.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "content/dati_incorporati.h"
#include "draw/scena.h"
#include "marcia/orario.h"
#include "marcia/rotabile_scelto.h"
#include "platform/file.h"
#include "read/memorizza_dati.h"
#include "testing/cartella_temporanea.h"
#include "testing/descrizioni_prova.h"
#include "tool/disegna.h"
#include "tool/documenti.h"
#include "tool/marcia.h"

namespace scen {
namespace {

using prova::crlf;

constexpr const char* rotabile_prova = R"({"nome": "prova", "massa_t": 300,
  "lunghezza_m": 150, "velocita_massima_kmh": 120, "coefficiente_masse_rotanti": 1.05,
  "sforzo_trazione": [[0, 180], [120, 60]],
  "resistenza": {"a_kN": 6, "b_kN_per_kmh": 0.02, "c_kN_per_kmh2": 0.0008},
  "decelerazione_frenatura_ms2": 0.5, "massa_aderente_t": 80})";

TEST(MarciaOvunque, TheRollingStockBesideTheTrainGivesTheSameTimesEverywhere) {
  prova::CartellaTemporanea cartella;
  const std::string linea = crlf(righe_incorporate("linea"));
  const std::string treno = crlf(righe_incorporate("treno"));
  prova::scrivi(cartella.file("linea.txt"), linea);
  prova::scrivi(cartella.file("treno.txt"), treno);
  prova::scrivi(cartella.file("treno.rotabile.json"), rotabile_prova);
  EXPECT_EQ(rotabile_accanto(cartella.file("treno.txt")), cartella.file("treno.rotabile.json"));

  // The timetable, with the file beside the description said on the side.
  richiesta_marcia rm;
  rm.linea = cartella.file("linea.txt");
  rm.treno = cartella.file("treno.txt");
  rm.json = true;
  std::ostringstream uscita, errori;
  ASSERT_EQ(marcia(rm, uscita, errori), 0) << errori.str();
  EXPECT_EQ(errori.str(), "rotabile: " + cartella.file("treno.rotabile.json") +
                              " (accanto alla descrizione del treno)\n");
  const nlohmann::json j = nlohmann::json::parse(uscita.str());
  EXPECT_EQ(j.at("treno").at("nome"), "prova");
  const auto& stazioni = j.at("stazioni");
  ASSERT_EQ(stazioni.size(), 45U);
  // The same file given with --rotabile: the same document.
  rm.rotabile = cartella.file("treno.rotabile.json");
  std::ostringstream data, taciuti;
  ASSERT_EQ(marcia(rm, data, taciuti), 0);
  EXPECT_EQ(data.str(), uscita.str());
  EXPECT_EQ(taciuti.str(), "");

  // The card: each station without a time of its own has the timetable's.
  richiesta_documenti rd;
  rd.linea = rm.linea;
  rd.treno = rm.treno;
  rd.cartella = cartella.percorso();
  std::ostringstream scritti, detti;
  ASSERT_EQ(documenti(rd, scritti, detti), 0) << detti.str();
  EXPECT_NE(scritti.str().find("(accanto alla descrizione del treno)"), std::string::npos);
  std::string scheda;
  ASSERT_TRUE(leggi_file(cartella.file("Vela_Nuro_IC 731_scheda_treno.txt"), scheda).riuscito());
  const std::regex riga(R"(\|([^|]{28})\|\s*(\d\d)\.(\d\d)(?:\.(\d\d))?)");
  // The card keeps the description's times and carries the run from each:
  // the timetable's times shifted by the last difference.
  size_t confrontate = 0;
  long scarto = 0;
  for (const auto& s : stazioni) {
    if (!s.at("orario_descritto_s").is_null()) {
      scarto = s.at("differenza_s").get<long>();
      continue;
    }
    std::string nome = s.at("nome").get<std::string>();
    const size_t dove = scheda.find("|" + nome + std::string(28 - nome.size(), ' ') + "|");
    ASSERT_NE(dove, std::string::npos) << nome;
    std::smatch m;
    const std::string resto = scheda.substr(dove, 60);
    ASSERT_TRUE(std::regex_search(resto, m, riga)) << resto;
    const long ora =
        std::stol(m[2]) * 3600 + std::stol(m[3]) * 60 + (m[4].matched ? std::stol(m[4]) : 0);
    EXPECT_EQ(ora, (s.at("orario_s").get<long>() + scarto) % 86400) << nome;
    ++confrontate;
  }
  EXPECT_GT(confrontate, 30U);

  // The picture of disegna and guarda: the same speeds and times at the
  // stations.
  auto m = std::make_unique<modello>();
  m->chiave_percorso = "Vela_Nuro";
  m->chiave_treno = "IC 731";
  m->con_tracciato = 1;
  leggi_descrizioni(*m, linea, treno, {"linea", "treno"});
  scena s;
  ASSERT_TRUE(scena_da_modello(*m, s).riuscito());
  rotabile_scelto scelto;
  ASSERT_TRUE(scegli_rotabile("", rm.treno, scelto).riuscito());
  completa_dalle_descrizioni(*m, linea, treno, s, scelto.se_dato(), margine_normale);
  ASSERT_TRUE(s.marcia.presente) << s.marcia.perche_no;
  EXPECT_EQ(s.marcia.arrivo, stazioni.back().at("orario_s").get<long>());
  for (const auto& st : stazioni) {
    const double x = st.at("posizione_m").get<double>();
    bool vista = false;
    for (size_t i = 0; i < s.marcia.percorso.size() && !vista; ++i) {
      if (s.marcia.percorso[i].x != x) continue;
      vista = true;
      const long atteso = st.at("orario_s").get<long>();
      if (x > 0) {
        EXPECT_EQ(mezzo_minuto(s.marcia.percorso[i].y), atteso) << st.at("nome");
      }
    }
    EXPECT_TRUE(vista) << st.at("nome");
    vista = false;
    for (const punto& p : s.marcia.velocita)
      if (p.x == x && !vista) {  // the arrival
        vista = true;
        EXPECT_NEAR(p.y, st.at("velocita_kmh").get<double>(), 0.05) << st.at("nome");
      }
    EXPECT_TRUE(vista) << st.at("nome");
  }
}

}  // namespace
}  // namespace scen
