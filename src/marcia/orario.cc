#include "marcia/orario.h"

#include <fmt/format.h>

#include <cmath>

namespace scen {

long mezzo_minuto(double secondi) { return 30 * static_cast<long>(std::floor(secondi / 30 + 0.5)); }

std::string ora_testo(long secondi) {
  const long giorno = 24 * 3600;
  const long s = ((secondi % giorno) + giorno) % giorno;
  return fmt::format("{:02}:{:02}:{:02}", s / 3600, s / 60 % 60, s % 60);
}

orario_marcia orario_da_corsa(const percorso_marcia& linea, const corsa& c, double margine) {
  orario_marcia o;
  o.margine = margine;
  if (linea.stazioni.empty() || c.stazioni.size() != linea.stazioni.size()) return o;
  o.partenza = linea.stazioni.front().orario != 0 ? linea.stazioni.front().orario : linea.orologio;
  const double partenza = static_cast<double>(o.partenza);
  double recuperi = 0;  // the recovery lumped so far (s)
  double inizio = 0;    // the fastest run's departure from the stop before (s)
  const size_t n = linea.stazioni.size();
  for (size_t i = 0; i < n; ++i) {
    const tempi_stazione& t = c.stazioni[i];
    orario_stazione s;
    const bool con_recupero = i > 0 && (t.fermata || i + 1 == n);
    if (con_recupero) {
      s.recupero = mezzo_minuto((t.arrivo - inizio) * margine / 100);
      recuperi += static_cast<double>(s.recupero);
      inizio = t.partenza;
    }
    s.arrivo_esatto = partenza + t.arrivo + recuperi;
    s.partenza_esatta = partenza + t.partenza + recuperi;
    s.arrivo = mezzo_minuto(s.arrivo_esatto);
    s.partenza = t.fermata ? mezzo_minuto(s.partenza_esatta) : s.arrivo;
    o.stazioni.push_back(s);
  }
  return o;
}

}  // namespace scen
