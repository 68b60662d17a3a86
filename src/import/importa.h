// `scenario importa`: a line description (and, when asked, a train
// description skeleton) from a GPS track.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "import/descrizione_importata.h"
#include "import/sagoma.h"
#include "import/traccia.h"
#include "platform/stato.h"

namespace scen {

struct richiesta_importa {
  std::string traccia;  // the GPX or GeoJSON file, or the OSM extract (host name)
  std::string uscita;   // the line description to write
  std::string treno;    // the train description to write; empty for none
  bool json = false;    // the figures as one JSON document
  // An extract only: the route relation, or the stations at the two ends.
  // Any: the elevation tiles (files or folders).
  long relazione = 0;
  std::string da, a;
  std::vector<std::string> quote;
};

// What the fit achieved, the redrawn plan against the smoothed track laid
// with the same start and first direction.
struct figure_adattamento {
  double lunghezza_traccia = 0;  // m
  double lunghezza_punti = 0;    // along the path through the track's points, as given (m)
  double distanza_punti = 0;     // the largest from a point of that path to the plan (m)
  double distanza_massima = 0;   // m
  double distanza_media = 0;     // m
  double direzione_massima = 0;  // degrees
};

struct importazione {
  linea_importata linea;
  figure_adattamento figure;
  std::vector<punto_lungo_linea> nominati;  // with positions rounded to 50 m
  long punti = 0;                           // points of the track
  long senza_quota = 0;                     // of which without a height
  std::vector<double> metri_punti;          // where each point of the track falls on the line (m)
  std::vector<double> metri_riferiti;       // where each of the track's riferiti falls (m)
  std::vector<std::string> avvisi;          // what the user should know, without the file's name
};

// Reads the track in `byte` (the file `nome`) and fits a line to it; with
// elevation tiles (`quote`: files or folders), its heights are the tiles'
// instead of the log's.
Stato importa_traccia(std::string_view byte, const std::string& nome, importazione& i,
                      const std::vector<std::string>& quote = {});

// Fits a line to the track `t`, read from the file `nome`.
Stato adatta_traccia(const traccia& t, const std::string& nome, importazione& i);

// The command: reads, fits, writes the files, prints the figures on `uscita`
// and the warning and errors on `errori` (with `avanzamento`, also progress
// lines while a large extract is read). Returns the exit status: 0 done,
// 2 a file that cannot be read or written or a track that cannot be a line.
int importa(const richiesta_importa& richiesta, std::ostream& uscita, std::ostream& errori,
            bool avanzamento = false);

}  // namespace scen
