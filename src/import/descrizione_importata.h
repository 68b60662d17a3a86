// The line description, and the train description skeleton, that an
// imported track becomes.
#pragma once

#include <string>
#include <vector>

#include "import/adatta.h"
#include "model/tipi.h"
#include "platform/stato.h"

namespace scen {

struct stazione_importata {
  std::string nome;    // UTF-8
  Long posizione = 0;  // a multiple of 50
};

struct linea_importata {
  Long lunghezza = 0;  // a multiple of 50
  std::vector<curva_importata> curve;
  std::vector<pendenza_importata> pendenze;
  std::vector<stazione_importata> stazioni;
  Long passo_cartelli = 0;  // km between two kilometre signposts
};

// Signposts and stations share 80 records: the signposts take at most half of
// what the stations leave, every 1, 2, 5, 10, 20, 50 or 100 km, the closest
// that fits. 0 when not even one fits.
Long passo_cartelli(Long lunghezza, size_t stazioni);

// The lines of the line description: the general section with plain
// defaults, then curves, gradients, empty sections for mountain zones and
// speed indicators, and the kilometre signposts.
std::vector<std::string> righe_linea(const linea_importata& l);

// The lines of a train description with plain general values, one adhesion
// and one speed limit from 0, the stations, and no slowdowns, signals or
// code reductions.
std::vector<std::string> righe_treno(const linea_importata& l);

// The bytes of a description: every line in Windows-1252 followed by CR LF.
// Fails, naming the line, for a character that has no Windows-1252 byte.
Stato testo_descrizione(const std::vector<std::string>& righe, std::string& byte);

}  // namespace scen
