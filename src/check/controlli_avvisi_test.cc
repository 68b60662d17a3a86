// The pieces of the checker: the lines set aside, the keyword an author
// meant, text that looks like UTF-8.
#include "check/controlli_avvisi.h"

#include <gtest/gtest.h>

#include <string>

#include "check/verifica_letture.h"

namespace scen {
namespace {

TEST(Controlli, SvuotaRiga) {
  struct caso {
    std::string testo;
    long riga;
    bool svuotata;
    std::string dopo;
  };
  const caso casi[] = {
      {"a\r\nbb\r\nc\r\n", 2, true, "a\r\n\r\nc\r\n"},
      {"a\nbb\nc", 3, true, "a\nbb\n"},
      {"a\rbb\rc\r", 1, true, "\rbb\rc\r"},
      {"a\r\n\r\nc\r\n", 2, false, "a\r\n\r\nc\r\n"},
      {"a\r\nb\r\n", 3, false, "a\r\nb\r\n"},
      {"a\r\nb\r\n", 0, false, "a\r\nb\r\n"},
  };
  for (const caso& c : casi) {
    std::string testo = c.testo;
    EXPECT_EQ(svuota_riga(testo, c.riga), c.svuotata) << c.riga;
    EXPECT_EQ(testo, c.dopo);
  }
}

TEST(Controlli, ParolaVicina) {
  struct caso {
    const char* campo;
    bool linea;
    const char* vicina;
  };
  const caso casi[] = {
      {"cruvad4", true, "curvad4"},
      {"pendenze", true, "pendenza"},
      {"Montagne", true, "montagna"},
      {"lunghezza percoso", true, "lunghezza percorso"},
      {"ponte", true, ""},
      {"stazzione", false, "stazione"},
      {"velocta  ", false, "velocita"},
      {"orologgio", false, "orologio"},
      {"pendenza", false, ""},
      {"x", false, ""},
  };
  for (const caso& c : casi) EXPECT_EQ(parola_vicina(c.campo, c.linea), c.vicina) << c.campo;
}

TEST(Controlli, SembraUtf8) {
  struct caso {
    const char* testo;
    bool utf8;
  };
  const caso casi[] = {
      {"Citt\xc3\xa0", true},
      {"Citt\xe0", false},
      {"Vela", false},
      {"\xe2\x86\x92", true},
      {"\xc3", false},
      {"\xc0\xa0", false},
      {"\xed\xa0\x80", false},
      {"\xf0\x9f\x9a\x86", true},
      {"Citt\xc3\xa0\xe8", false},
  };
  for (const caso& c : casi) EXPECT_EQ(sembra_utf8(c.testo), c.utf8) << c.testo;
}

}  // namespace
}  // namespace scen
