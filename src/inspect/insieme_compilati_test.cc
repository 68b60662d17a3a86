#include "inspect/insieme_compilati.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace scen {

// How gtest shows an inconsistency: its fields by name.
void PrintTo(const incoerenza& i, std::ostream* os) {
  *os << "{" << (i.tipo == incoerenza::genere::celle ? "celle" : "tracciato") << " " << i.file
      << " trovato " << i.trovato << " atteso " << i.atteso << ", " << i.treno << " di "
      << i.lunghezza_linea << " m}";
}

namespace {

fatti_treno treno(const std::string& file, Long lunghezza) {
  fatti_treno t;
  t.file = file;
  t.lunghezza_percorso = lunghezza;
  return t;
}

fatti_celle celle(const std::string& file, std::size_t numero) {
  fatti_celle c;
  c.file = file;
  c.celle = numero;
  return c;
}

fatti_linea linea(const std::string& file, Long ultimo_metro) {
  fatti_linea l;
  l.file = file;
  l.tracciato.ultimo_metro = ultimo_metro;
  return l;
}

// A line of 334000 m: a trace to metre 341000, 6821 cells.
constexpr Long lunghezza = 334000;
constexpr std::size_t celle_giuste = 6821;
constexpr Long ultimo_giusto = 341000;

// Which files go with the train file c/P_T.sim: only those are compared.
TEST(Incoerenze, OnlyTheFilesOfTheSameScenarioAreCompared) {
  struct caso {
    fatti_file altro;
    bool insieme;
  };
  const caso casi[] = {
      {celle("c/P_T.dat", 1), true},
      {celle("d/P_T.dat", 1), false},
      {celle("P_T.dat", 1), false},
      {celle("c/P_U.dat", 1), false},
      {linea("c/P_linea.dat", 1), true},
      {linea("c/Q_linea.dat", 1), false},
      {linea("d/P_linea.dat", 1), false},
      {linea("c/P_T_linea.dat", 1), false},
      // Files that could not be read, and other train files, are no part of it.
      {file_illeggibile{"c/P_T.dat", "c/P_T.dat: rotto"}, false},
      {treno("c/P_T.sim", 1), false},
  };
  for (const caso& c : casi) {
    const std::vector<fatti_file> letti = {treno("c/P_T.sim", lunghezza), c.altro};
    EXPECT_EQ(incoerenze(letti).size(), c.insieme ? 1u : 0u)
        << std::visit([](const auto& f) { return f.file; }, c.altro);
  }
  // A route key with "_" in it: the line file of any division of the name.
  EXPECT_EQ(incoerenze({treno("c/P_X_T.sim", lunghezza), linea("c/P_X_linea.dat", 1)}).size(), 1u);
  EXPECT_EQ(incoerenze({treno("c/P_X_T.sim", lunghezza), linea("c/P_linea.dat", 1)}).size(), 1u);
}

TEST(Incoerenze, CellsAndTraceAgainstTheTrainFilesLine) {
  struct caso {
    Long lunghezza;
    std::size_t celle;
    Long ultimo_metro;
    std::vector<incoerenza> attese;
  };
  using g = incoerenza::genere;
  const caso casi[] = {
      {lunghezza, celle_giuste, ultimo_giusto, {}},
      {lunghezza, 341, ultimo_giusto, {{g::celle, "c/P_T.dat", 341, 6821, "c/P_T.sim", lunghezza}}},
      {lunghezza,
       celle_giuste,
       17000,
       {{g::tracciato, "c/P_linea.dat", 17000, 341000, "c/P_T.sim", lunghezza}}},
      {50, 142, 7050, {}},
      // The shortest line that the readers take: no cells beyond none.
      {-7000, 1, 0, {}},
      {-8000, 1, -1000, {{g::celle, "c/P_T.dat", 1, 0, "c/P_T.sim", -8000}}},
  };
  for (const caso& c : casi) {
    const std::vector<fatti_file> letti = {linea("c/P_linea.dat", c.ultimo_metro),
                                           treno("c/P_T.sim", c.lunghezza),
                                           celle("c/P_T.dat", c.celle)};
    const std::vector<incoerenza> trovate = incoerenze(letti);
    EXPECT_EQ(trovate, c.attese) << c.lunghezza << " " << c.celle << " " << c.ultimo_metro;
  }
}

TEST(Incoerenze, EachTrainFileInOrderThenEachOtherFileInOrder) {
  const std::vector<fatti_file> letti = {celle("a/P_T.dat", 1), treno("b/P_T.sim", lunghezza),
                                         linea("a/P_linea.dat", 1), treno("a/P_T.sim", lunghezza),
                                         celle("b/P_T.dat", 2)};
  std::vector<std::string> file;
  for (const incoerenza& i : incoerenze(letti)) file.push_back(i.treno + " " + i.file);
  EXPECT_EQ(file, (std::vector<std::string>{"b/P_T.sim b/P_T.dat", "a/P_T.sim a/P_T.dat",
                                            "a/P_T.sim a/P_linea.dat"}));
}

TEST(UnisciCartelli, TheSignpostsCellsFromTheFirstCellFileOfTheTrain) {
  fatti_treno t = treno("c/P_T.sim", lunghezza);
  t.cartelli = {
      {80, "(Km 1)", std::nullopt}, {79, "(Km 2)", std::nullopt}, {78, "(Km 3)", std::nullopt}};
  fatti_celle altrove = celle("d/P_T.dat", 1);
  altrove.cartelli = {{5, 80}};
  fatti_celle prime = celle("c/P_T.dat", 1);
  prime.cartelli = {{10, 79}, {20, 80}, {30, 80}};
  fatti_celle seconde = celle("c/P_T.dat", 1);
  seconde.cartelli = {{40, 78}};
  fatti_treno solo = treno("e/P_T.sim", lunghezza);
  solo.cartelli = {{80, "(Km 1)", std::nullopt}};

  std::vector<fatti_file> letti = {t, altrove, prime, seconde, solo};
  unisci_cartelli(letti);
  const std::vector<cartello_compilato>& uniti = std::get<fatti_treno>(letti[0]).cartelli;
  ASSERT_EQ(uniti.size(), 3u);
  EXPECT_EQ(uniti[0].cella, 20u);  // the first cell that carries it
  EXPECT_EQ(uniti[1].cella, 10u);
  EXPECT_FALSE(uniti[2].cella);  // carried only by the second cell file
  EXPECT_FALSE(std::get<fatti_treno>(letti[4]).cartelli[0].cella);
}

}  // namespace
}  // namespace scen
