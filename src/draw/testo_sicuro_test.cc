#include "draw/testo_sicuro.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "testing/testi_ostili.h"
#include "testing/xml_minimo.h"

namespace scen {
namespace {

TEST(TestoSicuro, XmlComeLoScriveIlTesto) {
  const struct {
    std::string ingresso, atteso;
  } casi[] = {
      {"a<b>&\"c\"", "a&lt;b&gt;&amp;&quot;c&quot;"},
      {"Città – ‰", "Città – ‰"},
      {"l'una", "l'una"},
      {"tab\tLF\n", "tab\tLF\n"},
      // Controls: C0 (XML 1.0 cannot hold them), CR, DEL and C1 as blanks.
      {std::string("x\x01y\x00z\r\x1B[31m", 11), "x y z  [31m"},
      {"a\x7F"
       "b\xC2\x85"
       "c\xC2\x9F",
       "a b c "},
      // Not UTF-8: each such byte one U+FFFD; a character cut short too.
      {"Citt\xE0 Alta", "Citt\xEF\xBF\xBD Alta"},
      {"\xC3", "\xEF\xBF\xBD"},
      {"\xED\xA0\x80", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // a surrogate
      {"\xC0\xBC", "\xEF\xBF\xBD\xEF\xBF\xBD"},                  // "<" written long
      // The two that XML cannot hold, and characters beyond the BMP.
      {"\xEF\xBF\xBE\xEF\xBF\xBF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"\xF0\x9F\x9A\x84 \xE2\x80\xA8", "\xF0\x9F\x9A\x84 \xE2\x80\xA8"},
  };
  for (const auto& c : casi) EXPECT_EQ(xml_testo(c.ingresso), c.atteso) << c.ingresso;
}

// Whatever bytes, as text and as an attribute, a reader of XML takes back
// the text written (the characters it cannot hold aside), and nothing else.
TEST(TestoSicuro, XmlSiRileggeComeTestoEAttributo) {
  std::vector<std::string> testi = prova::testi_ostili();
  std::string ogni_byte;
  for (int b = 0; b < 256; ++b) ogni_byte += static_cast<char>(b);
  testi.push_back(ogni_byte);
  for (const std::string& t : testi) {
    const std::string x = xml_testo(t);
    EXPECT_TRUE(prova::testo_xml_valido(x)) << x;
    for (char vietato : {'<', '>', '"'}) EXPECT_EQ(x.find(vietato), std::string::npos) << x;
    const auto radice = prova::leggi_xml("<a b=\"" + x + "\">" + x + "</a>");
    EXPECT_TRUE(radice->figli.empty());
    EXPECT_EQ(xml_testo(radice->testo), x);
    if (t != ogni_byte) {
      EXPECT_EQ(radice->testo, t);
      EXPECT_EQ(radice->attributo("b"), t);
    }
  }
}

TEST(TestoSicuro, JsonCheStaInUnoScript) {
  const struct {
    std::string testo, atteso;
  } casi[] = {
      {"<!--<script>", R"("\u003c!--\u003cscript\u003e")"},
      {"</script>", R"("\u003c/script\u003e")"},
      {"a & b", R"("a \u0026 b")"},
      {"riga\xE2\x80\xA8paragrafo\xE2\x80\xA9", R"("riga\u2028paragrafo\u2029")"},
      {"\"\\\n\x01", R"("\"\\\n\u0001")"},
      {"Citt\xE0", "\"Citt\xEF\xBF\xBD\""},
      {"Città ‰ \xE2\x80\xA7", "\"Città ‰ \xE2\x80\xA7\""},
      {"\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD", "\"\\ufffe\\uffff\xEF\xBF\xBD\""},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.testo);
    const std::string j = json_in_pagina(nlohmann::json(c.testo));
    EXPECT_EQ(j, c.atteso);
    EXPECT_EQ(json_in_pagina(nlohmann::ordered_json(c.testo)), c.atteso);
  }
  // Keys and nested values too; read back, the same texts.
  nlohmann::json v;
  for (const std::string& t : prova::testi_ostili()) v[t] = {t, {{"nome", t}}, 1.5, nullptr};
  const std::string j = json_in_pagina(v);
  for (const char* vietato : {"<", ">", "&", "\xE2\x80\xA8", "\xE2\x80\xA9"})
    EXPECT_EQ(j.find(vietato), std::string::npos) << vietato;
  EXPECT_TRUE(prova::testo_xml_valido(j));
  EXPECT_EQ(nlohmann::json::parse(j), v);
}

}  // namespace
}  // namespace scen
