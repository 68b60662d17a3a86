// Record builders of the train description: signals and slowdowns. Each
// places its record into the cells and returns its outcome: `esito::nessuno`
// when the record is placed, else the collision that the reader stops on.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>

#include "model/esiti.h"
#include "model/modello.h"
#include "read/accesso.h"

namespace scen {

// A "segnale" record, its values in file order. The digits pair up, tens and
// units, into the four value words of the signal's cell.
struct record_segnale {
  Long posizione = 0;     // where the signal stands (m)
  Long classe = 0;        // the signal's class; class 2 keeps the extra value
  Long decine_1 = 0;      // tens of `valore_1`
  Long decine_2 = 0;      // tens of `valore_2`
  Long decine_3 = 0;      // tens of `valore_3`
  Long decine_4 = 0;      // tens of `valore_4`
  Long cifra_tipo = 0;    // added to 3 × class: the signal's kind, units of `valore_4`
  Long unita_1 = 0;       // units of `valore_1`
  Long unita_2 = 0;       // units of `valore_2`
  Long unita_3 = 0;       // units of `valore_3`
  Long valore_extra = 0;  // 0 for none; 1 to 100 count as 101
};

// A cell keeps a speed limit in fifths of km/h: the speed in km/h is
// rounded to the nearest fifth, halves to even.
inline constexpr Long kmh_per_quinto = 5;
inline double quinti_di(largo kmh) {
  return std::nearbyint(static_cast<double>(kmh) / static_cast<double>(kmh_per_quinto));
}

// A time of day (a station's time, the clock): hours from 0 to 23, minutes
// and seconds from 0 to 59, each its highest here in that order.
inline constexpr std::array<Long, 3> massimi_ora = {23, 59, 59};
inline constexpr bool parte_ora_valida(size_t k, largo v) { return v >= 0 && v <= massimi_ora[k]; }
inline constexpr bool ora_valida(largo ore, largo minuti, largo secondi) {
  return parte_ora_valida(0, ore) && parte_ora_valida(1, minuti) && parte_ora_valida(2, secondi);
}

// Only a signal of this class keeps its extra value (field 11).
inline constexpr Long classe_con_extra = 2;
// An extra value from 1 to 100 is read as `extra_alzato`: the cell keeps
// none below it but 0, none.
inline constexpr Long extra_alzato = 101;
inline constexpr bool extra_da_alzare(largo extra) { return extra >= 1 && extra < extra_alzato; }
// The extra value as the signal's cell keeps it.
inline constexpr Long extra_letto(Long extra) {
  return extra_da_alzare(extra) ? extra_alzato : extra;
}

// A "rallentamento" record, its values in file order.
struct record_rallentamento {
  Long inizio = 0;             // where the slowdown begins (m)
  Long velocita = 0;           // the speed to keep through it (km/h)
  Long lunghezza = 0;          // its length (m)
  Long treno_intero = 0;       // 1: the speed holds until the whole train has passed
  Long con_avvicinamento = 0;  // not 0: four approach cells before the warning point
  Long valore_mostrato = 0;    // not 0: stored with the warning point, start and end,
                               // and the approach cells are numbered in it too
};

// Places a signal in the cell after its position, with its approach marks
// 100 to 400 m before that cell. Outcome 16 when the cell is not free.
esito memo_segnale(modello& m, const record_segnale& s);

// A station's extent from its position, its type and its extent length:
// types 5 and 6 reach from the whole length before the position to
// `coda_stazione_di_testa` beyond it, types 7 and 8 the whole length on
// either side, the others half of it, with `prolungamento_stazione` more at
// the end where field 6 asks for it (`fine`; `fine_senza_prolungamento`
// without). The stop mark goes in the cell before the end.
inline constexpr Long coda_stazione_di_testa = 150;
inline constexpr Long prolungamento_stazione = 50;
struct estremi_stazione {
  largo inizio = 0;
  largo fine_senza_prolungamento = 0;
  largo fine = 0;
};
inline estremi_stazione estensione_di(largo posizione, largo tipo, largo estensione,
                                      bool prolungata) {
  if (tipo == 5 || tipo == 6)
    return {posizione - estensione, posizione + coda_stazione_di_testa,
            posizione + coda_stazione_di_testa};
  if (tipo == 7 || tipo == 8)
    return {posizione - estensione, posizione + estensione, posizione + estensione};
  const largo fine = posizione + estensione / 2;
  return {posizione - estensione / 2, fine, prolungata ? fine + prolungamento_stazione : fine};
}
inline largo cella_fermata(largo fine) { return cella_di(fine - metri_cella); }
// Types 5 to 8 take no extension (field 6): their extent is set by their
// type alone.
inline constexpr bool tipo_con_prolungamento(largo tipo) { return tipo < 5 || tipo > 8; }
// Field 5 is kept only for an extent of `estensione_con_campo_5` or more
// (and never for the first station).
inline constexpr Long estensione_con_campo_5 = 600;
inline constexpr bool estensione_tiene_campo_5(largo estensione) {
  return estensione >= estensione_con_campo_5;
}
// Stations of type `tipo_senza_segni` and above get no marks in the cells.
inline constexpr Long tipo_senza_segni = 25;
inline constexpr bool stazione_con_segni(largo tipo) { return tipo < tipo_senza_segni; }
// Station extents lie at least this far apart (m), and a stop mark lies
// after cell `ultima_cella_senza_fermata`.
inline constexpr Long distanza_stazioni = 350;
inline constexpr largo ultima_cella_senza_fermata = 1;

// Where a slowdown places its cells: the warning point this far before its
// start, only for a start beyond `inizio_con_avviso`, and the approach cells
// right before the warning point's cell.
inline constexpr Long distanza_avviso = 1200;
inline constexpr Long inizio_con_avviso = 1500;
inline constexpr largo celle_avvicinamento = 4;
inline bool con_punto_di_avviso(largo inizio) { return inizio > inizio_con_avviso; }
// The cell of the start, of the end and of the warning point (the cell after
// each point), and the first of the approach cells, counted back from it.
inline largo cella_inizio_rallentamento(largo inizio) { return cella_dopo(inizio); }
inline largo cella_fine_rallentamento(largo inizio, largo lunghezza) {
  return cella_dopo(inizio + lunghezza);
}
inline largo cella_avviso_rallentamento(largo inizio) {
  return cella_dopo(inizio - distanza_avviso);
}
inline largo cella_avvicinamento(largo inizio) { return cella_di(inizio - distanza_avviso); }

// Places a slowdown: start and end cells, the warning point 1200 m before the
// start (for a start beyond 1500 m) and, when the record asks for them, the
// four approach cells before the warning point. Outcomes 17 to 20 on a
// collision.
esito memo_rallentamento(modello& m, const record_rallentamento& r);

}  // namespace scen
