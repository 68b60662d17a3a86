// The scenario's carried content, embedded at build time from scenario/*.txt.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scen {

struct DatoIncorporato {
  std::string_view nome;   // file name in scenario/ without ".txt"
  std::string_view testo;  // its bytes, UTF-8, lines ending in LF
};

const std::vector<DatoIncorporato>& dati_incorporati();

// The lines of the named data file, in order, without their line ends. The
// build stops when one of those that the programs name is missing (linea,
// treno, note, rallentamenti, scheda_treno); any other name that no file has
// is a fault of the caller, and throws std::out_of_range.
std::vector<std::string> righe_incorporate(std::string_view nome);

}  // namespace scen
