#include "content/dati_incorporati.h"

#include <stdexcept>

namespace scen {

std::vector<std::string> righe_incorporate(std::string_view nome) {
  for (const DatoIncorporato& dato : dati_incorporati()) {
    if (dato.nome != nome) continue;
    std::vector<std::string> righe;
    std::string_view resto = dato.testo;
    while (!resto.empty()) {
      size_t fine = resto.find('\n');
      if (fine == std::string_view::npos) fine = resto.size();
      righe.emplace_back(resto.substr(0, fine));
      resto.remove_prefix(fine < resto.size() ? fine + 1 : fine);
    }
    return righe;
  }
  throw std::out_of_range("dato dello scenario assente: " + std::string(nome));
}

}  // namespace scen
