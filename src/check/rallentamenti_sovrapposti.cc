#include "check/rallentamenti_sovrapposti.h"

#include <algorithm>

#include "read/accesso.h"

namespace scen {

namespace {

largo fine_di(const record_visto& r) { return static_cast<largo>(r.valore(1)) + r.valore(3); }

}  // namespace

std::vector<sovrapposizione> rallentamenti_sovrapposti(const descrizione_vista& treno) {
  std::vector<const record_visto*> rallentamenti;
  for (const record_visto& r : treno.record)
    if (r.tipo == specie::rallentamento && r.intero && r.valore(3) > 0) rallentamenti.push_back(&r);
  std::stable_sort(
      rallentamenti.begin(), rallentamenti.end(),
      [](const record_visto* a, const record_visto* b) { return a->valore(1) < b->valore(1); });
  std::vector<sovrapposizione> r;
  const record_visto* piu_lungo = nullptr;  // of those before, the one that ends last
  for (const record_visto* x : rallentamenti) {
    if (piu_lungo && x->valore(1) < fine_di(*piu_lungo)) r.push_back({piu_lungo, x});
    if (!piu_lungo || fine_di(*x) > fine_di(*piu_lungo)) piu_lungo = x;
  }
  return r;
}

}  // namespace scen
