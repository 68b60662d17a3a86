// The train card made from the descriptions: one timed row for every station,
// a kilometre-post row wherever the speed limit falls, the jump mark and the
// mark that follows it wherever the kilometre count jumps, and the "(0.000)"
// row after the destination; spacer rows after the stations.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "documents/dati_documenti.h"
#include "documents/griglia_scheda.h"

namespace scen {

// The speed without signal repetition that a kilometre-post row gives: the
// limit, but never above this.
inline constexpr std::int64_t velocita_senza_ripetizione = 120;

// A grid row of the generated card, with the train description line it
// comes from (0 for a row of the line's own: a jump of the count).
struct riga_generata {
  riga_impaginata riga;
  long riga_treno = 0;
  long colonna_treno = 0;  // the column of the record's position, or of its text
};

// The rows of the card, in order; the problems that the rows meet (a name
// wider than its cell, a value too wide for its cell, a station without the
// time its row calls for) go to `problemi`.
std::vector<riga_generata> righe_della_scheda(const descrizioni_documenti& d,
                                              std::vector<diagnostica>& problemi);

// The whole card, line by line (Windows-1252); empty when `problemi` gets an
// error, here or from the rows. The origin and the destination of the heading
// are the first and the last station. `fogli`, when given, gets the number of
// sheets.
std::vector<std::string> scheda_generata(const descrizioni_documenti& d,
                                         intestazione_scheda intestazione,
                                         std::vector<diagnostica>& problemi,
                                         size_t* fogli = nullptr);

// A station's name as the card's later sheets and the slowdown order give
// the destination: the word "Centrale" written "C.le".
std::string nome_breve(std::string_view nome);

}  // namespace scen
