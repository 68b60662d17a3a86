// `scenario ispeziona` as its users run it, on the compiled files of the
// carried scenario that the real compiler writes, and on files that are not
// compiled files.
#include "tool/ispeziona.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "testing/cartella_temporanea.h"
#include "testing/descrizioni_prova.h"
#include "testing/processo.h"
#include "testing/riga_comando.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;

const std::string linea_compilata = "Vela_Nuro_linea.dat";
const std::string treno_compilato = "Vela_Nuro_IC 731.sim";
const std::string celle_compilate = "Vela_Nuro_IC 731.dat";

std::vector<std::string> righe_di(const std::string& testo) {
  std::vector<std::string> righe;
  std::istringstream in(testo);
  for (std::string riga; std::getline(in, riga);) righe.push_back(riga);
  return righe;
}

// The compiled files of one run of the real compiler, shared by the tests;
// each test works in a folder of its own with copies of the files it needs.
class Ispeziona : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    compilati = std::make_unique<CartellaTemporanea>();
    prova::copia_programma(SCEN_COMPILATORE, compilati->percorso());
    ASSERT_EQ(prova::esegui("./compilatore", compilati->percorso()).stato, 0);
  }
  static void TearDownTestSuite() { compilati.reset(); }

  void SetUp() override { ASSERT_STRNE(SCEN_SCENARIO, "") << "the scenario program is not built"; }

  // The compiled file `nome` copied here as `come`.
  void copia(const std::string& nome, const std::string& come = "") {
    std::filesystem::copy_file(compilati->file(nome), cartella.file(come.empty() ? nome : come));
  }

  prova::Esito scenario(const std::vector<std::string>& argomenti) {
    return prova::esegui(prova::riga_comando(SCEN_SCENARIO, argomenti), cartella.percorso());
  }

  // Every expected line is in the output, in this order.
  static void contiene(const std::string& uscita, const std::vector<std::string>& attese) {
    const std::vector<std::string> righe = righe_di(uscita);
    auto da = righe.begin();
    for (const std::string& attesa : attese) {
      auto trovata = std::find(da, righe.end(), attesa);
      ASSERT_NE(trovata, righe.end()) << "missing, or out of order: " << attesa << "\nin:\n"
                                      << uscita;
      da = trovata + 1;
    }
  }

  static std::unique_ptr<CartellaTemporanea> compilati;
  CartellaTemporanea cartella;
};

std::unique_ptr<CartellaTemporanea> Ispeziona::compilati;

TEST_F(Ispeziona, TheTrainFileInWords) {
  copia(treno_compilato);
  const prova::Esito e = scenario({"ispeziona", treno_compilato});
  EXPECT_EQ(e.stato, 0);
  EXPECT_EQ(e.errori, "");
  contiene(e.uscita,
           {
               "Vela_Nuro_IC 731.sim: treno compilato, 3852 byte, 87 registri",
               "  chiavi nei registri 85 e 86: percorso \"Vela_Nuro\", treno \"IC 731\", quelle "
               "del nome",
               "  segno riservato: 610 nel campo_7 del registro 85",
               "  codice_gara_st: 32226 nel registro 85, quello delle chiavi del nome (percorso "
               "\"Vela_Nuro\", treno \"IC 731\")",
               "  lunghezza della linea: 334000 m (registro 84)",
               "  vetture: 10",
               "  massa frenata: 130 %",
               "  progressiva chilometrica uno (registro 83): da 31100 m, scostamento 3050, "
               "crescente",
               "  progressiva chilometrica due (registro 82): da 284500 m, scostamento -284500, "
               "crescente",
               "  progressiva chilometrica tre (registro 81): da 315950 m, scostamento 412150, "
               "decrescente",
               "  sfondi: uno 1, due 0, tre 0",
               "  ripetizione dei segnali: da 8000 m a 330700 m, 9 codici",
               "  orologio: 13:04:30",
               "  sabbia: 220",
               "  stazioni: 45, registri 1-45",
               "    reg.  posizione   estensione (m)    tipo  fermata  orario    nome",
               "       1          0     -500 -     500     8        1  13:04:30  Vela",
               "       2       4850     4700 -    5000    21        0  -         Vela San Rocco",
               "       3      11950    11750 -   12150     2       99  13:18:30  Colle Ardito",
               "      45     332750   332450 -  333050    12        0  16:20:00  Nuro Centrale",
               "  cartelli: 19, registri 80-62",
               "      80  \"(  Cippo  )(Km 8+000)\"",
               "      62  \"(Limite)(di manovra)\"",
           });
  EXPECT_EQ(righe_di(e.uscita).size(), 14u + 2 + 45 + 1 + 19);
}

TEST_F(Ispeziona, TheCellFileInWordsWithChosenCells) {
  copia(celle_compilate);
  const prova::Esito e = scenario({"ispeziona", celle_compilate, "--celle", "146-147"});
  EXPECT_EQ(e.stato, 0);
  EXPECT_EQ(e.errori, "");
  EXPECT_EQ(
      righe_di(e.uscita),
      (std::vector<std::string>{
          "Vela_Nuro_IC 731.dat: celle compilate, 102315 byte, 6821 celle (0-6820), per una "
          "linea di circa 334000 m",
          "  segno riservato: 5121 nel valore_1 della cella 1",
          "  codice_gara_og: 2352 nel valore_2 della cella 1, quello delle chiavi del nome "
          "(percorso \"Vela_Nuro\", treno \"IC 731\")",
          "  codici delle celle:",
          "      0  niente                         6270",
          "      1  segnale                         179",
          "      2  fine rallentamento                2",
          "      3  inizio rallentamento              2",
          "      4  avviso di rallentamento           2",
          "      5  avvicinamento all'avviso          8",
          "      6  indicatore di velocità           64",
          "     10  segno di fermata                 41",
          "     11  segnale di montagna             148",
          "     12  abbattimento con valore          86",
          "     14  cartello                         19",
          "  celle 146-147:",
          "    cella 146 da 7300 m: codice 0 (niente), valore_1 0, valore_2 0, valore_3 0, "
          "valore_4 0, valore_5 0, avvicinamento 0, montagna 0, vel_limite 17 (85 km/h), "
          "pendenza 104 (+4 per mille), aderenza 96",
          "    cella 147 da 7350 m: codice 6 (indicatore di velocità), valore_1 1515, valore_2 "
          "1616, valore_3 1717, valore_4 0, valore_5 0, avvicinamento 0, montagna 0, "
          "vel_limite 17 (85 km/h), pendenza 104 (+4 per mille), aderenza 96",
      }));
}

TEST_F(Ispeziona, ChosenCellsPastTheLastAreSaidToBeMissing) {
  copia(celle_compilate);
  const prova::Esito oltre = scenario({"ispeziona", celle_compilate, "--celle", "6819-9000"});
  EXPECT_EQ(oltre.stato, 0);
  const std::vector<std::string> righe = righe_di(oltre.uscita);
  ASSERT_GE(righe.size(), 3u);
  EXPECT_EQ(righe[righe.size() - 3], "  celle 6819-6820 (l'ultima cella è la 6820):");
  EXPECT_TRUE(righe.back().starts_with("    cella 6820 da 341000 m: codice 0 (niente)"));

  const prova::Esito nessuna = scenario({"ispeziona", celle_compilate, "--celle", "6821"});
  EXPECT_EQ(nessuna.stato, 0);
  EXPECT_EQ(righe_di(nessuna.uscita).back(),
            "  celle 6821-6821: nessuna, l'ultima cella è la 6820");
}

TEST_F(Ispeziona, TheLineFileInWords) {
  copia(linea_compilata);
  const prova::Esito e = scenario({"ispeziona", linea_compilata});
  EXPECT_EQ(e.stato, 0);
  EXPECT_EQ(e.errori, "");
  EXPECT_EQ(righe_di(e.uscita),
            (std::vector<std::string>{
                "Vela_Nuro_linea.dat: linea compilata, 6819964 byte, tracciato dei metri "
                "0-341000 (una linea di 334000 m più 7000)",
                "  metri pieni: 340999 (0-340998), primo metro vuoto: 340999",
                "  lunghezza in linea retta: 77255,9 m (dal metro 0 al metro 340998)",
                "  lunghezza lungo la linea: 350575,4 m",
                "  riquadro: X da -4452,5 a 88237,3 m, Y da -11724,9 a 83122,6 m (larghezza "
                "92689,9 m, altezza 94847,5 m)",
            }));
}

// A line whose reading stopped: the trace ends where the reader stopped
// (here at the end of the first curve), and one that is empty throughout.
TEST_F(Ispeziona, ALineFileWhoseTraceStopsEarly) {
  std::string linea = prova::linea_prova;
  linea.replace(linea.find("curvad3,"), 8, "curvad,");
  prova::scrivi(cartella.file("linea.txt"), linea);
  prova::scrivi(cartella.file("treno.txt"), prova::treno_prova);
  ASSERT_EQ(scenario({"compila", "linea.txt", "treno.txt", "."}).stato, 1);  // outcome 103
  prova::scrivi(cartella.file("vuota_linea.dat"), std::string(2 * 2 * 7001, '\0'));
  const prova::Esito e = scenario({"ispeziona", linea_compilata, "vuota_linea.dat"});
  EXPECT_EQ(e.stato, 0);
  EXPECT_EQ(e.errori, "");
  EXPECT_EQ(righe_di(e.uscita),
            (std::vector<std::string>{
                "Vela_Nuro_linea.dat: linea compilata, 91996 byte, tracciato dei metri 0-17000 "
                "(una linea di 10000 m più 7000)",
                "  metri pieni: 1501 (0-1500), primo metro vuoto: 1501",
                "  lunghezza in linea retta: 1500,0 m (dal metro 0 al metro 1500)",
                "  lunghezza lungo la linea: 1500,0 m",
                "  riquadro: X da -1,1 a 0,0 m, Y da 0,0 a 1500,0 m (larghezza 1,1 m, altezza "
                "1500,0 m)",
                "",
                "vuota_linea.dat: linea compilata, 28004 byte, tracciato dei metri 0-7000 (una "
                "linea di 0 m più 7000)",
                "  metri pieni: 0, primo metro vuoto: 0",
                "  nessun metro pieno a partire dal metro 0: nessuna lunghezza né riquadro",
            }));
}

// Whatever `scenario compila` writes, `ispeziona` reads: the shortest line
// there can be, a line of length 0, no line file, keys of more than 25
// characters between them.
TEST_F(Ispeziona, WhatCompilaWritesIsRead) {
  struct Caso {
    std::string linea;
    std::vector<std::string> opzioni;
    std::string cella;  // the first line said of the cell file
  };
  // A train of one record that takes no cell: an empty one compiles nothing.
  const std::string treno = prova::righe({"[generale]", "numero vetture,  1", "[fine]"});
  const std::vector<Caso> casi = {
      {prova::righe({"[generale]", "lunghezza percorso,    -6900", "[fine]"}),
       {},
       "Vela_Nuro_IC 731.dat: celle compilate, 45 byte, 3 celle (0-2), per una linea di circa "
       "-6900 m"},
      {prova::righe({"[generale]", "lunghezza percorso,    0", "[fine]"}),
       {"--senza-linea"},
       "Vela_Nuro_IC 731.dat: celle compilate, 2115 byte, 141 celle (0-140), per una linea di "
       "circa 0 m"},
      {prova::linea_prova,
       {"--chiave-percorso", "Una_linea_lunga_davvero", "--chiave-treno", "Treno_lungo"},
       "Una_linea_lunga_davvero_Treno_lungo.dat: celle compilate, 5115 byte, 341 celle (0-340), "
       "per una linea di circa 10000 m"},
  };
  for (const Caso& c : casi) {
    CartellaTemporanea uscita;
    prova::scrivi(cartella.file("linea.txt"), c.linea);
    prova::scrivi(cartella.file("treno.txt"), treno);
    std::vector<std::string> argomenti = {"compila", "linea.txt", "treno.txt", uscita.percorso()};
    argomenti.insert(argomenti.end(), c.opzioni.begin(), c.opzioni.end());
    ASSERT_EQ(scenario(argomenti).stato, 0) << c.cella;
    std::vector<std::string> file = {"ispeziona"};
    for (const std::string& nome : uscita.elenco()) file.push_back(uscita.file(nome));
    const prova::Esito e = scenario(file);
    EXPECT_EQ(e.stato, 0) << c.cella << "\n" << e.uscita;
    EXPECT_EQ(e.errori, "");
    contiene(e.uscita, {uscita.percorso() + "/" + c.cella});
  }
}

// Files renamed: the codes they carry are not those of the keys in their
// names, and the words say which they would be.
TEST_F(Ispeziona, CodesThatAreNotThoseOfTheNameFailWithOne) {
  copia(treno_compilato, "Altro_X.sim");
  copia(celle_compilate, "Vela_Nuro_IC 732.dat");
  copia(celle_compilate, "senza.dat");
  const prova::Esito e =
      scenario({"ispeziona", "Altro_X.sim", "Vela_Nuro_IC 732.dat", "senza.dat"});
  EXPECT_EQ(e.stato, 1);
  EXPECT_EQ(e.errori, "");
  contiene(e.uscita,
           {
               "  chiavi nei registri 85 e 86: percorso \"Vela_Nuro\", treno \"IC 731\", non "
               "quelle del nome (percorso \"Altro\", treno \"X\")",
               "  codice_gara_st: 32226 nel registro 85, ma le chiavi del nome (percorso "
               "\"Altro\", treno \"X\") danno 33457",
               "  codice_gara_og: 2352 nel valore_2 della cella 1, ma le chiavi del nome "
               "(percorso \"Vela_Nuro\", treno \"IC 732\") danno 2353",
               "  codice_gara_og: 2352 nel valore_2 della cella 1; il nome non contiene le "
               "chiavi con cui confrontarlo",
           });
}

// A cell file cut at a cell's end and a line file of another compile are
// files of their kinds, but not of the train file's line.
TEST_F(Ispeziona, FilesOfOneScenarioThatDoNotGoTogether) {
  copia(treno_compilato);
  prova::scrivi(cartella.file(celle_compilate),
                prova::leggi(compilati->file(celle_compilate)).substr(0, 15 * 6820));
  prova::scrivi(cartella.file(linea_compilata), std::string(2 * 2 * 7001, '\0'));
  std::filesystem::create_directory(cartella.file("altra"));
  copia(celle_compilate, "altra/" + celle_compilate);  // another folder: not compared
  const prova::Esito e = scenario(
      {"ispeziona", treno_compilato, celle_compilate, linea_compilata, "altra/" + celle_compilate});
  EXPECT_EQ(e.stato, 1);
  EXPECT_EQ(e.errori, "");
  const std::vector<std::string> righe = righe_di(e.uscita);
  ASSERT_GE(righe.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(righe.end() - 4, righe.end()),
            (std::vector<std::string>{
                "",
                "file che non vanno insieme:",
                "  Vela_Nuro_IC 731.dat: 6820 celle, ma la linea di 334000 m di Vela_Nuro_IC "
                "731.sim ne ha 6821: i due file non vengono dalla stessa compilazione",
                "  Vela_Nuro_linea.dat: il tracciato arriva al metro 7000, ma la linea di 334000 m "
                "di Vela_Nuro_IC 731.sim arriva al metro 341000: i due file non vengono dalla "
                "stessa compilazione",
            }));
  const prova::Esito j = scenario({"ispeziona", "--json", treno_compilato, celle_compilate});
  EXPECT_EQ(j.stato, 1);
  EXPECT_EQ(nlohmann::json::parse(j.uscita)["incoerenze"].size(), 1u);
}

// Keys and texts outside ASCII: Windows-1252 in the files, UTF-8 on the
// screen and in the names.
TEST_F(Ispeziona, TextsAreShownInUtf8) {
  std::string treno = prova::treno_prova;
  treno.replace(treno.find(", Nuro"), 6, ", N\xF9ro");
  prova::scrivi(cartella.file("linea.txt"), prova::linea_prova);
  prova::scrivi(cartella.file("treno.txt"), treno);
  ASSERT_EQ(scenario({"compila", "linea.txt", "treno.txt", ".", "--chiave-percorso", "Città",
                      "--chiave-treno", "R 1"})
                .stato,
            0);
  const prova::Esito e = scenario({"ispeziona", "Città_R 1.sim", "Città_R 1.dat"});
  EXPECT_EQ(e.stato, 0) << e.errori;
  contiene(e.uscita,
           {
               "  chiavi nei registri 85 e 86: percorso \"Città\", treno \"R 1\", quelle del "
               "nome",
               "       2       9000     8800 -    9200     2        0  13:20:00  Nùro",
               "      80  cella    60, da   3000 m  \"(  Cippo  )(Km 3+000)\"",
               "Città_R 1.dat: celle compilate, 5115 byte, 341 celle (0-340), per una linea di "
               "circa 10000 m",
           });
}

// Bytes of a name that would act on a terminal, or that Windows-1252 leaves
// without a character, are shown as \xNN; JSON escapes them itself.
TEST_F(Ispeziona, ControlBytesOfANameAreShownNotSent) {
  const struct {
    std::string nome;      // as the train description writes it
    std::string mostrato;  // as ispeziona shows it
  } casi[] = {
      {std::string("N\0ro", 4), "N\\x00ro"},
      {"N\tro", "N\\x09ro"},
      {"N\x1b[2Jro", "N\\x1B[2Jro"},
      {"N\x7fro", "N\\x7Fro"},
      {"N\x81ro", "N\\x81ro"},
      {"N\xf9ro", "Nùro"},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.mostrato);
    std::string treno = prova::treno_prova;
    treno.replace(treno.find(", Nuro"), 6, ", " + c.nome);
    prova::scrivi(cartella.file("linea.txt"), prova::linea_prova);
    prova::scrivi(cartella.file("treno.txt"), treno);
    ASSERT_EQ(scenario({"compila", "linea.txt", "treno.txt", ".", "--chiave-treno", "R 1"}).stato,
              0);
    const prova::Esito e = scenario({"ispeziona", "Vela_Nuro_R 1.sim"});
    EXPECT_EQ(e.stato, 0) << e.errori;
    contiene(e.uscita,
             {"       2       9000     8800 -    9200     2        0  13:20:00  " + c.mostrato});
    const prova::Esito j = scenario({"ispeziona", "--json", "Vela_Nuro_R 1.sim"});
    EXPECT_EQ(j.stato, 0) << j.errori;
    EXPECT_EQ(j.uscita.find('\0'), std::string::npos);
    EXPECT_EQ(j.uscita.find('\x1b'), std::string::npos);
  }
}

TEST_F(Ispeziona, TheSameAsOneJsonDocument) {
  copia(treno_compilato);
  copia(celle_compilate);
  copia(linea_compilata);
  prova::scrivi(cartella.file("vuoto.sim"), "");
  const prova::Esito e = scenario({"ispeziona", "--json", linea_compilata, treno_compilato,
                                   "vuoto.sim", celle_compilate, "--celle", "147"});
  EXPECT_EQ(e.stato, 2);
  EXPECT_EQ(e.errori, "vuoto.sim: il file è vuoto\n");
  const nlohmann::json d = nlohmann::json::parse(e.uscita);
  EXPECT_EQ(d["errori"], 1);
  EXPECT_EQ(d["incoerenze"], nlohmann::json::array());
  ASSERT_EQ(d["file"].size(), 4u);
  const nlohmann::json& linea = d["file"][0];
  EXPECT_EQ(linea["tipo"], "linea");
  EXPECT_EQ(linea["metri_pieni"], 340999);
  EXPECT_EQ(linea["primo_vuoto"], 340999);
  for (const char* chiave : {"x_min", "x_max", "y_min", "y_max"})
    EXPECT_TRUE(linea["riquadro"][chiave].is_number_float()) << chiave;
  const nlohmann::json& treno = d["file"][1];
  EXPECT_EQ(treno["tipo"], "treno");
  EXPECT_EQ(treno["byte"], 3852);
  EXPECT_EQ(treno["codice_gara_st"],
            nlohmann::json::parse(R"({"valore": 32226, "chiavi_del_nome": {"percorso":
              "Vela_Nuro", "treno": "IC 731"}, "atteso": 32226, "corrisponde": true})"));
  EXPECT_EQ(treno["progressive"][2],
            nlohmann::json::parse(R"({"nome": "tre", "registro": 81, "inizio": 315950,
              "scostamento": 412150, "decrescente": 1})"));
  EXPECT_EQ(treno["orologio"], nlohmann::json::parse(R"({"ore": 13, "minuti": 4, "secondi": 30})"));
  ASSERT_EQ(treno["stazioni"].size(), 45u);
  EXPECT_EQ(treno["stazioni"][2]["nome"], "Colle Ardito");
  EXPECT_EQ(treno["stazioni"][2]["orario"], "13:18:30");
  EXPECT_EQ(treno["stazioni"][1]["orario"], nullptr);
  ASSERT_EQ(treno["cartelli"].size(), 19u);
  EXPECT_EQ(treno["cartelli"][0],
            nlohmann::json::parse(R"j({"registro": 80, "testo": "(  Cippo  )(Km 8+000)",
              "cella": 160, "metri": 8000})j"));
  EXPECT_EQ(d["file"][2], nlohmann::json::parse(R"({"file": "vuoto.sim",
              "errore": "vuoto.sim: il file è vuoto"})"));
  const nlohmann::json& celle = d["file"][3];
  EXPECT_EQ(celle["censimento"][6], nlohmann::json::parse(R"({"codice": 6,
              "oggetto": "indicatore di velocità", "celle": 64})"));
  EXPECT_EQ(celle["cartelli"].size(), 19u);
  EXPECT_EQ(celle["cartelli"][18],
            nlohmann::json::parse(R"({"cella": 6616, "metri": 330800, "registro": 62})"));
  EXPECT_EQ(celle["celle_scelte"]["celle"][0]["valore_3"], 1717);
  EXPECT_EQ(celle["celle_scelte"]["celle"][0]["metri"], 7350);
}

struct CasoCattivo {
  std::string nome;       // the file given
  std::string contenuto;  // its bytes; "/" makes it a folder, "" with `manca` no file
  bool manca;
  std::string messaggio;  // the line on standard error
};

TEST_F(Ispeziona, ABadFileIsNamedWithWhatIsWrongAndTheOthersAreStillShown) {
  copia(treno_compilato);
  const std::string treno = prova::leggi(cartella.file(treno_compilato));
  const std::vector<CasoCattivo> casi = {
      {"manca.sim", "", true, "manca.sim: il file non esiste"},
      {"cartella.dat", "/", false, "cartella.dat: è una cartella, non un file"},
      {"uscita", "/", false, "uscita: è una cartella, non un file"},
      {"vuoto_linea.dat", "", false, "vuoto_linea.dat: il file è vuoto"},
      {"corto.sim", treno.substr(0, 100), false,
       "corto.sim: il file finisce dentro il registro 2, dopo 100 byte: è troncato o non è un "
       "treno compilato"},
      {"testo.dat", std::string(15 * 150, ' '), false,
       "testo.dat: la cella 1 non porta il segno 5121 (valore_1 vale 8224): il file non "
       "contiene celle compilate"},
      {"note.txt", "x", false,
       "note.txt: dal nome non si sa che file compilato sia: i nomi sono P_linea.dat (la "
       "linea), P_T.sim (il treno) e P_T.dat (le celle)"},
  };
  std::vector<std::string> argomenti = {"ispeziona"};
  std::string attesi;
  for (const CasoCattivo& c : casi) {
    if (c.contenuto == "/")
      std::filesystem::create_directory(cartella.file(c.nome));
    else if (!c.manca)
      prova::scrivi(cartella.file(c.nome), c.contenuto);
    argomenti.push_back(c.nome);
    attesi += c.messaggio + "\n";

    const prova::Esito solo = scenario({"ispeziona", c.nome});
    EXPECT_EQ(solo.stato, 2) << c.nome;
    EXPECT_EQ(solo.errori, c.messaggio + "\n");
    EXPECT_EQ(solo.uscita, "");
  }
  argomenti.push_back(treno_compilato);
  const prova::Esito tutti = scenario(argomenti);
  EXPECT_EQ(tutti.stato, 2);
  EXPECT_EQ(tutti.errori, attesi);
  EXPECT_TRUE(tutti.uscita.starts_with("Vela_Nuro_IC 731.sim: treno compilato, 3852 byte"));
}

TEST_F(Ispeziona, BadUsage) {
  const std::string aiuto = "\nPer l'aiuto: scenario --help\n";
  const std::vector<std::pair<std::vector<std::string>, std::string>> casi = {
      {{"ispeziona"}, "scenario: ispeziona: serve almeno un FILE"},
      {{"ispeziona", "a.dat", "--celle", "5-3"},
       "scenario: ispeziona: --celle 5-3: la prima cella viene dopo l'ultima"},
      {{"ispeziona", "a.dat", "--celle", "x"},
       "scenario: ispeziona: --celle \"x\": ci vuole DA-A, due numeri di cella come 100-120, o "
       "un numero solo"},
      {{"ispeziona", "a.sim", "--celle", "1-2"},
       "scenario: ispeziona: --celle mostra le celle di un file di celle compilate (P_T.dat), e "
       "tra i file non ce n'è"},
      {{"ispeziona", "a.dat", "--forse"},
       "scenario: ispeziona: argomenti o opzioni non previsti: \"--forse\""},
  };
  for (const auto& [argomenti, messaggio] : casi) {
    const prova::Esito e = scenario(argomenti);
    EXPECT_EQ(e.stato, 2) << messaggio;
    EXPECT_EQ(e.errori, messaggio + aiuto);
    EXPECT_EQ(e.uscita, "");
  }
  const prova::Esito aiuto_comando = scenario({"ispeziona", "--help"});
  EXPECT_EQ(aiuto_comando.stato, 0);
  EXPECT_NE(aiuto_comando.uscita.find("scenario ispeziona FILE... [--json] [--celle DA-A]"),
            std::string::npos);
}

TEST(IntervalloCelle, DaAOrOneCell) {
  const std::vector<std::pair<std::string, intervallo_celle>> buoni = {
      {"10-20", {10, 20}},
      {"7", {7, 7}},
      {"0-0", {0, 0}},
      {"000012-13", {12, 13}},
      {"999999999-999999999", {999999999, 999999999}}};
  for (const auto& [testo, atteso] : buoni) {
    intervallo_celle i{-1, -1};
    ASSERT_TRUE(leggi_intervallo_celle(testo, i).riuscito()) << testo;
    EXPECT_EQ(i, atteso) << testo;
  }
  for (const char* testo : {"", "-", "a-b", "10-", "-5", "1-2-3", "1234567890", "+1-2", " 1-2",
                            "1 -2", "1.5", "0x10"}) {
    intervallo_celle i{4, 5};
    EXPECT_EQ(leggi_intervallo_celle(testo, i).messaggio(),
              std::string("ispeziona: --celle \"") + testo +
                  "\": ci vuole DA-A, due numeri di cella come 100-120, o un numero solo");
    EXPECT_EQ(i, (intervallo_celle{4, 5})) << testo;
  }
  intervallo_celle i;
  EXPECT_EQ(leggi_intervallo_celle("21-20", i).messaggio(),
            "ispeziona: --celle 21-20: la prima cella viene dopo l'ultima");
}

}  // namespace
}  // namespace scen
