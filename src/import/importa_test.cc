#include "import/importa.h"
#include "import/traccia.h"

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>

#include "testing/prova_lettura.h"
#include "testing/tracce_prova.h"

namespace scen {
namespace {

// The known line of a line description, read with its trace.
prova::linea_nota nota(const std::string& linea) {
  prova::Lettura l(1);
  l.leggi(linea);
  EXPECT_EQ(l.m.errore_codice, esito::nessuno);
  return prova::linea_letta(l.m);
}

std::string testo_di(const std::vector<std::string>& righe) {
  std::string t;
  EXPECT_TRUE(testo_descrizione(righe, t).riuscito());
  return t;
}

TEST(ImportaTraccia, PercorsoPortato) {
  const prova::linea_nota originale = nota(prova::portata("linea"));
  const auto punti = prova::campiona(originale, 20, 3, 0.5, 7);
  const auto t0 = std::chrono::steady_clock::now();
  importazione i;
  Stato s = importa_traccia(prova::gpx(punti), "portato.gpx", i);
  ASSERT_TRUE(s.riuscito()) << s.messaggio();
  const auto t1 = std::chrono::steady_clock::now();
  const prova::linea_nota importata = nota(testo_di(righe_linea(i.linea)));
  const prova::scarto_piani d = prova::confronta(originale.piano, importata.piano);
  {
    traccia t;
    ASSERT_TRUE(leggi_traccia(prova::gpx(punti), "x", t).riuscito());
    sagoma_traccia sg;
    ASSERT_TRUE(prepara_sagoma(t, "x", sg).riuscito());
    const prova::scarto_piani d2 = prova::confronta(originale.piano, sg.punti);
    std::cout << "sagoma vs originale " << d2.massimo << " " << d2.medio << "\n";
    const prova::scarto_piani d3 = prova::confronta(sg.punti, importata.piano);
    std::cout << "importata vs sagoma " << d3.massimo << " " << d3.medio << "\n";
  }
  std::vector<int> istogramma(8, 0);
  for (size_t c = 0; c < std::min(originale.pendenze.size(), importata.pendenze.size()); ++c)
    ++istogramma[std::min<size_t>(7, static_cast<size_t>(std::abs(originale.pendenze[c] - importata.pendenze[c])))];
  for (int h : istogramma) std::cout << h << " ";
  std::cout << "\n";
  size_t buone = 0;
  const size_t celle = std::min(originale.pendenze.size(), importata.pendenze.size());
  for (size_t c = 0; c < celle; ++c)
    if (std::abs(originale.pendenze[c] - importata.pendenze[c]) <= 1) ++buone;
  std::cout << "tempo " << std::chrono::duration<double>(t1 - t0).count() << " s\n"
            << "lunghezza " << i.linea.lunghezza << " traccia " << i.figure.lunghezza_traccia
            << "\ncurve " << i.linea.curve.size() << " pendenze " << i.linea.pendenze.size()
            << "\nfit max " << i.figure.distanza_massima << " medio " << i.figure.distanza_media
            << " dir " << i.figure.direzione_massima << "\nvs originale max " << d.massimo
            << " medio " << d.medio << "\npendenze entro 1: "
            << static_cast<double>(buone) / static_cast<double>(celle) << "\n";
}

}  // namespace
}  // namespace scen
