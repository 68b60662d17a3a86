// The compiled files of the carried scenario, as the compiler writes them,
// read back; and every way in which a file can fail to be one.
#include "inspect/lettura_compilati.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "compile/file_compilati.h"
#include "inspect/cartella_compilata.h"
#include "testing/cartella_temporanea.h"
#include "testing/file_compilati_letti.h"
#include "testing/processo.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;

const std::string linea_compilata = "Vela_Nuro_linea.dat";
const std::string treno_compilato = "Vela_Nuro_IC 731.sim";
const std::string celle_compilate = "Vela_Nuro_IC 731.dat";

// One run of the real compiler, shared by the tests of this file.
class LetturaCompilati : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    compilati = std::make_unique<CartellaTemporanea>();
    prova::copia_programma(SCEN_COMPILATORE, compilati->percorso());
    ASSERT_EQ(prova::esegui("./compilatore", compilati->percorso()).stato, 0);
    std::filesystem::remove(compilati->file("compilatore"));
  }
  static void TearDownTestSuite() { compilati.reset(); }

  static std::string byte(const std::string& nome) { return prova::leggi(compilati->file(nome)); }

  static std::unique_ptr<CartellaTemporanea> compilati;
};

std::unique_ptr<CartellaTemporanea> LetturaCompilati::compilati;

TEST(TipoDalNome, TheNameTellsTheKind) {
  EXPECT_EQ(tipo_dal_nome("Vela_Nuro_linea.dat"), tipo_compilato::linea);
  EXPECT_EQ(tipo_dal_nome("a/b c/Vela_Nuro_IC 731.sim"), tipo_compilato::treno);
  EXPECT_EQ(tipo_dal_nome("Vela_Nuro_IC 731.dat"), tipo_compilato::celle);
  EXPECT_EQ(tipo_dal_nome("linea.dat"), tipo_compilato::celle);  // no "_linea.dat" in it
  for (const char* nome : {"Vela_Nuro_linea.txt", ".sim", ".dat", "x.sim/", "x.DAT", ""})
    EXPECT_EQ(tipo_dal_nome(nome), std::nullopt) << nome;
}

// Read back and written again, every file gives its own bytes.
TEST_F(LetturaCompilati, TheFolderReadsBackToTheSameBytes) {
  modello m;
  ASSERT_TRUE(leggi_cartella_compilata(compilati->percorso(), m).riuscito());
  EXPECT_EQ(m.chiave_percorso, "Vela_Nuro");
  EXPECT_EQ(m.chiave_treno, "IC 731");
  EXPECT_EQ(m.lunghezza_estesa, 341000);
  EXPECT_EQ(m.ultima_cella, 6820);
  EXPECT_EQ(m.con_tracciato, 1);
  EXPECT_EQ(m.celle[1].valore_1, 5121);
  EXPECT_EQ(m.celle[1].valore_2, 2352);
  EXPECT_EQ(m.registri[85].orario, 32226);
  EXPECT_EQ(codifica_celle(m), byte(celle_compilate));
  EXPECT_EQ(codifica_registri(m), byte(treno_compilato));
  EXPECT_EQ(codifica_tracciato(m), byte(linea_compilata));
}

TEST_F(LetturaCompilati, TheFolderWithoutALineFileAndWithKeysGiven) {
  CartellaTemporanea cartella;
  for (const std::string& nome : {treno_compilato, celle_compilate})
    prova::scrivi(cartella.file(nome), byte(nome));
  modello m;
  m.chiave_percorso = "Vela_Nuro";
  m.chiave_treno = "IC 731";
  ASSERT_TRUE(leggi_cartella_compilata(cartella.percorso(), m).riuscito());
  EXPECT_EQ(m.con_tracciato, 0);
  EXPECT_TRUE(m.tracciato[0].empty());
  EXPECT_EQ(m.lunghezza_estesa, 341000);
  EXPECT_EQ(m.celle.size(), 6821u);
}

TEST_F(LetturaCompilati, AFolderThatDoesNotHoldOneScenarioIsNamed) {
  CartellaTemporanea cartella;
  const std::string c = cartella.percorso();
  auto errore = [&](modello m = {}) { return leggi_cartella_compilata(c, m).messaggio(); };

  EXPECT_EQ(leggi_cartella_compilata(c + "/manca", *std::make_unique<modello>()).messaggio(),
            c + "/manca: la cartella non esiste");
  EXPECT_EQ(errore(), c + ": nessun treno compilato (un file .sim)");

  prova::scrivi(cartella.file("altro_x.sim"), byte(treno_compilato));
  EXPECT_EQ(errore(), c + "/altro_x.sim: il treno compilato porta le chiavi \"Vela_Nuro\" "
                          "(percorso) e \"IC 731\" (treno), che non fanno il suo nome");
  prova::scrivi(cartella.file(treno_compilato), byte(treno_compilato));
  EXPECT_EQ(errore(), c + ": più di un treno compilato (\"Vela_Nuro_IC 731.sim\", "
                          "\"altro_x.sim\"): non si sa quale leggere");
  std::filesystem::remove(cartella.file("altro_x.sim"));
  EXPECT_EQ(errore(), c + "/Vela_Nuro_IC 731.dat: il file non esiste");

  // Cells of another length than the train's line.
  prova::scrivi(cartella.file(celle_compilate), byte(celle_compilate).substr(0, 15 * 6820));
  EXPECT_EQ(errore(), c + "/Vela_Nuro_IC 731.dat: 6820 celle, ma la linea di 334000 m del treno "
                          "compilato ne ha 6821: i due file non vengono dalla stessa compilazione");
  prova::scrivi(cartella.file(celle_compilate), byte(celle_compilate));
  EXPECT_TRUE(leggi_cartella_compilata(c, *std::make_unique<modello>()).riuscito());

  // A line file of another length: 7,001 metres of empty elements.
  prova::scrivi(cartella.file(linea_compilata), std::string(2 * 2 * 7001, '\0'));
  EXPECT_EQ(errore(), c + "/Vela_Nuro_linea.dat: il tracciato arriva al metro 7000, ma la linea "
                          "di 334000 m del treno compilato arriva al metro 341000: i due file non "
                          "vengono dalla stessa compilazione");
}

struct CasoGuasto {
  const char* nome;       // the file's name in the folder
  tipo_compilato tipo;    // read as
  std::string contenuto;  // its bytes
  std::string messaggio;  // after "FOLDER/NAME: "
};

// Bytes of a real file with a change.
std::string con(std::string byte, size_t o, std::string nuovi) {
  return byte.replace(o, nuovi.size(), nuovi);
}

TEST_F(LetturaCompilati, AFileThatIsNoCompiledFileOfItsKindIsRefusedWithItsName) {
  const std::string celle = byte(celle_compilate), treno = byte(treno_compilato);
  const std::string linea = byte(linea_compilata);
  const tipo_compilato C = tipo_compilato::celle, T = tipo_compilato::treno,
                       L = tipo_compilato::linea;
  const std::vector<CasoGuasto> casi = {
      {"vuoto.dat", C, "", "il file è vuoto"},
      {"corto.dat", C, celle.substr(0, celle.size() - 1),
       "102314 byte non fanno un numero intero di celle da 15 byte: il file è troncato o non "
       "contiene celle compilate"},
      {"poche.dat", C, celle.substr(0, 15),
       "1 celle, meno delle 2 che ha ogni file di celle compilate (la cella 1 porta il segno): "
       "il file è troncato"},
      {"segno.dat", C, con(celle, 16, "\x02\x14"),
       "la cella 1 non porta il segno 5121 (valore_1 vale 5122): il file non contiene celle "
       "compilate"},
      {"codice.dat", C, con(celle, 15 * 7, "\x07"),
       "la cella 7 ha il codice 7, che nessuna cella compilata porta: il file non contiene celle "
       "compilate"},
      {"testo.dat", C, std::string(15 * 200, 'a'),
       "la cella 1 non porta il segno 5121 (valore_1 vale 24929): il file non contiene celle "
       "compilate"},
      {"enorme.dat", C, std::string(15 * 20141 + 1, '\0'),
       "302116 byte, più di quanti ne abbia ogni file di celle compilate"},
      {"vuoto.sim", T, "", "il file è vuoto"},
      {"corto.sim", T, treno.substr(0, treno.size() - 1),
       "il file finisce dentro il registro 86, dopo 3851 byte: è troncato o non è un treno "
       "compilato"},
      {"testo.sim", T, std::string(100000, 'a'),
       "il file finisce dentro il registro 4, dopo 100000 byte: è troncato o non è un treno "
       "compilato"},
      {"lungo.sim", T, treno + "xy",
       "2 byte dopo l'ultimo registro (l'86, che finisce al byte 3852): il file non è un treno "
       "compilato"},
      {"zeri.sim", T, std::string(2958, '\0'),
       "il registro 85 non porta il segno 610 (campo_7 vale 0): il file non è un treno "
       "compilato"},
      {"vuoto_linea.dat", L, "", "il file è vuoto"},
      {"corto_linea.dat", L, linea.substr(0, linea.size() - 3),
       "il file finisce dentro un elemento del tracciato, al byte 6819960: è troncato"},
      {"meta_linea.dat", L, linea.substr(0, linea.size() - 2),
       "682001 elementi, che non si dividono in due componenti uguali (X e Y): il file è troncato "
       "o non è una linea compilata"},
      {"tipo_linea.dat", L, con(linea, 4, "\x03"),
       "al byte 4 un elemento di tipo 3, ma il tracciato ha solo i tipi 0 (vuoto), 2 (Integer) e 5 "
       "(Double): il file non è una linea compilata"},
      {"poco_linea.dat", L, std::string(4, '\0'),
       "1 metri per componente, fuori dai 2 a 1007001 di una linea compilata: il file è "
       "troncato o non è una linea compilata"},
      {"uno_linea.dat", L, con(linea, 10 * 341000 - 18 + 4 + 2, std::string("\x02\x00", 2)),
       "il metro 1 della componente Y vale 2 invece di 1: il file non è una linea compilata"},
      {"intero_linea.dat", L,
       con(linea, 8, std::string("\x02\x00\x00\x00\x02\x00\x00\x00\x00\x00", 10)),
       "il metro 2 della componente X è un Integer, che il tracciato ha solo ai metri 0 e 1: il "
       "file non è una linea compilata"},
  };
  CartellaTemporanea cartella;
  for (const CasoGuasto& c : casi) {
    const std::string percorso = cartella.file(c.nome);
    prova::scrivi(percorso, c.contenuto);
    modello m;
    m.celle.resize(3);
    const Stato stato = leggi_compilato(percorso, c.tipo, m);
    EXPECT_EQ(stato.messaggio(), percorso + ": " + c.messaggio) << c.nome;
    EXPECT_EQ(m.celle.size(), 3u) << c.nome << ": the model is left as it was";
  }
}

// Every shorter piece of a real file is refused (a cell file cut at a cell's
// end is cells still: only the train file's line length tells, in a folder),
// and bytes changed at random give a reading or a refusal, never anything else.
TEST_F(LetturaCompilati, EveryCutIsRefusedAndNoChangedByteBreaksTheReaders) {
  const std::string treno = byte(treno_compilato), celle = byte(celle_compilate);
  const std::string linea = byte(linea_compilata).substr(0, 200000);
  std::array<registro, indice_registro::numero> registri;
  std::vector<cella> lette;
  std::array<componente_tracciato, 2> tracciato;
  for (size_t n = 0; n < treno.size(); ++n)
    ASSERT_FALSE(leggi_treno_compilato(treno.substr(0, n), "t", registri).riuscito()) << n;
  for (size_t n = 0; n < celle.size(); n += 7) {
    if (n % 15 == 0 && n >= 30) continue;
    EXPECT_FALSE(leggi_celle_compilate(celle.substr(0, n), "c", lette).riuscito()) << n;
  }

  unsigned seme = 12345;
  auto caso = [&seme](size_t limite) {
    seme = seme * 1103515245u + 12345u;
    return static_cast<size_t>(seme >> 8) % limite;
  };
  for (int prova = 0; prova < 300; ++prova) {
    std::string t = treno, c = celle, l = linea;
    for (int k = 0; k < 3; ++k) {
      t[caso(t.size())] = static_cast<char>(caso(256));
      c[caso(c.size())] = static_cast<char>(caso(256));
      l[caso(200)] = static_cast<char>(caso(256));
    }
    (void)leggi_treno_compilato(t, "t", registri);
    (void)leggi_celle_compilate(c, "c", lette);
    (void)leggi_linea_compilata(l, "l", tracciato);
  }
}

// A cell and a record laid out byte by byte, by hand and apart from the
// field lists that the writer and the readers share: a field moved, dropped
// or read at another width there gives other bytes or other fields here.
std::string a_mano(std::initializer_list<int> valori) {
  std::string s;
  for (int v : valori) s += static_cast<char>(v);
  return s;
}

TEST(DisposizioneCompilati, AHandLaidCellAndRecordAreWrittenAndReadFieldForField) {
  modello m;
  m.celle.resize(2);
  m.celle[1] = {.codice = 1,
                .valore_1 = 5121,
                .valore_2 = -2,
                .valore_3 = 0x0102,
                .valore_4 = -32768,
                .valore_5 = 5,
                .avvicinamento = 6,
                .montagna = 7,
                .vel_limite = 8,
                .pendenza = 9,
                .aderenza = 10};
  const std::string celle = std::string(15, '\0') + a_mano({1, 0x01, 0x14, 0xFE, 0xFF, 0x02, 0x01,
                                                            0x00, 0x80, 5, 6, 7, 8, 9, 10});
  m.registri[85] = {.tipo = 0xAB,
                    .inizio = 1,
                    .fine = -1,
                    .progressiva = 0x01020304,
                    .campo_4 = 4,
                    .nome = "V\xe8",
                    .campo_7 = 610,
                    .campo_8 = -2,
                    .campo_10 = 3,
                    .campo_11 = 4,
                    .campo_12 = 5,
                    .campo_9 = 9,
                    .fermata = 13,
                    .prolungamento = 14,
                    .campo_5 = 15,
                    .orario = 32226};
  const std::string treno = std::string(85 * 34, '\0') +
                            a_mano({0xAB, 1, 0, 0, 0,   0xFF, 0xFF, 0xFF, 0xFF, 4,    3, 2,
                                    1,    4, 2, 0, 'V', 0xE8, 0x62, 0x02, 0xFE, 0xFF, 3, 0,
                                    4,    0, 5, 0, 9,   13,   14,   15,   0xE2, 0x7D, 0, 0}) +
                            std::string(34, '\0');

  EXPECT_EQ(codifica_celle(m), celle);
  EXPECT_EQ(codifica_registri(m), treno);

  std::vector<cella> lette;
  ASSERT_TRUE(leggi_celle_compilate(celle, "c.dat", lette).riuscito());
  EXPECT_EQ(lette, m.celle);
  std::array<registro, indice_registro::numero> letti{};
  ASSERT_TRUE(leggi_treno_compilato(treno, "t.sim", letti).riuscito());
  EXPECT_EQ(letti, m.registri);

  EXPECT_EQ(prova::celle_lette(celle), m.celle);
  EXPECT_EQ(prova::registri_letti(treno), m.registri);
}

TEST(LeggiCelleCompilate, MoreCellsThanTheLongestLineHasAreNoCells) {
  std::vector<cella> celle;
  EXPECT_EQ(leggi_celle_compilate(std::string(15 * 20142, '\0'), "c.dat", celle).messaggio(),
            "c.dat: 20142 celle, più delle 20141 di una linea di 1.000.000 m: il file non "
            "contiene celle compilate");
}

TEST_F(LetturaCompilati, AMissingFileOrAFolderIsNoFile) {
  CartellaTemporanea cartella;
  modello m;
  EXPECT_EQ(leggi_compilato(cartella.file("manca.sim"), tipo_compilato::treno, m).messaggio(),
            cartella.file("manca.sim") + ": il file non esiste");
  std::filesystem::create_directory(cartella.file("cartella.dat"));
  EXPECT_EQ(leggi_compilato(cartella.file("cartella.dat"), tipo_compilato::celle, m).messaggio(),
            cartella.file("cartella.dat") + ": è una cartella, non un file");
}

}  // namespace
}  // namespace scen
