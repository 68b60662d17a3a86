// Record builders of the line description: the kilometric progressives, the
// mountain zones and the speed indicators.
#pragma once

#include "model/esiti.h"
#include "model/modello.h"
#include "read/accesso.h"

namespace scen {

// A cell keeps the gradient (per mille) plus `scarto_pendenza`, in a byte:
// so a gradient from `pendenza_minima_cella` to `pendenza_massima_cella`.
inline constexpr largo scarto_pendenza = 100;
inline constexpr largo pendenza_minima_cella = -scarto_pendenza;
inline constexpr largo pendenza_massima_cella = 255 - scarto_pendenza;
inline constexpr bool pendenza_tenuta(largo per_mille) {
  return per_mille >= pendenza_minima_cella && per_mille <= pendenza_massima_cella;
}
// The gradient (per mille) that a cell's `pendenza` byte stands for.
inline constexpr int pendenza_di_cella(Byte tenuta) {
  return int{tenuta} - static_cast<int>(scarto_pendenza);
}

// Orders the three kilometric progressives of records 81 to 83 by start
// (latest first) and adds 100 to the offset of the decreasing ones.
// A decreasing progressive (its sign 1) keeps its offset with this added.
inline constexpr Long aggiunta_decrescente = 100;
// The offset of an ordered progressive record as the description wrote it.
inline Long scostamento_scritto(const registro& r) {
  return r.progressiva == 1 ? r.fine - aggiunta_decrescente : r.fine;
}

// The ordering stores all three as 0, 0, 0 when no start is the latest
// alone or, with starts that add up to 0, when no offset is above 0.
void progressive_ordina(modello& m);
bool progressive_azzerate(largo inizio_tre, largo inizio_due, largo inizio_uno,
                          largo scostamento_tre, largo scostamento_due, largo scostamento_uno);

// A "montagna" record: a mountain zone from `inizio` to `fine` (m). A value
// above 10 stands for the value less 10, with zone markers on the cells.
struct zona_montagna {
  Long inizio = 0;
  Long fine = 0;
  Long valore = 0;
};

// Stores a mountain zone in the zone lists and writes its value into the
// `montagna` of its cells, with a zone marker on every fourth free cell when
// the value asks for them. A zone that starts 150 m or less after the end of
// the one before takes the value 3.
void memo_montagna(modello& m, zona_montagna zona);
// A value above this stands for the value less it, with zone markers.
inline constexpr Long segnali_di_zona = 10;
// The value of a zone as its cells keep it, before the rule of the zone
// before it.
inline Long valore_di_zona(Long valore) {
  return valore > segnali_di_zona ? valore - segnali_di_zona : valore;
}
// A zone that starts this close or closer after the end of the one before
// (m) takes `valore_zona_vicina`.
inline constexpr Long distanza_zone = 150;
inline constexpr Long valore_zona_vicina = 3;

// One group of a speed indicator: three speeds (km/h) and a code.
struct gruppo_indicatore {
  Long velocita_1 = 0;
  Long velocita_2 = 0;
  Long velocita_3 = 0;
  Long codice = 0;
};

// An "indicatori_vmax" record, its values in file order. Each speed of the
// first group pairs with the same speed of the second into one value word.
struct record_indicatore {
  Long posizione = 0;  // where the indicator stands (m)
  gruppo_indicatore primo;
  gruppo_indicatore secondo;
};

// Places a speed indicator in the cell after its position. Returns its
// outcome: `esito::nessuno`, or 21 when that cell is not free.
esito memo_indicatori_v_max(modello& m, const record_indicatore& r);

}  // namespace scen
