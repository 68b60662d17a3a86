#include "draw/marcia_scena.h"

#include <cmath>
#include <cstdlib>

#include "marcia/corsa.h"
#include "marcia/orario.h"
#include "marcia/percorso.h"

namespace scen {

void marcia_in_scena(const modello& m, scena& s, const rotabile* treno, double margine) {
  s.marcia = {};
  percorso_marcia linea = percorso_da_modello(m, nullptr);
  // The curves from how the trace turns over each 50 m.
  for (std::size_t i = 0; i < s.curvatura.size(); ++i) {
    const gradino& g = s.curvatura[i];
    if (g.valore == 0) continue;
    const long fine = i + 1 < s.curvatura.size() ? s.curvatura[i + 1].da : s.lunghezza;
    linea.curve.push_back({g.da, fine - g.da, 1e5 / std::abs(g.valore)});
  }
  const registro& generali = m.registri[indice_registro::generali_treno];
  const rotabile incorporato = rotabile_incorporato(generali.progressiva, generali.inizio);
  corsa c;
  if (Stato stato = calcola_corsa(linea, treno ? *treno : incorporato, c); !stato.riuscito()) {
    s.marcia.perche_no = stato.messaggio();
    return;
  }
  const orario_marcia o = orario_da_corsa(linea, c, margine);
  marcia_scena& ms = s.marcia;
  ms.presente = true;
  ms.margine = margine;
  ms.partenza = o.partenza;
  ms.arrivo = o.stazioni.back().arrivo;

  // The samples of the run, with the stations where they stand: the speed,
  // and the path through the day, waiting at each station with recovery for
  // it and at each stop for its dwell.
  const double partenza = static_cast<double>(o.partenza);
  double recuperi = 0;
  std::size_t k = 0;
  for (std::size_t i = 0; i < c.tempo.size(); ++i) {
    const long x = std::min(c.da + static_cast<long>(i) * corsa::campione, c.a);
    bool stazione_qui = false;
    for (; k < linea.stazioni.size() && linea.stazioni[k].posizione <= x; ++k) {
      const double p = static_cast<double>(linea.stazioni[k].posizione);
      const tempi_stazione& ts = c.stazioni[k];
      ms.velocita.push_back({p, ts.velocita});
      ms.percorso.push_back({p, partenza + ts.arrivo + recuperi});
      recuperi += static_cast<double>(o.stazioni[k].recupero);
      if (ts.partenza != ts.arrivo || o.stazioni[k].recupero != 0)
        ms.percorso.push_back({p, partenza + ts.partenza + recuperi});
      stazione_qui = stazione_qui || linea.stazioni[k].posizione == x;
    }
    if (stazione_qui) continue;
    ms.velocita.push_back({static_cast<double>(x), c.velocita[i]});
    ms.percorso.push_back({static_cast<double>(x), partenza + c.tempo[i] + recuperi});
  }
}

}  // namespace scen
