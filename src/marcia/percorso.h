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
  std::vector<curva_marcia> curve;
  std::vector<rallentamento_marcia> rallentamenti;
  std::vector<stazione_marcia> stazioni;  // in the order of the table, by position
  long orologio = 0;                      // the clock at the start (seconds of the day)
};

// The radii of the curve classes 1 to 6 (m).
inline constexpr double raggi_classi[6] = {10000, 5000, 2500, 1000, 500, 333};

// The line of a filled model. `linea`, when given, gives the curves (by the
// class of each curve record); without it the line has none.
percorso_marcia percorso_da_modello(const modello& m, const descrizione_vista* linea);

// The resistance of a curve of radius `raggio` (m), in N/kN: 650 / (R - 55)
// from 300 m up, 500 / (R - 30) below; 0 for no curve.
double resistenza_curva(double raggio);

}  // namespace scen
