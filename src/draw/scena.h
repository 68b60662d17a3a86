// What a picture of a scenario shows, taken from a filled model: the plan of
// the line, the places along it and the profiles that its cells hold. Texts
// are in UTF-8 here, ready to be drawn.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "draw/geometria.h"
#include "model/modello.h"
#include "platform/stato.h"

namespace scen {

struct stazione_scena {
  std::string nome;      // UTF-8
  long posizione = 0;    // m
  long inizio = 0;       // start of its extent (m)
  long fine = 0;         // end of its extent (m)
  bool fermata = false;  // a scheduled stop
  long orario = 0;       // scheduled time of day (s); 0 where none is given
};

struct rallentamento_scena {
  long avviso = -1;  // the warning point (m); -1 where there is none
  long inizio = 0;   // m
  long fine = 0;     // m
  int velocita = 0;  // km/h
};

struct cartello_scena {
  long posizione = 0;  // m
  std::string testo;   // UTF-8
};

// A kilometric progressive: from `inizio` on, the line's kilometre count is
// the position plus `scostamento`, or `scostamento` less the position.
struct progressiva_scena {
  long inizio = 0;       // m
  long scostamento = 0;  // m, as the line description writes it
  bool decrescente = false;
  friend bool operator==(const progressiva_scena&, const progressiva_scena&) = default;
};

// A profile along the line as steps: each value holds from its position to
// the next step's, the last one to the end of the line.
struct gradino {
  long da = 0;  // m
  int valore = 0;
  friend bool operator==(const gradino&, const gradino&) = default;
};
using serie = std::vector<gradino>;

// The fastest run of a train over the line and its timetable, as the
// profile draws them: the speed over the limit and the train's path through
// the day.
struct marcia_scena {
  bool presente = false;
  std::string perche_no;        // UTF-8: why there is none, when the run cannot be made
  std::vector<punto> velocita;  // (metre, km/h) of the run, along the line
  // The timetable's path: (metre, seconds of the day), a vertical step
  // where the train waits (a dwell, a recovery).
  std::vector<punto> percorso;
  long partenza = 0;  // seconds of the day
  long arrivo = 0;
  double margine = 0;  // %
  // Where the train stopped on the way (m), when it did: `velocita` then
  // holds its speed up to there.
  std::optional<double> fermo;
};

struct scena {
  long lunghezza = 0;  // the line's length (m)
  // The plan: metre i of the line at tracciato[i], X to the east (the right
  // of the initial heading) and Y to the north (the initial heading), for
  // every metre that the trace holds, from 0 on without gaps. Empty when the
  // scenario has no trace.
  std::vector<punto> tracciato;
  std::vector<stazione_scena> stazioni;  // in the order of the record table
  std::vector<long> segnali;             // positions (m)
  std::vector<long> indicatori;          // speed indicators' positions (m)
  std::vector<rallentamento_scena> rallentamenti;
  std::vector<cartello_scena> cartelli;
  // In order of start; before the first the count is the position itself.
  std::vector<progressiva_scena> progressive;
  serie pendenza;  // per mille
  serie velocita;  // km/h
  serie aderenza;  // as the cells hold it
  serie montagna;  // zone value, 0 outside the zones
  // How the line turns over each 50 m, from its trace: the change of heading
  // per metre in units of 0.00001 rad, positive to the right (a curve of
  // class 1 gives 10, of class 6 300). Empty without a trace.
  serie curvatura;
  marcia_scena marcia;
};

// The picture's content from a model that reading filled. A model without
// cells, or whose line length does not fit its cells, cannot be drawn: the
// failure says why.
Stato scena_da_modello(const modello& m, scena& s);

}  // namespace scen
