#include "marcia/rotabile_scelto.h"

#include <fmt/format.h>

#include "platform/file.h"
#include "platform/visibile.h"

namespace scen {

std::string rotabile_accanto(const std::string& treno) {
  const size_t barra = treno.find_last_of("/\\");
  const size_t punto = treno.find_last_of('.');
  // A name that only begins with a dot (".treno") has no extension.
  const bool con_estensione =
      punto != std::string::npos && (barra == std::string::npos ? punto > 0 : punto > barra + 1);
  return (con_estensione ? treno.substr(0, punto) : treno) + ".rotabile.json";
}

Stato scegli_rotabile(const std::string& dato, const std::string& descrizione_treno,
                      rotabile_scelto& scelto) {
  scelto = {};
  std::string nome = dato;
  if (nome.empty() && !descrizione_treno.empty()) {
    const std::string accanto = rotabile_accanto(descrizione_treno);
    if (!esiste(accanto)) return Stato::ok();
    nome = accanto;
    scelto.accanto = true;
  }
  if (nome.empty()) return Stato::ok();
  std::string testo;
  if (Stato s = leggi_file_regolare(nome, testo, byte_massimi_rotabile); !s.riuscito()) return s;
  rotabile r;
  if (Stato s = leggi_rotabile(testo, nome, r); !s.riuscito()) return s;
  scelto.treno = std::move(r);
  scelto.file = nome;
  return Stato::ok();
}

std::string riga_rotabile_accanto(const rotabile_scelto& scelto) {
  if (!scelto.accanto) return {};
  return fmt::format("rotabile: {} (accanto alla descrizione del treno)", visibile(scelto.file));
}

}  // namespace scen
