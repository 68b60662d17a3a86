#include "model/minimo.h"

namespace scen {

double valore_numerico(const variante& v) {
  if (const Integer* i = std::get_if<Integer>(&v)) return *i;
  if (const double* d = std::get_if<double>(&v)) return *d;
  return 0.0;
}

variante minimo(const variante& x, const variante& y) {
  return valore_numerico(x) > valore_numerico(y) ? y : x;
}

}  // namespace scen
