#include "check/avvisi_orari.h"

#include <fmt/format.h>

#include <cmath>

#include "read/costruttori_treno.h"

namespace scen {

namespace {

// A duration as "10 min 15 s", "45 s", "1 h 2 min 0 s".
std::string durata(long s) {
  if (s < 60) return fmt::format("{} s", s);
  if (s < 3600) return fmt::format("{} min {} s", s / 60, s % 60);
  return fmt::format("{} h {} min {} s", s / 3600, s / 60 % 60, s % 60);
}

// Whether the stations make a run: two at least, each not before the one
// before it, the last beyond the first.
bool stazioni_in_ordine(const percorso_marcia& p) {
  if (p.stazioni.size() < 2 || p.stazioni.back().posizione <= p.stazioni.front().posizione)
    return false;
  for (size_t i = 1; i < p.stazioni.size(); ++i)
    if (p.stazioni[i].posizione < p.stazioni[i - 1].posizione) return false;
  return true;
}

}  // namespace

void controlla_orari(const marcia_modello& corsa_fatta, const modello& letto,
                     const descrizione_vista& treno, elenco_problemi& problemi) {
  const percorso_marcia& percorso = corsa_fatta.linea;
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

  const corsa& c = corsa_fatta.c;
  const bool con_corsa = corsa_fatta.riuscita();
  bool saltati = false;  // a time check left out for want of a run

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
      } else if (!con_corsa) {
        // Said once, at the first time it leaves unchecked; a train that
        // stops on the way is a warning of its own, and stations that make
        // no run have theirs.
        if (!saltati && !corsa_fatta.c.fermo && stazioni_in_ordine(percorso))
          problemi.avviso(
              file_verificato::treno, riga, colonna,
              fmt::format("stazione «{}»: gli orari non si controllano con la corsa più veloce, "
                          "che non si calcola: {}",
                          nome(s), corsa_fatta.stato.messaggio()));
        saltati = true;
      } else {
        const tempi_stazione& da = c.stazioni[prima];
        const tempi_stazione& a_qui = c.stazioni[i];
        const double minimo = (a_qui.fermata ? a_qui.partenza : a_qui.arrivo) - da.partenza;
        if (static_cast<double>(concesso) < minimo)
          problemi.avviso(
              file_verificato::treno, riga, colonna,
              fmt::format(
                  "stazione «{}»: l'orario {} viene {} dopo quello di «{}» ({}), ma la "
                  "corsa più veloce del {} ci mette {}{}: nessun treno "
                  "lo può tenere",
                  nome(s), ora_testo(s.orario), durata(concesso), nome(a), ora_testo(a.orario),
                  corsa_fatta.incorporato ? std::string("treno incorporato")
                                          : fmt::format("treno «{}»", corsa_fatta.treno.nome),
                  durata(static_cast<long>(std::ceil(minimo))),
                  a_qui.fermata ? fmt::format(", con la sosta di {} s qui", s.sosta)
                                : std::string()));
      }
    }
    prima = i;
  }
}

}  // namespace scen
