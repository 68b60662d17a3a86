#include "platform/sorveglianza.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "testing/cartella_temporanea.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;

TEST(Sorveglianza, SeesEveryKindOfSaveAndNothingElse) {
  CartellaTemporanea cartella;
  const std::string a = cartella.file("a.txt");
  const std::string b = cartella.file("b.txt");
  struct caso {
    const char* nome;
    std::function<void()> fatto;
    bool cambiati;
  };
  const caso casi[] = {
      {"nothing done", [] {}, false},
      {"a file read", [&] { (void)prova::leggi(a); }, false},
      {"another file in the folder", [&] { prova::scrivi(cartella.file("c.txt"), "c"); }, false},
      {"a file written with other bytes", [&] { prova::scrivi(a, "uno due"); }, true},
      {"a file written longer", [&] { prova::scrivi(b, "tre quattro cinque"); }, true},
      {"a file replaced whole by one of the same bytes and time",
       [&] {
         const std::string copia = cartella.file("a.nuovo");
         prova::scrivi(copia, prova::leggi(a));
         std::filesystem::last_write_time(copia, std::filesystem::last_write_time(a));
         std::filesystem::rename(copia, a);
       },
       true},
      {"a file removed", [&] { std::filesystem::remove(b); }, true},
      {"still removed", [] {}, false},
      {"a file made again", [&] { prova::scrivi(b, "b"); }, true},
  };
  prova::scrivi(a, "a");
  prova::scrivi(b, "b");
  sorveglianza_file s({a, b});
  for (const caso& c : casi) {
    c.fatto();
    EXPECT_EQ(s.cambiati(), c.cambiati) << c.nome;
  }
  EXPECT_FALSE(impronta(cartella.file("manca.txt")).presente);
  EXPECT_TRUE(impronta(a).presente);
}

}  // namespace
}  // namespace scen
