// The line half, through `memorizza_dati`, on small description files.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <tuple>
#include <variant>

#include "model/esiti.h"
#include "testing/prova_lettura.h"

namespace scen {
namespace {

using prova::Lettura;
using prova::linea_con;
using prova::righe;

const std::string linea_esempio = righe({
    "[generale]",
    "- commento -",
    "lunghezza percorso,    10000",
    "progressiva chilometrica uno,    1000,    3050,    0",
    "progressiva chilometrica due,    5000,    -5000,    0",
    "progressiva chilometrica tre,    3000,    9000,    1",
    "sfondo uno,    1",
    "sfondo due,    2",
    "sfondo tre,    3",
    "ripetizione segnali 9 codici,    500,    9000",
    "[curve]",
    "[pendenze]",
    "pendenza,  0,   3",
    "pendenza,  1250,   -4,5",
    "[montagne]",
    "montagna,   2000,  2500,  12",
    "[cartelli]",
    "indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0",
    "[indicazioni]",
    "cartello_indicatore,  8000,   (  Cippo  )(Km 8+000)",
    "CARTELLO_INDICATORE,  8500,   (Km 8+500)",
    "[fine]",
});

TEST(LetturaLinea, MainPathOfEveryRecordKind) {
  Lettura l(1);
  const diagnosi_lettura& d = l.leggi(linea_esempio);
  ASSERT_EQ(l.m.errore_codice, esito::nessuno) << d.causa;
  EXPECT_EQ(d.file, "");
  EXPECT_FALSE(l.resta_linea());
  EXPECT_FALSE(l.resta_treno());

  const auto& r = l.m.registri;
  EXPECT_EQ(r[84].fine, 10000);
  EXPECT_EQ(l.m.lunghezza_estesa, 17000);
  EXPECT_EQ(l.m.ultima_cella, 340);
  EXPECT_EQ(l.m.celle.size(), 341u);
  // Ordered by start, 100 added to the offset of the decreasing one.
  EXPECT_EQ(std::tie(r[81].inizio, r[81].fine, r[81].progressiva), std::make_tuple(5000, -5000, 0));
  EXPECT_EQ(std::tie(r[82].inizio, r[82].fine, r[82].progressiva), std::make_tuple(3000, 9100, 1));
  EXPECT_EQ(std::tie(r[83].inizio, r[83].fine, r[83].progressiva), std::make_tuple(1000, 3050, 0));
  EXPECT_EQ(std::tie(r[85].inizio, r[85].fine, r[85].progressiva), std::make_tuple(1, 3, 2));
  EXPECT_EQ(std::tie(r[86].inizio, r[86].fine, r[86].progressiva), std::make_tuple(500, 9000, 9));
  EXPECT_EQ(r[85].nome, "Vela_Nuro");
  EXPECT_EQ(r[86].nome, "IC 731");

  // Gradients: 3 up to cell 24, -4 from cell 25 to the tail's end.
  const auto& c = l.m.celle;
  EXPECT_EQ(c[0].pendenza, 103);
  EXPECT_EQ(c[24].pendenza, 103);
  EXPECT_EQ(c[25].pendenza, 96);
  EXPECT_EQ(c[337].pendenza, 96);
  EXPECT_EQ(c[338].pendenza, 0);
  EXPECT_EQ(c[340].pendenza, 0);

  EXPECT_EQ(c[40].montagna, 2);
  EXPECT_EQ(c[49].montagna, 2);
  EXPECT_EQ(c[50].montagna, 0);
  EXPECT_EQ(c[43].codice, codice_cella::segnale_montagna);
  EXPECT_EQ(c[47].codice, codice_cella::segnale_montagna);

  EXPECT_EQ(c[147].codice, codice_cella::indicatore_velocita);
  EXPECT_EQ(c[147].valore_1, 1515);
  EXPECT_EQ(c[147].valore_3, 1717);

  EXPECT_EQ(c[161].codice, codice_cella::cartello);
  EXPECT_EQ(c[161].valore_1, 80);
  EXPECT_EQ(r[80].nome, "(  Cippo  )(Km 8+000)");
  EXPECT_EQ(c[171].valore_1, 79);
  EXPECT_EQ(r[79].nome, "(Km 8+500)");

  // A straight trace: metres 0 and 1 whole numbers, then reals, the last two empty.
  const auto& x = l.m.tracciato[0];
  const auto& y = l.m.tracciato[1];
  ASSERT_EQ(x.size(), 17001u);
  EXPECT_EQ(x[0], variante(Integer{0}));
  EXPECT_EQ(y[1], variante(Integer{1}));
  EXPECT_EQ(x[16998], variante(0.0));
  EXPECT_EQ(y[16998], variante(16998.0));
  EXPECT_EQ(x[16999], variante());
  EXPECT_EQ(y[17000], variante());
}

TEST(LetturaLinea, CurvesTurnTheTraceInTheOrderWritten) {
  Lettura l(1);
  l.leggi(linea_con(righe({"curvad1,  10,  2", "CURVAS6,  20,  1"})));
  ASSERT_EQ(l.m.errore_codice, esito::nessuno);
  const auto& x = l.m.tracciato[0];
  const auto& y = l.m.tracciato[1];
  auto v = [](const variante& e) { return std::get<double>(e); };
  EXPECT_EQ(v(x[10]), 0.0);
  EXPECT_EQ(v(y[10]), 10.0);
  // Metre 11: dx 0, dy 1.
  EXPECT_EQ(v(x[11]), 0.0001);
  EXPECT_EQ(v(y[11]), 11.0);
  // Metre 12: X = (X11 + dx) + k dy, Y = (Y11 + dy) - k dx.
  const double x12 = (0.0001 + 0.0001) + 0.0001 * 1.0;
  const double y12 = (11.0 + 1.0) - 0.0001 * 0.0001;
  EXPECT_EQ(v(x[12]), x12);
  EXPECT_EQ(v(y[12]), y12);
  // Straight on in the last direction, then the left curve of class 6 from 20 to 21.
  const double dx = x12 - 0.0001, dy = y12 - 11.0;
  EXPECT_EQ(v(x[13]), x12 + dx);
  EXPECT_EQ(v(y[13]), y12 + dy);
  double xp = v(x[19]), xq = v(x[20]), yp = v(y[19]), yq = v(y[20]);
  EXPECT_EQ(xq, xp + (xp - v(x[18])));
  const double x21 = (xq + (xq - xp)) + -0.003 * (yq - yp);
  EXPECT_EQ(v(x[21]), x21);
  EXPECT_EQ(v(y[21]), (yq + (yq - yp)) - -0.003 * (xq - xp));
}

TEST(LetturaLinea, WithoutTheSwitchCurvesArePassedOverAndNoTraceIsSized) {
  Lettura l(0);
  l.leggi(linea_con(righe({"curvas, 100, 50", "pendenza, 100, 1"})));
  EXPECT_EQ(l.m.errore_codice, esito::nessuno);
  EXPECT_TRUE(l.m.tracciato[0].empty());
  EXPECT_EQ(l.m.celle[1].pendenza, 100);
  EXPECT_EQ(l.m.celle[2].pendenza, 101);
}

TEST(LetturaLinea, AMillionMetreLineAndTheTraceLimit) {
  Lettura grande(1);
  grande.leggi(prova::righe({"[generale]", "lunghezza percorso, 1000000", "[curve]", "[fine]"}));
  EXPECT_EQ(grande.m.errore_codice, esito::nessuno);
  EXPECT_EQ(grande.m.ultima_cella, 20140);
  EXPECT_EQ(grande.m.tracciato[1][1006998], variante(1006998.0));

  Lettura oltre(1);
  const diagnosi_lettura& d = oltre.leggi(prova::righe(
      {"[generale]", "lunghezza percorso, 1000000", "[curve]", "curvad2, 999990, 100", "[fine]"}));
  EXPECT_EQ(oltre.m.errore_codice, esito::curva_non_valida);
  EXPECT_EQ(d.riga, 4);
  EXPECT_EQ(oltre.m.tracciato[1][1000000].index(), 2u);  // metre 1,000,000 was computed
  EXPECT_FALSE(oltre.resta_linea());
  EXPECT_TRUE(oltre.resta_treno());
}

struct caso_esito {
  const char* nome;
  std::string linea;
  Long esito;
  Long posizione;  // -1: unchanged
  long riga, colonna;
  std::string causa;
  bool treno_letto;  // the train file was read (and so deleted)
};

// Each outcome names the field at fault: the first value (the position) for
// a record that meets a taken cell, the keyword field for one whose keyword
// is at fault.
TEST(LetturaLinea, OutcomesWithTheirPositionLineColumnAndCause) {
  const caso_esito casi[] = {
      {"no general section", righe({"[linea]", "lunghezza percorso, 1000", "[fine]"}), 102, -1, 1,
       1,
       "nessun campo \"[generale]\" nel file di descrizione della linea: il file è stato letto "
       "fino in fondo senza trovarlo; la descrizione della linea comincia con la riga [generale]",
       false},
      {"length above a million", righe({"[generale]", "lunghezza percorso, 1000001", "[fine]"}), 1,
       -1, 2, 21, "lunghezza della linea oltre 1.000.000 m: «lunghezza percorso» vale 1000001 m",
       false},
      {"repetition start",
       righe({"[generale]", "ripetizione segnali 9 codici, 525, 9000", "[fine]"}), 3, -1, 2, 31,
       "inizio della ripetizione segnali non multiplo di 50: 525 m", false},
      {"repetition end", righe({"[generale]", "ripetizione segnali 9 codici, 500, 9010", "[fine]"}),
       4, -1, 2, 36, "fine della ripetizione segnali non multipla di 50: 9010 m", false},
      {"repetition without codes",
       righe({"[generale]", "ripetizione segnali codici, 500, 9000", "[fine]"}), 5, -1, 2, 1,
       "ripetizione segnali senza \"4\" né \"9\" codici: la parola chiave \"ripetizione segnali "
       "codici\" deve dire \"4 codici\" o \"9 codici\"",
       false},
      {"curve without class", linea_con(righe({"curvad7, 100, 50"})), 103, -1, 4, 1,
       "curva senza classe: nella parola chiave \"curvad7\" manca la cifra della classe, da 1 a 6 "
       "(come in \"curvad3\")",
       false},
      {"indicator on an indicator",
       linea_con(righe(
           {"indicatori_vmax, 7300, 75,80,85,0, ,,,0", "indicatori_vmax, 7310, 75,80,85,0, ,,,0"})),
       21, 7310, 5, 18,
       "indicatore di velocità su una cella occupata: l'indicatore a 7310 m va nella cella 147 (da "
       "7350 a 7400 m), che ha già un indicatore di velocità",
       false},
      {"signpost on an indicator",
       linea_con(
           righe({"indicatori_vmax, 7300, 75,80,85,0, ,,,0", "cartello_indicatore, 7300, (x)"})),
       6, 7300, 5, 22,
       "cartello indicatore su una cella occupata: il cartello a 7300 m va nella cella 147 (da "
       "7350 a 7400 m), che ha già un indicatore di velocità",
       false},
      {"beyond the cells", linea_con(righe({"pendenza, 16950, 1"})), 15, 16950, 4, 11,
       "posizione oltre le celle della linea: 16950 m, ma con una linea di 10000 m si arriva al "
       "più a 16900 m",
       true},
  };
  for (const caso_esito& c : casi) {
    Lettura l(1);
    l.m.errore_posizione = -1;
    const diagnosi_lettura& d = l.leggi(c.linea);
    EXPECT_EQ(numero_esito(l.m.errore_codice), c.esito) << c.nome;
    EXPECT_EQ(l.m.errore_posizione, c.posizione) << c.nome;
    EXPECT_EQ(d.file, l.file.linea) << c.nome;
    EXPECT_EQ(d.riga, c.riga) << c.nome;
    EXPECT_EQ(d.colonna, c.colonna) << c.nome;
    EXPECT_EQ(d.causa, c.causa) << c.nome;
    EXPECT_TRUE(d.note.empty()) << c.nome;
    EXPECT_FALSE(l.resta_linea()) << c.nome;
    EXPECT_EQ(l.resta_treno(), !c.treno_letto) << c.nome;
  }
}

TEST(LetturaLinea, TheTracePastAMillionMetresOnTheWayToTheCurveOrAlongIt) {
  struct caso {
    const char* curva;
    long colonna;
    std::string causa;
  };
  const caso casi[] = {
      {"curvad2, 999990, 100", 18,
       "tracciato oltre il metro 1.000.000: la curva da 999990 m lunga 100 m vi arriverebbe"},
      {"curvad2, 1000500, 100", 10,
       "tracciato oltre il metro 1.000.000: la curva comincia a 1000500 m"},
  };
  for (const caso& c : casi) {
    Lettura l(1);
    const diagnosi_lettura& d = l.leggi(
        prova::righe({"[generale]", "lunghezza percorso, 1000000", "[curve]", c.curva, "[fine]"}));
    EXPECT_EQ(l.m.errore_codice, esito::curva_non_valida) << c.curva;
    EXPECT_EQ(d.riga, 4) << c.curva;
    EXPECT_EQ(d.colonna, c.colonna) << c.curva;
    EXPECT_EQ(d.causa, c.causa) << c.curva;
  }
}

TEST(LetturaLinea, SignalRepetitionTakesItsCodesFromTheKeywordField) {
  struct caso {
    const char* riga;
    Long inizio, fine, codici;
  };
  const caso casi[] = {
      {"ripetizione segnali 9 codici, 500, 9000", 500, 9000, 9},
      {"ripetizione segnali 4 codici, 500, 9000", 500, 9000, 4},
      {"ripetizione segnali 9 o 4 codici, 0, 50", 0, 50, 4},  // "4" is looked for first
      {"ripetizione segnali 9 codici, 500, 0", 500, 0, 0},    // ending at 0: no codes
      {"ripetizione segnali 4 codici, 0, 0", 0, 0, 0},
      {"RIPETIZIONE SEGNALI 9 codici, 500, 9000", 0, 0, 0},  // exact words: ignored
  };
  for (const caso& c : casi) {
    Lettura l;
    l.leggi(righe({"[generale]", "lunghezza percorso, 10000", c.riga, "[fine]"}));
    ASSERT_EQ(l.m.errore_codice, esito::nessuno) << c.riga << ": " << l.diagnosi.causa;
    const registro& r = l.m.registri[86];
    EXPECT_EQ(std::tie(r.inizio, r.fine, r.progressiva),
              std::make_tuple(c.inizio, c.fine, c.codici))
        << c.riga;
  }
}

TEST(LetturaLinea, MissingFileIs101AndNothingIsDeleted) {
  Lettura l;
  const diagnosi_lettura& d = l.leggi(std::nullopt);
  EXPECT_EQ(l.m.errore_codice, esito::file_linea_assente);
  EXPECT_EQ(d.file, l.file.linea);
  EXPECT_EQ(d.riga, 0);
  EXPECT_EQ(d.colonna, 0);
  EXPECT_EQ(d.causa, "file di descrizione della linea assente");
  EXPECT_TRUE(l.resta_treno());
  EXPECT_EQ(l.m.registri[85].nome, "Vela_Nuro");
}

TEST(LetturaLinea, OutOfRangeEndsLikeTheEndOfTheFile) {
  Lettura l;
  l.leggi(linea_con(
      righe({"pendenza, 0, 2", "pendenza, 16900, 5", "pendenza, 16950, 1", "pendenza, 100, 9"})));
  EXPECT_EQ(l.m.errore_codice, esito::fuori_dalle_celle);
  // 16900 passes the test ((16900 + 100) / 50 = 340) and fills up to cell 337;
  // the tail still writes one cell at the fill index.
  EXPECT_EQ(l.m.celle[337].pendenza, 102);
  EXPECT_EQ(l.m.celle[338].pendenza, 105);
  EXPECT_EQ(l.m.celle[339].pendenza, 0);
}

// A read failure of the line half: outcome 25, both files deleted, the
// diagnosis in the line file.
diagnosi_lettura diagnosi_25(const std::string& linea, Long con_tracciato) {
  Lettura l(con_tracciato);
  const diagnosi_lettura d = l.leggi(linea);
  EXPECT_EQ(l.m.errore_codice, esito::errore_di_lettura) << linea;
  EXPECT_EQ(d.file, l.file.linea);
  EXPECT_FALSE(l.resta_linea());
  EXPECT_FALSE(l.resta_treno());
  return d;
}

TEST(LetturaLinea, ReadFailuresNameWhatFailedWhereItIs) {
  const std::string senza_lunghezza =
      "la lunghezza della linea non è stata letta: manca «lunghezza percorso» nella sezione "
      "[generale]";
  struct caso {
    const char* nome;
    std::string linea;
    Long con_tracciato;
    long riga, colonna;
    std::string causa;
  };
  const caso casi[] = {
      {"not a number", linea_con(righe({"pendenza, 1.5, 2"})), 0, 4, 11,
       "la posizione della pendenza: trovato \"1.5\", ma va un numero intero (cifre, con \"-\" "
       "davanti se negativo): i decimali non si scrivono"},
      // The record is cut short: the place is where its line ends.
      {"the file ends in a record", linea_con() + "pendenza,  100", 0, 5, 15,
       "al record \"pendenza\" manca il valore della pendenza: il file finisce qui"},
      {"the file ends after the record's line", linea_con() + righe({"pendenza,  100"}), 0, 5, 15,
       "al record \"pendenza\" manca il valore della pendenza: il file finisce qui"},
      {"an empty file", "", 0, 1, 1, "il file è vuoto: manca la sezione [generale]"},
      // No length: the cells are never sized (the gradient tail meets that)
      // and the trace neither; the length belongs to the general section.
      {"no length, no trace",
       righe({"x", "[generale]", "[pendenze]", "pendenza, -100, 1", "[fine]"}), 0, 2, 1,
       senza_lunghezza},
      {"no length, with the trace", righe({"[generale]", "[curve]", "[fine]"}), 1, 1, 1,
       senza_lunghezza},
      {"a curve beyond the trace",
       righe({"[generale]", "lunghezza percorso, 100", "[curve]", "curvad1, 7000, 200", "[fine]"}),
       1, 4, 16,
       "la curva da 7000 m lunga 200 m: il metro 7101 va oltre l'ultimo del tracciato, il 7100 "
       "(7000 m dopo la fine della linea)"},
      // Found when the next record reaches the gradient: named at its value.
      {"a gradient the cells cannot keep",
       linea_con(righe({"pendenza, 0, 200", "pendenza, 100, 0"})), 0, 4, 14,
       "la pendenza 200 per mille va oltre quanto le celle tengono: va da -100 a 155"},
      {"a mountain zone beyond the cells", linea_con(righe({"montagna, 16000, 18000, 2"})), 0, 4,
       18,
       "la zona di montagna da 16000 a 18000 m: la cella 341 va oltre l'ultima, la cella 340 (da "
       "17000 a 17050 m)"},
      {"a mountain zone before the line's start", linea_con(righe({"montagna, -500, 100, 2"})), 0,
       4, 11,
       "la zona di montagna da -500 a 100 m: la cella -10 viene prima della cella 0, l'inizio "
       "della "
       "linea"},
      {"a signpost before the line's start", linea_con(righe({"cartello_indicatore, -200, (x)"})),
       0, 4, 22,
       "il cartello indicatore a -200 m: la cella -3 viene prima della cella 0, l'inizio della "
       "linea"},
      // Named at the speed that weighs most in the pair.
      {"a speed pair beyond 16 bits",
       linea_con(righe({"indicatori_vmax, 100, 75,80,85,0, 75,80,200000,0"})), 0, 4, 41,
       "la coppia delle terze velocità dell'indicatore, 20 × campo 4 + campo 8 / 5, vale 41700, ma "
       "va da -32768 a 32767"},
  };
  for (const caso& c : casi) {
    const diagnosi_lettura d = diagnosi_25(c.linea, c.con_tracciato);
    EXPECT_EQ(d.riga, c.riga) << c.nome;
    EXPECT_EQ(d.colonna, c.colonna) << c.nome;
    EXPECT_EQ(d.causa, c.causa) << c.nome;
  }
}

TEST(LetturaLinea, ARecordCutShortIsNamedWhereItsLineEnds) {
  struct caso {
    const char* nome;
    std::string record;
    long riga, colonna;
    std::string causa;
  };
  const caso casi[] = {
      {"a value missing", righe({"curvad3,  1000", "curvad3,  1500,  300"}), 4, 15,
       "al record \"curvad3\" manca la lunghezza della curva: la riga finisce qui, e il valore si "
       "prenderebbe da \"curvad3\", all'inizio della riga 5"},
      {"blanks after the last value", righe({"curvad3,  1000   ", "curvad3,  1500,  300"}), 4, 18,
       "al record \"curvad3\" manca la lunghezza della curva: la riga finisce qui, e il valore si "
       "prenderebbe da \"curvad3\", all'inizio della riga 5"},
      {"the comma after the keyword missing",
       righe({"curvas4   1000,  150", "curvas5,  1500,  300"}), 4, 11,
       "manca la virgola tra \"curvas4\" e \"1000\": senza, il numero resta nella parola chiave e "
       "al record manca la lunghezza della curva (la riga finisce qui, e il valore si prenderebbe "
       "da \"curvas5\", all'inizio della riga 5)"},
      {"the comma missing, and the file ends", "curvas4\t1000,  150", 4, 9,
       "manca la virgola tra \"curvas4\" e \"1000\": senza, il numero resta nella parola chiave "
       "e al record manca la lunghezza della curva (il file finisce qui)"},
      // A bad field inside a later line is that line's own fault.
      {"a record on two lines", righe({"curvad3", "  1000, x"}), 5, 9,
       "la lunghezza della curva: trovato \"x\", ma va un numero intero (cifre, con \"-\" davanti "
       "se negativo)"},
  };
  for (const caso& c : casi) {
    const diagnosi_lettura d = diagnosi_25(
        prova::righe({"[generale]", "lunghezza percorso, 10000", "[curve]"}) + c.record, 1);
    EXPECT_EQ(d.riga, c.riga) << c.nome;
    EXPECT_EQ(d.colonna, c.colonna) << c.nome;
    EXPECT_EQ(d.causa, c.causa) << c.nome;
  }
}

TEST(LetturaLinea, SwappedFilesAreSuspectedFromTheGeneralSection) {
  Lettura l(1);
  const diagnosi_lettura& d =
      l.leggi(righe({"[generale]", "numero vetture,  10", "sabbia,  220", "[aderenze]", "[fine]"}));
  EXPECT_EQ(l.m.errore_codice, esito::errore_di_lettura);
  EXPECT_EQ(std::tie(d.riga, d.colonna), std::make_tuple(1L, 1L));
  EXPECT_EQ(d.causa,
            "la lunghezza della linea non è stata letta: manca «lunghezza percorso» nella sezione "
            "[generale]");
  ASSERT_EQ(d.note.size(), 1u);
  const diagnostica& n = d.note[0];
  EXPECT_EQ(n.livello, gravita::nota);
  EXPECT_EQ(n.file, l.file.linea);
  EXPECT_EQ(std::tie(n.riga, n.colonna), std::make_tuple(2L, 1L));
  EXPECT_EQ(n.causa,
            "\"numero vetture\" è un record della descrizione del treno: i due file di descrizione "
            "sono forse scambiati?");
}

TEST(LetturaLinea, RepeatedGradientsPushTheFillIndexPastTheCells) {
  const std::string cinque =
      righe({"pendenza, 16900, 1", "pendenza, 16900, 1", "pendenza, 16900, 1", "pendenza, 16900, 1",
             "pendenza, 16900, 1"});
  const diagnosi_lettura d = diagnosi_25(linea_con(cinque), 0);
  EXPECT_EQ(d.causa,
            "le pendenze si scrivono nelle celle una dopo l'altra, almeno una per record, e qui "
            "andrebbero nella cella 341, oltre l'ultima, la cella 340 (da 17000 a 17050 m): i "
            "record vanno in ordine crescente di posizione, senza ripeterla");
  EXPECT_EQ(std::tie(d.riga, d.colonna), std::make_tuple(8L, 1L));
}

TEST(LetturaLinea, NegativeExtendedLengthFailsAndLeavesTheArrays) {
  Lettura l(1);
  l.leggi(righe({"[generale]", "lunghezza percorso, 1000", "lunghezza percorso, -7001", "[fine]"}));
  EXPECT_EQ(l.m.errore_codice, esito::errore_di_lettura);
  EXPECT_EQ(l.diagnosi.causa, "la lunghezza della linea vale -7001 m, ma va da 0 a 1.000.000 m");
  EXPECT_EQ(l.diagnosi.riga, 3);
  EXPECT_EQ(l.diagnosi.colonna, 21);
  EXPECT_EQ(l.m.celle.size(), 161u);
  EXPECT_EQ(l.m.tracciato[0].size(), 8001u);
  EXPECT_EQ(l.m.ultima_cella, 160);
}

TEST(LetturaLinea, ADescriptionBeyond64MiBIsARefusedFileAndBothGo) {
  for (bool linea : {true, false}) {
    SCOPED_TRACE(linea ? "line" : "train");
    Lettura l(1);
    prova::scrivi(l.file.linea, prova::linea_prova);
    prova::scrivi(l.file.treno, prova::treno_prova);
    // Sparse: the size is there, the bytes are never written.
    const std::string& grande = linea ? l.file.linea : l.file.treno;
    std::filesystem::resize_file(grande, (std::uintmax_t{64} << 20) + 1);
    l.leggi(std::nullopt, std::nullopt);
    EXPECT_EQ(l.m.errore_codice, esito::errore_di_lettura);
    EXPECT_EQ(l.diagnosi.file, grande);
    EXPECT_EQ(std::tie(l.diagnosi.riga, l.diagnosi.colonna), std::make_tuple(0L, 0L));
    EXPECT_EQ(l.diagnosi.causa,
              "impossibile leggere \"" + grande + "\": il file supera il limite di 64 MiB");
    EXPECT_FALSE(l.resta_linea());
    EXPECT_FALSE(l.resta_treno());
  }
}

TEST(LetturaLinea, EightySignpostsAtMost) {
  std::string cartelli;
  for (int i = 1; i <= 80; ++i)
    cartelli += righe({"cartello_indicatore, " + std::to_string(100 * i) + ", t"});
  {
    Lettura l;
    l.leggi(linea_con(cartelli + righe({"cartello_indicatore, 100, t"})));
    EXPECT_EQ(l.m.errore_codice,
              esito::cartello_su_cella_occupata);  // the free-cell test comes first
    EXPECT_EQ(l.m.registri[1].nome, "t");
  }
  Lettura l;
  l.leggi(linea_con(cartelli + righe({"cartello_indicatore, 9000, t"})));
  EXPECT_EQ(l.m.errore_codice, esito::errore_di_lettura);
  EXPECT_EQ(l.diagnosi.causa,
            "più di 80 cartelli indicatori: nessun registro libero per questo, l'81°");
  EXPECT_EQ(l.diagnosi.riga, 84);
  EXPECT_EQ(l.diagnosi.colonna, 1);
  EXPECT_EQ(l.m.celle[181].codice, 0);
}

TEST(LetturaLinea, DashFieldsCaseAndTheSectionsEnd) {
  Lettura l;
  l.leggi(
      righe({"[generale]",
             "-a,-b,-c,-d,-e,-f,-g,-h,-i,-j,-lunghezza percorso, 5000",  // the 11th is a keyword
             "PROGRESSIVA CHILOMETRICA TRE, 100, 0, 0",                  // exact words: ignored
             "-[curve]",                                                 // begins with "-": goes on
             "sfondo uno, 7", "[curve]",
             "sfondo due, 8",              // after the general section: ignored
             "-a, -pendenza, 100, 1",      // the second dash field is skipped too
             "-a, -b, -PENDENZA, 200, 2",  // the third is the keyword
             "pendenza, 500, 0", "pendenza, 600, 6"}) +
      "pendenza, 650, 7");  // a record on the last line is read
  ASSERT_EQ(l.m.errore_codice, esito::nessuno) << l.diagnosi.causa;
  EXPECT_EQ(l.m.ultima_cella, 240);
  EXPECT_EQ(l.m.registri[81].inizio, 0);
  EXPECT_EQ(l.m.registri[85].inizio, 7);
  EXPECT_EQ(l.m.registri[85].progressiva, 0);
  EXPECT_EQ(l.m.celle[3].pendenza, 100);   // 0 in force up to the record at 200
  EXPECT_EQ(l.m.celle[4].pendenza, 102);   // from cell 4 on: 2
  EXPECT_EQ(l.m.celle[11].pendenza, 100);  // cells 10, 11: 0
  EXPECT_EQ(l.m.celle[12].pendenza, 106);  // 600: cell 12 on
  EXPECT_EQ(l.m.celle[13].pendenza, 107);  // 650: cell 13 on, to the tail
  EXPECT_EQ(l.m.celle[237].pendenza, 107);

  Lettura ultima;
  ultima.leggi(linea_con() + "pendenza");  // a one-field last line is dropped
  EXPECT_EQ(ultima.m.errore_codice, esito::nessuno);
}

TEST(LetturaLinea, EveryTestIsMadeOnTheSameKeywordField) {
  Lettura l;
  l.leggi(righe({"[generale]",
                 "sfondo tre due uno, 1, 2, 3",  // uno, due, tre: in that order
                 "[lunghezza percorso], 3000",   // the length, and the section ends
                 "sfondo uno, 5",                // after the section: ignored
                 "-x, pendenza montagna, 100, 1, 200, 400, 12", "[fine]"}));
  ASSERT_EQ(l.m.errore_codice, esito::nessuno) << l.diagnosi.causa;
  const registro& sfondi = l.m.registri[85];
  EXPECT_EQ(std::tie(sfondi.inizio, sfondi.progressiva, sfondi.fine), std::make_tuple(1, 2, 3));
  EXPECT_EQ(l.m.ultima_cella, 200);
  // The gradient first (cells 0 and 1 with 0, then 1 in force), then the zone
  // from 200 to 400 with the value 2 and a marker on its 4th cell.
  const auto& c = l.m.celle;
  EXPECT_EQ(c[1].pendenza, 100);
  EXPECT_EQ(c[2].pendenza, 101);
  EXPECT_EQ(c[197].pendenza, 101);
  EXPECT_EQ(c[3].montagna, 0);
  EXPECT_EQ(c[4].montagna, 2);
  EXPECT_EQ(c[7].montagna, 2);
  EXPECT_EQ(c[8].montagna, 0);
  EXPECT_EQ(c[7].codice, codice_cella::segnale_montagna);
}

}  // namespace
}  // namespace scen
