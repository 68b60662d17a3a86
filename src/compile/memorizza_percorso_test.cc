#include "compile/memorizza_percorso.h"

#include <gtest/gtest.h>

#include "compile/file_compilati.h"
#include "testing/cartella_temporanea.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;
using prova::leggi;

// A model as the readers leave it for a 100 m line: keys copied, cells and
// trace sized, the trace computed to its end.
modello letto() {
  modello m;
  m.chiave_percorso = "Vela_Nuro";
  m.chiave_treno = "IC 731";
  m.registri[85].nome = m.chiave_percorso;
  m.registri[86].nome = m.chiave_treno;
  m.con_tracciato = 1;
  m.lunghezza_estesa = 7100;
  m.ultima_cella = 142;
  m.celle.resize(143);
  for (auto& componente : m.tracciato) componente.assign(7101, variante{});
  m.tracciato[0][0] = m.tracciato[0][1] = m.tracciato[1][0] = Integer{0};
  m.tracciato[1][1] = Integer{1};
  for (int metro = 2; metro <= 7098; ++metro) {
    m.tracciato[0][metro] = 0.0;
    m.tracciato[1][metro] = static_cast<double>(metro);
  }
  return m;
}

const std::vector<std::string> compilati = {"Vela_Nuro_IC 731.dat", "Vela_Nuro_IC 731.sim",
                                            "Vela_Nuro_linea.dat"};

TEST(CompletaEScrivi, StampsTheReservedSlotsAndWritesThreeFiles) {
  CartellaTemporanea cartella;
  modello m = letto();
  risultato_percorso r = completa_e_scrivi(m, cartella.percorso());
  ASSERT_EQ(r.esito, esito_percorso::scritti) << r.messaggio;
  EXPECT_EQ(cartella.elenco(), compilati);

  EXPECT_EQ(m.registri[85].campo_7, 610);
  EXPECT_EQ(m.registri[85].orario, 32226);
  EXPECT_EQ(m.celle[1].valore_1, 5121);
  EXPECT_EQ(m.celle[1].valore_2, 2352);

  EXPECT_EQ(leggi(cartella.file("Vela_Nuro_linea.dat")).size(), 20u * 7100 - 36);
  EXPECT_EQ(leggi(cartella.file("Vela_Nuro_IC 731.sim")), codifica_registri(m));
  EXPECT_EQ(leggi(cartella.file("Vela_Nuro_IC 731.dat")), codifica_celle(m));
  EXPECT_EQ(leggi(cartella.file("Vela_Nuro_IC 731.dat")).size(), 15u * 143);
  EXPECT_EQ(leggi(cartella.file("Vela_Nuro_IC 731.sim")).size(), 2958u + 9 + 6);
}

TEST(CompletaEScrivi, WithoutTheLineSwitchAnOlderLineFileStays) {
  CartellaTemporanea cartella;
  prova::scrivi(cartella.file("Vela_Nuro_linea.dat"), "vecchio");
  modello m = letto();
  m.con_tracciato = 0;
  ASSERT_EQ(completa_e_scrivi(m, cartella.percorso()).esito, esito_percorso::scritti);
  EXPECT_EQ(leggi(cartella.file("Vela_Nuro_linea.dat")), "vecchio");
  EXPECT_EQ(cartella.elenco(), compilati);
}

struct SlotOccupato {
  const char* nome;
  void (*occupa)(modello&);
  esito_percorso atteso;
};

void PrintTo(const SlotOccupato& slot, std::ostream* os) { *os << slot.nome; }

class ReservedSlots : public testing::TestWithParam<SlotOccupato> {};

TEST_P(ReservedSlots, LeaveOlderFilesUntouchedAndWriteNone) {
  CartellaTemporanea cartella;
  for (const std::string& nome : compilati) prova::scrivi(cartella.file(nome), "vecchio " + nome);
  modello m = letto();
  GetParam().occupa(m);
  EXPECT_EQ(completa_e_scrivi(m, cartella.percorso()).esito, GetParam().atteso);
  for (const std::string& nome : compilati)
    EXPECT_EQ(leggi(cartella.file(nome)), "vecchio " + nome);
  EXPECT_EQ(cartella.elenco(), compilati);
}

INSTANTIATE_TEST_SUITE_P(
    CompletaEScrivi, ReservedSlots,
    testing::Values(SlotOccupato{"Record85Integer", [](modello& m) { m.registri[85].campo_7 = 1; },
                                 esito_percorso::errore_1250},
                    SlotOccupato{"Cell1Value1", [](modello& m) { m.celle[1].valore_1 = -1; },
                                 esito_percorso::errore_1250},
                    SlotOccupato{"Record85Long", [](modello& m) { m.registri[85].orario = 7; },
                                 esito_percorso::errore_1251},
                    SlotOccupato{"Cell1Value2", [](modello& m) { m.celle[1].valore_2 = 42; },
                                 esito_percorso::errore_1251}),
    [](const auto& prova) { return std::string(prova.param.nome); });

TEST(CompletaEScrivi, AModelWithoutCellOneOrWithAnOverlongTextWritesNothing) {
  CartellaTemporanea cartella;
  modello senza_celle = letto();
  senza_celle.celle.clear();
  risultato_percorso r = completa_e_scrivi(senza_celle, cartella.percorso());
  EXPECT_EQ(r.esito, esito_percorso::non_scrivibile);
  EXPECT_EQ(r.messaggio,
            "la linea non ha la cella 1 (lunghezza della linea non letta o troppo breve)");

  modello testo_lungo = letto();
  testo_lungo.registri[80].nome.assign(65536, 'x');
  r = completa_e_scrivi(testo_lungo, cartella.percorso());
  EXPECT_EQ(r.esito, esito_percorso::non_scrivibile);
  EXPECT_EQ(r.messaggio, "il testo del registro 80 supera 65535 byte");
  EXPECT_TRUE(cartella.elenco().empty());

  testo_lungo.registri[80].nome.assign(65535, 'x');
  EXPECT_EQ(completa_e_scrivi(testo_lungo, cartella.percorso()).esito, esito_percorso::scritti);
}

TEST(CompletaEScrivi, AFileThatCannotBeWrittenIsNamedAndLeavesNothingPartial) {
  CartellaTemporanea cartella;
  std::filesystem::create_directory(cartella.file("Vela_Nuro_IC 731.sim"));
  modello m = letto();
  risultato_percorso r = completa_e_scrivi(m, cartella.percorso());
  EXPECT_EQ(r.esito, esito_percorso::guasto_file);
  EXPECT_EQ(r.messaggio, "impossibile sostituire \"" + cartella.file("Vela_Nuro_IC 731.sim") +
                             "\": è una cartella (Is a directory)");
  // The files are one set: none is replaced, and no temporary or journal
  // stays.
  EXPECT_EQ(cartella.elenco(), std::vector<std::string>{"Vela_Nuro_IC 731.sim"});
}

}  // namespace
}  // namespace scen
