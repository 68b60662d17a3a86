// The processes of the host: this one's id, and whether another one is
// still running. Temporary files and private folders carry the id of the
// process that made them in their names, so that a later run can tell the
// ones that killed runs left from those of runs still at work.
#pragma once

#include <cstdint>

namespace scen {

// The id of the running process.
std::uint32_t numero_processo();

// Whether the process `pid` is still running, this one included. A process
// the system knows but will not tell about (another user's) counts as
// running; 0, and an id no process of this host can have, as ended.
bool processo_vivo(std::uint32_t pid);

}  // namespace scen
