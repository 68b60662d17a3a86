// For tests: a written text file taken back apart into its lines, and a line
// into its comma-separated fields.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace scen::prova {

// The lines of a text file as the writers leave it. Every line must end in
// CR LF, the last one included, and no line may hold a lone CR or LF; each
// fault is a test failure.
inline std::vector<std::string> righe_crlf(std::string_view byte) {
  std::vector<std::string> righe;
  size_t inizio = 0;
  while (inizio < byte.size()) {
    size_t fine = byte.find("\r\n", inizio);
    if (fine == std::string_view::npos) {
      ADD_FAILURE() << "line " << righe.size() + 1 << " does not end in CR LF";
      fine = byte.size();
    }
    const std::string_view riga = byte.substr(inizio, fine - inizio);
    EXPECT_EQ(riga.find_first_of("\r\n"), std::string_view::npos)
        << "lone CR or LF in line " << righe.size() + 1;
    righe.emplace_back(riga);
    inizio = fine + 2;
  }
  return righe;
}

// The fields of a line between its commas, blanks kept.
inline std::vector<std::string> campi(std::string_view riga) {
  std::vector<std::string> campi;
  for (;;) {
    const size_t virgola = riga.find(',');
    campi.emplace_back(riga.substr(0, virgola));
    if (virgola == std::string_view::npos) return campi;
    riga.remove_prefix(virgola + 1);
  }
}

}  // namespace scen::prova
