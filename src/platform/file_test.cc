#include "platform/file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

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

TEST(FileNuovo, TheTemporaryFileHasANameOfThisRun) {
  CartellaTemporanea cartella;
  file_nuovo nuovo(cartella.file("a.dat"));
  ASSERT_TRUE(nuovo.apri().riuscito());
  const std::vector<std::string> nomi = cartella.elenco();
  ASSERT_EQ(nomi.size(), 1u);
  const std::string inizio = "a.dat.~parziale." + std::to_string(::getpid()) + ".";
  EXPECT_EQ(nomi[0].substr(0, inizio.size()), inizio);
  EXPECT_TRUE(e_nome_temporaneo(nomi[0])) << nomi[0];
}

TEST(File, TheNamesOfTemporaryFiles) {
  struct caso {
    const char* nome;
    bool temporaneo;
  };
  const caso casi[] = {
      {"Vela_Nuro_linea.dat.~parziale.12345.0badcafe", true},
      {"Vela_Nuro_IC 731.sim.~parziale.1.00000000", true},
      {"a.~parziale", true},  // as older versions named them
      {"a.~parziale.~parziale.7.ffffffff", true},
      {".~parziale", false},  // no target name
      {".~parziale.1.00000000", false},
      {"a.~parziale.", false},
      {"a.~parziale.1", false},
      {"a.~parziale.1.", false},
      {"a.~parziale..00000000", false},
      {"a.~parziale.x1.00000000", false},
      {"a.~parziale.1.0badcaf", false},
      {"a.~parziale.1.0badcafe0", false},
      {"a.~parziale.1.0BADCAFE", false},
      {"a.~parziale.1.0badcafe.txt", false},
      {"note.~parziale.txt", false},
      {"a.~parzial", false},
      {"a.dat", false},
  };
  for (const caso& c : casi) EXPECT_EQ(e_nome_temporaneo(c.nome), c.temporaneo) << c.nome;
}

TEST(File, TemporaryFilesLeftBehind) {
  // A child that has ended and been reaped: no process has its id now.
  const pid_t finito = ::fork();
  if (finito == 0) ::_exit(0);
  ASSERT_GT(finito, 0);
  ::waitpid(finito, nullptr, 0);
  struct caso {
    std::string nome;
    bool abbandonato;
  };
  const caso casi[] = {
      {"a.dat.~parziale." + std::to_string(finito) + ".0badcafe", true},
      {"a.dat.~parziale." + std::to_string(::getpid()) + ".0badcafe", false},
      {"a.dat.~parziale." + std::to_string(::getppid()) + ".0badcafe", false},
      {"a.dat.~parziale.0.0badcafe", true},
      {"a.dat.~parziale.99999999999999999999.0badcafe", true},  // no process's id
      {"a.dat.~parziale", true},                                // older names carry no process
      {"a.dat", false},
      {"a.dat.~parziale." + std::to_string(finito) + ".0badcaf", false},  // not a temporary
  };
  for (const caso& c : casi) EXPECT_EQ(e_temporaneo_abbandonato(c.nome), c.abbandonato) << c.nome;
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

TEST(File, AFoldersNamesAndAFilesSize) {
  CartellaTemporanea cartella;
  prova::scrivi(cartella.file("b c.sim"), "12345");
  prova::scrivi(cartella.file("a.dat"), "");
  std::vector<std::string> nomi = {"resta"};
  ASSERT_TRUE(elenca_cartella(cartella.percorso(), nomi).riuscito());
  EXPECT_EQ(nomi, (std::vector<std::string>{"a.dat", "b c.sim"}));
  std::uint64_t byte = 9;
  ASSERT_TRUE(dimensione_file(cartella.file("b c.sim"), byte).riuscito());
  EXPECT_EQ(byte, 5u);
  EXPECT_EQ(elenca_cartella(cartella.file("manca"), nomi).messaggio(),
            "impossibile aprire la cartella \"" + cartella.file("manca") +
                "\": file o cartella inesistente (No such file or directory)");
  EXPECT_FALSE(dimensione_file(cartella.file("manca"), byte).riuscito());
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
