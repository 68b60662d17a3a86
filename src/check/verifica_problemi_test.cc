#include "check/verifica_problemi.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scen {
namespace {

TEST(ElencoProblemi, TheSameProblemTwiceIsKeptOnceInTheOrderFound) {
  elenco_problemi e;
  const file_verificato t = file_verificato::treno;
  e.avviso(t, 3, 1, "b");
  e.avviso(t, 3, 1, "a");
  e.avviso(t, 3, 1, "b");                       // the same: dropped
  e.errore(t, 3, 1, "b");                       // another grade: kept
  e.avviso(file_verificato::linea, 3, 1, "b");  // another file: kept
  e.avviso(t, 3, 2, "b");                       // another column: kept
  problema con_nota{gravita::errore, std::string(file_treno), 5, 0, "c", {}};
  con_nota.note.push_back({gravita::nota, std::string(file_linea), 1, 1, "n", {}});
  e.aggiungi(con_nota);
  e.aggiungi(con_nota);  // the same with its note: dropped
  problema altra_nota = con_nota;
  altra_nota.note.front().causa = "m";
  e.aggiungi(altra_nota);  // another note: kept
  e.errore(t, 5, 0, "c");  // without the note: kept
  EXPECT_EQ(e.errori(), 4);
  EXPECT_EQ(e.avvisi(), 4);

  std::vector<std::string> visti;
  for (const problema& p : e.ordinati())
    visti.push_back(fmt::format("{}:{}:{} {} {} {}", p.file, p.riga, p.colonna,
                                p.livello == gravita::errore ? "E" : "A", p.causa,
                                p.note.empty() ? "" : p.note.front().causa));
  const std::vector<std::string> attesi = {
      "linea:3:1 A b ", "treno:3:1 E b ",  "treno:3:1 A b ",  "treno:3:1 A a ",
      "treno:3:2 A b ", "treno:5:0 E c n", "treno:5:0 E c m", "treno:5:0 E c ",
  };
  EXPECT_EQ(visti, attesi);
}

TEST(ElencoProblemi, APlaceIsKnownByFileLineAndColumn) {
  elenco_problemi e;
  e.avviso(file_verificato::treno, 7, 4, "x");
  EXPECT_TRUE(e.problema_in(file_verificato::treno, 7, 4));
  EXPECT_FALSE(e.problema_in(file_verificato::linea, 7, 4));
  EXPECT_FALSE(e.problema_in(file_verificato::treno, 7, 5));
  EXPECT_FALSE(e.problema_in(file_verificato::treno, 8, 4));
}

TEST(ElencoProblemi, ManyProblemsAreEachKeptOnce) {
  // Twice over, 100,000 places: each kept once, the second round dropped.
  elenco_problemi e;
  for (int giro = 0; giro < 2; ++giro)
    for (long i = 1; i <= 100000; ++i)
      e.avviso(file_verificato::treno, i, 1, "parola chiave sconosciuta");
  EXPECT_EQ(e.avvisi(), 100000);
  EXPECT_EQ(e.ordinati().size(), 100000U);
  EXPECT_TRUE(e.problema_in(file_verificato::treno, 100000, 1));
}

}  // namespace
}  // namespace scen
