// What the generated crew documents are made from: the records of the two
// descriptions as the readers read them, each with the line it stands on, and
// the problems found on the way, each at its place.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "documents/segni_chilometrici.h"
#include "model/diagnostica.h"

namespace scen {

struct stazione_descritta {
  std::string nome;  // Windows-1252, without the blanks at its end
  std::int64_t posizione = 0;
  std::int64_t inizio = 0;  // the station's extent, as the reader computes it
  std::int64_t fine = 0;
  std::int64_t orario = 0;   // seconds of the day; 0 where none is given
  std::int64_t fermata = 0;  // the stop value: the dwell in seconds, 0 where the train passes
  long riga = 0;
  long colonna_nome = 0;
  long colonna_orario = 0;  // of its hours
};

struct velocita_descritta {
  std::int64_t posizione = 0;
  std::int64_t kmh = 0;
  long riga = 0;
  long colonna = 0;  // of its position
};

struct rallentamento_descritto {
  std::int64_t inizio = 0;
  std::int64_t velocita = 0;
  std::int64_t lunghezza = 0;
  bool tutto_il_treno = false;  // prescription A
  long riga = 0;
  long colonna = 0;  // of its start
};

// What the timetable from the running-time calculation gives the card;
// `presente` false for the card without it.
struct marcia_documenti {
  bool presente = false;
  // Station by station, seconds of the day on the half minute: the arrival
  // (the passing where the train does not stop; the departure at the
  // origin), the departure, and the recovery lumped there (s).
  std::vector<std::int64_t> arrivo;
  std::vector<std::int64_t> partenza;
  std::vector<std::int64_t> recupero;
  // The fastest run's speed (km/h) every `campione` metres from position
  // `da`.
  std::int64_t da = 0;
  std::int64_t campione = 1;
  std::vector<double> velocita;
};

// The records that the documents use, in file order.
struct descrizioni_documenti {
  std::vector<progressiva_km> progressive;
  long riga_progressive = 0;  // in the line description, where the progressives stand
  std::vector<stazione_descritta> stazioni;
  std::vector<velocita_descritta> velocita;
  std::vector<rallentamento_descritto> rallentamenti;
  long colonna_progressive = 0;  // of the first progressive's keyword
  marcia_documenti marcia = {};
};

// A problem of a document, at its place in a description.
// A problem of a document, told at line `riga` (column `colonna`, or 0) of
// the train description or, `del_treno` false, of the line description; an
// error keeps the document from being written, a warning does not.
inline diagnostica problema_di(bool del_treno, long riga, long colonna, bool errore,
                               std::string causa) {
  return {errore ? gravita::errore : gravita::avviso,
          std::string(del_treno ? file_treno : file_linea),
          riga,
          colonna,
          std::move(causa),
          {}};
}

}  // namespace scen
