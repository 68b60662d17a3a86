#include "read/vista.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "testing/descrizioni_prova.h"
#include "testing/lettura_e_vista.h"

namespace scen {
namespace {

using prova::divergenza_lettura_vista;
using prova::linea_prova;
using prova::righe;
using prova::treno_prova;

// Replaces the first `da` of `testo` with `a`.
std::string con(std::string testo, std::string_view da, std::string_view a) {
  const size_t i = testo.find(da);
  if (i != std::string::npos) testo.replace(i, da.size(), a);
  return testo;
}

struct caso_vista {
  const char* nome;
  bool linea;
  std::string testo;
};

// Reading and looking agree on the records, the places of their fields and
// where reading stops: whole files, files that stop on an outcome, files
// that stop on a field the readers cannot take.
TEST(LetturaEVista, DiconoGliStessiCampi) {
  const caso_vista casi[] = {
      {"linea di prova", true, linea_prova},
      {"treno di prova", false, treno_prova},
      {"tabulazione prima di un numero", true,
       con(linea_prova, "pendenza,  6000", "pendenza,\t6000")},
      {"tabulazione prima di un numero del treno", false,
       con(treno_prova, "velocita,  5000", "velocita,\t 5000")},
      {"tabulazione dopo un numero", false, con(treno_prova, "sabbia,  220", "sabbia,  220\t")},
      {"numero oltre i 32 bit a fine riga", true,
       con(linea_prova, "sfondo due,    0", "sfondo due,    99999999999")},
      {"numero con il punto", false, con(treno_prova, "aderenza,  0,  90", "aderenza,  0,  9.0")},
      {"numero spezzato da uno spazio", true,
       con(linea_prova, "pendenza,  6000", "pendenza,  6 000")},
      {"virgola mancante", true, con(linea_prova, "curvad3,  4000", "curvad3   4000")},
      {"record tronco in fondo", false, treno_prova + "segnale,  7000,  2"},
      {"due parole chiave in un campo", true, con(linea_prova, "montagna,", "montagna pendenza,")},
      {"trattini al posto della parola chiave", false,
       con(treno_prova, "sabbia,  220", "-, -, sabbia,  220")},
      {"trattini nella sezione generale", true, con(linea_prova, "sfondo uno", "-,-,sfondo uno")},
      {"campi in più", false, con(treno_prova, "numero vetture,  10", "numero vetture,  10, 7, x")},
      {"fuori dalle celle", false,
       con(treno_prova, "abbattimento,    6050", "abbattimento,    60500")},
      {"stazione fuori dalle celle", false,
       con(treno_prova, "stazione,    9000", "stazione,  99000")},
      {"senza generale", true, righe({"lunghezza percorso, 1000", "pendenza, 0, 1"})},
      {"treno senza generale", false, righe({"sabbia, 1", "velocita, 0, 100"})},
      {"vuoto", false, ""},
      {"solo a capo", true, "[generale]\rlunghezza percorso, 900\rpendenza, 0, 1\r"},
      {"righe con LF", false, "[generale]\nvelocita, 0, 100\nvelocita, 50"},
      {"maiuscole", true, con(linea_prova, "pendenza,  0", "PENDENZA,  0")},
  };
  for (const caso_vista& c : casi) {
    SCOPED_TRACE(c.nome);
    EXPECT_EQ(divergenza_lettura_vista(c.testo, c.linea), "");
  }
}

TEST(LetturaEVista, LeDescrizioniPortate) {
  const prova::descrizioni_portate portate = prova::scrivi_descrizioni_portate();
  EXPECT_EQ(divergenza_lettura_vista(portate.linea, true), "");
  EXPECT_EQ(divergenza_lettura_vista(portate.treno, false), "");
}

// The view sees past a field that stops reading: the rest of the file.
TEST(LetturaEVista, LaVistaVaOltreLoStop) {
  const std::string treno =
      con(treno_prova, "aderenza,  0,  90", "aderenza,  0,  9.0, 7\r\nsabbia, 3");
  const descrizione_vista v = vedi_treno(treno);
  EXPECT_TRUE(v.interrotta);
  size_t a = 0;
  while (a < v.record.size() && v.record[a].tipo != specie::aderenza) ++a;
  ASSERT_LT(a + 1, v.record.size());
  const record_visto& aderenza = v.record[a];
  EXPECT_FALSE(aderenza.intero);
  EXPECT_EQ(aderenza.valori.back().testo, "9.0");
  EXPECT_FALSE(aderenza.valori.back().valido);
  // The rest of its line is not seen; the next line is.
  EXPECT_EQ(v.record[a + 1].tipo, specie::sabbia);
  EXPECT_EQ(v.record[a + 1].valore(1), 3);
  EXPECT_EQ(v.record.back().tipo, specie::abbattimento);
}

// The fields as the readers take them: a number ends at a blank, an empty
// field reads 0, a field holding "-" is passed over where a keyword goes,
// the last field of the file is never a keyword.
TEST(Vista, IlFileVistoComeLoLeggonoILettori) {
  const std::string treno = righe({
      "prima, [generale]",
      "orologio,  13 4 30 ",
      "velocita,  ,  100, 7",
      "- segno, aderenza,  0,  90",
      "abbattimento,  6050",
      "  270",
      "segnale",
  });
  const descrizione_vista v = vedi_treno(treno);
  EXPECT_TRUE(v.con_generale);
  EXPECT_EQ(v.generale.riga, 1);
  EXPECT_EQ(v.generale.colonna, 8);
  ASSERT_EQ(v.record.size(), 4u);
  EXPECT_EQ(v.record[0].tipo, specie::orologio);
  EXPECT_EQ(v.record[0].valore(1), 13);
  EXPECT_EQ(v.record[0].valore(2), 4);
  EXPECT_EQ(v.record[0].valore(3), 30);
  EXPECT_EQ(v.record[0].campo(2).colonna, 15);
  EXPECT_EQ(v.record[1].tipo, specie::velocita);
  EXPECT_EQ(v.record[1].valore(1), 0);
  EXPECT_EQ(v.record[1].campo(2).colonna, 15);
  EXPECT_EQ(v.record[2].tipo, specie::aderenza);
  EXPECT_EQ(v.record[2].chiave.riga, 4);
  EXPECT_EQ(v.record[2].chiave.colonna, 10);
  EXPECT_EQ(v.record[3].tipo, specie::abbattimento);
  EXPECT_EQ(v.record[3].campo(2).riga, 6);
  EXPECT_EQ(v.record[3].valore(2), 270);
  EXPECT_FALSE(v.interrotta);
  // Passed over: "prima" before "[generale]", the stray "7", the "- segno"
  // field; "segnale" on the last line is no record.
  ASSERT_EQ(v.ignorati.size(), 3u);
  EXPECT_EQ(v.ignorati[0].parte, parte_file::prima_di_generale);
  EXPECT_EQ(v.ignorati[1].campo.testo, "7");
  EXPECT_EQ(v.ignorati[1].posto, posto_ignorato::dopo_record);
  EXPECT_TRUE(v.ignorati[2].trattino);

  // The view points into the text, which must outlive it.
  const std::string testo_guasto = righe({"[generale]", "velocita,  1.5,  100", "sabbia,  3"});
  const descrizione_vista guasta = vedi_treno(testo_guasto);
  // Reading would stop at "1.5"; what follows on the next line is seen.
  ASSERT_EQ(guasta.record.size(), 2u);
  EXPECT_EQ(guasta.record[1].tipo, specie::sabbia);
  EXPECT_TRUE(guasta.interrotta);
  EXPECT_FALSE(guasta.record[0].intero);
  EXPECT_FALSE(guasta.record[0].valori.back().valido);
  EXPECT_EQ(guasta.record[0].valori.back().testo, "1.5");
}

}  // namespace
}  // namespace scen
