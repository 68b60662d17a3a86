#include "tool/comandi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "platform/memoria.h"
#include "platform/stati_uscita.h"

namespace scen {
namespace {

TEST(Comandi, NessunaEccezioneEsceDalConfine) {
  struct caso {
    const char* nome;
    std::function<int(std::ostream&)> lavoro;
    int stato;
    std::string errori;
  };
  const std::string interrotto = ": il lavoro si è interrotto\n";
  const caso casi[] = {
      {"riuscito", [](std::ostream&) { return uscita_riuscita; }, uscita_riuscita, ""},
      {"esito", [](std::ostream&) { return uscita_esito; }, uscita_esito, ""},
      {"fallito", [](std::ostream&) { return uscita_fallita; }, uscita_fallita, ""},
      {"memoria",
       [](std::ostream& errori) -> int {
         errori << "prima\n";
         throw std::bad_alloc();
       },
       uscita_fallita, "prima\n" + std::string(memoria_esaurita) + "\n"},
      {"lunghezza",
       [](std::ostream&) -> int { throw std::length_error("basic_string::_M_create"); },
       uscita_fallita, "errore interno (basic_string::_M_create)" + interrotto},
      {"intervallo",
       [](std::ostream&) -> int { throw std::out_of_range("dato dello scenario assente: x"); },
       uscita_fallita, "errore interno (dato dello scenario assente: x)" + interrotto},
      {"file",
       [](std::ostream&) -> int {
         throw std::filesystem::filesystem_error(
             "cartella", std::make_error_code(std::errc::permission_denied));
       },
       uscita_fallita,
       "errore interno (filesystem error: cartella: Permission denied)" + interrotto},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    std::ostringstream errori;
    EXPECT_EQ(entro_il_confine([&] { return c.lavoro(errori); }, errori), c.stato);
    EXPECT_EQ(errori.str(), c.errori);
  }
}

TEST(Comandi, UsoNonValidoDiceDoveStaLAiuto) {
  std::ostringstream errori;
  EXPECT_EQ(uso_non_valido(errori, "comando sconosciuto: \"x\""), uscita_fallita);
  EXPECT_EQ(errori.str(), "scenario: comando sconosciuto: \"x\"\nPer l'aiuto: scenario --help\n");
  // An argument holding control characters is shown written out.
  errori.str("");
  uso_non_valido(errori, "comando sconosciuto: \"x\x1b[2J\ny\"");
  EXPECT_EQ(errori.str(),
            "scenario: comando sconosciuto: \"x\\x1b[2J\\ny\"\nPer l'aiuto: scenario --help\n");
}

TEST(Comandi, GliStatiSonoTreEDistinti) {
  // The statuses that scripts test for: success is 0, and the two others
  // tell "done, with problems" from "not done".
  EXPECT_EQ(uscita_riuscita, 0);
  EXPECT_NE(uscita_esito, uscita_riuscita);
  EXPECT_NE(uscita_fallita, uscita_riuscita);
  EXPECT_NE(uscita_fallita, uscita_esito);
  EXPECT_EQ(uscita_esito, 1);
  EXPECT_EQ(uscita_fallita, 2);
}

}  // namespace
}  // namespace scen
