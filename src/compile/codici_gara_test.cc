#include "compile/codici_gara.h"

#include <gtest/gtest.h>

namespace scen {
namespace {

modello con_chiavi(const std::string& treno, const std::string& percorso) {
  modello m;
  m.registri[indice_registro::generali_ripetizione].nome = treno;
  m.registri[indice_registro::generali_linea].nome = percorso;
  return m;
}

TEST(CodiciGara, WorkedValuesForTheCarriedKeys) {
  modello m = con_chiavi("IC 731", "Vela_Nuro");
  EXPECT_EQ(codice_gara_st(m), 32226);
  EXPECT_EQ(codice_gara_og(m), 2352);
  EXPECT_EQ(m.campo, "ic 731vela_nuroaabbccddeeffgghhiillmmnnoo");
}

TEST(CodiciGara, EmptyKeysCountTheFillerAlone) {
  modello m = con_chiavi("", "");
  EXPECT_EQ(codice_gara_st(m), 34355);
  EXPECT_EQ(codice_gara_og(m), 2583);
  EXPECT_EQ(m.campo, "aabbccddeeffgghhiillmmnnoo");
}

TEST(CodiciGara, LetterCaseDoesNotCount) {
  modello maiuscole = con_chiavi("IC 731", "VELA_NURO");
  modello minuscole = con_chiavi("ic 731", "vela_nuro");
  EXPECT_EQ(codice_gara_st(maiuscole), codice_gara_st(minuscole));
  EXPECT_EQ(codice_gara_og(maiuscole), codice_gara_og(minuscole));
  // Windows-1252 letters above ASCII fold too: À (0xC0) counts as à (0xE0).
  modello accentata = con_chiavi("\xc0", "");
  modello piana = con_chiavi("\xe0", "");
  EXPECT_EQ(codice_gara_st(accentata), codice_gara_st(piana));
}

TEST(CodiciGara, SwappingTheKeysKeepsOnlyThePlainSum) {
  modello diretta = con_chiavi("IC 731", "Vela_Nuro");
  modello scambiata = con_chiavi("Vela_Nuro", "IC 731");
  EXPECT_EQ(codice_gara_og(diretta), codice_gara_og(scambiata));
  EXPECT_NE(codice_gara_st(diretta), codice_gara_st(scambiata));
}

TEST(CodiciGara, OnlyTheFirstTwentyFiveCharactersCount) {
  modello lunga = con_chiavi(std::string(20, 'z'), "abcdefghij");
  modello tagliata = con_chiavi(std::string(20, 'z'), "abcdeXXXXX");
  EXPECT_EQ(codice_gara_og(lunga), codice_gara_og(tagliata));
  EXPECT_EQ(codice_gara_og(lunga), 20 * 'z' + 'a' + 'b' + 'c' + 'd' + 'e');
  EXPECT_EQ(lunga.campo, std::string(20, 'z') + "abcdefghij" + "aabbccddeeffgghhiillmmnnoo");
}

}  // namespace
}  // namespace scen
