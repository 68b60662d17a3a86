#include "check/avvisi_verosimili.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace scen {

namespace {

// The step of the speeds that the cells keep (km/h): the slowest slowdown,
// and how far below the limit the fastest stays.
constexpr Long passo_velocita = 5;

// The value with its two digits swapped, when that one is within the usual
// range: -72 for -27 is a common slip.
std::string cifre_scambiate(Long valore) {
  const Long assoluto = valore < 0 ? -valore : valore;
  if (assoluto < 10 || assoluto > 99 || assoluto % 10 == 0) return {};
  const Long scambiato = (assoluto % 10) * 10 + assoluto / 10;
  if (scambiato > pendenza_verosimile) return {};
  return fmt::format("; forse {}?", valore < 0 ? -scambiato : scambiato);
}

}  // namespace

void pendenze_verosimili(const descrizione_vista& linea, elenco_problemi& problemi) {
  for (const record_visto& r : linea.record) {
    if (r.tipo != specie::pendenza || !r.intero) continue;
    const Long v = r.valore(2);
    if (std::labs(v) <= pendenza_verosimile) continue;
    const campo_visto& c = r.campo(2);
    problemi.avviso(file_verificato::linea, c.riga, c.colonna,
                    fmt::format("pendenza: {} ‰ è oltre quel che una linea ad aderenza di solito "
                                "ha: si attende da -{} a {} ‰{}",
                                v, pendenza_verosimile, pendenza_verosimile, cifre_scambiate(v)));
  }
}

void rallentamenti_sotto_il_limite(const descrizione_vista& treno, elenco_problemi& problemi) {
  // The speed records by position (in file order at one position): each
  // holds from its position until the next.
  std::vector<const record_visto*> limiti;
  for (const record_visto& l : treno.record)
    if (l.tipo == specie::velocita && l.intero) limiti.push_back(&l);
  std::stable_sort(limiti.begin(), limiti.end(), [](const record_visto* a, const record_visto* b) {
    return a->valore(1) < b->valore(1);
  });
  for (const record_visto& r : treno.record) {
    if (r.tipo != specie::rallentamento || !r.intero) continue;
    const Long inizio = r.valore(1);
    const Long v = r.valore(2);
    if (v <= 0) continue;
    const auto dopo = std::upper_bound(
        limiti.begin(), limiti.end(), inizio,
        [](Long posizione, const record_visto* l) { return posizione < l->valore(1); });
    if (dopo == limiti.begin()) continue;
    const record_visto* limite = *(dopo - 1);
    if (limite->valore(2) <= 0 || v < limite->valore(2)) continue;
    const campo_visto& c = r.campo(2);
    problemi.avviso(
        file_verificato::treno, c.riga, c.colonna,
        fmt::format("rallentamento: la velocità {} km/h non è sotto il limite in vigore a {} m, "
                    "{} km/h dalla riga {}: un rallentamento abbassa il limite, si attende da {} "
                    "a {} km/h",
                    v, inizio, limite->valore(2), limite->chiave.riga, passo_velocita,
                    limite->valore(2) - passo_velocita));
  }
}

}  // namespace scen
