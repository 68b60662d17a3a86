// The line description, and the train description skeleton, that an
// imported track becomes.
#pragma once

#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "import/adatta.h"
#include "model/modello.h"
#include "model/tipi.h"
#include "platform/stato.h"
#include "read/accesso.h"

namespace scen {

struct stazione_importata {
  std::string nome;       // UTF-8
  Long posizione = 0;     // a multiple of 50
  Long estensione = 400;  // the station's length, a multiple of 100
};

struct limite_importato {
  Long posizione = 0;  // a multiple of 50
  Long velocita = 0;   // km/h, a multiple of 5
};

struct progressiva_importata {
  Long inizio = 0;       // m, a multiple of 50
  Long scostamento = 0;  // m, a multiple of 50
  bool decrescente = false;
};

struct cartello_importato {
  Long posizione = 0;
  std::string testo;  // UTF-8, "(…)(…)"
};

struct linea_importata {
  Long lunghezza = 0;  // a multiple of 50
  std::vector<curva_importata> curve;
  std::vector<pendenza_importata> pendenze;
  std::vector<stazione_importata> stazioni;
  Long passo_cartelli = 0;  // km between two kilometre signposts
  // What an extract tells and a GPS track does not. Without them: one limit
  // of 100 km/h, no signals, the position as the kilometre count, and a
  // signpost every passo_cartelli km.
  std::vector<limite_importato> limiti;                     // from 0, in order
  std::vector<Long> segnali;                                // positions, in order
  std::vector<progressiva_importata> progressive;           // none, or three
  std::optional<std::vector<cartello_importato>> cartelli;  // in order
};

// The type code, field 2, of every imported station: an ordinary station,
// its extent half its length either side of its position.
inline constexpr Long tipo_stazione_importata = 2;

// The digits, fields 2 to 11, that an imported signal takes: those of the
// carried train's ordinary main signal in the open line.
inline constexpr const char* cifre_segnale = "2, 4, 0,  0, 0,    0,  1,0,0, 0";

// Signposts and stations share this many records.
inline constexpr Long record_condivisi = indice_registro::primo_cartello;

// The signposts a train with `stazioni` stations may take: at most half of
// the shared records the stations leave.
inline Long cartelli_disponibili(size_t stazioni) {
  return (record_condivisi - static_cast<Long>(stazioni)) / 2;
}

// The steps between two kilometre signposts (km), the closest first.
inline constexpr Long passi_chilometrici[] = {1, 2, 5, 10, 20, 50, 100};

// The closest step of passi_chilometrici whose signposts, `quanti(passo)`
// of them, are at most `massimo`; 0 when none is.
template <typename conta_cartelli>
Long passo_che_sta(conta_cartelli quanti, Long massimo) {
  for (Long passo : passi_chilometrici)
    if (quanti(passo) <= massimo) return passo;
  return 0;
}

// The step of a track's kilometre signposts, one every passo_cartelli km
// from the start, within cartelli_disponibili. 0 when not even one fits.
Long passo_cartelli(Long lunghezza, size_t stazioni);

// A place in metres rounded to the nearest multiple of 50, as the
// descriptions' places are written.
inline Long arrotonda_50(double metri) {
  return static_cast<Long>(std::llround(metri / metri_cella) * metri_cella);
}

// The most stations a train holds: the records below the first signpost's.
inline constexpr size_t stazioni_massime = indice_registro::primo_cartello - 1;

// `testo` with each control character a blank: the C0 controls (tabs and
// line breaks among them), DEL, and, in UTF-8, the C1 controls and the line
// and paragraph separators. A description's line holds none.
std::string senza_controlli(std::string_view testo);

// A station's name as a record writes it: no comma or control character
// (each a blank, see senza_controlli), no blanks about it; "?" for a name
// with nothing else.
std::string nome_di_stazione(std::string nome);

// The lines of the line description: the general section with plain
// defaults, then curves, gradients, empty sections for mountain zones and
// speed indicators, and the kilometre signposts.
std::vector<std::string> righe_linea(const linea_importata& l);

// The lines of a train description with plain general values, one adhesion,
// the speed limits (one of 100 from 0 when there are none), the stations,
// the signals, and no slowdowns or code reductions.
std::vector<std::string> righe_treno(const linea_importata& l);

// The bytes of a description: every line in Windows-1252 followed by CR LF.
// Fails, naming the line, for a character that has no Windows-1252 byte.
Stato testo_descrizione(const std::vector<std::string>& righe, std::string& byte);

}  // namespace scen
