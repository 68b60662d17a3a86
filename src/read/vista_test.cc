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

}  // namespace
}  // namespace scen
