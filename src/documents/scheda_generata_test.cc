#include "documents/scheda_generata.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/windows1252.h"

namespace scen {
namespace {

constexpr std::int64_t ora(std::int64_t h, std::int64_t m, std::int64_t s = 0) {
  return (h * 60 + m) * 60 + s;
}

// A station on line `riga` of the train description, with an extent of
// 200 m each side.
stazione_descritta stazione(std::string nome, std::int64_t posizione, std::int64_t orario = 0,
                            std::int64_t fermata = 0, long riga = 0) {
  return {std::move(nome), posizione, posizione - 200, posizione + 200, orario, fermata, riga, 70};
}

std::string senza_bordi(const std::string& s) {
  const size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(' ') - a + 1);
}

// A row as its seven cells without their blanks, joined by "|".
std::string compatta(const riga_griglia& r) {
  return senza_bordi(r.vel_limite) + "|" + senza_bordi(r.vel_marcia) + "|" +
         senza_bordi(r.progressiva) + "|" + senza_bordi(r.vel_no_rs) + "|" +
         senza_bordi(r.localita) + "|" + senza_bordi(r.orario) + "|" + senza_bordi(r.recupero);
}

std::vector<std::string> righe_compatte(const descrizioni_documenti& d,
                                        std::vector<diagnostica>& problemi) {
  std::vector<std::string> righe;
  for (const riga_generata& g : righe_della_scheda(d, problemi)) {
    EXPECT_EQ(testo_riga(g.riga.riga).size(), larghezza_riga_griglia);
    righe.push_back(compatta(g.riga.riga));
  }
  return righe;
}

const std::string spaziatura = "||||||";
const std::string fine_linea = "||(0.000)||||";

TEST(SchedaGenerata, SmallScenarios) {
  const struct {
    const char* caso;
    descrizioni_documenti d;
    std::vector<std::string> righe;
  } casi[] = {
      {"one station",
       {{}, 0, {stazione("Vela", 0, ora(13, 4, 30), 1)}, {{0, 30, 1}}, {}},
       {"30|30|0.000||Vela|13.04|", fine_linea}},
      {"a jump between two stations",
       {{{5000, 1000, false}},
        0,
        {stazione("A", 0, ora(10, 0)), stazione("B", 8000, ora(10, 10))},
        {{0, 100, 1}},
        {}},
       {"100|100|0.000||A|10.00|", spaziatura, "100|100|5.000/||||", "||6.000||||",
        "100|100|9.000||B|10.10|", fine_linea}},
      {"a jump at a station, the count starting again from 0",
       {{{8000, -8000, false}},
        0,
        {stazione("A", 0, ora(10, 0)), stazione("B", 8000, ora(10, 10)),
         stazione("C", 9500, ora(10, 12))},
        {{0, 100, 1}},
        {}},
       {"100|100|0.000||A|10.00|", spaziatura, "100|100|8.000/||B|10.10|", "||0.000||||",
        spaziatura, "100|100|1.500||C|10.12|", fine_linea}},
      {"a falling mark",
       {{{0, 20000, true}},
        0,
        {stazione("A", 0, ora(10, 0)), stazione("B", 3000, ora(10, 5, 30)),
         stazione("C", 6000, ora(10, 9, 10))},
        {{0, 100, 1}},
        {}},
       {"100|100|20.000||A|10.00|", spaziatura, "100|100|17.000||B|10.05.30|", spaziatura,
        "100|100|14.000||C|10.09|", fine_linea}},
      {"a mark falling after a jump",
       {{{3000, 10000, true}},
        0,
        {stazione("A", 0, ora(10, 0)), stazione("B", 5000, ora(10, 10))},
        {{0, 100, 1}},
        {}},
       {"100|100|0.000||A|10.00|", spaziatura, "100|100|3.000/||||", "||7.000||||",
        "100|100|5.000||B|10.10|", fine_linea}},
      {"falling speeds, a post for each within the route",
       {{},
        0,
        {stazione("A", 0, ora(10, 0)), stazione("B", 6000, ora(10, 10))},
        {{0, 150, 1}, {2000, 130, 2}, {4000, 140, 3}, {5000, 70, 4}, {9000, 40, 5}},
        {}},
       {"150|150|0.000||A|10.00|", spaziatura, "130|130|2.000|120|Cippo Km 2.000||",
        "70|70|5.000|70|Cippo Km 5.000||", "70|70|6.000||B|10.10|", fine_linea}},
      {"a post and a jump at one place: the jump first",
       {{{5000, 1000, false}},
        0,
        {stazione("A", 0, ora(10, 0)), stazione("B", 8000, ora(10, 10))},
        {{0, 100, 1}, {5000, 80, 2}},
        {}},
       {"100|100|0.000||A|10.00|", spaziatura, "80|80|5.000/||||", "||6.000||||",
        "80|80|6.000|80|Cippo Km 6.000||", "80|80|9.000||B|10.10|", fine_linea}},
      {"a stop, a station passed with and without its time",
       {{},
        0,
        {stazione("A", 0, ora(10, 0, 30), 1), stazione("B", 3000, ora(10, 5, 30), 99),
         stazione("C", 4000), stazione("D", 5000, ora(10, 8, 15)),
         stazione("E", 7000, ora(10, 12))},
        {{0, 100, 1}},
        {}},
       {"100|100|0.000||A|10.00|", spaziatura, "100|100|3.000||B|10.03   10.05|", spaziatura,
        "100|100|4.000||C||", spaziatura, "100|100|5.000||D|10.08.15|", spaziatura,
        "100|100|7.000||E|10.12|", fine_linea}},
      {"no speed record before a station: the speed cells stay blank",
       {{},
        0,
        {stazione("A", 0, ora(10, 0)), stazione("B", 3000, ora(10, 5))},
        {{1000, 100, 1}},
        {}},
       {"||0.000||A|10.00|", spaziatura, "100|100|3.000||B|10.05|", fine_linea}},
  };
  for (const auto& c : casi) {
    std::vector<diagnostica> problemi;
    EXPECT_EQ(righe_compatte(c.d, problemi), c.righe) << c.caso;
    EXPECT_TRUE(problemi.empty()) << c.caso << ": " << problemi.front().causa;
  }
}

// `n` stations 1000 m apart, station i on line 100 + i.
descrizioni_documenti stazioni_in_fila(size_t n) {
  descrizioni_documenti d;
  d.velocita = {{0, 100, 1}};
  for (size_t i = 0; i < n; ++i)
    d.stazioni.push_back(stazione("S" + std::to_string(i), static_cast<std::int64_t>(i) * 1000,
                                  ora(10, 0) + static_cast<std::int64_t>(i) * 60, 0,
                                  static_cast<long>(100 + i)));
  return d;
}

const intestazione_scheda intestazione = {"731", "IC", "V200 C", "130%", "600T", "", "", ""};

TEST(SchedaGenerata, ManyStationsAcrossSeveralSheets) {
  std::vector<diagnostica> problemi;
  // 40 stations, 39 spacers and the end row: 31 rows, then a spacer left out
  // at the top of sheet 2, 31 rows, another left out, 16 rows.
  const std::vector<std::string> scheda =
      scheda_generata(stazioni_in_fila(40), intestazione, problemi);
  EXPECT_TRUE(problemi.empty());
  std::vector<size_t> righe_per_foglio;
  std::vector<std::string> prime;
  for (size_t i = 0; i < scheda.size(); ++i) {
    if (scheda[i].find("SCHEDA ") != std::string::npos) {
      EXPECT_NE(scheda[i].find("SCHEDA " + std::to_string(righe_per_foglio.size() + 1) + "/3"),
                std::string::npos);
      righe_per_foglio.push_back(0);
      prime.push_back(scheda[i + 13]);
    }
    if (!righe_per_foglio.empty() && scheda[i].size() == larghezza_riga_griglia &&
        scheda[i].find("Progr") == std::string::npos &&
        scheda[i].find("Lim.") == std::string::npos && scheda[i].find("_") == std::string::npos &&
        scheda[i].find("SCHEDA") == std::string::npos &&
        scheda[i].find("TRENO") == std::string::npos)
      ++righe_per_foglio.back();
  }
  EXPECT_EQ(righe_per_foglio, (std::vector<size_t>{31, 31, 16}));
  EXPECT_NE(prime[1].find("S16 "), std::string::npos);
  EXPECT_NE(prime[2].find("S32 "), std::string::npos);
  EXPECT_EQ(scheda[4].substr(41, 26), "da: S0                    ");
  EXPECT_EQ(scheda[5].substr(42, 25), "a: S39                   ");
}

TEST(SchedaGenerata, MoreRowsThanNineteenSheetsIsAnErrorAtTheFirstStationLeftOut) {
  std::vector<diagnostica> problemi;
  // 19 sheets hold 608 rows of stations and spacers: the 20th would open
  // with station 304.
  EXPECT_TRUE(scheda_generata(stazioni_in_fila(310), intestazione, problemi).empty());
  ASSERT_EQ(problemi.size(), 1u);
  EXPECT_EQ(problemi[0], (problema_di(true, 404, 70, true,
                                      "la scheda treno ha posto per 19 fogli di 31 righe: "
                                      "da qui le righe della scheda (620 in tutto) non ci "
                                      "stanno più")));
  problemi.clear();
  EXPECT_FALSE(scheda_generata(stazioni_in_fila(300), intestazione, problemi).empty());
  EXPECT_TRUE(problemi.empty());
}

TEST(SchedaGenerata, WhatTheCardCannotShowIsNamedAtItsLine) {
  const struct {
    const char* caso;
    std::vector<stazione_descritta> stazioni;
    diagnostica atteso;
    bool scritta;
  } casi[] = {
      {"a name wider than its cell",
       {stazione("A", 0, ora(10, 0), 0, 12),
        stazione("Ventinove caratteri, uno di più", 3000, 0, 0, 13),
        stazione("B", 6000, ora(10, 9), 0, 14)},
       problema_di(true, 13, 70, true,
                   "stazione: il nome «Ventinove caratteri, uno di più» ha 31 caratteri, ma la "
                   "scheda treno "
                   "ne mostra al più 28"),
       false},
      {"an origin wider than its heading box",
       {stazione("Ventitré caratteri: uno", 0, ora(10, 0), 0, 12),
        stazione("B", 6000, ora(10, 9), 0, 14)},
       problema_di(
           true, 12, 70, true,
           "stazione: il nome «Ventitré caratteri: uno» ha 23 caratteri, ma l'intestazione della "
           "scheda treno ne mostra al più 22 per l'origine"),
       false},
      {"a stop without its time",
       {stazione("A", 0, ora(10, 0), 0, 12), stazione("Sosta", 3000, 0, 60, 13),
        stazione("B", 6000, ora(10, 9), 0, 14)},
       problema_di(
           true, 13, 0, false,
           "stazione «Sosta»: una fermata (sosta non 0) è senza orario (campi 14, 15 e 16 a 0): "
           "la scheda treno lascia vuota la sua cella dell'orario"),
       true},
      {"a destination without its time",
       {stazione("A", 0, ora(10, 0), 0, 12), stazione("B", 6000, 0, 0, 14)},
       problema_di(
           true, 14, 0, false,
           "stazione «B»: la destinazione è senza orario (campi 14, 15 e 16 a 0): la scheda treno "
           "lascia vuota la sua cella dell'orario"),
       true},
      {"a time past the day",
       {stazione("A", 0, ora(24, 0, 5), 0, 12), stazione("B", 6000, ora(10, 9), 0, 14)},
       problema_di(
           true, 12, 0, true,
           "stazione «A»: l'orario 24:00:05 non è un'ora del giorno: la scheda treno scrive le ore "
           "da 00.00 a 23.59.59"),
       false},
  };
  for (const auto& c : casi) {
    descrizioni_documenti d;
    d.velocita = {{0, 100, 1}};
    // The names are Windows-1252, as the descriptions hold them.
    for (stazione_descritta s : c.stazioni) {
      s.nome = *utf8_a_1252(s.nome);
      d.stazioni.push_back(s);
    }
    std::vector<diagnostica> problemi;
    EXPECT_EQ(scheda_generata(d, intestazione, problemi).empty(), !c.scritta) << c.caso;
    ASSERT_EQ(problemi.size(), 1u) << c.caso;
    EXPECT_EQ(problemi[0], c.atteso) << c.caso;
  }
}

TEST(SchedaGenerata, NoStationIsAnError) {
  std::vector<diagnostica> problemi;
  EXPECT_TRUE(scheda_generata({}, intestazione, problemi).empty());
  ASSERT_EQ(problemi.size(), 1u);
  EXPECT_EQ(problemi[0].causa,
            "nessuna stazione: la scheda treno ha almeno l'origine e la destinazione");
}

TEST(SchedaGenerata, ShortNameOfTheDestination) {
  EXPECT_EQ(nome_breve("Nuro Centrale"), "Nuro C.le");
  EXPECT_EQ(nome_breve("Centrale Ovest"), "C.le Ovest");
  EXPECT_EQ(nome_breve("Centralese"), "Centralese");
  EXPECT_EQ(nome_breve("Vela"), "Vela");
}

}  // namespace
}  // namespace scen
