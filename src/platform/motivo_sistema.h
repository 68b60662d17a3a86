// Why the host refused an operation, as the user reads it.
#pragma once

#include <string>

namespace scen {

// The reason for the host's error number `codice` (errno): the common ones in
// Italian with the system's own text after, as "permesso negato (Permission
// denied)"; any other as the system's text alone.
std::string motivo_sistema(int codice);

}  // namespace scen
