// The smoothing of a track against GPS noise: at each point, a weighted
// local quadratic fit of its values against the length along the track.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

namespace scen {

// Values at each point of a weighted local quadratic fit of `valori` against
// the arc length `u`, over the points within `finestra` of it. Where too few
// points fall in the window the point keeps its own value. For N = 1 (a
// height) and N = 2 (a point of the plane).
template <std::size_t N>
std::vector<std::array<double, N>> liscia(const std::vector<double>& u,
                                          const std::vector<std::array<double, N>>& valori,
                                          double finestra);

}  // namespace scen
