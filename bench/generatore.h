// The descriptions of a 1,000,000 m line and of a train that runs over it,
// generated with about the record density of the carried route (334 km: 173
// curves, 251 gradients, 15 mountain zones, 64 speed indicators, 19
// signposts; 43 speed limits, 45 stations, 2 slowdowns, 179 signals, 78 code
// reductions), scaled to 1000 km, except stations and signposts, which share
// 80 records. Always the same bytes.
#pragma once

#include <string>

namespace scen::banco {

struct descrizioni {
  std::string linea, treno;
};

descrizioni genera();

}  // namespace scen::banco
