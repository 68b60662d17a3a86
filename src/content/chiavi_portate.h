// The keys of the scenario this program carries: every file name of the build
// run is made from them.
#pragma once

namespace scen {

inline constexpr const char* chiave_percorso_portata = "Vela_Nuro";
inline constexpr const char* chiave_treno_portata = "IC 731";

}  // namespace scen
