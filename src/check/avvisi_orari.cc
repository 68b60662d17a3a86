#include "check/avvisi_orari.h"

#include <fmt/format.h>

#include <cmath>

#include "marcia/corsa.h"
#include "marcia/orario.h"
#include "marcia/percorso.h"
#include "marcia/rotabile.h"
#include "read/costruttori_treno.h"

namespace scen {

namespace {

// A duration as "10 min 15 s", "45 s", "1 h 2 min 0 s".
std::string durata(long s) {
  if (s < 60) return fmt::format("{} s", s);
  if (s < 3600) return fmt::format("{} min {} s", s / 60, s % 60);
  return fmt::format("{} h {} min {} s", s / 3600, s / 60 % 60, s % 60);
}

}  // namespace

void controlla_orari(const modello& letto, const descrizione_vista& linea,
                     const descrizione_vista& treno, elenco_problemi& problemi) {
  const percorso_marcia percorso = percorso_da_modello(letto, &linea);
  if (percorso.stazioni.empty()) return;

  // The station records in the order of the table, where the times stand.
  std::vector<const record_visto*> record;
  const record_visto* orologio = nullptr;
  for (const record_visto& r : treno.record) {
    if (!r.intero) continue;
    if (r.tipo == specie::stazione) record.push_back(&r);
    if (r.tipo == specie::orologio) orologio = &r;
  }
  auto record_di = [&](const stazione_marcia& s) -> const record_visto* {
    const size_t i = static_cast<size_t>(s.registro - 1);
    return i < record.size() ? record[i] : nullptr;
  };
  auto nome = [](const stazione_marcia& s) { return s.nome; };

  const stazione_marcia& origine = percorso.stazioni.front();
  // A clock whose fields are out of their ranges has its own warnings.
  const registro& g = letto.registri[indice_registro::generali_ripetizione];
  const bool orologio_valido = ora_valida(g.campo_10, g.campo_11, g.campo_12);
  if (orologio && orologio_valido && origine.orario != 0 && percorso.orologio != origine.orario)
    problemi.avviso(
        file_verificato::treno, orologio->chiave.riga, orologio->campo(1).colonna,
        fmt::format("orologio: {}, ma il treno parte dall'origine «{}» alle {}",
                    ora_testo(percorso.orologio), nome(origine), ora_testo(origine.orario)));

  const rotabile treno_incorporato =
      rotabile_incorporato(letto.registri[indice_registro::generali_treno].progressiva,
                           letto.registri[indice_registro::generali_treno].inizio);
  corsa c;
  const bool con_corsa = calcola_corsa(percorso, treno_incorporato, c).riuscito();

  size_t prima = percorso.stazioni.size();  // the last station with a time
  for (size_t i = 0; i < percorso.stazioni.size(); ++i) {
    const stazione_marcia& s = percorso.stazioni[i];
    if (s.orario == 0) continue;
    const record_visto* r = record_di(s);
    if (prima < percorso.stazioni.size() && r) {
      const stazione_marcia& a = percorso.stazioni[prima];
      const long riga = r->chiave.riga, colonna = r->campo(14).colonna;
      const long concesso = s.orario - a.orario;
      if (concesso < 0) {
        problemi.avviso(
            file_verificato::treno, riga, colonna,
            fmt::format("stazione «{}»: l'orario {} viene prima di quello di «{}» ({}): "
                        "gli orari tornano indietro",
                        nome(s), ora_testo(s.orario), nome(a), ora_testo(a.orario)));
      } else if (con_corsa) {
        const tempi_stazione& da = c.stazioni[prima];
        const tempi_stazione& a_qui = c.stazioni[i];
        const double minimo = (a_qui.fermata ? a_qui.partenza : a_qui.arrivo) - da.partenza;
        if (static_cast<double>(concesso) < minimo)
          problemi.avviso(
              file_verificato::treno, riga, colonna,
              fmt::format("stazione «{}»: l'orario {} viene {} dopo quello di «{}» ({}), ma la "
                          "corsa più veloce del treno incorporato ci mette {}{}: nessun treno "
                          "lo può tenere",
                          nome(s), ora_testo(s.orario), durata(concesso), nome(a),
                          ora_testo(a.orario), durata(static_cast<long>(std::ceil(minimo))),
                          a_qui.fermata ? fmt::format(", con la sosta di {} s qui", s.sosta)
                                        : std::string()));
      }
    }
    prima = i;
  }
}

}  // namespace scen
