#include "platform/file.h"

#include <gtest/gtest.h>

#include "testing/cartella_temporanea.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;

TEST(FileNuovo, TheOlderFileStaysWholeUntilTheNewOneIsComplete) {
  CartellaTemporanea cartella;
  const std::string file = cartella.file("a.dat");
  prova::scrivi(file, "vecchio contenuto");
  {
    file_nuovo nuovo(file);
    ASSERT_TRUE(nuovo.apri().riuscito());
    ASSERT_TRUE(nuovo.scrivi("nuo").riuscito());
    EXPECT_EQ(prova::leggi(file), "vecchio contenuto");
    // Dropped before it is complete: the work so far goes, the older file stays.
  }
  EXPECT_EQ(prova::leggi(file), "vecchio contenuto");
  EXPECT_EQ(cartella.elenco(), std::vector<std::string>{"a.dat"});

  file_nuovo nuovo(file);
  ASSERT_TRUE(nuovo.apri().riuscito());
  ASSERT_TRUE(nuovo.scrivi("nuo").riuscito());
  ASSERT_TRUE(nuovo.scrivi("vo").riuscito());
  ASSERT_TRUE(nuovo.completa().riuscito());
  EXPECT_EQ(prova::leggi(file), "nuovo");
  EXPECT_EQ(cartella.elenco(), std::vector<std::string>{"a.dat"});
}

TEST(File, ReadingAMissingFileNamesIt) {
  CartellaTemporanea cartella;
  std::string contenuto = "resta";
  Stato stato = leggi_file(cartella.file("manca"), contenuto);
  EXPECT_EQ(stato.messaggio(), "impossibile aprire \"" + cartella.file("manca") +
                                   "\": file o cartella inesistente (No such file or directory)");
  EXPECT_FALSE(esiste(cartella.file("manca")));
  EXPECT_TRUE(elimina_file(cartella.file("manca")).riuscito());
}

TEST(File, AFileBeyondTheLimitIsRefusedAndNamed) {
  CartellaTemporanea cartella;
  prova::scrivi(cartella.file("dieci"), "0123456789");
  prova::scrivi(cartella.file("undici"), "0123456789A");
  struct caso {
    std::string file;
    size_t massimo;
    bool letto;
    std::string limite;  // as the message gives it
  };
  const caso casi[] = {
      {cartella.file("dieci"), 10, true, ""},
      {cartella.file("undici"), 10, false, "10 byte"},
      // A stream has no size to look at: it is cut off once it gives more.
      {"/dev/zero", size_t{1} << 20, false, "1 MiB"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.file);
    std::string contenuto = "prima";
    Stato stato = leggi_file(c.file, contenuto, c.massimo);
    EXPECT_EQ(stato.riuscito(), c.letto);
    if (c.letto) {
      EXPECT_EQ(contenuto, "0123456789");
    } else {
      EXPECT_EQ(stato.messaggio(),
                "impossibile leggere \"" + c.file + "\": il file supera il limite di " + c.limite);
      EXPECT_EQ(contenuto, "");
    }
  }
}

}  // namespace
}  // namespace scen
