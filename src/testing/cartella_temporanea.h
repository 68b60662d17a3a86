// For tests: a fresh folder that is removed with everything in it at the end.
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/cartella_privata.h"

namespace scen::prova {

// The folder is the host's private folder; a folder that cannot be made
// throws, so the test fails there and then instead of working in a folder
// with no name.
class CartellaTemporanea {
 public:
  CartellaTemporanea() {
    const Stato creata = cartella_.crea();
    if (!creata.riuscito()) throw std::runtime_error("cartella temporanea: " + creata.messaggio());
  }
  ~CartellaTemporanea() {
    // A test may have taken the owner's rights away: give them back, so that
    // the folder can go with everything in it.
    std::error_code ignorato;
    std::filesystem::permissions(percorso(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignorato);
  }
  CartellaTemporanea(const CartellaTemporanea&) = delete;
  CartellaTemporanea& operator=(const CartellaTemporanea&) = delete;

  const std::string& percorso() const { return cartella_.percorso(); }
  std::string file(const std::string& nome) const { return percorso() + "/" + nome; }

  // The names in the folder, sorted.
  std::vector<std::string> elenco() const {
    std::vector<std::string> nomi;
    for (const auto& voce : std::filesystem::directory_iterator(percorso()))
      nomi.push_back(voce.path().filename().string());
    std::sort(nomi.begin(), nomi.end());
    return nomi;
  }

 private:
  cartella_privata cartella_;
};

inline std::string leggi(const std::string& percorso) {
  std::ifstream in(percorso, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void scrivi(const std::string& percorso, const std::string& byte) {
  std::ofstream(percorso, std::ios::binary) << byte;
}

}  // namespace scen::prova
