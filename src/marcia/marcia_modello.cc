#include "marcia/marcia_modello.h"

namespace scen {

marcia_modello marcia_del_modello(const modello& m, const descrizione_vista* linea,
                                  const rotabile* treno, double margine) {
  marcia_modello r;
  r.linea = percorso_da_modello(m, linea);
  r.incorporato = !treno;
  r.treno = treno ? *treno : rotabile_incorporato(m.numero_vetture(), m.massa_frenata());
  r.stato = calcola_corsa(r.linea, r.treno, r.c);
  if (r.stato.riuscito()) r.orario = orario_da_corsa(r.linea, r.c, margine);
  r.orario.margine = margine;
  return r;
}

}  // namespace scen
