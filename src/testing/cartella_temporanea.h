// For tests: a fresh folder that is removed with everything in it at the end.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace scen::prova {

class CartellaTemporanea {
 public:
  CartellaTemporanea() {
    std::string modello = (std::filesystem::temp_directory_path() / "scen-XXXXXX").string();
    std::vector<char> nome(modello.begin(), modello.end());
    nome.push_back('\0');
    percorso_ = ::mkdtemp(nome.data());
  }
  ~CartellaTemporanea() {
    std::error_code ignorato;
    std::filesystem::permissions(percorso_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignorato);
    std::filesystem::remove_all(percorso_, ignorato);
  }
  CartellaTemporanea(const CartellaTemporanea&) = delete;
  CartellaTemporanea& operator=(const CartellaTemporanea&) = delete;

  const std::string& percorso() const { return percorso_; }
  std::string file(const std::string& nome) const { return percorso_ + "/" + nome; }

  // The names in the folder, sorted.
  std::vector<std::string> elenco() const {
    std::vector<std::string> nomi;
    for (const auto& voce : std::filesystem::directory_iterator(percorso_))
      nomi.push_back(voce.path().filename().string());
    std::sort(nomi.begin(), nomi.end());
    return nomi;
  }

 private:
  std::string percorso_;
};

inline std::string leggi(const std::string& percorso) {
  std::ifstream in(percorso, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void scrivi(const std::string& percorso, const std::string& byte) {
  std::ofstream(percorso, std::ios::binary) << byte;
}

}  // namespace scen::prova
