// The slowdown order made from the descriptions: one row for each slowdown
// record of the train description, with the station or the two stations it
// lies among, the last whole-kilometre post before its start in the
// railway's own marks, its speed, its length and its prescription.
#pragma once

#include <string>
#include <vector>

#include "documents/dati_documenti.h"

namespace scen {

// Rows of the slowdown table.
inline constexpr size_t righe_rallentamenti = 26;

// The stations a slowdown starting at `inizio` lies among: the station whose
// extent holds its start, else the last station before it and the first
// after it, joined by " e " (only one where the other is missing).
std::string stazioni_del_rallentamento(const std::vector<stazione_descritta>& stazioni,
                                       std::int64_t inizio);

// The order line by line (Windows-1252); empty when `problemi` gets an
// error: more slowdowns than rows, one before the first kilometre post, a
// cell that cannot hold its text. `chiave_treno` is the train key as line 7
// gives it.
std::vector<std::string> ordine_rallentamenti(const descrizioni_documenti& d,
                                              const std::string& chiave_treno,
                                              std::vector<diagnostica>& problemi);

}  // namespace scen
