#include "draw/svg.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "testing/xml_minimo.h"

namespace scen {
namespace {

TEST(Svg, NumeriCortiEUgualiOvunque) {
  const std::vector<std::pair<std::pair<double, int>, std::string>> casi = {
      {{12.0, 1}, "12"}, {{12.25, 1}, "12.2"}, {{12.35, 2}, "12.35"},
      {{-0.04, 1}, "0"}, {{-3.5, 1}, "-3.5"},  {{1000000, 1}, "1000000"},
      {{0.5, 0}, "0"},   {{1.5, 0}, "2"},      {{2.999, 2}, "3"},
  };
  for (const auto& [ingresso, atteso] : casi)
    EXPECT_EQ(num(ingresso.first, ingresso.second), atteso) << ingresso.first;
}

TEST(Svg, TestiEAttributiEscapati) {
  EXPECT_EQ(xml_testo("a<b>&\"c\""), "a&lt;b&gt;&amp;&quot;c&quot;");
  EXPECT_EQ(xml_testo(std::string("x\x01y")), "x y");
  EXPECT_EQ(xml_testo("Città – ‰"), "Città – ‰");

  scrittore_svg w;
  w.apri("svg", {{"xmlns", "http://www.w3.org/2000/svg"}});
  w.testo("text", {{"data-nome", "<&>"}}, "Borgo \"Alto\" & <Basso>");
  w.vuoto("path", {{"d", "M0 0L1 1"}});
  w.chiudi();
  const std::string svg = w.finito();
  const auto radice = prova::leggi_xml(svg);
  ASSERT_EQ(radice->figli.size(), 2u);
  EXPECT_EQ(radice->figli[0]->attributo("data-nome"), "<&>");
  EXPECT_EQ(radice->figli[0]->testo, "Borgo \"Alto\" & <Basso>");
  EXPECT_EQ(radice->figli[1]->attributo("d"), "M0 0L1 1");
}

TEST(Svg, UnElementoApertoOChiusoDiPiuEUnErrore) {
  scrittore_svg aperto;
  aperto.apri("svg");
  aperto.apri("g");
  aperto.chiudi();
  EXPECT_THROW(aperto.finito(), std::logic_error);
  scrittore_svg vuoto;
  EXPECT_THROW(vuoto.chiudi(), std::logic_error);
}

TEST(Svg, IlLettoreDiProvaRifiutaCioCheNonEBenFormato) {
  for (const char* cattivo : {"<a><b></a></b>", "<a x=1/>", "<a x=\"1\" x=\"2\"/>", "<a>&nbsp;</a>",
                              "<a>1 < 2</a>", "<a/><b/>", "<a>", "", "<a x=\"<\"/>"})
    EXPECT_THROW(prova::leggi_xml(cattivo), prova::xml_non_valido) << cattivo;
  EXPECT_NO_THROW(prova::leggi_xml("<?xml version=\"1.0\"?><!-- c --><a b='1'>&#233;&amp;</a>"));
}

}  // namespace
}  // namespace scen
