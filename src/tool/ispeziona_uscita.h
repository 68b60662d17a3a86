// What `scenario ispeziona` says of each compiled file, as JSON facts: the
// JSON output is these facts, and the words are written from them, so the two
// always say the same.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "model/modello.h"
#include "tool/ispeziona.h"

namespace scen {

using fatti = nlohmann::ordered_json;

// `nome` is the file as given (host text), `byte` its size. Texts of the
// files are given in UTF-8.
fatti fatti_treno(const std::string& nome, std::uint64_t byte, const modello& m);
fatti fatti_celle(const std::string& nome, std::uint64_t byte, const modello& m,
                  const std::optional<intervallo_celle>& scelte);
fatti fatti_linea(const std::string& nome, std::uint64_t byte, const modello& m);

// False when the file's competition code, or the keys in its records, are
// not those of its name.
bool concorda_col_nome(const fatti& f);

// What does not fit among files given together: a cell file, or a line file,
// beside a train file of the same scenario (same folder, same keys) whose
// line length asks for another number of cells or another trace.
std::vector<std::string> incoerenze(const fatti& letti);

// The cells of the signposts, from a cell file given together with the train
// file of the same scenario, added to the train file's signposts ("cella",
// "metri").
void unisci_cartelli(fatti& letti);

// The facts of one file in words, one line each.
std::vector<std::string> righe_fatti(const fatti& f);

}  // namespace scen
