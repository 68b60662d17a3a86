// `scenario importa` of an OpenStreetMap extract: the line through its
// railway, heights from elevation tiles, and for the train its stations,
// speed limits and signals; the kilometre count from its milestones.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "import/cippi_osm.h"
#include "import/estratto_osm.h"
#include "import/importa.h"
#include "model/modello.h"
#include "platform/stato.h"

namespace scen {

// A stretch whose rail does not lie on the ground (tunnel, bridge,
// embankment, cutting): its heights are drawn straight between its ends.
struct struttura_osm {
  std::string genere;  // "galleria", "ponte", "rilevato", "trincea"
  std::vector<id_osm> vie;
  std::string nome;
  double inizio = 0, fine = 0;  // m along the line
};

// What the import of an extract chose and what it could not use.
struct resoconto_osm {
  std::vector<id_osm> vie;  // the line's ways, in order
  double seguito = 0;       // track kept after the last station (m)
  std::size_t tessere = 0;  // elevation tiles opened
  std::vector<struttura_osm> strutture;
  std::vector<id_osm> vie_senza_limite;
  std::size_t segnali_altro_verso = 0;  // facing the other way: left out
  // The line's signals facing its direction that are not main signals, by
  // kind (railway:signal:KIND; "senza genere" for none): left out.
  std::map<std::string, std::size_t> segnali_lasciati;
  std::vector<std::string> avvisi;    // one line each, without the file's name
  std::size_t cippi = 0;              // milestones used
  std::size_t cippi_altre_linee = 0;  // within reach of the line, but another line's
};

// Reads the extract, finds the line and fits it. Fails naming the file and
// the relation, stations or ways at fault.
// `avanzamento`, when given, is told what is being read on a large extract.
Stato importa_estratto(const richiesta_importa& r, importazione& i, resoconto_osm& resoconto,
                       const std::function<void(const std::string&)>& avanzamento = {});

// The highest speed limit a train description holds (km/h).
inline constexpr long velocita_massima_descrizione = velocita_massima_cella_kmh;

// The speed in km/h that a maxspeed value gives, rounded down to a
// multiple of 5 ("120", "60 mph"); 0 for a value that gives none ("none",
// "signals", "RU:urban"). A value beyond velocita_massima_descrizione gives
// that, and sets `oltre` when given.
long velocita_di_maxspeed(const std::string& valore, bool* oltre = nullptr);

// How far from zero a milestone's kilometre count may be (km): further, it
// is no railway's.
inline constexpr double chilometri_massimi_cippo = 100000;

// A milestone's railway:position in metres ("12.3", "12,3"); false when it
// is not a number, or beyond chilometri_massimi_cippo either way.
bool metri_di_posizione(const std::string& valore, double& metri);

}  // namespace scen
