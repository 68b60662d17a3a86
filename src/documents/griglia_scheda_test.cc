#include "documents/griglia_scheda.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/dati_incorporati.h"

namespace scen {
namespace {

// 13:04:30 and so on, in seconds of the day.
constexpr std::int64_t ora(std::int64_t h, std::int64_t m, std::int64_t s = 0) {
  return (h * 60 + m) * 60 + s;
}

TEST(GrigliaScheda, CellForms) {
  const struct {
    std::string fatta, attesa;
  } casi[] = {
      {cella_velocita(30), "  30 "},
      {cella_velocita(100), " 100 "},
      {cella_progressiva(0), "    0.000 "},
      {cella_progressiva(174750), "  174.750 "},
      {cella_progressiva(31100, true), "   31.100/"},
      {cella_progressiva_tra_parentesi(0), "   (0.000)"},
      {cella_progressiva_tra_parentesi(2000), "   (2.000)"},
      {*cella_testo("Vela", 28), "Vela                        "},
      {*cella_testo("Lagune e San Dorlino di Nuro", 28), "Lagune e San Dorlino di Nuro"},
  };
  for (const auto& c : casi) EXPECT_EQ(c.fatta, c.attesa);
  EXPECT_FALSE(cella_testo("Lagune e San Dorlino di Nuro!", 28).has_value());
}

TEST(GrigliaScheda, TimeCellForms) {
  const struct {
    std::string fatta, attesa;
  } casi[] = {
      // the origin: departure only, in positions 10 to 14
      {orario_partenza(ora(13, 4, 30)), "         13.04  "},
      // a stop: arrival in 2 to 6, departure in 10 to 14, to the minute
      {orario_fermata(ora(13, 16, 51), ora(13, 18, 30)), " 13.16   13.18  "},
      // a station passed: one time from position 6, with its seconds when it has them
      {orario_transito(ora(13, 10)), "     13.10      "},
      {orario_transito(ora(13, 27, 30)), "     13.27.30   "},
      {orario_transito(ora(0, 5, 9)), "     00.05.09   "},
      // the destination: arrival only, in positions 2 to 6
      {orario_arrivo(ora(16, 20)), " 16.20          "},
  };
  for (const auto& c : casi) {
    EXPECT_EQ(c.fatta, c.attesa);
    EXPECT_EQ(c.fatta.size(), larghezza_orario);
  }
}

TEST(GrigliaScheda, ARowIsEightyThreeCharactersInSevenCells) {
  riga_griglia r;
  EXPECT_EQ(testo_riga(r),
            " |     |     |          |     |                            |                |     |");
  r.vel_limite = r.vel_marcia = cella_velocita(150);
  r.progressiva = cella_progressiva(14000);
  r.vel_no_rs = cella_velocita(120);
  r.localita = *cella_testo("Cippo Km 14.000", larghezza_localita);
  EXPECT_EQ(testo_riga(r),
            " | 150 | 150 |   14.000 | 120 |Cippo Km 14.000             |                |     |");
  EXPECT_EQ(testo_riga(r).size(), larghezza_riga_griglia);
}

const intestazione_scheda intestazione_portata = {"731",  "IC",   "V200 C",        "130%",
                                                  "600T", "Vela", "Nuro Centrale", "Nuro C.le"};

TEST(GrigliaScheda, SheetHeadingAsTheCarriedCard) {
  const std::vector<std::string> portata = righe_incorporate("scheda_treno");
  // Lines 3 to 12 of sheet 1, 54 to 63 of sheet 2.
  EXPECT_EQ(intestazione_foglio(intestazione_portata, 1, 4),
            std::vector<std::string>(portata.begin() + 2, portata.begin() + 12));
  EXPECT_EQ(intestazione_foglio(intestazione_portata, 2, 4),
            std::vector<std::string>(portata.begin() + 53, portata.begin() + 63));
  EXPECT_EQ(intestazione_griglia(),
            std::vector<std::string>(portata.begin() + 12, portata.begin() + 16));
}

TEST(GrigliaScheda, SheetHeadingKeepsItsWidthsForOtherValues) {
  const intestazione_scheda altra = {"123456",
                                     "REG EXPRESS",
                                     "categoria 14c",
                                     "95%",
                                     "1234567890T",
                                     "Nome di ventidue lett.",
                                     "Altra destinazione",
                                     "Altra"};
  const std::vector<std::string> righe = intestazione_foglio(altra, 12, 19);
  const size_t larghezze[] = {82, 83, 83, 83, 83, 56, 64, 57, 57, 0};
  for (size_t i = 0; i < righe.size(); ++i) EXPECT_EQ(righe[i].size(), larghezze[i]) << i;
  EXPECT_EQ(righe[1].substr(42, 12), "SCHEDA 12/19");
  EXPECT_EQ(righe[2],
            " |   TRENO n.  123456|                   da: Nome di ventidue lett.|"
            "categoria 14c |");
  EXPECT_EQ(righe[3].substr(42, 25), "a: Altra                 ");
  EXPECT_EQ(righe[7], " |        REG EXPRESS|              |      1234567890T  |");
}

// `n` rows, each holding its index in the place cell; the spacer and tie
// marks as given.
std::vector<riga_impaginata> righe_numerate(size_t n, const std::vector<size_t>& spaziature = {},
                                            const std::vector<size_t>& legate = {}) {
  std::vector<riga_impaginata> righe(n);
  for (size_t i = 0; i < n; ++i) righe[i].riga.localita = *cella_testo(std::to_string(i), 28);
  for (size_t i : spaziature) righe[i].spaziatura = true;
  for (size_t i : legate) righe[i].con_la_seguente = true;
  return righe;
}

TEST(GrigliaScheda, SheetsOfAtMostThirtyOneRows) {
  const struct {
    const char* caso;
    std::vector<riga_impaginata> righe;
    std::vector<size_t> per_foglio;
    std::vector<size_t> primi;  // the first row of each sheet
  } casi[] = {
      {"one row", righe_numerate(1), {1}, {0}},
      {"31 rows fill one sheet", righe_numerate(31), {31}, {0}},
      {"the 32nd opens a second", righe_numerate(32), {31, 1}, {0, 31}},
      {"three sheets", righe_numerate(70), {31, 31, 8}, {0, 31, 62}},
      {"a spacer never opens a sheet", righe_numerate(33, {31}), {31, 1}, {0, 32}},
      {"a spacer inside a sheet stays", righe_numerate(33, {30}), {31, 2}, {0, 31}},
      {"a jump row keeps the mark after it", righe_numerate(32, {}, {30}), {30, 2}, {0, 30}},
      {"a tie that fits stays", righe_numerate(32, {}, {29}), {31, 1}, {0, 31}},
  };
  for (const auto& c : casi) {
    const std::vector<std::vector<size_t>> fogli = fogli_della_scheda(c.righe);
    ASSERT_EQ(fogli.size(), c.per_foglio.size()) << c.caso;
    for (size_t f = 0; f < fogli.size(); ++f) {
      EXPECT_EQ(fogli[f].size(), c.per_foglio[f]) << c.caso << ", sheet " << f + 1;
      EXPECT_EQ(fogli[f].front(), c.primi[f]) << c.caso << ", sheet " << f + 1;
    }
  }
}

TEST(GrigliaScheda, CardWithRulersAndSeparators) {
  const std::vector<riga_impaginata> righe = righe_numerate(40);
  const std::vector<std::string> scheda =
      componi_scheda(intestazione_portata, righe, fogli_della_scheda(righe));
  const std::string righello = intestazione_griglia().back();
  // 2 + (10 + 4 + 31 + 1) + 5 + (10 + 4 + 9 + 1) + 1
  ASSERT_EQ(scheda.size(), 2u + 46 + 5 + 24 + 1);
  EXPECT_EQ(scheda[0], "");
  EXPECT_EQ(scheda[1], "");
  EXPECT_EQ(scheda[3].substr(42, 10), "SCHEDA 1/2");
  EXPECT_EQ(scheda[16], testo_riga(righe[0].riga));
  EXPECT_EQ(scheda[46], testo_riga(righe[30].riga));
  EXPECT_EQ(scheda[47], righello);
  const std::vector<std::string> separatore = {"", "", std::string(81, '.'), "", ""};
  EXPECT_EQ(std::vector<std::string>(scheda.begin() + 48, scheda.begin() + 53), separatore);
  EXPECT_EQ(scheda[54].substr(42, 10), "SCHEDA 2/2");
  EXPECT_EQ(scheda[67], testo_riga(righe[31].riga));
  EXPECT_EQ(scheda[75], testo_riga(righe[39].riga));
  EXPECT_EQ(scheda[76], righello);
  EXPECT_EQ(scheda[77], "");
  for (size_t i = 0; i < scheda.size(); ++i) {
    if (scheda[i].starts_with(" |") && scheda[i].size() > 64) {
      EXPECT_EQ(scheda[i].size(), larghezza_riga_griglia) << i;
    }
  }
}

}  // namespace
}  // namespace scen
