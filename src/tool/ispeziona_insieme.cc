// Files of one scenario given together must come from the same compile: the
// cells and the trace of the train file's line length.
#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "inspect/lettura_compilati.h"
#include "read/accesso.h"
#include "tool/ispeziona_fatti.h"

namespace scen {

namespace {

// The folder part of a name ("" for none) and the name without its folder
// and without `finale`.
std::pair<std::string, std::string> cartella_e_radice(std::string_view nome,
                                                      std::string_view finale) {
  const size_t barra = nome.find_last_of('/');
  std::string_view cartella = barra == std::string_view::npos ? "" : nome.substr(0, barra + 1);
  std::string_view radice = nome.substr(cartella.size());
  radice.remove_suffix(std::min(finale.size(), radice.size()));
  return {std::string(cartella), std::string(radice)};
}

// The cell file given with the train file `treno`, of the same folder and
// name; nothing when there is none.
const fatti* celle_del_treno(const fatti& letti, const fatti& treno) {
  const auto [cartella, radice] = cartella_e_radice(treno["file"].get<std::string>(), ".sim");
  for (const fatti& altro : letti) {
    if (altro.value("tipo", "") != "celle") continue;
    const auto [c, r] = cartella_e_radice(altro["file"].get<std::string>(), ".dat");
    if (c == cartella && r == radice) return &altro;
  }
  return nullptr;
}

}  // namespace

void unisci_cartelli(fatti& letti) {
  for (fatti& treno : letti) {
    if (treno.value("tipo", "") != "treno") continue;
    const fatti* celle = celle_del_treno(letti, treno);
    if (celle == nullptr) continue;
    for (fatti& cartello : treno["cartelli"])
      for (const fatti& dove : (*celle)["cartelli"])
        if (dove["registro"] == cartello["registro"]) {
          cartello["cella"] = dove["cella"];
          cartello["metri"] = dove["metri"];
          break;
        }
  }
}

std::vector<std::string> incoerenze(const fatti& letti) {
  std::vector<std::string> trovate;
  for (const fatti& treno : letti) {
    if (treno.value("tipo", "") != "treno") continue;
    const std::string nome_treno = treno["file"].get<std::string>();
    const auto [cartella, radice] = cartella_e_radice(nome_treno, ".sim");
    const long lunghezza = treno["lunghezza_percorso"].get<long>();
    const long estesa = lunghezza + metri_oltre_la_linea;
    for (const fatti& altro : letti) {
      const std::string tipo = altro.value("tipo", "");
      const std::string nome = altro["file"].get<std::string>();
      if (tipo == "celle") {
        const auto [c, r] = cartella_e_radice(nome, ".dat");
        if (c != cartella || r != radice) continue;
        const long celle = altro["celle"].get<long>();
        const long attese = estesa < 0 ? 0 : static_cast<long>(cella_di(estesa)) + 1;
        if (celle != attese)
          trovate.push_back(fmt::format(
              "{}: {} celle, ma la linea di {} m di {} ne ha {}: i due file non vengono dalla "
              "stessa compilazione",
              nome, celle, lunghezza, nome_treno, attese));
      } else if (tipo == "linea") {
        const auto [c, percorso] = cartella_e_radice(nome, "_linea.dat");
        if (c != cartella || !radice.starts_with(percorso + "_")) continue;
        const long ultimo = altro["ultimo_metro"].get<long>();
        if (ultimo != estesa)
          trovate.push_back(fmt::format(
              "{}: il tracciato arriva al metro {}, ma la linea di {} m di {} arriva al metro {}: "
              "i due file non vengono dalla stessa compilazione",
              nome, ultimo, lunghezza, nome_treno, estesa));
      }
    }
  }
  return trovate;
}

}  // namespace scen
