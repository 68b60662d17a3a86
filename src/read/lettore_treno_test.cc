// The train half, through `memorizza_dati`, after a 10,000 m line (cells 0 to
// 340).
#include <gtest/gtest.h>

#include "model/esiti.h"
#include "testing/prova_lettura.h"

namespace scen {
namespace {

using prova::Lettura;
using prova::linea_con;
using prova::righe;
using prova::treno_con;

const std::string origine =
    "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  13, 4,30, Origine";

TEST(LetturaTreno, MainPathOfEveryRecordKind) {
  Lettura l;
  const diagnosi_lettura& d = l.leggi(
      linea_con(),
      treno_con(righe({
          "numero vetture, 10",
          "percentuale massa frenata, 130",
          "sabbia, 220",
          "orologio,  13 4 30 ",
          "",
          "[aderenze]",
          "aderenza, 0, 90",
          "Aderenza, 5000, 300",
          "[vel_limite]",
          "velocita,   0,    30",
          "velocita,    1000,   100",
          "[stazioni]",
          origine,
          "stazione,    3000,  2,  600,  0, 1, 1,  0,0,0,  0,0,0,    0,  0,0,0, Seconda - bis",
          "[rallentamenti]",
          "rallentamento,  5000,    60,  500, 0,  1,  60",
          "[segnali]",
          "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
          "[codici]",
          "abbattimento,    7050,   270",
      })));
  ASSERT_EQ(l.m.errore_codice, esito::nessuno) << d.causa;
  EXPECT_FALSE(l.resta_treno());
  const auto& r = l.m.registri;
  const auto& c = l.m.celle;

  EXPECT_EQ(r[84].inizio, 130);
  EXPECT_EQ(r[84].progressiva, 10);
  EXPECT_EQ(r[84].fine, 10000);
  EXPECT_EQ(r[86].campo_7, 220);
  EXPECT_EQ(std::tie(r[86].campo_10, r[86].campo_11, r[86].campo_12), std::make_tuple(13, 4, 30));

  // Speed: 30 in cells 0 to 19, then 100 to the tail's end (cell 337).
  EXPECT_EQ(c[0].vel_limite, 6);
  EXPECT_EQ(c[19].vel_limite, 6);
  EXPECT_EQ(c[20].vel_limite, 20);
  EXPECT_EQ(c[337].vel_limite, 20);
  EXPECT_EQ(c[338].vel_limite, 0);
  // Adhesion: its low byte (300 gives 44).
  EXPECT_EQ(c[99].aderenza, 90);
  EXPECT_EQ(c[100].aderenza, 44);
  EXPECT_EQ(c[337].aderenza, 44);
  EXPECT_EQ(c[338].aderenza, 0);

  // The origin station: extent -500 to 500, stop mark cell 9, marks 81..84 at 8..5.
  const registro& o = r[1];
  EXPECT_EQ(o.tipo, 8);
  EXPECT_EQ(o.inizio, -500);
  EXPECT_EQ(o.fine, 500);
  EXPECT_EQ(o.progressiva, 0);
  EXPECT_EQ(o.campo_4, 1);
  EXPECT_EQ(o.nome, "Origine");
  EXPECT_EQ(std::tie(o.campo_7, o.campo_8, o.campo_10, o.campo_11, o.campo_12),
            std::make_tuple(4, 1, 2, 1, 1));
  EXPECT_EQ(o.campo_9, 0);
  EXPECT_EQ(o.fermata, 1);
  EXPECT_EQ(o.orario, 47070);
  EXPECT_EQ(c[9].codice, codice_cella::fermata);
  EXPECT_EQ(c[9].valore_1, 1);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(c[9 - k].avvicinamento, 80 + k);

  // An ordinary station with the extension flag: 2700 to 3000 + 300 + 50.
  const registro& s = r[2];
  EXPECT_EQ(s.inizio, 2700);
  EXPECT_EQ(s.fine, 3350);
  EXPECT_EQ(s.prolungamento, 1);
  EXPECT_EQ(s.campo_5, 1);
  EXPECT_EQ(s.nome, "Seconda - bis");
  EXPECT_EQ(c[66].valore_1, 2);
  EXPECT_EQ(c[65].avvicinamento, 81);
  EXPECT_EQ(c[62].avvicinamento, 84);

  EXPECT_EQ(c[101].codice, codice_cella::inizio_rallentamento);
  EXPECT_EQ(c[111].codice, codice_cella::fine_rallentamento);
  EXPECT_EQ(c[77].codice, codice_cella::avviso_rallentamento);
  EXPECT_EQ(c[73].valore_1, 4);
  EXPECT_EQ(c[22].valore_1, 42);
  EXPECT_EQ(c[14].avvicinamento, 84);
  EXPECT_EQ(c[141].codice, codice_cella::abbattimento);
  EXPECT_EQ(c[141].valore_1, 270);
}

TEST(LetturaTreno, StationRulesByType) {
  Lettura l;
  l.leggi(
      linea_con(),
      treno_con(righe({origine, "stazione, 2000, 6, 300, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, Fermata",
                       "stazione, 3000, 2, 500, 0,1,1, 0,0,0, 0,0,0, 0, 0,0,0, Corta",
                       "stazione, 9000, 27, 400, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, Deposito",
                       // begins exactly 350 m after the end of the one before
                       "stazione, 9650, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, Vicina"})));
  ASSERT_EQ(l.m.errore_codice, esito::nessuno) << l.diagnosi.causa;
  const auto& r = l.m.registri;
  EXPECT_EQ(std::tie(r[2].inizio, r[2].fine), std::make_tuple(1700, 2150));  // type 6: -L, +150
  EXPECT_EQ(l.m.celle[42].valore_1, 2);
  EXPECT_EQ(l.m.celle[41].avvicinamento, 0);  // types 5 and 6: no approach marks
  EXPECT_EQ(r[3].campo_5, 0);                 // under 600 m
  EXPECT_EQ(r[3].fine, 3300);
  EXPECT_EQ(std::tie(r[4].inizio, r[4].fine), std::make_tuple(8800, 9200));
  EXPECT_EQ(std::tie(r[5].inizio, r[5].fine), std::make_tuple(9550, 9750));
  for (const cella& c : l.m.celle) EXPECT_NE(c.valore_1, 4);  // type 25 and above: no marks
}

TEST(LetturaTreno, ExtensionFlagAndField5KeptOnlyWhereTheyApply) {
  Lettura l;
  l.leggi(linea_con(), treno_con(righe({
                           "stazione, 1000, 2, 600, 0, 1, 1, 0,0,0, 0,0,0, 0, 0,0,0, Prima",
                           "stazione, 3000, 2, 600, 0, 1, 1, 0,0,0, 0,0,0, 0, 0,0,0, Seconda",
                           "stazione, 5000, 2, 500, 0, 1, 1, 0,0,0, 0,0,0, 0, 0,0,0, Corta",
                           "stazione, 7000, 7, 600, 0, 1, 1, 0,0,0, 0,0,0, 0, 0,0,0, Lunga",
                       })));
  ASSERT_EQ(l.m.errore_codice, esito::nessuno) << l.diagnosi.causa;
  struct atteso {
    const char* nome;
    int indice;
    Long inizio, fine;
    Byte campo_5, prolungamento;
  };
  const atteso attesi[] = {
      // The first station keeps neither flag, though its extent has the 50 m.
      {"first station", 1, 700, 1350, 0, 0},
      {"a later station keeps both", 2, 2700, 3350, 1, 1},
      {"under 600 m: no field 5", 3, 4750, 5300, 0, 1},
      {"type 7: no extension", 4, 6400, 7600, 1, 0},
  };
  for (const atteso& a : attesi) {
    const registro& r = l.m.registri[a.indice];
    EXPECT_EQ(r.inizio, a.inizio) << a.nome;
    EXPECT_EQ(r.fine, a.fine) << a.nome;
    EXPECT_EQ(r.campo_5, a.campo_5) << a.nome;
    EXPECT_EQ(r.prolungamento, a.prolungamento) << a.nome;
  }
}

struct caso_esito {
  const char* nome;
  std::string treno;
  Long esito;
  Long posizione;  // -1: unchanged
  long riga;
};

TEST(LetturaTreno, OutcomesWithTheirPositionAndLine) {
  const std::string rallentamento = "rallentamento, 5000, 60, 500, 0, 1, 60";
  const caso_esito casi[] = {
      {"code reduction on a taken cell",
       righe({"abbattimento, 7050, 270", "abbattimento, 7060, 0"}), 7, 7060, 3},
      {"station not on a multiple of 50", righe({"stazione, 1025, 2, 200"}), 8, 1025, 2},
      {"extent not a multiple of 100", righe({"stazione, 1000, 2, 250"}), 9, 1000, 2},
      {"stations too close",
       righe({origine, "stazione, 800, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, B"}), 22, 800, 3},
      {"extent 300 m after the previous one",  // 800 - 300 = 500, the origin's end
       righe({origine, "stazione, 900, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, B"}), 22, 900, 3},
      {"stop mark on cell 1", righe({"stazione, 0, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, A"}), 24,
       -1, 2},
      {"signal beyond the cells", righe({"segnale, 16950, 2,0,0,0,0,0,0,0,0,0"}), 15, 16950, 2},
      {"station beyond the cells", righe({"stazione, 16250, 2, 200"}), 15, 16250, 2},
      {"signal on a stop mark", righe({origine, "segnale, 400, 2,0,0,0,0,0,0,0,0,0"}), 16, 400, 3},
      {"warning point taken", righe({"abbattimento, 3850, 1", rallentamento}), 17, 5000, 3},
      {"start taken", righe({"abbattimento, 5050, 1", rallentamento}), 18, 5000, 3},
      {"end taken", righe({"abbattimento, 5550, 1", rallentamento}), 19, 5000, 3},
      {"approach cell taken", righe({"abbattimento, 3700, 1", rallentamento}), 20, 5000, 3},
  };
  for (const caso_esito& c : casi) {
    Lettura l;
    l.m.errore_posizione = -1;
    const diagnosi_lettura& d = l.leggi(linea_con(), treno_con(c.treno));
    EXPECT_EQ(numero_esito(l.m.errore_codice), c.esito) << c.nome;
    EXPECT_EQ(l.m.errore_posizione, c.posizione) << c.nome;
    EXPECT_EQ(d.file, l.file.treno) << c.nome;
    EXPECT_EQ(d.riga, c.riga) << c.nome;
    EXPECT_EQ(d.causa, descrizione_esito(static_cast<esito>(c.esito))) << c.nome;
    EXPECT_FALSE(l.resta_linea()) << c.nome;
    EXPECT_FALSE(l.resta_treno()) << c.nome;
  }
}

TEST(LetturaTreno, OutOfRangeStillFillsTheTails) {
  Lettura l;
  l.leggi(linea_con(), treno_con(righe({"velocita, 0, 50", "aderenza, 0, 90",
                                        "abbattimento, 16950, 1", "abbattimento, 100, 1"})));
  EXPECT_EQ(l.m.errore_codice, esito::fuori_dalle_celle);
  EXPECT_EQ(l.m.celle[337].vel_limite, 10);
  EXPECT_EQ(l.m.celle[337].aderenza, 90);
  EXPECT_EQ(l.m.celle[2].codice, 0);  // nothing read after it
}

TEST(LetturaTreno, ProgressivesNotOnMultiplesOf50GiveOutcome2AtTheEnd) {
  Lettura l;
  const diagnosi_lettura& d =
      l.leggi(prova::righe({"[generale]", "lunghezza percorso, 10000",
                            "progressiva chilometrica uno, 1025, 0, 0", "[fine]"}),
              treno_con());
  EXPECT_EQ(l.m.errore_codice, esito::progressiva_non_multipla);
  EXPECT_EQ(d.file, l.file.linea);
  EXPECT_EQ(d.riga, 0);
  EXPECT_EQ(d.causa, "inizio o scostamento di una progressiva chilometrica non multiplo di 50");
}

TEST(LetturaTreno, AnOutcomeLeftByTheLineStopsAtTheFirstSignalOrSlowdown) {
  struct caso {
    std::string record;
    esito numero;
    Long posizione;
    int cella;  // placed by the builder: the call is made first
    Byte codice;
    const char* causa;
  };
  const caso casi[] = {
      {"segnale, 1050, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0", esito::fuori_dalle_celle, 1050, 22,
       codice_cella::segnale,
       "lettura fermata al segnale: resta l'esito 15 della lettura della linea "
       "(posizione oltre le celle della linea)"},
      {"rallentamento, 5000, 60, 500, 0, 1, 60", esito::fuori_dalle_celle, 5000, 101,
       codice_cella::inizio_rallentamento,
       "lettura fermata al rallentamento: resta l'esito 15 della lettura della linea "
       "(posizione oltre le celle della linea)"},
      // The builder's own collision comes before the outcome left behind.
      {"segnale, 50, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0", esito::segnale_su_cella_occupata, 50, 2,
       codice_cella::abbattimento, "segnale su una cella occupata"},
  };
  for (const caso& c : casi) {
    Lettura l;
    const diagnosi_lettura& d =
        l.leggi(linea_con(righe({"pendenza, 16950, 1"})),
                treno_con(righe({"abbattimento, 100, 1", c.record, "abbattimento, 200, 1"})));
    EXPECT_EQ(l.m.errore_codice, c.numero) << c.record;
    EXPECT_EQ(l.m.errore_posizione, c.posizione) << c.record;
    EXPECT_EQ(l.m.celle[2].codice, codice_cella::abbattimento) << c.record;
    EXPECT_EQ(l.m.celle[c.cella].codice, c.codice) << c.record;
    EXPECT_EQ(l.m.celle[4].codice, 0) << c.record;
    EXPECT_EQ(l.m.celle[337].vel_limite, 0) << c.record;  // no tails
    EXPECT_EQ(d.file, l.file.treno) << c.record;
    EXPECT_EQ(d.riga, 3) << c.record;
    EXPECT_EQ(d.causa, c.causa) << c.record;
  }
}

TEST(LetturaTreno, StationsStopAtTheSignpostLimit) {
  // 78 signposts leave the limit 2, 79 the limit 1: either way the first
  // station is stored and reading stops with 10 (2 >= limit).
  for (int numero : {78, 79}) {
    std::string cartelli;
    for (int i = 1; i <= numero; ++i)
      cartelli += righe({"cartello_indicatore, " + std::to_string(100 * i) + ", t"});
    Lettura l;
    l.m.errore_posizione = -1;
    l.leggi(linea_con(cartelli), treno_con(righe({origine, origine})));
    EXPECT_EQ(l.m.errore_codice, esito::stazioni_troppe) << numero;
    EXPECT_EQ(l.m.errore_posizione, -1);
    EXPECT_EQ(l.m.registri[1].nome, "Origine");
    EXPECT_EQ(l.m.registri[2].nome, numero == 78 ? "" : "t");
  }
}

TEST(LetturaTreno, SpeedFillStopsAtTheLastCellAdhesionFillFails) {
  std::string velocita, aderenza;
  for (int i = 0; i < 5; ++i) velocita += "velocita, 16900, 10\r\n";
  for (int i = 0; i < 5; ++i) aderenza += "aderenza, 16900, 10\r\n";
  Lettura l;
  l.leggi(linea_con(), treno_con(velocita));
  ASSERT_EQ(l.m.errore_codice, esito::nessuno) << l.diagnosi.causa;
  EXPECT_EQ(l.m.celle[337].vel_limite, 0);
  EXPECT_EQ(l.m.celle[338].vel_limite, 2);
  EXPECT_EQ(l.m.celle[339].vel_limite, 2);
  EXPECT_EQ(l.m.celle[340].vel_limite, 2);  // by the tail

  Lettura a;
  a.leggi(linea_con(), treno_con(aderenza));
  EXPECT_EQ(a.m.errore_codice, esito::errore_di_lettura);
  EXPECT_EQ(a.diagnosi.causa, "indice di cella 341 oltre l'ultima cella 340");
  EXPECT_EQ(a.diagnosi.riga, 6);
}

TEST(LetturaTreno, SpeedQuotientAbove255Fails) {
  Lettura l;
  l.leggi(linea_con(), treno_con(righe({"velocita, 0, 1277"})));
  EXPECT_EQ(l.m.errore_codice, esito::nessuno);
  EXPECT_EQ(l.m.celle[0].vel_limite, 255);
  Lettura f;
  f.leggi(linea_con(), treno_con(righe({"velocita, 0, 1278"})));
  EXPECT_EQ(f.m.errore_codice, esito::errore_di_lettura);
  EXPECT_EQ(f.diagnosi.causa, "velocità 1278: il quinto 256 è fuori dal campo vel_limite (0..255)");
}

TEST(LetturaTreno, ReadFailures) {
  struct caso {
    std::optional<std::string> treno;
    std::string causa;
    long riga;
  };
  const caso casi[] = {
      {std::nullopt, "file di descrizione del treno assente", 0},
      {treno_con(righe({"sabbia, 40000"})), "valore 40000 fuori dal campo sabbia (-32768..32767)",
       2},
      {treno_con(righe({"stazione, 1000, 300, 200"})), "valore 300 fuori dal campo tipo (0..255)",
       2},
      {treno_con(righe({"stazione, 1000, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 1000000, 0, 0, X"})),
       "orario della stazione = 3600000000 oltre i 32 bit", 2},
      {treno_con(righe({"stazione, 16200, 8, 2000, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X"})),
       "indice di cella 362 oltre l'ultima cella 340", 2},
      {treno_con(righe({"segnale, 1050, 2"})), "numero non valido \"[fine]\"", 3},
      {righe({"[generale]"}) + "segnale, 1050, 2",
       "fine del file dentro un record: manca un campo del segnale", 2},
      {treno_con(righe({"orologio, 13 4 x"})), "numero non valido \"x\"", 2},
  };
  for (const caso& c : casi) {
    Lettura l;
    const diagnosi_lettura& d = l.leggi(linea_con(), c.treno);
    EXPECT_EQ(l.m.errore_codice, esito::errore_di_lettura) << c.causa;
    EXPECT_EQ(d.file, l.file.treno);
    EXPECT_EQ(d.causa, c.causa);
    EXPECT_EQ(d.riga, c.riga) << c.causa;
    EXPECT_FALSE(l.resta_linea());
    EXPECT_FALSE(l.resta_treno());
  }
  // What was read before the failure stays.
  Lettura l;
  l.leggi(linea_con(), treno_con(righe({"stazione, 1000, 300, 200"})));
  EXPECT_EQ(l.m.registri[1].progressiva, 1000);
}

TEST(LetturaTreno, AFileWithoutGeneraleStillRunsTheClosingSteps) {
  for (const std::string treno : {"", "velocita, 0, 100\r\nvelocita, 1000, 30\r\n"}) {
    Lettura l;
    l.leggi(linea_con(), treno);
    EXPECT_EQ(l.m.errore_codice, esito::nessuno);
    EXPECT_FALSE(l.resta_treno());
    // Nothing was read: the tails carry the initial speed and adhesion, 0.
    EXPECT_EQ(l.m.celle[0].vel_limite, 0);
    EXPECT_EQ(l.m.celle[100].vel_limite, 0);
  }
}

TEST(LetturaTreno, DashFieldsAndTheLastLine) {
  Lettura l;
  l.leggi(linea_con(), righe({"[GENERALE]", "-a, -b, -sabbia, 5", "-a, -sabbia, 6"}) +
                           "abbattimento, 7050, 270");
  ASSERT_EQ(l.m.errore_codice, esito::nessuno) << l.diagnosi.causa;
  EXPECT_EQ(l.m.registri[86].campo_7, 5);
  EXPECT_EQ(l.m.celle[141].valore_1, 270);
}

TEST(LetturaTreno, EveryKeywordTestIsMadeInItsFixedOrder) {
  Lettura l;
  l.leggi(linea_con(), treno_con(righe({
                           "velocita orologio sabbia, 0, 50, 13 4 30, 220",
                           // massa frenata, then vetture, then sabbia, whatever the field's order
                           "Sabbia Vetture Massa Frenata, 7, 10, 130",
                           "velocita, 500, 60",
                           // out of range: the closing steps follow and sabbia is not read
                           "velocita sabbia, 16950, 80, 9",
                           "abbattimento, 100, 1",
                       })));
  EXPECT_EQ(l.m.errore_codice, esito::fuori_dalle_celle);
  EXPECT_EQ(l.m.errore_posizione, 16950);
  const auto& r = l.m.registri;
  EXPECT_EQ(r[84].inizio, 7);
  EXPECT_EQ(r[84].progressiva, 10);
  EXPECT_EQ(r[86].campo_7, 130);
  EXPECT_EQ(std::tie(r[86].campo_10, r[86].campo_11, r[86].campo_12), std::make_tuple(13, 4, 30));
  const auto& c = l.m.celle;
  EXPECT_EQ(c[9].vel_limite, 10);
  EXPECT_EQ(c[10].vel_limite, 12);
  EXPECT_EQ(c[337].vel_limite, 12);  // the tail carries 60, not the 80 never put in force
  EXPECT_EQ(c[2].codice, 0);
}

}  // namespace
}  // namespace scen
