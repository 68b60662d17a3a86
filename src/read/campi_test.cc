#include "read/campi.h"

#include <gtest/gtest.h>

#include "read/guasto.h"

namespace scen {
namespace {

// The numbers read one after another until the end of the file.
std::vector<Long> numeri(const std::string& testo) {
  campi f(testo);
  std::vector<Long> letti;
  while (!f.fine()) letti.push_back(f.numero("la posizione"));
  return letti;
}

std::string ripeti(std::string_view testo, int volte) {
  std::string r;
  for (int i = 0; i < volte; ++i) r += testo;
  return r;
}

// The failure that reading the numbers of `testo` ends in.
guasto_lettura guasto_di(const std::string& testo) {
  try {
    numeri(testo);
  } catch (const guasto_lettura& g) {
    return g;
  }
  guasto_lettura nessuno;
  nessuno.causa = "nessun guasto";
  return nessuno;
}

TEST(Campi, NumbersEndAtCommaBlankLineEndOrEndOfFile) {
  struct caso {
    std::string testo;
    std::vector<Long> attesi;
  };
  const caso casi[] = {
      {"  1250,   -4,5\r\n", {1250, -4, 5}},
      {"13 4 30,", {13, 4, 30}},       // the clock: blanks part the numbers
      {"13 4 30 \r\n", {13, 4, 30}},   // a blank, then the line end: one delimiter
      {"7  ,8", {7, 8}},               // blanks, then the comma: one delimiter
      {"  ,  ,  ,  0", {0, 0, 0, 0}},  // empty fields read 0
      {"\r\n\n\r5", {0, 0, 0, 5}},     // CR LF, LF and CR each end a line
      {"-2147483648,2147483647", {INT32_MIN, INT32_MAX}},
      {"007", {7}},
  };
  for (const caso& c : casi) EXPECT_EQ(numeri(c.testo), c.attesi) << c.testo;
}

TEST(Campi, WhatIsNoNumberIsAReadFailureAtItsField) {
  const std::string intero = ", ma va un numero intero (cifre, con \"-\" davanti se negativo)";
  struct caso {
    std::string testo;
    std::string causa;
    long riga, colonna;
  };
  const caso casi[] = {
      {"1.5,", "la posizione: trovato \"1.5\"" + intero + ": i decimali non si scrivono", 1, 1},
      {"7,  +3\r\n", "la posizione: trovato \"+3\"" + intero + ": il segno \"+\" non si scrive", 1,
       5},
      {"7\r\n- ,", "la posizione: trovato \"- \"" + intero, 2, 1},
      {"12a", "la posizione: trovato \"12a\"" + intero, 1, 1},
      {"1,\t5",
       "la posizione: trovato \"\\t5\"" + intero + ": tra i numeri vanno spazi, non tabulazioni", 1,
       3},
      // Echoed text is cut after 40 characters and shown in UTF-8, control
      // bytes escaped.
      {"x" + std::string(1000000, '\x01'),
       "la posizione: trovato \"x" + ripeti("\\x01", 39) + "…\"" + intero, 1, 1},
      {"\xe0\x7f\x81\"\\", "la posizione: trovato \"\xc3\xa0\\x7f\\x81\\\"\\\\\"" + intero, 1, 1},
      {"2147483648,",
       "la posizione vale \"2147483648\", oltre i 32 bit: va da -2147483648 a 2147483647", 1, 1},
      {"1\n1\r2\r\n  -99999999999999999999",
       "la posizione vale \"-99999999999999999999\", oltre i 32 bit: va da -2147483648 a "
       "2147483647",
       4, 3},
      // Blanks that run into the end of the file: no digit came.
      {"   ", "il file finisce dove va la posizione", 1, 4},
  };
  for (const caso& c : casi) {
    const guasto_lettura g = guasto_di(c.testo);
    EXPECT_EQ(g.causa, c.causa) << c.testo.substr(0, 20);
    EXPECT_EQ(g.dove, guasto_lettura::luogo::punto) << c.testo.substr(0, 20);
    EXPECT_EQ(g.punto.riga, c.riga) << c.testo.substr(0, 20);
    EXPECT_EQ(g.punto.colonna, c.colonna) << c.testo.substr(0, 20);
  }
}

TEST(Campi, ReadingAtTheEndOfTheFileFails) {
  campi f("a");
  std::string campo;
  f.testo(campo, "un campo");
  EXPECT_TRUE(f.fine());
  try {
    f.testo(campo, "il testo del cartello");
    FAIL();
  } catch (const guasto_lettura& g) {
    EXPECT_EQ(g.causa, "il file finisce dove va il testo del cartello");
    EXPECT_TRUE(g.fine_file);
    EXPECT_EQ(g.punto.riga, 1);
    EXPECT_EQ(g.punto.colonna, 2);
  }
}

TEST(Campi, TextKeepsTrailingBlanksAndCountsLinesAndColumns) {
  campi f(" \t(  Cippo  )(Km 28+000)  ,x\r\n\r\n  ultimo");
  std::string campo;
  struct atteso {
    std::string campo;
    long riga, colonna;
    bool a_inizio_riga;
  };
  const atteso attesi[] = {
      {"(  Cippo  )(Km 28+000)  ", 1, 3, true},
      {"x", 1, 28, false},
      {"", 2, 1, true},
      {"ultimo", 3, 3, true},
  };
  for (const atteso& a : attesi) {
    f.testo(campo, "");
    EXPECT_EQ(campo, a.campo);
    EXPECT_EQ(f.punto().riga, a.riga) << a.campo;
    EXPECT_EQ(f.punto().colonna, a.colonna) << a.campo;
    EXPECT_EQ(f.a_inizio_riga(), a.a_inizio_riga) << a.campo;
  }
  EXPECT_TRUE(f.fine());
  // Where a field missing from the end of the first line would go.
  EXPECT_EQ(f.fine_riga(0, 1).colonna, 29);
}

TEST(Campi, KeywordTestsFoldOnlyPlainLetters) {
  EXPECT_TRUE(contiene_maiuscole("CURVAS1", "curva"));
  EXPECT_TRUE(contiene_maiuscole("CURVAS1", "s"));
  EXPECT_TRUE(contiene_maiuscole("[Generale]", "[generale]"));
  EXPECT_FALSE(contiene_maiuscole("VELOCIT\xC0", "velocit\xE0"));  // À is not folded
  EXPECT_FALSE(contiene_maiuscole("velo", "velocit"));
  // Every place tried, as plainly as it can be written: the same answers.
  auto per_ogni_posto = [](std::string_view campo, std::string_view parola) {
    for (size_t i = 0; i + parola.size() <= campo.size(); ++i) {
      size_t j = 0;
      while (j < parola.size()) {
        char c = campo[i + j];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
        if (c != parola[j]) break;
        ++j;
      }
      if (j == parola.size()) return true;
    }
    return false;
  };
  const std::string_view campi[] = {"",           "s",          "S",          "sS",
                                    "ssStazione", "SSTAZIONE,", "xxsTaZiOnE", "stazion",
                                    "[GENERALE]", "1S",         "curvaD3",    "aAaAab"};
  const std::string_view parole[] = {"",   "s",   "stazione", "[generale]", "d3",
                                     "ab", "aab", "A",        "1s"};
  for (std::string_view c : campi)
    for (std::string_view p : parole)
      EXPECT_EQ(contiene_maiuscole(c, p), per_ogni_posto(c, p)) << c << " / " << p;
  EXPECT_TRUE(contiene("sfondo uno", "uno"));
  EXPECT_FALSE(contiene("SFONDO UNO", "sfondo"));
}

}  // namespace
}  // namespace scen
