#include "read/campi.h"

#include <gtest/gtest.h>

#include "read/guasto.h"

namespace scen {
namespace {

// The numbers read one after another until the end of the file.
std::vector<Long> numeri(const std::string& testo) {
  campi f(testo);
  std::vector<Long> letti;
  while (!f.fine()) letti.push_back(f.numero("un numero"));
  return letti;
}

std::string causa(const std::string& testo) {
  try {
    numeri(testo);
  } catch (const guasto_lettura& g) {
    return g.causa;
  }
  return "nessun guasto";
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

TEST(Campi, WhatIsNoNumberIsAReadFailure) {
  EXPECT_EQ(causa("1.5,"), "numero non valido \"1.5\"");
  EXPECT_EQ(causa("  +3\r\n"), "numero non valido \"+3\"");
  EXPECT_EQ(causa("- ,"), "numero non valido \"- \"");
  EXPECT_EQ(causa("12a"), "numero non valido \"12a\"");
  EXPECT_EQ(causa("\t5"), "numero non valido \"\t5\"");
  EXPECT_EQ(causa("2147483648,"), "numero oltre i 32 bit \"2147483648\"");
  EXPECT_EQ(causa("-99999999999999999999"), "numero oltre i 32 bit \"-99999999999999999999\"");
  // Blanks that run into the end of the file: no digit came.
  EXPECT_EQ(causa("   "), "fine del file dentro un record: manca un numero");
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
    EXPECT_EQ(g.causa, "fine del file dentro un record: manca il testo del cartello");
    EXPECT_EQ(g.riga, 1);
  }
}

TEST(Campi, TextKeepsTrailingBlanksAndCountsLines) {
  campi f(" \t(  Cippo  )(Km 28+000)  ,x\r\n\r\n  ultimo");
  std::string campo;
  f.testo(campo, "");
  EXPECT_EQ(campo, "(  Cippo  )(Km 28+000)  ");
  EXPECT_EQ(f.riga(), 1);
  f.testo(campo, "");
  EXPECT_EQ(campo, "x");
  f.testo(campo, "");
  EXPECT_EQ(campo, "");
  EXPECT_EQ(f.riga(), 2);
  f.testo(campo, "");
  EXPECT_EQ(campo, "ultimo");
  EXPECT_EQ(f.riga(), 3);
  EXPECT_TRUE(f.fine());
}

TEST(Campi, KeywordTestsFoldOnlyPlainLetters) {
  EXPECT_TRUE(contiene_maiuscole("CURVAS1", "curva"));
  EXPECT_TRUE(contiene_maiuscole("CURVAS1", "s"));
  EXPECT_TRUE(contiene_maiuscole("[Generale]", "[generale]"));
  EXPECT_FALSE(contiene_maiuscole("VELOCIT\xC0", "velocit\xE0"));  // À is not folded
  EXPECT_FALSE(contiene_maiuscole("velo", "velocit"));
  EXPECT_TRUE(contiene("sfondo uno", "uno"));
  EXPECT_FALSE(contiene("SFONDO UNO", "sfondo"));
}

}  // namespace
}  // namespace scen
