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
  long riga, colonna;
  std::string causa;
};

// Each outcome names the field at fault: the record's position for a taken
// cell, or the value that breaks the rule.
TEST(LetturaTreno, OutcomesWithTheirPositionLineColumnAndCause) {
  const std::string rallentamento = "rallentamento, 5000, 60, 500, 0, 1, 60";
  const caso_esito casi[] = {
      {"code reduction on a taken cell",
       righe({"abbattimento, 7050, 270", "abbattimento, 7060, 0"}), 7, 7060, 3, 15,
       "abbattimento su una cella occupata: l'abbattimento a 7060 m va nella cella 141 (da 7050 a "
       "7100 m), che ha già un abbattimento"},
      {"station not on a multiple of 50", righe({"stazione, 1025, 2, 200"}), 8, 1025, 2, 11,
       "posizione della stazione non multipla di 50: 1025 m"},
      {"extent not a multiple of 100", righe({"stazione, 1000, 2, 250"}), 9, 1000, 2, 20,
       "estensione della stazione non multipla di 100: 250 m"},
      {"stations too close",
       righe({origine, "stazione, 800, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, B"}), 22, 800, 3, 11,
       "stazione a meno di 350 m dalla precedente: la sua estensione comincia a 700 m, solo 200 m "
       "dopo la fine della precedente, a 500 m"},
      {"extent 300 m after the previous one",  // 800 - 300 = 500, the origin's end
       righe({origine, "stazione, 900, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, B"}), 22, 900, 3, 11,
       "stazione a meno di 350 m dalla precedente: la sua estensione comincia a 800 m, solo 300 m "
       "dopo la fine della precedente, a 500 m"},
      {"extent before the previous one's end",
       righe({origine, "stazione, 300, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, B"}), 22, 300, 3, 11,
       "stazione a meno di 350 m dalla precedente: la sua estensione comincia a 200 m, prima della "
       "fine della precedente, a 500 m"},
      {"stop mark on cell 1", righe({"stazione, 0, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, A"}), 24,
       -1, 2, 11,
       "il segno di fermata cadrebbe sulla cella 0 o 1: la stazione a 0 m finisce a 100 m, e il "
       "segno va nella cella 1, l'ultima prima della fine; serve un'estensione che finisca oltre "
       "100 m"},
      {"signal beyond the cells", righe({"segnale, 16950, 2,0,0,0,0,0,0,0,0,0"}), 15, 16950, 2, 10,
       "posizione oltre le celle della linea: 16950 m, ma con una linea di 10000 m si arriva al "
       "più a 16900 m"},
      {"station beyond the cells", righe({"stazione, 16250, 2, 200"}), 15, 16250, 2, 11,
       "posizione oltre le celle della linea: 16250 m, ma con una linea di 10000 m una stazione "
       "arriva al più a 16200 m"},
      {"signal on a stop mark", righe({origine, "segnale, 400, 2,0,0,0,0,0,0,0,0,0"}), 16, 400, 3,
       10,
       "segnale su una cella occupata: il segnale a 400 m va nella cella 9 (da 450 a 500 m), che "
       "ha già il segno di fermata di una stazione"},
      {"warning point taken", righe({"abbattimento, 3850, 1", rallentamento}), 17, 5000, 3, 16,
       "punto di avviso del rallentamento su una cella occupata: il punto di avviso, 1200 m prima "
       "dell'inizio (a 3800 m), va nella cella 77 (da 3850 a 3900 m), che ha già un abbattimento"},
      {"start taken", righe({"abbattimento, 5050, 1", rallentamento}), 18, 5000, 3, 16,
       "inizio del rallentamento su una cella occupata: l'inizio del rallentamento, a 5000 m, va "
       "nella cella 101 (da 5050 a 5100 m), che ha già un abbattimento"},
      {"end taken", righe({"abbattimento, 5550, 1", rallentamento}), 19, 5000, 3, 16,
       "fine del rallentamento su una cella occupata: la fine del rallentamento, a 5500 m, va "
       "nella cella 111 (da 5550 a 5600 m), che ha già un abbattimento"},
      {"approach cell taken", righe({"abbattimento, 3700, 1", rallentamento}), 20, 5000, 3, 16,
       "cella di avvicinamento del rallentamento occupata: una delle quattro celle di "
       "avvicinamento prima del punto di avviso è la cella 74 (da 3700 a 3750 m), che ha già un "
       "abbattimento"},
  };
  for (const caso_esito& c : casi) {
    Lettura l;
    l.m.errore_posizione = -1;
    const diagnosi_lettura& d = l.leggi(linea_con(), treno_con(c.treno));
    EXPECT_EQ(numero_esito(l.m.errore_codice), c.esito) << c.nome;
    EXPECT_EQ(l.m.errore_posizione, c.posizione) << c.nome;
    EXPECT_EQ(d.file, l.file.treno) << c.nome;
    EXPECT_EQ(d.riga, c.riga) << c.nome;
    EXPECT_EQ(d.colonna, c.colonna) << c.nome;
    EXPECT_EQ(d.causa, c.causa) << c.nome;
    EXPECT_TRUE(d.note.empty()) << c.nome;
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

// The check is made after both files, on the progressives in order; the
// diagnosis names the first record, in the line file, that breaks the rule.
TEST(LetturaTreno, ProgressivesNotOnMultiplesOf50GiveOutcome2AtTheEnd) {
  struct caso {
    const char* nome;
    std::vector<std::string_view> progressive;
    long riga, colonna;
    std::string dettaglio;
  };
  const caso casi[] = {
      {"a start",
       {"progressiva chilometrica uno, 1025, 0, 0"},
       3,
       31,
       "la progressiva chilometrica uno comincia a 1025 m"},
      {"an offset, before a start",
       {"progressiva chilometrica due, 2000, 30, 1", "progressiva chilometrica tre, 1010, 0, 0"},
       3,
       37,
       "la progressiva chilometrica due ha lo scostamento 30 m"},
      {"read again on the grid",
       {"progressiva chilometrica tre, 1010, 0, 0", "progressiva chilometrica uno, 0, 75, 0",
        "progressiva chilometrica tre, 1000, 0, 0"},
       4,
       34,
       "la progressiva chilometrica uno ha lo scostamento 75 m"},
  };
  for (const caso& c : casi) {
    std::string linea = prova::righe({"[generale]", "lunghezza percorso, 10000"});
    for (std::string_view p : c.progressive) linea += prova::righe({p});
    Lettura l;
    const diagnosi_lettura& d = l.leggi(linea + prova::righe({"[fine]"}), treno_con());
    EXPECT_EQ(l.m.errore_codice, esito::progressiva_non_multipla) << c.nome;
    EXPECT_EQ(d.file, l.file.linea) << c.nome;
    EXPECT_EQ(d.riga, c.riga) << c.nome;
    EXPECT_EQ(d.colonna, c.colonna) << c.nome;
    EXPECT_EQ(d.causa, "inizio o scostamento di una progressiva chilometrica non multiplo di 50: " +
                           c.dettaglio)
        << c.nome;
  }
}

TEST(LetturaTreno, AnOutcomeLeftByTheLineStopsAtTheFirstSignalOrSlowdown) {
  const std::string oltre =
      "posizione oltre le celle della linea: 16950 m, ma con una linea di 10000 m si arriva al più "
      "a 16900 m";
  struct caso {
    std::string record;
    esito numero;
    Long posizione;
    int cella;  // placed by the builder: the call is made first
    Byte codice;
    bool in_linea;      // the error stays where the line half found it
    long colonna;       // of the error, or of the note in the train file
    std::string testo;  // the note, or the error in the train file
  };
  const caso casi[] = {
      {"segnale, 1050, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0", esito::fuori_dalle_celle, 1050, 22,
       codice_cella::segnale, true, 10,
       "la lettura del treno si ferma qui, al primo segnale o rallentamento: resta l'esito 15 "
       "della linea, con la posizione di questo segnale (1050)"},
      {"rallentamento, 5000, 60, 500, 0, 1, 60", esito::fuori_dalle_celle, 5000, 101,
       codice_cella::inizio_rallentamento, true, 16,
       "la lettura del treno si ferma qui, al primo segnale o rallentamento: resta l'esito 15 "
       "della linea, con la posizione di questo rallentamento (5000)"},
      // The builder's own collision comes before the outcome left behind.
      {"segnale, 50, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0", esito::segnale_su_cella_occupata, 50, 2,
       codice_cella::abbattimento, false, 10,
       "segnale su una cella occupata: il segnale a 50 m va nella cella 2 (da 100 a 150 m), che "
       "ha già un abbattimento"},
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
    if (c.in_linea) {
      EXPECT_EQ(d.file, l.file.linea) << c.record;
      EXPECT_EQ(std::tie(d.riga, d.colonna), std::make_tuple(4L, 11L)) << c.record;
      EXPECT_EQ(d.causa, oltre) << c.record;
      ASSERT_EQ(d.note.size(), 1u) << c.record;
      const diagnostica& n = d.note[0];
      EXPECT_EQ(n.livello, gravita::nota) << c.record;
      EXPECT_EQ(n.file, l.file.treno) << c.record;
      EXPECT_EQ(std::tie(n.riga, n.colonna), std::make_tuple(3L, c.colonna)) << c.record;
      EXPECT_EQ(n.causa, c.testo) << c.record;
    } else {
      EXPECT_EQ(d.file, l.file.treno) << c.record;
      EXPECT_EQ(std::tie(d.riga, d.colonna), std::make_tuple(3L, c.colonna)) << c.record;
      EXPECT_EQ(d.causa, c.testo) << c.record;
      EXPECT_TRUE(d.note.empty()) << c.record;
    }
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
    const diagnosi_lettura& d = l.leggi(linea_con(cartelli), treno_con(righe({origine, origine})));
    EXPECT_EQ(l.m.errore_codice, esito::stazioni_troppe) << numero;
    EXPECT_EQ(std::tie(d.riga, d.colonna), std::make_tuple(2L, 1L)) << numero;
    EXPECT_EQ(d.causa,
              "le stazioni raggiungono i registri dei cartelli: questa è la stazione n. 1 "
              "e i cartelli indicatori sono " +
                  std::to_string(numero) + ", ma insieme possono essere al massimo 78")
        << numero;
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
  EXPECT_EQ(a.diagnosi.causa,
            "le aderenze si scrivono nelle celle una dopo l'altra, almeno una per record, e qui "
            "andrebbero nella cella 341, oltre l'ultima, la cella 340 (da 17000 a 17050 m): i "
            "record vanno in ordine crescente di posizione, senza ripeterla");
  EXPECT_EQ(std::tie(a.diagnosi.riga, a.diagnosi.colonna), std::make_tuple(6L, 1L));
}

TEST(LetturaTreno, ASpeedTheCellsCannotKeepFailsAtItsOwnValue) {
  Lettura l;
  l.leggi(linea_con(), treno_con(righe({"velocita, 0, 1277"})));
  EXPECT_EQ(l.m.errore_codice, esito::nessuno);
  EXPECT_EQ(l.m.celle[0].vel_limite, 255);
  struct caso {
    const char* velocita;
    std::string causa;
  };
  const caso casi[] = {
      {"velocita, 0, 1278",
       "la velocità 1278 km/h va oltre 1275 km/h, la più alta che le celle tengono (in quinti di "
       "km/h, fino a 255)"},
      {"velocita, 0, -3", "la velocità -3 km/h è negativa: va da 0 a 1275 km/h"},
  };
  for (const caso& c : casi) {
    // Found when the next record reaches it.
    Lettura f;
    f.leggi(linea_con(), treno_con(righe({"velocita, 0, 100", c.velocita, "velocita, 500, 100"})));
    EXPECT_EQ(f.m.errore_codice, esito::errore_di_lettura) << c.velocita;
    EXPECT_EQ(f.diagnosi.causa, c.causa) << c.velocita;
    EXPECT_EQ(std::tie(f.diagnosi.riga, f.diagnosi.colonna), std::make_tuple(3L, 14L))
        << c.velocita;
  }
}

TEST(LetturaTreno, ReadFailures) {
  struct caso {
    std::optional<std::string> treno;
    std::string causa;
    long riga, colonna;
  };
  const caso casi[] = {
      {std::nullopt, "file di descrizione del treno assente", 0, 0},
      {treno_con(righe({"sabbia, 40000"})), "la sabbia vale 40000, ma va da -32768 a 32767", 2, 9},
      {treno_con(righe({"stazione, 1000, 300, 200"})),
       "il tipo della stazione (campo 2) vale 300, ma va da 0 a 255", 2, 17},
      {treno_con(righe({"stazione, 1000, 2, 200, 0,0,0, 0,0,300, 0,0,0, 0, 0,0,0, X"})),
       "il campo 9 della stazione vale 300, ma va da 0 a 255", 2, 36},
      {treno_con(righe({"stazione, 1000, 2, 200, 0,0,0, 0,0,0, 0,0,0, 0, 1000000, 0, 0, X"})),
       "l'orario della stazione in secondi (campi 14, 15 e 16) vale 3600000000, oltre i 32 bit", 2,
       49},
      {treno_con(righe({"stazione, 16200, 8, 2000, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X"})),
       "i segni della stazione alla fine della sua estensione, a 18200 m: la cella 362 va oltre "
       "l'ultima, la cella 340 (da 17000 a 17050 m)",
       2, 21},
      {treno_con(righe({"segnale, 1050, 2"})),
       "al record \"segnale\" manca la cifra delle decine del primo valore del segnale: la riga "
       "finisce qui, e il valore si prenderebbe da \"[fine]\", all'inizio della riga 3",
       2, 17},
      {righe({"[generale]"}) + "segnale, 1050, 2",
       "al record \"segnale\" manca la cifra delle decine del primo valore del segnale: il file "
       "finisce qui",
       2, 17},
      {treno_con(righe({"orologio, 13 4 x"})),
       "i secondi dell'orologio: trovato \"x\", ma va un numero intero (cifre, con \"-\" davanti "
       "se negativo)",
       2, 16},
      {treno_con(righe({"segnale, 1050, 2, 4000, 0, 0, 0, 0, 0, 0, 0, 0"})),
       "il primo valore del segnale, 10 × campo 3 + campo 8, vale 40000, ma va da -32768 a 32767",
       2, 19},
      {treno_con(righe({"segnale, 1050, 2, 0, 0, 0, 0, 0, 40000, 0, 0, 0"})),
       "il primo valore del segnale, 10 × campo 3 + campo 8, vale 40000, ma va da -32768 a 32767",
       2, 34},
  };
  for (const caso& c : casi) {
    Lettura l;
    const diagnosi_lettura& d = l.leggi(linea_con(), c.treno);
    EXPECT_EQ(l.m.errore_codice, esito::errore_di_lettura) << c.causa;
    EXPECT_EQ(d.file, l.file.treno);
    EXPECT_EQ(d.causa, c.causa);
    EXPECT_EQ(d.riga, c.riga) << c.causa;
    EXPECT_EQ(d.colonna, c.colonna) << c.causa;
    EXPECT_FALSE(l.resta_linea());
    EXPECT_FALSE(l.resta_treno());
  }
  // What was read before the failure stays.
  Lettura l;
  l.leggi(linea_con(), treno_con(righe({"stazione, 1000, 300, 200"})));
  EXPECT_EQ(l.m.registri[1].progressiva, 1000);
}

TEST(LetturaTreno, AFileWithoutGeneraleStillRunsTheClosingStepsWithAWarning) {
  struct caso {
    std::string treno;
    std::string avviso;
  };
  const caso casi[] = {
      {"", "il file è vuoto: del treno non si è letto nulla"},
      {"velocita, 0, 100\r\nvelocita, 1000, 30\r\n",
       "nessuna sezione [generale]: del treno non si è letto nulla"},
  };
  for (const caso& c : casi) {
    Lettura l;
    const diagnosi_lettura& d = l.leggi(linea_con(), c.treno);
    EXPECT_EQ(l.m.errore_codice, esito::nessuno);
    EXPECT_FALSE(l.resta_treno());
    EXPECT_EQ(d.file, "");
    ASSERT_EQ(d.note.size(), 1u);
    const diagnostica& n = d.note[0];
    EXPECT_EQ(n.livello, gravita::avviso);
    EXPECT_EQ(n.file, l.file.treno);
    EXPECT_EQ(std::tie(n.riga, n.colonna), std::make_tuple(1L, 1L));
    EXPECT_EQ(n.causa, c.avviso);
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
