#include "platform/blocco_cartella.h"

#include <fmt/format.h>

namespace scen {

std::string avviso_attesa(const std::string& cartella) {
  return fmt::format("attendo la fine di un'altra esecuzione che scrive nella cartella \"{}\"",
                     cartella);
}

}  // namespace scen
