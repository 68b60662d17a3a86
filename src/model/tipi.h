// Type words of the scenario format.
#pragma once

#include <cstdint>
#include <variant>

namespace scen {

using Byte = std::uint8_t;
using Integer = std::int16_t;
using Long = std::int32_t;

// A variant value: empty, Integer or Double, and it knows which.
using variante = std::variant<std::monostate, Integer, double>;

}  // namespace scen
