#include "draw/marcia_scena.h"

#include <cmath>
#include <cstdlib>

namespace scen {

void marcia_in_scena(const marcia_modello& m, scena& s) {
  s.marcia = {};
  const corsa& c = m.c;
  const percorso_marcia& linea = m.linea;
  if (!m.riuscita()) {
    s.marcia.perche_no = m.stato.messaggio();
    if (c.fermo) {
      s.marcia.fermo = static_cast<double>(c.fermo->posizione);
      for (std::size_t i = 0; i < c.velocita.size(); ++i)
        s.marcia.velocita.push_back(
            {static_cast<double>(c.da + static_cast<long>(i) * corsa::campione), c.velocita[i]});
      s.marcia.velocita.push_back({*s.marcia.fermo, 0});
    }
    return;
  }
  const orario_marcia& o = m.orario;
  const double margine = o.margine;
  marcia_scena& ms = s.marcia;
  ms.presente = true;
  ms.margine = margine;
  ms.partenza = o.partenza;
  ms.arrivo = o.stazioni.back().arrivo;

  // The samples of the run, with the stations where they stand: the speed,
  // and the path through the day, the stretch before a station with
  // recovery ending at the timetable's arrival, and waiting at each stop for
  // its dwell.
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
      // The timetable's own times here: its arrival holds the recovery
      // lumped at this station, its departure the dwell besides.
      recuperi += static_cast<double>(o.stazioni[k].recupero);
      ms.percorso.push_back({p, o.stazioni[k].arrivo_esatto});
      if (ts.partenza != ts.arrivo) ms.percorso.push_back({p, o.stazioni[k].partenza_esatta});
      stazione_qui = stazione_qui || linea.stazioni[k].posizione == x;
    }
    if (stazione_qui) continue;
    ms.velocita.push_back({static_cast<double>(x), c.velocita[i]});
    ms.percorso.push_back({static_cast<double>(x), partenza + c.tempo[i] + recuperi});
  }
}

}  // namespace scen
