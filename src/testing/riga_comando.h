// For tests: a program and its arguments as one shell command line.
#pragma once

#include <string>
#include <vector>

namespace scen::prova {

// `testo` between single quotes, as the shell takes it word for word.
inline std::string tra_apici(const std::string& testo) {
  std::string r = "'";
  for (char c : testo) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return r + "'";
}

// `programma` followed by every argument, each quoted.
inline std::string riga_comando(const std::string& programma,
                                const std::vector<std::string>& argomenti) {
  std::string riga = programma;
  for (const std::string& a : argomenti) riga += ' ' + tra_apici(a);
  return riga;
}

}  // namespace scen::prova
