// The watch of files by their names, on what each host tells of them.
#include "platform/sorveglianza.h"

#include <utility>

namespace scen {

sorveglianza_file::sorveglianza_file(std::vector<std::string> percorsi)
    : percorsi_(std::move(percorsi)) {
  for (const std::string& p : percorsi_) viste_.push_back(impronta(p));
}

bool sorveglianza_file::cambiati() {
  bool cambiato = false;
  for (std::size_t i = 0; i < percorsi_.size(); ++i) {
    impronta_file ora = impronta(percorsi_[i]);
    if (ora != viste_[i]) cambiato = true;
    viste_[i] = ora;
  }
  return cambiato;
}

}  // namespace scen
