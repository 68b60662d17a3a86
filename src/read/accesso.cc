#include "read/accesso.h"

#include <fmt/format.h>

namespace scen {

void guasto(std::string causa, long riga) { throw guasto_lettura{std::move(causa), riga}; }

void guasto_cella(const modello& m, largo i) {
  if (m.celle.empty())
    guasto(
        fmt::format("indice di cella {} con le celle non ancora dimensionate "
                    "(lunghezza della linea non letta)",
                    i));
  if (i < 0) guasto(fmt::format("indice di cella {} prima della cella 0", i));
  guasto(fmt::format("indice di cella {} oltre l'ultima cella {}", i, m.celle.size() - 1));
}

void guasto_tracciato(const modello& m, largo metro) {
  if (m.tracciato[0].empty())
    guasto(
        fmt::format("metro {} del tracciato con il tracciato non ancora dimensionato "
                    "(lunghezza della linea non letta)",
                    metro));
  guasto(fmt::format("metro {} del tracciato oltre l'ultimo metro {}", metro,
                     m.tracciato[0].size() - 1));
}

void guasto_registro(largo i) {
  guasto(fmt::format("indice di registro {} fuori dalla tabella (0..{})", i,
                     indice_registro::numero - 1));
}

void guasto_larghezza(largo valore, std::string_view campo, largo minimo, largo massimo) {
  guasto(fmt::format("valore {} fuori dal campo {} ({}..{})", valore, campo, minimo, massimo));
}

void guasto_32_bit(largo valore, std::string_view cosa) {
  guasto(fmt::format("{} = {} oltre i 32 bit", cosa, valore));
}

}  // namespace scen
