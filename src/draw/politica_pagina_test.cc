#include "draw/politica_pagina.h"

#include <gtest/gtest.h>

#include <string>

namespace scen {
namespace {

std::string esadecimale(const std::array<std::uint8_t, 32>& d) {
  static constexpr char cifre[] = "0123456789abcdef";
  std::string t;
  for (std::uint8_t b : d) {
    t += cifre[b >> 4];
    t += cifre[b & 15];
  }
  return t;
}

TEST(PoliticaPagina, Sha256DeiVettoriNoti) {
  const struct {
    std::string ingresso, digest;
  } casi[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      // 56 bytes: the length no longer fits the first block's tail.
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlm"
       "nopqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      // 55 and 64 bytes: the last length in one block, a whole block.
      {std::string(55, 'x'), "d5e285683cd4efc02d021a5c62014694958901005d6f71e89e0989fac77e4072"},
      {std::string(64, 'x'), "7ce100971f64e7001e8fe5a51973ecdfe1ced42befe7ee8d5fd6219506b5393c"},
  };
  for (const auto& c : casi) {
    EXPECT_EQ(esadecimale(sha256(c.ingresso)), c.digest) << c.ingresso.substr(0, 20);
  }
}

TEST(PoliticaPagina, Base64) {
  const struct {
    std::string ingresso, atteso;
  } casi[] = {{"", ""},
              {"f", "Zg=="},
              {"fo", "Zm8="},
              {"foo", "Zm9v"},
              {"foob", "Zm9vYg=="},
              {"fooba", "Zm9vYmE="},
              {"foobar", "Zm9vYmFy"},
              {"\xFF\xFE\x01", "//4B"}};
  for (const auto& c : casi) EXPECT_EQ(base64(c.ingresso), c.atteso) << c.ingresso;
}

TEST(PoliticaPagina, SoloLoScriptDellaPagina) {
  const std::string script = "\nconsole.log(1);\n";
  for (bool servita : {false, true}) {
    SCOPED_TRACE(servita);
    const std::string p = politica_pagina(script, servita);
    // The digest of the script: "'sha256-" then the base64 of its 32 bytes.
    const auto d = sha256(script);
    const std::string impronta =
        "'sha256-" + base64(std::string(reinterpret_cast<const char*>(d.data()), d.size())) + "'";
    EXPECT_NE(p.find("script-src " + impronta + ";"), std::string::npos) << p;
    EXPECT_NE(p.find("default-src 'none'"), std::string::npos) << p;
    EXPECT_NE(p.find("base-uri 'none'"), std::string::npos) << p;
    EXPECT_EQ(p.find("unsafe-eval"), std::string::npos) << p;
    EXPECT_EQ(p.find("script-src 'unsafe-inline'"), std::string::npos) << p;
    EXPECT_EQ(p.find('"'), std::string::npos) << p;
    // A meta element cannot say whom the page may be framed by: the browser
    // would complain on the console.
    EXPECT_EQ(p.find("frame-ancestors") != std::string::npos, servita) << p;
    EXPECT_EQ(p.find("connect-src 'self'") != std::string::npos, servita) << p;
  }
  EXPECT_NE(politica_pagina("a", false), politica_pagina("b", false));
}

}  // namespace
}  // namespace scen
