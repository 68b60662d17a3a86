#include "platform/visibile.h"

#include <gtest/gtest.h>

namespace scen {
namespace {

TEST(Visibile, ControlsAreWrittenOutAndTheRestKept) {
  const struct {
    std::string testo, atteso;
  } casi[] = {
      {"Vela Nuro", "Vela Nuro"},
      {"àè €", "àè €"},
      {"riga\nnuova\r\tfine", "riga\\nnuova\\r\\tfine"},
      {"\x1b[2J\x1b]0;titolo\x07", "\\x1b[2J\\x1b]0;titolo\\x07"},
      {std::string("a\0b", 3), "a\\x00b"},
      {"\x7f", "\\x7f"},
      {"\xc2\x9b"
       "31m",
       "\\u009b31m"},
      {"\xc2\x85|\xe2\x80\xa8|\xe2\x80\xa9", "\\u0085|\\u2028|\\u2029"},
      {"\xc2", "\xc2"},
      {"a\\b", "a\\b"},
  };
  for (const auto& c : casi) EXPECT_EQ(visibile(c.testo), c.atteso) << c.testo;
}

}  // namespace
}  // namespace scen
