// For tests: what a folder holds, in a form that compares whole and prints
// short.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "testing/cartella_temporanea.h"

namespace scen::prova {

// The bytes as their length and a 64-bit FNV-1a hash: two files compare
// equal exactly when (barring a collision) their bytes do.
inline std::string impronta(const std::string& byte) {
  std::uint64_t h = 14695981039346656037ull;
  for (char c : byte) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  char testo[17];
  for (int i = 15; i >= 0; --i, h >>= 4) testo[i] = "0123456789abcdef"[h & 15];
  testo[16] = '\0';
  return std::to_string(byte.size()) + " byte " + testo;
}

// Every name in a folder with what it is: a file's `impronta`, a link's
// target as "-> target", a folder as "(cartella)".
using contenuto_cartella = std::map<std::string, std::string>;

inline contenuto_cartella contenuto(const std::string& cartella) {
  contenuto_cartella nomi;
  for (const std::filesystem::directory_entry& voce :
       std::filesystem::directory_iterator(cartella)) {
    const std::string nome = voce.path().filename().string();
    if (voce.is_symlink())
      nomi[nome] = "-> " + std::filesystem::read_symlink(voce.path()).string();
    else if (voce.is_directory())
      nomi[nome] = "(cartella)";
    else
      nomi[nome] = impronta(leggi(voce.path().string()));
  }
  return nomi;
}

}  // namespace scen::prova
