// What `scenario ispeziona` writes of the facts of the compiled files: the
// words, one line each, or one JSON document; both from the same facts, so
// the two always say the same. Texts are written in UTF-8.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "inspect/fatti_compilati.h"
#include "inspect/insieme_compilati.h"

namespace scen {

using documento_json = nlohmann::ordered_json;

// The facts of one file as JSON; a file that could not be read as its name
// and its error.
documento_json json_fatti(const fatti_file& f);

// The facts of one file that was read, in words, one line each.
std::vector<std::string> righe_fatti(const fatti_file& f);

// An inconsistency among files given together, in words.
std::string testo_incoerenza(const incoerenza& i);

}  // namespace scen
