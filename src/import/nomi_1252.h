// Names from the map in the descriptions' Windows-1252: a letter that has
// no byte there becomes its plain Latin letter ("Łódź" is written "Lódz"),
// and any other character a question mark.
#pragma once

#include <string>

namespace scen {

// `nome` (UTF-8) with every character written in Windows-1252 kept, and the
// others replaced as above; still UTF-8.
std::string nome_per_1252(const std::string& nome);

}  // namespace scen
