// The page of a picture holding texts that would break it if written as
// they are: its bytes hold each text only escaped, its one script is the one
// that its policy names, and its data give each text back as it was.
#include "draw/pagina.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <nlohmann/json.hpp>
#include <string>

#include "draw/disegno.h"
#include "draw/politica_pagina.h"
#include "draw/scena.h"
#include "testing/prova_lettura.h"
#include "testing/testi_ostili.h"
#include "testing/xml_minimo.h"

namespace scen {
namespace {

TEST(Pagina, UnTestoOstileRestaTesto) {
  prova::Lettura lettura(1);
  lettura.leggi(prova::linea_prova, prova::treno_prova);
  ASSERT_EQ(lettura.m.errore_codice, esito::nessuno);
  scena base;
  ASSERT_TRUE(scena_da_modello(lettura.m, base).riuscito());
  ASSERT_EQ(base.stazioni.size(), 2u);
  for (const std::string& t : prova::testi_ostili()) {
    SCOPED_TRACE(t);
    // Every text that a picture shows from its files.
    scena s = base;
    s.stazioni[0].nome = t;
    s.stazioni[1].nome = "2 " + t;
    s.cartelli.push_back({2000, t});
    s.marcia.presente = false;
    s.marcia.perche_no = "il treno «" + t + "» non ce la fa";
    const disegno d = disegna_scena(s);
    const std::string h = pagina_html(s, d);

    // Nothing of the text as it is, and of elements only the page's own.
    EXPECT_EQ(h.find(t), std::string::npos);
    EXPECT_EQ(prova::conta_in_pagina(h, "<script"), 2u);
    EXPECT_EQ(prova::conta_in_pagina(h, "</script"), 2u);
    for (const char* estraneo : {"<!--", "<img", "<svg onload", "]]>"})
      EXPECT_EQ(prova::conta_in_pagina(h, estraneo), 0u) << estraneo;
    EXPECT_TRUE(prova::testo_xml_valido(h));

    // The policy names the digest of the script as the page holds it.
    const std::size_t apre = h.rfind("<script>") + 8, chiude = h.rfind("</script>");
    const std::string politica = politica_pagina(h.substr(apre, chiude - apre), false);
    EXPECT_NE(h.find("<meta http-equiv=\"Content-Security-Policy\" content=\"" + politica + "\">"),
              std::string::npos);
    EXPECT_LT(h.find("Content-Security-Policy"), h.find("<script"));

    // The drawing and the data give the texts back whole.
    const auto svg = prova::leggi_xml(d.svg);
    EXPECT_EQ(svg->con_id("titolo")->testo, t + " – 2 " + t);
    EXPECT_EQ(svg->conta([&](const prova::nodo_xml& n) { return n.testo == t; }) > 0, true);
    EXPECT_GT(svg->conta([&](const prova::nodo_xml& n) {
      return n.testo.find("il treno «" + t + "»") != std::string::npos;
    }),
              0u);
    const std::string apertura = "<script type=\"application/json\" id=\"dati-scenario\">";
    const std::size_t inizio = h.find(apertura) + apertura.size();
    const nlohmann::json j =
        nlohmann::json::parse(h.substr(inizio, h.find("</script>", inizio) - inizio));
    EXPECT_EQ(j["stazioni"][0][1], t);
    EXPECT_EQ(j["stazioni"][1][1], "2 " + t);
  }
}

}  // namespace
}  // namespace scen
