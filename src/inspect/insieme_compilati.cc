#include "inspect/insieme_compilati.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "read/accesso.h"

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

// Whether the cell file `celle` goes with the train file `treno`.
bool celle_del_treno(const fatti_celle& celle, const fatti_treno& treno) {
  return cartella_e_radice(celle.file, ".dat") == cartella_e_radice(treno.file, ".sim");
}

// Whether the line file `linea` goes with the train file `treno`.
bool linea_del_treno(const fatti_linea& linea, const fatti_treno& treno) {
  const auto [cartella, radice] = cartella_e_radice(treno.file, ".sim");
  const auto [c, percorso] = cartella_e_radice(linea.file, "_linea.dat");
  return c == cartella && radice.starts_with(percorso + "_");
}

}  // namespace

std::vector<incoerenza> incoerenze(const std::vector<fatti_file>& letti) {
  std::vector<incoerenza> trovate;
  for (const fatti_file& f : letti) {
    const fatti_treno* treno = std::get_if<fatti_treno>(&f);
    if (treno == nullptr) continue;
    const long lunghezza = treno->lunghezza_percorso;
    const long estesa = lunghezza + metri_oltre_la_linea;
    for (const fatti_file& altro : letti) {
      if (const fatti_celle* celle = std::get_if<fatti_celle>(&altro)) {
        if (!celle_del_treno(*celle, *treno)) continue;
        const long numero = static_cast<long>(celle->celle);
        const long attese = estesa < 0 ? 0 : static_cast<long>(cella_di(estesa)) + 1;
        if (numero != attese)
          trovate.push_back(
              {incoerenza::genere::celle, celle->file, numero, attese, treno->file, lunghezza});
      } else if (const fatti_linea* linea = std::get_if<fatti_linea>(&altro)) {
        if (!linea_del_treno(*linea, *treno)) continue;
        const long ultimo = linea->tracciato.ultimo_metro;
        if (ultimo != estesa)
          trovate.push_back(
              {incoerenza::genere::tracciato, linea->file, ultimo, estesa, treno->file, lunghezza});
      }
    }
  }
  return trovate;
}

void unisci_cartelli(std::vector<fatti_file>& letti) {
  for (fatti_file& f : letti) {
    fatti_treno* treno = std::get_if<fatti_treno>(&f);
    if (treno == nullptr) continue;
    const fatti_celle* celle = nullptr;
    for (const fatti_file& altro : letti) {
      celle = std::get_if<fatti_celle>(&altro);
      if (celle != nullptr && celle_del_treno(*celle, *treno)) break;
      celle = nullptr;
    }
    if (celle == nullptr) continue;
    for (cartello_compilato& cartello : treno->cartelli)
      for (const cella_cartello& dove : celle->cartelli)
        if (dove.registro == cartello.registro) {
          cartello.cella = dove.cella;
          break;
        }
  }
}

}  // namespace scen
