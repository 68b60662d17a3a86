#pragma once

#include <optional>

#include "model/modello.h"

namespace scen {

// `y` when x > y (compared as numbers), otherwise `x`: on equality `x`, with
// its own type. An empty value counts as 0.
variante minimo(const variante& x, const variante& y);

// The numeric value of a variant; an empty one is 0.
double valore_numerico(const variante& v);

// The numeric value of a variant; nothing for an empty one.
std::optional<double> valore_se_pieno(const variante& v);

}  // namespace scen
