#include "run/esecuzione.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/memoria.h"
#include "testing/contenuto_cartella.h"
#include "testing/guasti_ospite.h"
#include "testing/processo.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;

TEST(Esecuzione, AFirstFileThatCannotBeCreatedEndsTheRunWithNothingWritten) {
  CartellaTemporanea cartella;
  prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
  std::filesystem::create_directory(cartella.file("Vela_Nuro_linea.txt"));
  prova::Esito esito = prova::esegui("./compilatore", cartella.percorso());
  EXPECT_EQ(esito.stato, 1);
  EXPECT_EQ(esito.uscita, "Attendere\n");
  EXPECT_EQ(esito.errori, "impossibile sostituire \"" + cartella.file("Vela_Nuro_linea.txt") +
                              "\": è una cartella (Is a directory)\n");
  EXPECT_EQ(cartella.elenco(), (std::vector<std::string>{"Vela_Nuro_linea.txt", "compilatore"}));
}

TEST(Esecuzione, AFolderNameWithControlCharactersReachesTheTerminalWrittenOut) {
  // A line end and an escape sequence in the program's folder: the message
  // that names it shows them written out, on one line.
  CartellaTemporanea base;
  const std::string cartella = base.file("a\x1b[2J\nb");
  std::filesystem::create_directory(cartella);
  prova::copia_programma(SCEN_COMPILATORE, cartella);
  std::filesystem::create_directory(cartella + "/Vela_Nuro_linea.txt");
  prova::Esito esito = prova::esegui("./compilatore", cartella);
  EXPECT_EQ(esito.stato, 1);
  EXPECT_EQ(esito.errori, "impossibile sostituire \"" + base.file("a\\x1b[2J\\nb") +
                              "/Vela_Nuro_linea.txt\": è una cartella (Is a directory)\n");
}

// The files in the program's folder, the program left out.
std::map<std::string, std::string> contenuto(const std::string& cartella) {
  std::map<std::string, std::string> nomi = prova::contenuto(cartella);
  nomi.erase("compilatore");
  return nomi;
}

// The six files a run alone leaves.
std::map<std::string, std::string> da_solo() {
  CartellaTemporanea sola;
  prova::copia_programma(SCEN_COMPILATORE, sola.percorso());
  EXPECT_EQ(prova::esegui("./compilatore", sola.percorso()).stato, 0);
  return contenuto(sola.percorso());
}

const std::string descrizione_linea = "Vela_Nuro_linea.txt";
const std::string descrizione_treno = "Vela_Nuro_IC 731-.txt";
const std::string note = "Vela_Nuro_IC 731_note.txt";
const std::string rallentamenti = "Vela_Nuro_IC 731_rallentamenti.txt";
const std::string scheda = "Vela_Nuro_IC 731_scheda_treno.txt";

TEST(Esecuzione, RunsAtOnceInOneFolderLeaveTheFilesOfOneRunWhole) {
  const auto attesi = da_solo();
  ASSERT_EQ(attesi.size(), 6u);
  CartellaTemporanea cartella;
  prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
  for (int giro = 0; giro < 3; ++giro) {
    SCOPED_TRACE(giro);
    prova::Esito esito = prova::esegui(
        "{ (./compilatore >/dev/null; echo $? >stato1) & (./compilatore >/dev/null; echo $? "
        ">stato2) & (./compilatore >/dev/null; echo $? >stato3) & wait; cat stato1 stato2 "
        "stato3; rm stato1 stato2 stato3; }",
        cartella.percorso());
    EXPECT_EQ(esito.uscita, "0\n0\n0\n");
    EXPECT_EQ(esito.errori, "");
    EXPECT_EQ(contenuto(cartella.percorso()), attesi);
  }
}

TEST(Esecuzione, ANameHeldByAFolderEndsTheRunAndTheDescriptionFilesGo) {
  struct caso {
    std::string occupato;
    std::vector<std::string> restano;  // besides the folder in the way
  };
  const caso casi[] = {
      {descrizione_treno, {}},
      {note, {}},
      {scheda, {note, rallentamenti}},
      // The compiled files are one set: none of them replaced.
      {"Vela_Nuro_IC 731.sim", {note, rallentamenti, scheda}},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.occupato);
    CartellaTemporanea cartella;
    prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
    std::filesystem::create_directory(cartella.file(c.occupato));
    prova::Esito esito = prova::esegui("./compilatore", cartella.percorso());
    EXPECT_EQ(esito.stato, 1);
    EXPECT_EQ(esito.errori, "impossibile sostituire \"" + cartella.file(c.occupato) +
                                "\": è una cartella (Is a directory)\n");
    std::vector<std::string> attesi = c.restano;
    attesi.push_back(c.occupato);
    attesi.push_back("compilatore");
    std::sort(attesi.begin(), attesi.end());
    EXPECT_EQ(cartella.elenco(), attesi);
  }
}

// A run killed among the renames of its compiled set (the test stop ends it
// as a kill does) leaves the journal, or the temporaries only; the next run
// settles them and leaves its six files alone, byte for byte.
TEST(Esecuzione, AfterARunKilledAmongItsRenamesTheNextLeavesItsSixFilesAlone) {
  const auto attesi = da_solo();
  for (const int fermata : {0, 2, 4}) {
    SCOPED_TRACE(fermata);
    CartellaTemporanea cartella;
    prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
    prova::Esito ucciso = prova::esegui(
        "SCEN_PROVA_FERMA_DOPO_RINOMINE=" + std::to_string(fermata) + " ./compilatore",
        cartella.percorso());
    EXPECT_NE(ucciso.stato, 0);
    const auto lasciati = contenuto(cartella.percorso());
    EXPECT_EQ(lasciati.count(".~insieme"), fermata > 0 ? 1u : 0u);
    EXPECT_NE(lasciati, attesi);
    EXPECT_EQ(prova::esegui("./compilatore", cartella.percorso()).stato, 0);
    EXPECT_EQ(contenuto(cartella.percorso()), attesi);
  }
}

TEST(Esecuzione, ALinkAtATemporaryNameNeverTakesAWriteOutOfTheFolder) {
  const auto attesi = da_solo();
  CartellaTemporanea cartella, fuori;
  prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
  // The process id and the random bytes are fixed, so that a link waits at
  // the very name each temporary file first gets, and at the name older
  // versions used.
  std::map<std::string, std::string> legami;
  for (const std::string& nome :
       {descrizione_linea, descrizione_treno, note, rallentamenti, scheda,
        std::string("Vela_Nuro_linea.dat"), std::string("Vela_Nuro_IC 731.sim"),
        std::string("Vela_Nuro_IC 731.dat")}) {
    prova::scrivi(fuori.file(nome), "fuori dalla cartella");
    for (const std::string& temporaneo : {nome + ".~parziale.4242.00000000", nome + ".~parziale"}) {
      std::filesystem::create_symlink(fuori.file(nome), cartella.file(temporaneo));
      legami[temporaneo] = "-> " + fuori.file(nome);
    }
  }
  const auto prima_fuori = contenuto(fuori.percorso());
  const std::string fisso = "SCEN_PROVA_PROCESSO=4242 SCEN_PROVA_CASUALE=";

  // Every name tried is taken: the first file fails, named, and no link is
  // followed.
  prova::Esito sempre =
      prova::esegui(prova::con_guasti(fisso + "zero") + "./compilatore", cartella.percorso());
  EXPECT_EQ(sempre.stato, 1);
  EXPECT_EQ(sempre.errori,
            "impossibile creare \"" + cartella.file(descrizione_linea) + "\": File exists\n");
  EXPECT_EQ(contenuto(cartella.percorso()), legami);

  // Only the first name of each is taken: the run writes what it writes
  // alone.
  prova::Esito una_volta =
      prova::esegui(prova::con_guasti(fisso + "alterni") + "./compilatore", cartella.percorso());
  EXPECT_EQ(una_volta.stato, 0) << una_volta.errori;
  auto scritti = legami;
  scritti.insert(attesi.begin(), attesi.end());
  EXPECT_EQ(contenuto(cartella.percorso()), scritti);
  EXPECT_EQ(contenuto(fuori.percorso()), prima_fuori);
}

TEST(Esecuzione, AFileSizeLimitIsAWriteFailureLikeAnyOther) {
  CartellaTemporanea cartella;
  prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
  prova::Esito esito = prova::esegui("prlimit --fsize=1000000 ./compilatore", cartella.percorso());
  EXPECT_EQ(esito.stato, 1);
  EXPECT_EQ(esito.uscita, "Attendere\n");
  EXPECT_EQ(esito.errori, "impossibile scrivere \"" + cartella.file("Vela_Nuro_linea.dat") +
                              "\": file troppo grande (File too large)\n");
  EXPECT_EQ(cartella.elenco(),
            (std::vector<std::string>{note, rallentamenti, scheda, "compilatore"}));
}

TEST(Esecuzione, RunningOutOfMemoryIsReportedAndTheDescriptionFilesGo) {
  if (prova::con_sanitizzatore) GTEST_SKIP() << "the sanitizer cannot run with limited memory";
  CartellaTemporanea cartella;
  prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
  // Enough to start and write the documents, not for the carried line's
  // trace (341 km, two values a metre).
  prova::Esito esito = prova::esegui("ulimit -v 10000 && ./compilatore", cartella.percorso());
  EXPECT_EQ(esito.stato, 1);
  EXPECT_EQ(esito.uscita, "Attendere\n");
  EXPECT_EQ(esito.errori, std::string(memoria_esaurita) + "\n");
  EXPECT_EQ(cartella.elenco(),
            (std::vector<std::string>{note, rallentamenti, scheda, "compilatore"}));
}

TEST(Esecuzione, AnInterruptRemovesTheDescriptionFilesAndTheTemporaryFile) {
  struct caso {
    int segnale;
    std::string quando;  // the moment of the signal: deleting or renaming to...
    std::string nome;    // ...this name
    std::vector<std::string> restano;
  };
  const caso casi[] = {
      // The first file complete under its temporary name.
      {SIGINT, "RINOMINANDO", descrizione_linea, {}},
      // The line description written, the train's complete.
      {SIGTERM, "RINOMINANDO", descrizione_treno, {}},
      // Reading, with both description files in the folder.
      {SIGHUP, "ELIMINANDO", descrizione_linea, {note, rallentamenti, scheda}},
      // Among the renames of the compiled set: the signal waits until the
      // set is whole, and the journal gone.
      {SIGTERM,
       "RINOMINANDO",
       "Vela_Nuro_IC 731.sim",
       {note, rallentamenti, scheda, "Vela_Nuro_linea.dat", "Vela_Nuro_IC 731.sim",
        "Vela_Nuro_IC 731.dat"}},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.quando + " " + c.nome);
    CartellaTemporanea cartella;
    prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
    prova::Esito esito = prova::esegui(
        prova::con_guasti("SCEN_PROVA_SEGNALE=" + std::to_string(c.segnale) +
                          " SCEN_PROVA_SEGNALE_" + c.quando + "=" + prova::tra_apici(c.nome)) +
            "./compilatore",
        cartella.percorso());
    EXPECT_EQ(esito.stato, 128 + c.segnale) << "ended by the signal";
    std::vector<std::string> attesi = c.restano;
    attesi.push_back("compilatore");
    std::sort(attesi.begin(), attesi.end());
    EXPECT_EQ(cartella.elenco(), attesi);
  }
}

TEST(Esecuzione, ADeletionRefusedInReadingIsOutcome25WithTheFileAndTheReason) {
  CartellaTemporanea cartella;
  prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
  prova::Esito esito =
      prova::esegui(prova::con_guasti("SCEN_PROVA_NON_ELIMINARE='IC 731-.txt'") + "./compilatore",
                    cartella.percorso());
  EXPECT_EQ(esito.stato, 1);
  EXPECT_EQ(esito.errori,
            " Errore n. 25\n" + descrizione_treno + ": errore: impossibile eliminare \"" +
                cartella.file(descrizione_treno) + "\": permesso negato (Permission denied)\n");
  // The file that the host would not delete is the one left.
  const auto dopo = contenuto(cartella.percorso());
  EXPECT_EQ(dopo.count(descrizione_treno), 1u);
  EXPECT_EQ(dopo.count(descrizione_linea), 0u);
}

TEST(Esecuzione, TheHelpIsAllThatHelpDoes) {
  CartellaTemporanea cartella;
  prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
  prova::Esito esito = prova::esegui("./compilatore --help", cartella.percorso());
  EXPECT_EQ(esito.stato, 0);
  EXPECT_EQ(esito.uscita.rfind("uso: compilatore\n\nScrive nella cartella del programma", 0), 0u)
      << esito.uscita;
  EXPECT_EQ(esito.errori, "");
  EXPECT_EQ(cartella.elenco(), std::vector<std::string>{"compilatore"});
}

// The version that the build was made with, the same that scenario and the
// packages name; and nothing written.
TEST(Esecuzione, TheVersionIsAllThatVersionDoes) {
  CartellaTemporanea cartella;
  prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
  prova::Esito esito = prova::esegui("./compilatore --versione", cartella.percorso());
  EXPECT_EQ(esito.stato, 0);
  EXPECT_EQ(esito.uscita, "compilatore " SCEN_VERSIONE "\n");
  EXPECT_EQ(esito.errori, "");
  EXPECT_EQ(cartella.elenco(), std::vector<std::string>{"compilatore"});
}

}  // namespace
}  // namespace scen
