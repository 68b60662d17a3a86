// The line half, through `memorizza_dati`, on small description files.
#include <gtest/gtest.h>

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
  long riga;
  bool treno_letto;  // the train file was read (and so deleted)
};

TEST(LetturaLinea, OutcomesWithTheirPositionAndLine) {
  const caso_esito casi[] = {
      {"no general section", righe({"[linea]", "lunghezza percorso, 1000", "[fine]"}), 102, -1, 3,
       false},
      {"length above a million", righe({"[generale]", "lunghezza percorso, 1000001", "[fine]"}), 1,
       -1, 2, false},
      {"repetition start",
       righe({"[generale]", "ripetizione segnali 9 codici, 525, 9000", "[fine]"}), 3, -1, 2, false},
      {"repetition end", righe({"[generale]", "ripetizione segnali 9 codici, 500, 9010", "[fine]"}),
       4, -1, 2, false},
      {"repetition without codes",
       righe({"[generale]", "ripetizione segnali codici, 500, 9000", "[fine]"}), 5, -1, 2, false},
      {"curve without class", linea_con(righe({"curvad7, 100, 50"})), 103, -1, 4, false},
      {"indicator on an indicator",
       linea_con(righe(
           {"indicatori_vmax, 7300, 75,80,85,0, ,,,0", "indicatori_vmax, 7310, 75,80,85,0, ,,,0"})),
       21, 7310, 5, false},
      {"signpost on an indicator",
       linea_con(
           righe({"indicatori_vmax, 7300, 75,80,85,0, ,,,0", "cartello_indicatore, 7300, (x)"})),
       6, 7300, 5, false},
      {"beyond the cells", linea_con(righe({"pendenza, 16950, 1"})), 15, 16950, 4, true},
  };
  for (const caso_esito& c : casi) {
    Lettura l(1);
    l.m.errore_posizione = -1;
    const diagnosi_lettura& d = l.leggi(c.linea);
    EXPECT_EQ(numero_esito(l.m.errore_codice), c.esito) << c.nome;
    EXPECT_EQ(l.m.errore_posizione, c.posizione) << c.nome;
    EXPECT_EQ(d.file, l.file.linea) << c.nome;
    EXPECT_EQ(d.riga, c.riga) << c.nome;
    EXPECT_EQ(d.causa, descrizione_esito(static_cast<esito>(c.esito))) << c.nome;
    EXPECT_FALSE(l.resta_linea()) << c.nome;
    EXPECT_EQ(l.resta_treno(), !c.treno_letto) << c.nome;
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

std::string causa_25(const std::string& linea, Long con_tracciato, long* riga = nullptr) {
  Lettura l(con_tracciato);
  const diagnosi_lettura d = l.leggi(linea);
  EXPECT_EQ(l.m.errore_codice, esito::errore_di_lettura) << linea;
  EXPECT_FALSE(l.resta_linea());
  EXPECT_FALSE(l.resta_treno());
  if (riga) *riga = d.riga;
  return d.causa;
}

TEST(LetturaLinea, ReadFailuresNameWhatFailed) {
  long riga = 0;
  EXPECT_EQ(causa_25(linea_con(righe({"pendenza, 1.5, 2"})), 0, &riga),
            "numero non valido \"1.5\"");
  EXPECT_EQ(riga, 4);
  EXPECT_EQ(causa_25(linea_con() + "pendenza,  100", 0, &riga),
            "fine del file dentro un record: manca il valore della pendenza");
  EXPECT_EQ(riga, 5);
  EXPECT_EQ(causa_25("", 0), "fine del file dentro un record: manca un campo");
  // No length: the cells are never sized; the gradient tail meets that.
  EXPECT_EQ(
      causa_25(righe({"[generale]", "[pendenze]", "pendenza, -100, 1", "[fine]"}), 0, &riga),
      "indice di cella 0 con le celle non ancora dimensionate (lunghezza della linea non letta)");
  EXPECT_EQ(causa_25(righe({"[generale]", "[curve]", "[fine]"}), 1),
            "metro 0 del tracciato con il tracciato non ancora dimensionato (lunghezza della linea "
            "non letta)");
  EXPECT_EQ(causa_25(righe({"[generale]", "lunghezza percorso, 100", "[curve]",
                            "curvad1, 7000, 200", "[fine]"}),
                     1, &riga),
            "metro 7101 del tracciato oltre l'ultimo metro 7100");
  EXPECT_EQ(riga, 4);
  EXPECT_EQ(causa_25(linea_con(righe({"pendenza, 0, 200", "pendenza, 100, 0"})), 0),
            "valore 300 fuori dal campo pendenza (0..255)");
  EXPECT_EQ(causa_25(linea_con(righe({"montagna, 16000, 18000, 2"})), 0),
            "indice di cella 341 oltre l'ultima cella 340");
}

TEST(LetturaLinea, RepeatedGradientsPushTheFillIndexPastTheCells) {
  const std::string cinque =
      righe({"pendenza, 16900, 1", "pendenza, 16900, 1", "pendenza, 16900, 1", "pendenza, 16900, 1",
             "pendenza, 16900, 1"});
  long riga = 0;
  EXPECT_EQ(causa_25(linea_con(cinque), 0, &riga), "indice di cella 341 oltre l'ultima cella 340");
  EXPECT_EQ(riga, 8);
}

TEST(LetturaLinea, NegativeExtendedLengthFailsAndLeavesTheArrays) {
  Lettura l(1);
  l.leggi(righe({"[generale]", "lunghezza percorso, 1000", "lunghezza percorso, -7001", "[fine]"}));
  EXPECT_EQ(l.m.errore_codice, esito::errore_di_lettura);
  EXPECT_EQ(l.diagnosi.causa, "lunghezza della linea -7001: la lunghezza estesa -1 è negativa");
  EXPECT_EQ(l.diagnosi.riga, 3);
  EXPECT_EQ(l.m.celle.size(), 161u);
  EXPECT_EQ(l.m.tracciato[0].size(), 8001u);
  EXPECT_EQ(l.m.ultima_cella, 160);
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
  EXPECT_EQ(l.diagnosi.causa, "più di 80 cartelli indicatori: nessun registro libero");
  EXPECT_EQ(l.diagnosi.riga, 84);
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
