// Outcomes of reading and compiling (`errore_codice`). Each outcome keeps the
// number that authors and the compiled scenario know it by; the table in
// esiti.cc gives, for each, whether it comes with a position and its cause
// in words.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

#include "model/tipi.h"

namespace scen {

enum class esito : Long {
  nessuno = 0,                           // reading and compiling went through
  lunghezza_eccessiva = 1,               // line length above 1,000,000 m
  progressiva_non_multipla = 2,          // a kilometric progressive's start or offset
                                         // not a multiple of 50
  ripetizione_inizio_non_multiplo = 3,   // signal repetition start not a multiple of 50
  ripetizione_fine_non_multipla = 4,     // signal repetition end not a multiple of 50
  ripetizione_senza_codici = 5,          // signal repetition keyword with neither 4 nor 9
  cartello_su_cella_occupata = 6,        // signpost on a cell that is not free
  abbattimento_su_cella_occupata = 7,    // code reduction on a cell that is not free
  stazione_non_multipla = 8,             // station position not a multiple of 50
  estensione_non_multipla = 9,           // station extent not a multiple of 100
  stazioni_troppe = 10,                  // the stations reach the signpost records
  riduzione_prima_di_segnale = 11,       // no room for a code reduction before a signal
                                         // that precedes a slowdown warning
  riduzione_prima_di_inizio = 12,        // no room for a code reduction before a
                                         // slowdown start
  riduzione_nel_rallentamento = 13,      // no room for a code reduction inside or after
                                         // a slowdown
  fuori_dalle_celle = 15,                // a record's position beyond the cell array
  segnale_su_cella_occupata = 16,        // signal cell not free
  avviso_su_cella_occupata = 17,         // slowdown warning point cell not free
  inizio_su_cella_occupata = 18,         // slowdown start cell not free
  fine_su_cella_occupata = 19,           // slowdown end cell not free
  avvicinamento_su_cella_occupata = 20,  // a slowdown approach cell not free
  indicatore_su_cella_occupata = 21,     // speed indicator on a cell that is not free
  stazioni_troppo_vicine = 22,           // station extent less than 350 m after the
                                         // previous one
  fermata_su_cella_iniziale = 24,        // a station's stop mark would fall on cell 0 or 1
  errore_di_lettura = 25,                // a failure while reading (the failure handler)
  file_linea_assente = 101,              // no line description file
  generale_assente = 102,                // no "[generale]" field in the line description
  curva_non_valida = 103,                // curve keyword without a class digit, or the
                                         // trace passing metre 1,000,000
};

// The outcome's number, as written in messages and in the `esito` line.
constexpr Long numero_esito(esito e) { return static_cast<Long>(e); }

// The cause of an outcome in words; empty for a value that is no outcome.
std::string_view descrizione_esito(esito e);

// True for the outcomes that come with a position in `errore_posizione`.
bool esito_con_posizione(esito e);

// Writes the outcome's number.
std::ostream& operator<<(std::ostream& out, esito e);

// The text that follows " Errore n. ": the number and, for the outcomes that
// come with one, " alla posizione " and the position.
std::string testo_esito(esito e, Long posizione);

}  // namespace scen
