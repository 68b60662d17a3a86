#include "model/minimo.h"

namespace scen {

std::optional<double> valore_se_pieno(const variante& v) {
  if (const Integer* i = std::get_if<Integer>(&v)) return *i;
  if (const double* d = std::get_if<double>(&v)) return *d;
  return std::nullopt;
}

double valore_numerico(const variante& v) { return valore_se_pieno(v).value_or(0.0); }

variante minimo(const variante& x, const variante& y) {
  return valore_numerico(x) > valore_numerico(y) ? y : x;
}

}  // namespace scen
