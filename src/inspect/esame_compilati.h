// What the tables of the compiled files hold, worked out from them: the
// trace's extent and size, the census of the cells, where the stations and
// the signposts lie in the record table, and the competition codes that a
// file's name asks for.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/modello.h"

namespace scen {

// The plan trace's extent: the metres whose X and Y are both filled, the
// first metre that is not, and the trace's lengths and bounding box over the
// filled metres (metres, X across the initial heading, Y along it).
struct esame_tracciato {
  Long ultimo_metro = 0;            // the highest metre index (`lunghezza_estesa`)
  Long metri_pieni = 0;             // metres with both X and Y filled
  std::optional<Long> primo_vuoto;  // the first metre with X or Y empty
  Long ultimo_pieno = -1;           // the last filled metre before it (-1: none)
  double lunghezza_retta = 0;       // metre 0 to `ultimo_pieno`, in a straight line
  double lunghezza_lungo = 0;       // the same along the trace, metre by metre
  double x_min = 0, x_max = 0, y_min = 0, y_max = 0;
};

esame_tracciato esamina_tracciato(const std::array<componente_tracciato, 2>& tracciato);

// What a cell code stands for, in words ("segnale", "inizio rallentamento"...);
// empty for a code that no cell carries.
std::string_view oggetto_cella(Byte codice);

// How many cells carry each code.
std::array<size_t, 256> censimento_codici(const std::vector<cella>& celle);

// The records in use: stations from 1 upward and signposts from 80 downward,
// each run ending at the first all-zero record (the two never overlap).
struct parti_registri {
  int stazioni = 0;        // records 1 to `stazioni`
  int primo_cartello = 0;  // records `primo_cartello` to 80; 81 when none
};
parti_registri parti(const std::array<registro, indice_registro::numero>& registri);

// A time of day in seconds as "hh:mm:ss".
std::string ora(Long secondi);

// The ways a compiled train or cell file's name (without its folder and its
// ending) divides into route key and train key: at each "_", route key first.
struct chiavi_nome {
  std::string percorso;
  std::string treno;
  friend bool operator==(const chiavi_nome&, const chiavi_nome&) = default;
};
std::vector<chiavi_nome> divisioni_nome(std::string_view radice);

// The two competition codes of a pair of keys (Windows-1252).
Integer codice_og_di(const chiavi_nome& chiavi);
Long codice_st_di(const chiavi_nome& chiavi);

}  // namespace scen
