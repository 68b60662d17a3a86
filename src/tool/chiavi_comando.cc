#include "tool/chiavi_comando.h"

#include "tool/compila.h"

namespace scen {

void dichiara_chiavi(parte_comando& parte, chiavi_comando& chiavi) {
  parte.opzione("--chiave-percorso", chiavi.percorso,
                "chiave del percorso (predefinita \"Vela_Nuro\")", "K");
  parte.opzione("--chiave-treno", chiavi.treno, "chiave del treno (predefinita \"IC 731\")", "K");
}

Stato chiavi_1252(const chiavi_comando& date, std::string& percorso, std::string& treno) {
  if (Stato s = chiave_1252(date.percorso, "del percorso", percorso); !s.riuscito()) return s;
  return chiave_1252(date.treno, "del treno", treno);
}

}  // namespace scen
