// The two keys of a scenario as `compila` and `documenti` take them on the
// command line.
#pragma once

#include <string>

#include "content/chiavi_portate.h"
#include "platform/stato.h"
#include "tool/comandi.h"

namespace scen {

struct chiavi_comando {
  std::string percorso = chiave_percorso_portata;  // as given, UTF-8
  std::string treno = chiave_treno_portata;        // as given, UTF-8
};

// The options --chiave-percorso and --chiave-treno.
void dichiara_chiavi(parte_comando& parte, chiavi_comando& chiavi);

// The keys in Windows-1252 into `percorso` and `treno`; the first that cannot
// be a key is the failure.
Stato chiavi_1252(const chiavi_comando& date, std::string& percorso, std::string& treno);

}  // namespace scen
