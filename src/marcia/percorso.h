// The line as the running-time calculation sees it: its limits, gradients
// and curves metre by metre, its slowdowns and its stations, taken from the
// model that reading filled.
#pragma once

#include <string>
#include <vector>

#include "model/modello.h"
#include "read/vista.h"

namespace scen {

struct curva_marcia {
  long inizio = 0;     // m
  long lunghezza = 0;  // m
  double raggio = 0;   // m
};

struct rallentamento_marcia {
  long inizio = 0;  // m
  long fine = 0;    // m
  int kmh = 0;
  bool tutto_il_treno = false;  // kept until the whole train has passed its end
};

struct stazione_marcia {
  std::string nome;    // UTF-8, without its trailing blanks
  long posizione = 0;  // m
  long orario = 0;     // seconds of the day; 0 where none is given
  long sosta = 0;      // the stop value: the dwell in seconds, 0 where the train passes
  long registro = 0;   // its record in the table
};

struct percorso_marcia {
  long lunghezza = 0;  // m
  // The line's speed limit (km/h) and gradient (per mille) from each 50 m
  // cell's start: element i holds from 50 i.
  std::vector<int> limite;
  std::vector<int> pendenza;
  // The adhesion value of each cell as the line gives it; none (or 0) where
  // the line gives none: the train's own adhesion then holds.
  std::vector<int> aderenza;
  std::vector<curva_marcia> curve;
  std::vector<rallentamento_marcia> rallentamenti;
  std::vector<stazione_marcia> stazioni;  // in the order of the table, by position
  long orologio = 0;                      // the clock at the start (seconds of the day)
};

// The line of a filled model. `linea`, when given, gives the curves: each
// curve record that the reader drew, of the class that the reader took from
// its keyword (`classe_curva`), of the radius of that class's curvature
// (`curvatura_classe`). Without it the curves come from the model's plan
// trace, metre by metre, each metre's turn taken as the nearest class.
percorso_marcia percorso_da_modello(const modello& m, const descrizione_vista* linea);

// The radius (m) of curve class `classe`, 1 to 6: one over its curvature.
double raggio_classe(int classe);

// The resistance of a curve of radius `raggio` (m), in N/kN: 650 / (R - 55)
// from 300 m up, 500 / (R - 30) below; 0 for no curve.
double resistenza_curva(double raggio);

}  // namespace scen
