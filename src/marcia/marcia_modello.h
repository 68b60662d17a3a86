// The run of a read model: the one way in which every command sets up the
// fastest run of a train over the line and its timetable, so that the
// timetable printed, the card's times, the checks and the picture are the
// same run.
#pragma once

#include <string>

#include "marcia/corsa.h"
#include "marcia/orario.h"
#include "marcia/percorso.h"
#include "marcia/rotabile.h"
#include "model/modello.h"
#include "platform/stato.h"
#include "read/vista.h"

namespace scen {

struct marcia_modello {
  percorso_marcia linea;
  rotabile treno;
  bool incorporato = false;  // the built-in train
  corsa c;                   // up to where the train stopped, when it did (`c.fermo`)
  orario_marcia orario;      // empty when there is no run
  Stato stato;               // why there is no run, when there is none

  bool riuscita() const { return stato.riuscito(); }
};

// The run of `treno` (the built-in train of the model's coaches and braked
// mass when none) over the line of `m`, with `margine` percent of
// supplement. `linea`, the line's records as the reader saw them, gives the
// curves; without it they come from the model's plan trace.
marcia_modello marcia_del_modello(const modello& m, const descrizione_vista* linea,
                                  const rotabile* treno, double margine = margine_normale);

}  // namespace scen
