// The texts of the plan: the slowdowns' speeds, the station names and the
// kilometre marks, placed together so that none covers another, the line's
// symbols or the panel's own marks, and then drawn.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "draw/etichette.h"
#include "draw/pianta_linea.h"
#include "draw/scena.h"
#include "draw/svg.h"

namespace scen::parti_pianta {

inline constexpr double corpo_nome = 11;  // type size of the station names

// How much a station stands out: 0 the two ends, 1 a stop, 2 any other.
int rango(const scena& s, std::size_t stazione);

// The labels asked for and where they went. The requests come in the order
// of their choice of room: the slowdowns', then the stations' (the ends and
// the stops first, then the others in line order), then the kilometre
// marks', then the signposts' texts, which give way to everything else.
struct piano_etichette {
  std::vector<richiesta_etichetta> richieste;
  std::vector<std::string> testi;      // one per request
  std::size_t fine_rallentamenti = 0;  // the slowdowns' are those before this
  std::size_t fine_stazioni = 0;       // then the stations' up to this one
  std::vector<std::size_t> ordine;     // the station of each of the stations' requests
  std::vector<long> chilometri;        // the metre of each kilometre mark
  std::size_t fine_chilometri = 0;     // the kilometre marks' requests end here
  std::vector<long> cartelli;          // the metre of each signpost's request
  std::vector<etichetta_posta> poste;  // one per request
};

// Places the labels of `s` inside the panel `area`, clear of the line (the
// segments of `o`), of the slowdowns' starts and the stations' symbols, and
// of the boxes `fissi` that the panel keeps for itself.
piano_etichette poni_etichette_pianta(const scena& s, const linea_in_pianta& l,
                                      const riquadro& area, ostacoli o,
                                      const std::vector<riquadro>& fissi);

// The kilometre marks: a dot on the line each, and its text where it found
// room.
void segni_chilometrici(scrittore_svg& w, const linea_in_pianta& l, const piano_etichette& e);

// The signposts: a small square on the line each, its text in its title,
// and the text beside it where it found room.
void cartelli_in_pianta(scrittore_svg& w, const linea_in_pianta& l, const scena& s,
                        const piano_etichette& e);

// The leader lines of the labels that stand away from their point.
void guide_etichette(scrittore_svg& w, const piano_etichette& e);

// The slowdowns' speeds, white on a coloured box.
void etichette_rallentamenti(scrittore_svg& w, const piano_etichette& e);

// The station names that found room; returns how many.
int nomi_stazioni(scrittore_svg& w, const scena& s, const piano_etichette& e);

}  // namespace scen::parti_pianta
