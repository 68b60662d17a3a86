// `scenario` as its users run it: the built program, in a folder of its own.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "compile/memorizza_percorso.h"
#include "model/nomi_file.h"
#include "platform/memoria.h"
#include "platform/stati_uscita.h"
#include "testing/descrizioni_prova.h"
#include "testing/file_compilati_letti.h"
#include "testing/guasti_ospite.h"
#include "testing/memoria_limitata.h"
#include "testing/processo.h"
#include "testing/riga_comando.h"
#include "testing/scansione.h"
#include "tool/testi_aiuto.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;
using prova::leggi;

const std::string linea_compilata = "Vela_Nuro_linea.dat";
const std::string treno_compilato = "Vela_Nuro_IC 731.sim";
const std::string celle_compilate = "Vela_Nuro_IC 731.dat";

// A working folder with the two descriptions as linea.txt and treno.txt, an
// empty output folder and an empty folder for the tool's temporary files.
class Scenario : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_STRNE(SCEN_SCENARIO, "") << "the scenario program is not built";
    std::filesystem::create_directory(cartella.file("uscita"));
    std::filesystem::create_directory(cartella.file("tmp"));
    descrizioni(prova::linea_prova, prova::treno_prova);
  }

  void descrizioni(const std::string& linea, const std::string& treno) {
    prova::scrivi(cartella.file("linea.txt"), linea);
    prova::scrivi(cartella.file("treno.txt"), treno);
    linea_data = linea;
    treno_data = treno;
  }

  prova::Esito scenario(const std::vector<std::string>& argomenti) {
    return prova::esegui("TMPDIR=" + prova::tra_apici(cartella.file("tmp")) + " " +
                             prova::riga_comando(SCEN_SCENARIO, argomenti),
                         cartella.percorso());
  }

  prova::Esito compila(std::vector<std::string> opzioni = {}) {
    std::vector<std::string> argomenti = {"compila", "linea.txt", "treno.txt", "uscita"};
    argomenti.insert(argomenti.end(), opzioni.begin(), opzioni.end());
    return scenario(argomenti);
  }

  std::vector<std::string> uscita() const {
    std::vector<std::string> nomi;
    for (const auto& voce : std::filesystem::directory_iterator(cartella.file("uscita")))
      nomi.push_back(voce.path().filename().string());
    std::sort(nomi.begin(), nomi.end());
    return nomi;
  }
  std::string compilato(const std::string& nome) const {
    return leggi(cartella.file("uscita/" + nome));
  }

  // The given files are never touched, and no temporary file is left.
  void ingressi_intatti() const {
    EXPECT_EQ(leggi(cartella.file("linea.txt")), linea_data);
    EXPECT_EQ(leggi(cartella.file("treno.txt")), treno_data);
    EXPECT_TRUE(std::filesystem::is_empty(cartella.file("tmp")));
  }

  CartellaTemporanea cartella;
  std::string linea_data, treno_data;
};

// The last line of the standard output.
std::string ultima_riga(const std::string& testo) {
  if (testo.empty() || testo.back() != '\n') return "(nessuna riga completa)";
  const size_t a_capo = testo.rfind('\n', testo.size() - 2);
  const size_t inizio = a_capo == std::string::npos ? 0 : a_capo + 1;
  return testo.substr(inizio, testo.size() - 1 - inizio);
}

TEST_F(Scenario, SenzaComandoOConHelpMostraLAiuto) {
  prova::Esito senza = scenario({});
  prova::Esito aiuto = scenario({"--help"});
  EXPECT_EQ(senza.stato, 2);
  EXPECT_EQ(aiuto.stato, 0);
  EXPECT_EQ(senza.uscita, aiuto.uscita);
  EXPECT_EQ(senza.errori, "");
  for (std::string_view parte : {std::string_view("Uso: scenario [OPZIONI] [COMANDO]"),
                                 std::string_view("compila"), aiuto_scenario_piede})
    EXPECT_NE(aiuto.uscita.find(parte), std::string::npos) << parte;
  // Each command's manual is in its own help only.
  EXPECT_EQ(aiuto.uscita.find(aiuto_compila_piede), std::string::npos);

  prova::Esito compila = scenario({"compila", "--help"});
  EXPECT_EQ(compila.stato, 0);
  for (const char* parte : {"Uso: scenario compila [OPZIONI] LINEA TRENO CARTELLA",
                            "--chiave-percorso K", "--chiave-treno K", "--senza-linea",
                            "esito errore_codice=N errore_posizione=P", "Stato di uscita:"})
    EXPECT_NE(compila.uscita.find(parte), std::string::npos) << parte;
  EXPECT_TRUE(uscita().empty());
}

TEST_F(Scenario, UsoNonValido) {
  struct caso {
    std::vector<std::string> argomenti;
    std::string messaggio;
  };
  const std::string aiuto = "\nPer l'aiuto: scenario --help\n";
  const caso casi[] = {
      {{"prepara"}, "scenario: comando sconosciuto: \"prepara\""},
      {{"compila"}, "scenario: compila: servono LINEA, TRENO e CARTELLA"},
      {{"compila", "linea.txt", "treno.txt"}, "scenario: compila: servono LINEA, TRENO e CARTELLA"},
      {{"compila", "linea.txt", "treno.txt", "uscita", "altro"},
       "scenario: compila: argomenti o opzioni non previsti: \"altro\""},
      {{"compila", "linea.txt", "treno.txt", "uscita", "--veloce"},
       "scenario: compila: argomenti o opzioni non previsti: \"--veloce\""},
      {{"compila", "linea.txt", "treno.txt", "uscita", "--chiave-treno"},
       "scenario: un'opzione senza il suo valore, o data più volte (--chiave-treno: 1 required K "
       "missing)"},
      {{"compila", "linea.txt", "treno.txt", "uscita", "--chiave-treno", "\xc5\x91"},
       "scenario: la chiave del treno \"\xc5\x91\" non si può scrivere in Windows-1252"},
      {{"compila", "linea.txt", "treno.txt", "uscita", "--chiave-percorso", ""},
       "scenario: la chiave del percorso non può essere vuota"},
      {{"compila", "linea.txt", "treno.txt", "uscita", "--chiave-percorso", "a/b"},
       "scenario: la chiave del percorso \"a/b\" non può contenere \"/\" né \"\\\""},
      {{"compila", "linea.txt", "treno.txt", "uscita", "--chiave-percorso", "\xff"},
       "scenario: la chiave del percorso \"\xff\" non si può scrivere in Windows-1252"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(testing::PrintToString(c.argomenti));
    prova::Esito esito = scenario(c.argomenti);
    EXPECT_EQ(esito.stato, 2);
    EXPECT_EQ(esito.uscita, "");
    EXPECT_EQ(esito.errori, c.messaggio + aiuto);
  }
  EXPECT_TRUE(uscita().empty());
  ingressi_intatti();
}

TEST_F(Scenario, UnFileDatoCheNonSiPuoLeggereNonCompilaNulla) {
  struct caso {
    std::vector<std::string> argomenti;
    std::string messaggio;
  };
  std::filesystem::create_directory(cartella.file("cartella.txt"));
  const caso casi[] = {
      {{"compila", "manca.txt", "treno.txt", "uscita"},
       "impossibile aprire \"manca.txt\": file o cartella inesistente (No such file or "
       "directory)\n"},
      {{"compila", "linea.txt", "manca.txt", "uscita"},
       "impossibile aprire \"manca.txt\": file o cartella inesistente (No such file or "
       "directory)\n"},
      {{"compila", "linea.txt", "cartella.txt", "uscita"},
       "impossibile leggere \"cartella.txt\": è una cartella (Is a directory)\n"},
      {{"compila", "linea.txt", "treno.txt", "manca"},
       "la cartella di uscita \"manca\" non esiste o non è una cartella\n"},
      {{"compila", "linea.txt", "treno.txt", "linea.txt"},
       "la cartella di uscita \"linea.txt\" non esiste o non è una cartella\n"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(testing::PrintToString(c.argomenti));
    prova::Esito esito = scenario(c.argomenti);
    EXPECT_EQ(esito.stato, 2);
    EXPECT_EQ(esito.uscita, "");  // nothing was read: no outcome to give
    EXPECT_EQ(esito.errori, c.messaggio);
  }
  EXPECT_TRUE(uscita().empty());
  ingressi_intatti();
}

TEST_F(Scenario, CompilaIDueFileInTreFileCompilati) {
  prova::Esito esito = compila();
  EXPECT_EQ(esito.errori, "");
  EXPECT_EQ(esito.uscita, "esito errore_codice=0 errore_posizione=0\n");
  EXPECT_EQ(esito.stato, 0);
  EXPECT_EQ(uscita(),
            (std::vector<std::string>{celle_compilate, treno_compilato, linea_compilata}));
  ingressi_intatti();

  EXPECT_EQ(compilato(linea_compilata).size(), prova::byte_linea_compilata);
  EXPECT_EQ(compilato(treno_compilato).size(), prova::byte_treno_compilato);
  ASSERT_EQ(compilato(celle_compilate).size(), prova::byte_celle_compilate);
  const auto celle = prova::celle_lette(compilato(celle_compilate));
  ASSERT_TRUE(celle);
  const auto registri = prova::registri_letti(compilato(treno_compilato));
  ASSERT_TRUE(registri);
  // Cell 1 and record 85: the marks, codice_gara_og and codice_gara_st of the carried keys.
  EXPECT_EQ((*celle)[1].valore_1, 5121);
  EXPECT_EQ((*celle)[1].valore_2, 2352);
  EXPECT_EQ((*registri)[85].campo_7, 610);
  EXPECT_EQ((*registri)[85].orario, 32226);
  // What the readers placed, and the code reductions that the pass added.
  EXPECT_EQ((*celle)[22].codice, 1);
  EXPECT_EQ((*celle)[121].codice, 12);
  EXPECT_EQ((*celle)[121].valore_1, 270);
  for (size_t i : {50, 63, 70, 76, 89, 98}) {
    EXPECT_EQ((*celle)[i].codice, 12) << "cella " << i;
    EXPECT_EQ((*celle)[i].valore_1, 180) << "cella " << i;
  }
  EXPECT_EQ((*registri)[1].nome, "Vela");
  EXPECT_EQ((*registri)[2].nome, "Nuro");
  EXPECT_EQ((*registri)[80].nome, "(  Cippo  )(Km 3+000)");
}

TEST_F(Scenario, ScriveGliStessiByteDelPassoDiCompilazione) {
  // The same descriptions compiled in this process.
  CartellaTemporanea diretta;
  prova::scrivi(diretta.file("l.txt"), prova::linea_prova);
  prova::scrivi(diretta.file("t.txt"), prova::treno_prova);
  auto m = std::make_unique<modello>();
  m->chiave_percorso = "Vela_Nuro";
  m->chiave_treno = "IC 731";
  risultato_percorso r =
      memorizza_percorso(*m, 1, {diretta.file("l.txt"), diretta.file("t.txt")}, diretta.percorso());

  prova::Esito esito = compila();
  ASSERT_EQ(r.esito, esito_percorso::scritti) << r.messaggio;
  EXPECT_EQ(ultima_riga(esito.uscita),
            "esito errore_codice=" + std::to_string(numero_esito(m->errore_codice)) +
                " errore_posizione=" + std::to_string(m->errore_posizione));
  for (const std::string& nome : {linea_compilata, treno_compilato, celle_compilate})
    EXPECT_TRUE(compilato(nome) == leggi(diretta.file(nome))) << nome;
}

TEST_F(Scenario, SenzaLineaLasciaLaLineaCompilataComEra) {
  prova::scrivi(cartella.file("uscita/" + linea_compilata), "vecchia");
  prova::Esito esito = compila({"--senza-linea"});
  EXPECT_EQ(esito.stato, 0) << esito.errori;
  EXPECT_EQ(esito.uscita, "esito errore_codice=0 errore_posizione=0\n");
  EXPECT_EQ(compilato(linea_compilata), "vecchia");
  EXPECT_EQ(compilato(treno_compilato).size(), prova::byte_treno_compilato);
  EXPECT_EQ(compilato(celle_compilate).size(), prova::byte_celle_compilate);
  ingressi_intatti();
}

TEST_F(Scenario, ChiaviDateNominanoIFileEFinisconoNeiRegistri) {
  // "Città" in UTF-8 on the command line is "Citt\xe0" in Windows-1252.
  prova::Esito esito = compila({"--chiave-percorso", "Citt\xc3\xa0", "--chiave-treno", "R 2"});
  EXPECT_EQ(esito.stato, 0) << esito.errori;
  EXPECT_EQ(uscita(), (std::vector<std::string>{"Citt\xc3\xa0_R 2.dat", "Citt\xc3\xa0_R 2.sim",
                                                "Citt\xc3\xa0_linea.dat"}));
  const std::string byte = compilato("Citt\xc3\xa0_R 2.sim");
  EXPECT_EQ(byte.size(), prova::byte_treno_compilato - 9 - 6 + 5 + 3);
  const auto registri = prova::registri_letti(byte);
  ASSERT_TRUE(registri);
  EXPECT_EQ((*registri)[85].nome, "Citt\xe0");
  EXPECT_EQ((*registri)[86].nome, "R 2");
  ingressi_intatti();
}

TEST_F(Scenario, UnEsitoDellaLetturaNominaFileERiga) {
  // A code reduction on the cell of the first station's stop mark (cell 9).
  std::string treno = prova::treno_prova;
  treno.replace(treno.find("abbattimento,    6050"), 21, "abbattimento,     450");
  descrizioni(prova::linea_prova, treno);

  prova::Esito esito = compila();
  EXPECT_EQ(esito.stato, 1);
  EXPECT_EQ(esito.uscita, "esito errore_codice=7 errore_posizione=450\n");
  prova::Scansione errori(esito.errori);
  errori.testo(" Errore n. 7 alla posizione 450\ntreno.txt:");
  errori.cifre();
  errori.testo(
      ":19: errore: abbattimento su una cella occupata: l'abbattimento a 450 m va nella cella 9 "
      "(da 450 a 500 m), che ha già il segno di fermata di una stazione\n"
      "treno.txt:12:17: nota: il segno di fermata della stazione della riga 12 tiene già la "
      "cella 9 (da 450 a 500 m), che l'abbattimento della riga 21 vuole\n"
      "treno.txt:21:19: nota: le posizioni più vicine sulla griglia di 50 m dove l'abbattimento "
      "trova libere le sue celle: 400 m oppure 500 m\n");
  EXPECT_TRUE(errori.finita()) << esito.errori;
  EXPECT_EQ(uscita(),
            (std::vector<std::string>{celle_compilate, treno_compilato, linea_compilata}));
  ingressi_intatti();
}

TEST_F(Scenario, UnaPosizioneOltreLeCelleNominaLaLineaEIlTrenoSoloInUnaNota) {
  // A gradient beyond the cells: the train is read up to its first slowdown,
  // which gives the outcome its position.
  std::string linea = prova::linea_prova;
  linea.replace(linea.find("pendenza,  6000"), 15, "pendenza,  16950");
  descrizioni(linea, prova::treno_prova);

  prova::Esito esito = compila();
  EXPECT_EQ(esito.stato, 1);
  EXPECT_EQ(esito.uscita, "esito errore_codice=15 errore_posizione=4000\n");
  EXPECT_EQ(esito.errori,
            " Errore n. 15 alla posizione 4000\n"
            "linea.txt:16:12: errore: posizione oltre le celle della linea: 16950 m, ma con una "
            "linea di 10000 m si arriva al più a 16900 m\n"
            "treno.txt:15:17: nota: la lettura del treno si ferma qui, al primo segnale o "
            "rallentamento: resta l'esito 15 della linea, con la posizione di questo rallentamento "
            "(4000)\n");
  EXPECT_EQ(uscita().size(), 3u);
  ingressi_intatti();
}

// A train that reads empty, or the two files given swapped, compile
// nothing: the error, and no file written.
TEST_F(Scenario, UnTrenoLettoVuotoNonCompila) {
  const std::string nulla_scritto =
      "nessun file compilato scritto: quelli già nella cartella, se ci sono, sono di una "
      "compilazione precedente\n";
  struct caso {
    const char* nome;
    std::string linea;
    std::string treno;
    std::string errori;
  };
  const caso casi[] = {
      {"un file vuoto", prova::linea_prova, "",
       "treno.txt:1:1: errore: il file è vuoto: il treno viene letto vuoto, senza stazioni né "
       "limiti di velocità\n"},
      {"[generali] per [generale]", prova::linea_prova,
       prova::righe({"[generali]", "numero vetture,  10", "velocita,  0,  100", "[fine]"}),
       "treno.txt:1:1: errore: nessun campo \"[generale]\": il treno viene letto vuoto, senza "
       "stazioni né limiti di velocità; il file comincia con [generale]\n"},
      {"nessun record del treno dopo [generale]", prova::linea_prova,
       prova::righe({"[generale]", "[fine]"}),
       "treno.txt:1:1: errore: nessun record dopo [generale]: il treno viene letto vuoto, senza "
       "stazioni né limiti di velocità\n"},
      {"il file della linea dato anche per il treno", prova::linea_prova, prova::linea_prova,
       "treno.txt:1:1: errore: il file ha il testo della descrizione della linea: il treno viene "
       "letto vuoto, senza stazioni né limiti di velocità\n"},
      {"i due file scambiati", prova::treno_prova, prova::linea_prova,
       "linea.txt: errore: i due file sono dati scambiati: questo è una descrizione del treno, e "
       "quello dato per il treno è una descrizione della linea; si dà prima la linea, poi il "
       "treno\n"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    descrizioni(c.linea, c.treno);
    prova::Esito esito = compila();
    EXPECT_EQ(esito.stato, 1);
    EXPECT_EQ(esito.uscita, "");
    EXPECT_EQ(esito.errori, c.errori + nulla_scritto);
    EXPECT_TRUE(uscita().empty());
    ingressi_intatti();
  }
}

// What compila says around an outcome that reading leaves unsaid: a line
// length in kilometres, told first with what follows from it only counted;
// who holds a taken cell and where the record could go; the record of a
// code-reduction outcome. The outcome, the output line and the files are the
// reading's as ever.
TEST_F(Scenario, QuelCheCompilaDiceIntornoAllEsito) {
  auto sostituito = [](std::string testo, const std::string& da, const std::string& a) {
    testo.replace(testo.find(da), da.size(), a);
    return testo;
  };
  struct caso {
    const char* nome;
    std::string linea;
    std::string treno;
    std::string uscita;
    std::string errori;
  };
  const caso casi[] = {
      {"la lunghezza in chilometri",
       sostituito(prova::linea_prova, "lunghezza percorso,    10000", "lunghezza percorso,    10"),
       prova::treno_prova, "esito errore_codice=15 errore_posizione=9000\n",
       " Errore n. 15 alla posizione 9000\n"
       "linea.txt:2:24: errore: la linea è lunga 10 m, ma 14 dei 18 record con una posizione "
       "stanno oltre, fino a 9000 m: la lunghezza si scrive in metri (10000, se 10 sono "
       "chilometri)\n"
       "un altro problema ne segue\n"},
      // The curve beyond the trace stops reading first; the length explains it.
      {"la lunghezza in chilometri, e una curva oltre il tracciato",
       sostituito(sostituito(prova::linea_prova, "lunghezza percorso,    10000",
                             "lunghezza percorso,    10"),
                  "curvad3,  4000,  200", "curvad3,  6900,  200"),
       prova::treno_prova, "esito errore_codice=25 errore_posizione=0\n",
       " Errore n. 25\n"
       "linea.txt:2:24: errore: la linea è lunga 10 m, ma 14 dei 18 record con una posizione "
       "stanno oltre, fino a 9000 m: la lunghezza si scrive in metri (10000, se 10 sono "
       "chilometri)\n"
       "un altro problema ne segue\n"},
      {"un segnale sulla cella di un cartello", prova::linea_prova,
       sostituito(prova::treno_prova, "segnale,    2500", "segnale,    2950"),
       "esito errore_codice=16 errore_posizione=2950\n",
       " Errore n. 16 alla posizione 2950\n"
       "treno.txt:18:13: errore: segnale su una cella occupata: il segnale a 2950 m va nella "
       "cella 60 (da 3000 a 3050 m), che ha già un cartello indicatore\n"
       "linea.txt:22:23: nota: il cartello indicatore della riga 22 tiene già la cella 60 (da "
       "3000 a 3050 m), che il segnale della riga 18 della descrizione del treno vuole\n"
       "treno.txt:18:13: nota: le posizioni più vicine sulla griglia di 50 m dove il segnale "
       "trova libere le sue celle: 2900 m oppure 3000 m\n"},
      // A code reduction in cell 92 and a signal in cell 93, just after the
      // slowdown's end (cell 91): no free cell before that signal.
      {"un esito del passaggio", prova::linea_prova,
       sostituito(sostituito(prova::treno_prova, "segnale,    4900", "segnale,    4600"),
                  "abbattimento,    6050", "abbattimento,    4600"),
       "esito errore_codice=13 errore_posizione=4550\n",
       " Errore n. 13 alla posizione 4550\n"
       "treno.txt:15:17: errore: nessuna cella per l'abbattimento nel rallentamento o dopo di "
       "esso: nella cella 91 (da 4550 a 4600 m) e nelle due accanto, dove il compilatore mette "
       "un abbattimento ogni 400 m del rallentamento, o nelle due celle prima del primo segnale "
       "dopo la fine, non c'è una cella libera (esito 13)\n"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    descrizioni(c.linea, c.treno);
    prova::Esito esito = compila();
    EXPECT_EQ(esito.stato, 1);
    EXPECT_EQ(esito.uscita, c.uscita);
    EXPECT_EQ(esito.errori, c.errori);
    EXPECT_EQ(uscita().size(), 3u);
    ingressi_intatti();
  }
}

TEST_F(Scenario, CaselleRiservateOccupate1250E1251) {
  struct caso {
    const char* indicatore;  // a speed indicator on cell 1
    std::string errore;
  };
  auto errore = [](int numero, const char* contenuto) {
    return fmt::format(
        " Errore n. {0}\n"
        "linea.txt:21:19: errore: la cella 1 (da 50 a 100 m) è riservata: dopo la lettura il "
        "compilatore vi scrive due segni suoi, ma vi trova {1}, e non scrive nessun file "
        "compilato; gli oggetti vanno posti a 75 m o più dall'origine (errore {0})\n"
        "nessun file compilato scritto: quelli già nella cartella, se ci sono, sono di una "
        "compilazione precedente\n",
        numero, contenuto);
  };
  const caso casi[] = {
      {"indicatori_vmax,  0,  75,  80,  85,  0,  ,  ,  ,  0",
       errore(1250, "un indicatore di velocità")},
      {"indicatori_vmax,  0,  0,  80,  85,  0,  ,  ,  ,  0",
       errore(1251, "un indicatore di velocità")},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.indicatore);
    std::string linea = prova::linea_prova;
    linea.insert(linea.find("[indicazioni]"), std::string(c.indicatore) + "\r\n");
    descrizioni(linea, prova::treno_prova);
    prova::scrivi(cartella.file("uscita/" + celle_compilate), "vecchie");

    prova::Esito esito = compila();
    EXPECT_EQ(esito.stato, 2);
    EXPECT_EQ(esito.errori, c.errore);
    EXPECT_EQ(esito.uscita, "");
    EXPECT_EQ(uscita(), std::vector<std::string>{celle_compilate});
    EXPECT_EQ(compilato(celle_compilate), "vecchie");
    ingressi_intatti();
  }
}

TEST_F(Scenario, UnModelloCheNonSiPuoScrivereNonScriveNulla) {
  // No line length: the cells are never sized.
  std::string linea = prova::linea_prova;
  linea.erase(linea.find("lunghezza percorso"),
              std::string("lunghezza percorso,    10000\r\n").size());
  descrizioni(linea, prova::treno_prova);

  prova::Esito esito = compila();
  EXPECT_EQ(esito.stato, 2);
  const std::string riga = ultima_riga(esito.uscita);
  prova::Scansione esito_riga(riga);
  esito_riga.testo("esito errore_codice=");
  esito_riga.cifre();
  esito_riga.testo(" errore_posizione=");
  esito_riga.forse("-");
  esito_riga.cifre();
  EXPECT_TRUE(esito_riga.finita()) << esito.uscita;
  const std::string motivo =
      "nessun file compilato scritto: la linea non ha la cella 1 (lunghezza della linea non letta "
      "o "
      "troppo breve)\n";
  ASSERT_GE(esito.errori.size(), motivo.size());
  EXPECT_EQ(esito.errori.substr(esito.errori.size() - motivo.size()), motivo);
  EXPECT_TRUE(uscita().empty());
  ingressi_intatti();
}

TEST_F(Scenario, UnFileCompilatoCheNonSiPuoScrivere) {
  // A folder stands where the compiled train file goes.
  std::filesystem::create_directory(cartella.file("uscita/" + treno_compilato));
  prova::Esito esito = compila();
  EXPECT_EQ(esito.stato, 2);
  EXPECT_EQ(esito.uscita, "esito errore_codice=0 errore_posizione=0\n");
  EXPECT_EQ(esito.errori, "impossibile sostituire \"uscita/" + treno_compilato +
                              "\": è una cartella (Is a directory)\n");
  // The set is replaced whole or not at all: nothing was written.
  EXPECT_EQ(uscita(), std::vector<std::string>{treno_compilato});
  ingressi_intatti();
}

// Killed between any two renames of its set (the test stop ends it as a
// kill does), a compile leaves the older set or the new one, as the next run
// in the folder and `ispeziona` find it: the older set when killed before
// its journal took its name, the new one after.
TEST_F(Scenario, UnaCompilazioneUccisaLasciaLInsiemeVecchioOQuelloNuovo) {
  const std::vector<std::string> nomi = {linea_compilata, treno_compilato, celle_compilate};
  auto insieme = [&] {
    std::vector<std::string> byte;
    for (const std::string& nome : nomi) byte.push_back(compilato(nome));
    return byte;
  };
  // The two sets as whole runs write them: the older one of a 12 km line,
  // the new one of 10 km (every file differs).
  std::string linea_lunga = prova::linea_prova;
  linea_lunga.replace(linea_lunga.find("10000"), 5, "12000");
  auto compila_vecchio = [&] {
    descrizioni(linea_lunga, prova::treno_prova);
    prova::Esito esito = compila();
    ASSERT_EQ(esito.stato, 0) << esito.errori;
    descrizioni(prova::linea_prova, prova::treno_prova);
  };
  compila_vecchio();
  const std::vector<std::string> vecchio = insieme();
  ASSERT_EQ(compila().stato, 0);
  const std::vector<std::string> nuovo = insieme();
  for (size_t i = 0; i < nomi.size(); ++i) ASSERT_NE(vecchio[i], nuovo[i]) << nomi[i];

  auto e_di_passaggio = [](const std::string& nome) {
    return nome == ".~insieme" || nome.find(".~parziale.") != std::string::npos;
  };
  // Renames: the journal's, then the line, train and cell files'; the last
  // stop comes before the journal goes.
  for (int fermata = 0; fermata <= 4; ++fermata)
    for (const bool con_ispeziona : {false, true}) {
      SCOPED_TRACE(fmt::format("fermata dopo {} rinomine, {}", fermata,
                               con_ispeziona ? "ispeziona" : "descrivi"));
      compila_vecchio();
      prova::Esito ucciso = prova::esegui(
          "SCEN_PROVA_FERMA_DOPO_RINOMINE=" + std::to_string(fermata) +
              " TMPDIR=" + prova::tra_apici(cartella.file("tmp")) + " " +
              prova::riga_comando(SCEN_SCENARIO, {"compila", "linea.txt", "treno.txt", "uscita"}),
          cartella.percorso());
      EXPECT_NE(ucciso.stato, 0);
      EXPECT_EQ(ucciso.uscita, "");  // ended before its outcome line
      const std::vector<std::string> lasciati = uscita();
      EXPECT_EQ(std::count(lasciati.begin(), lasciati.end(), ".~insieme"), fermata > 0 ? 1 : 0);
      // Temporary files until every one has taken its name.
      EXPECT_EQ(std::any_of(lasciati.begin(), lasciati.end(),
                            [](const std::string& nome) {
                              return nome.find(".~parziale.") != std::string::npos;
                            }),
                fermata < 4);

      const std::vector<std::string>& atteso = fermata == 0 ? vecchio : nuovo;
      if (con_ispeziona) {
        prova::Esito visto =
            scenario({"ispeziona", "uscita/" + nomi[0], "uscita/" + nomi[1], "uscita/" + nomi[2]});
        EXPECT_EQ(visto.stato, 0) << visto.errori;
        EXPECT_EQ(visto.uscita.find("non vanno insieme"), std::string::npos);
        EXPECT_EQ(visto.errori.find("completata la sostituzione di 3 file") != std::string::npos,
                  fermata > 0)
            << visto.errori;
        EXPECT_TRUE(insieme() == atteso);
      } else {
        prova::Esito dopo = scenario({"descrivi", "uscita"});
        EXPECT_EQ(dopo.stato, 0) << dopo.errori;
        EXPECT_TRUE(insieme() == atteso);
        const std::vector<std::string> restano = uscita();
        EXPECT_EQ(std::count_if(restano.begin(), restano.end(), e_di_passaggio), 0)
            << testing::PrintToString(restano);
      }
    }
}

TEST_F(Scenario, UnaLunghezzaRipetutaScriveGliStessiByteDiUnaSola) {
  // The single run first, its files kept aside.
  prova::Esito una = compila();
  ASSERT_EQ(una.stato, 0) << una.errori;
  std::vector<std::string> byte_una;
  for (const std::string& nome : {linea_compilata, treno_compilato, celle_compilate})
    byte_una.push_back(compilato(nome));

  // 20,000 length records, the longest line allowed and this line's own in
  // turn, this line's last.
  const std::string record = "lunghezza percorso,    10000\r\n";
  std::string ripetuti;
  for (int i = 0; i < 10000; ++i) ripetuti += "lunghezza percorso,    1000000\r\n" + record;
  std::string linea = prova::linea_prova;
  linea.replace(linea.find(record), record.size(), ripetuti);
  descrizioni(linea, prova::treno_prova);

  prova::Esito ripetuta = compila();
  EXPECT_EQ(ripetuta.stato, 0) << ripetuta.errori;
  EXPECT_EQ(ripetuta.uscita, una.uscita);
  size_t i = 0;
  for (const std::string& nome : {linea_compilata, treno_compilato, celle_compilate})
    EXPECT_TRUE(compilato(nome) == byte_una[i++]) << nome;
  ingressi_intatti();
}

TEST_F(Scenario, UnaDescrizioneOltre64MiBNonSiLegge) {
  // Sparse files: the size is there, the bytes are never written.
  prova::scrivi(cartella.file("grande.txt"), "");
  std::filesystem::resize_file(cartella.file("grande.txt"), (std::uintmax_t{64} << 20) + 1);
  for (const std::vector<std::string>& argomenti :
       {std::vector<std::string>{"compila", "grande.txt", "treno.txt", "uscita"},
        std::vector<std::string>{"compila", "linea.txt", "grande.txt", "uscita"}}) {
    SCOPED_TRACE(testing::PrintToString(argomenti));
    prova::Esito esito = scenario(argomenti);
    EXPECT_EQ(esito.stato, 2);
    EXPECT_EQ(esito.uscita, "");  // nothing was read: no outcome to give
    EXPECT_EQ(esito.errori,
              "impossibile leggere \"grande.txt\": il file supera il limite di 64 MiB\n");
  }
  EXPECT_TRUE(uscita().empty());
  ingressi_intatti();
}

TEST_F(Scenario, OgniComandoFinisceConUnoDeiTreStati) {
  // A line with a gradient beyond its cells (outcome 15), and compiled files
  // whose records hold another train key than their names.
  std::string oltre = prova::linea_prova;
  oltre.replace(oltre.find("pendenza,  6000"), 15, "pendenza,  16950");
  prova::scrivi(cartella.file("oltre.txt"), oltre);
  for (const char* nome : {"altre", "errate", "documenti", "descritte"})
    std::filesystem::create_directory(cartella.file(nome));
  ASSERT_EQ(
      scenario({"compila", "linea.txt", "treno.txt", "altre", "--chiave-treno", "IC 732"}).stato,
      uscita_riuscita);
  std::filesystem::rename(cartella.file("altre/Vela_Nuro_IC 732.sim"),
                          cartella.file("altre/Vela_Nuro_IC 731.sim"));

  struct caso {
    std::vector<std::string> argomenti;
    int stato;
  };
  const caso casi[] = {
      {{"--help"}, uscita_riuscita},
      {{}, uscita_fallita},
      {{"prepara"}, uscita_fallita},
      {{"compila", "linea.txt", "treno.txt", "uscita"}, uscita_riuscita},
      {{"compila", "oltre.txt", "treno.txt", "errate"}, uscita_esito},
      {{"compila", "manca.txt", "treno.txt", "errate"}, uscita_fallita},
      {{"compila", "linea.txt", "treno.txt"}, uscita_fallita},
      {{"descrivi", "descritte"}, uscita_riuscita},
      {{"descrivi", "manca"}, uscita_fallita},
      {{"verifica", "linea.txt", "treno.txt"}, uscita_riuscita},
      {{"verifica", "oltre.txt", "treno.txt"}, uscita_esito},
      {{"verifica", "manca.txt", "treno.txt"}, uscita_fallita},
      {{"documenti", "linea.txt", "treno.txt", "documenti"}, uscita_riuscita},
      {{"documenti", "oltre.txt", "treno.txt", "documenti"}, uscita_esito},
      {{"documenti", "manca.txt", "treno.txt", "documenti"}, uscita_fallita},
      {{"disegna", "linea.txt", "treno.txt", "--uscita", "disegno.svg"}, uscita_riuscita},
      {{"disegna", "oltre.txt", "treno.txt", "--uscita", "disegno.svg"}, uscita_esito},
      {{"disegna", "manca.txt", "treno.txt", "--uscita", "disegno.svg"}, uscita_fallita},
      {{"disegna", "linea.txt", "treno.txt", "--uscita", "disegno.png"}, uscita_fallita},
      {{"ispeziona", "uscita/" + treno_compilato}, uscita_riuscita},
      {{"ispeziona", "altre/" + treno_compilato}, uscita_esito},
      {{"ispeziona", "manca/" + treno_compilato}, uscita_fallita},
      {{"ispeziona", "--celle", "2-1", "uscita/" + celle_compilate}, uscita_fallita},
      {{"importa", "manca.gpx", "--uscita", "importata.txt"}, uscita_fallita},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(testing::PrintToString(c.argomenti));
    const prova::Esito esito = scenario(c.argomenti);
    EXPECT_EQ(esito.stato, c.stato) << esito.errori;
  }
  ingressi_intatti();
}

TEST_F(Scenario, LaMemoriaEsauritaSiDiceInOgniComando) {
  if (prova::con_sanitizzatore) GTEST_SKIP() << "the sanitizer cannot run with limited memory";
  // The trace of the longest line does not fit; what each command printed
  // before stays, and the message comes last.
  prova::scrivi(cartella.file("lunghissima.txt"), prova::linea_lunghissima(prova::linea_prova));
  std::filesystem::create_directory(cartella.file("documenti"));
  const std::string limite = prova::limite_memoria(SCEN_SCENARIO, cartella.percorso());
  const std::vector<std::string> comandi[] = {
      {"compila", "lunghissima.txt", "treno.txt", "uscita"},
      {"verifica", "lunghissima.txt", "treno.txt"},
      {"verifica", "lunghissima.txt", "treno.txt", "--json"},
      {"documenti", "lunghissima.txt", "treno.txt", "documenti"},
      {"disegna", "lunghissima.txt", "treno.txt", "--uscita", "disegno.svg"},
  };
  for (const std::vector<std::string>& argomenti : comandi) {
    SCOPED_TRACE(testing::PrintToString(argomenti));
    const prova::Esito esito =
        prova::esegui(limite + "TMPDIR=" + prova::tra_apici(cartella.file("tmp")) + " " +
                          prova::riga_comando(SCEN_SCENARIO, argomenti),
                      cartella.percorso());
    EXPECT_EQ(esito.stato, uscita_fallita);
    EXPECT_EQ(esito.uscita, "");
    EXPECT_EQ(esito.errori, std::string(memoria_esaurita) + "\n");
  }
  EXPECT_TRUE(uscita().empty());
  EXPECT_TRUE(std::filesystem::is_empty(cartella.file("documenti")));
  EXPECT_FALSE(std::filesystem::exists(cartella.file("disegno.svg")));
  ingressi_intatti();
}

#ifdef SCEN_CON_IMPORTA
// The import is done by the program beside scenario; without it, the
// command says which program it could not start and why.
TEST_F(Scenario, ImportaSenzaIlProgrammaAccantoLoDice) {
  const std::string solo = prova::copia_programma(SCEN_SCENARIO, cartella.file("tmp"));
  const prova::Esito esito = prova::esegui(
      prova::riga_comando(solo, {"importa", "traccia.gpx", "--uscita", "linea_importata.txt"}),
      cartella.percorso());
  EXPECT_EQ(esito.stato, 2);
  EXPECT_EQ(esito.uscita, "");
  EXPECT_EQ(esito.errori, "scenario importa: impossibile avviare \"" + cartella.file("tmp") +
                              "/scenario-importa\": file o cartella inesistente (No such file or "
                              "directory)\n");
  std::filesystem::remove(solo);
}
#endif

}  // namespace
}  // namespace scen
