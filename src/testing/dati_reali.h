// For tests: the public map data and GPS logs that nobody on this project
// made, read where they stand (never copied, never edited).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace scen::prova {

// The folder of the real data: $SCEN_DATI_REALI, else the one beside the
// checkout, else the workplace's; empty when none is there.
inline std::string cartella_dati_reali() {
  std::vector<std::string> candidati;
  if (const char* d = std::getenv("SCEN_DATI_REALI")) candidati.push_back(d);
#ifdef SCEN_DATI_REALI
  candidati.push_back(SCEN_DATI_REALI);
#endif
  candidati.push_back("/work/shared/realdata");
  for (const std::string& c : candidati)
    if (!c.empty() && std::filesystem::is_directory(c)) return c;
  return "";
}

// The path of one file of the real data; empty when it is not there.
inline std::string dato_reale(const std::string& nome) {
  const std::string cartella = cartella_dati_reali();
  if (cartella.empty()) return "";
  const std::filesystem::path p = std::filesystem::path(cartella) / nome;
  return std::filesystem::exists(p) ? p.string() : "";
}

}  // namespace scen::prova

// Skips the test, saying why, when the real data's file is not there.
#define SCEN_DATO_REALE(variabile, nome)                         \
  const std::string variabile = ::scen::prova::dato_reale(nome); \
  if (variabile.empty()) GTEST_SKIP() << "dati reali assenti: " << (nome)
