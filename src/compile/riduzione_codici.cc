#include "compile/riduzione_codici.h"

#include <algorithm>
#include <variant>

#include "model/esiti.h"
#include "model/minimo.h"
#include "read/accesso.h"

namespace scen {

namespace {

// Slowdowns at this speed or above get no code reductions inside.
constexpr Integer velocita_senza_cammino = 110;
// Code reductions through a slowdown: one every this many cells.
constexpr Long passo_cammino = 8;
// How far before a warning point the signals are looked for.
constexpr Long celle_prima_dell_avviso = 20;
// How far after a slowdown's end the next signal is looked for.
constexpr Long celle_dopo_la_fine = 12;

class passaggio {
 public:
  explicit passaggio(modello& m) : m_(m), ultima_(static_cast<Long>(m.celle.size()) - 1) {}

  void esegui() {
    const Long fine = ultima_ - 2;  // fixed before the pass
    for (Long i = 1; i <= fine; ++i) {
      if (codice(i) == codice_cella::avviso_rallentamento) segnali_prima_dell_avviso(i);
      if (codice(i) == codice_cella::inizio_rallentamento) rallentamento(i);
    }
  }

 private:
  cella& c(Long i) { return m_.celle[static_cast<size_t>(i)]; }
  Byte codice(Long i) { return c(i).codice; }
  // A cell past the last one does not exist and so is never free.
  bool libera(Long i) { return i >= 0 && i <= ultima_ && cella_libera(c(i)); }

  void metti(Long i) {
    c(i).codice = codice_cella::abbattimento;
    c(i).valore_1 = valore_riduzione;
  }

  void limita(Long i) {
    variante v = minimo(variante(valore_riduzione), variante(c(i).valore_1));
    c(i).valore_1 = std::get<Integer>(v);
  }

  void registra_esito(esito numero, Long posizione) {
    m_.errore_codice = numero;
    m_.errore_posizione = posizione;
  }

  // Each signal within the 20 cells before a warning point, nearest first,
  // gets a code reduction (or has one there capped at 180) in one of the two
  // cells just before it, so that the train's code drops before the signal
  // that announces the slowdown.
  void segnali_prima_dell_avviso(Long i) {
    for (Long k = 1; k <= celle_prima_dell_avviso; ++k) {
      const Long s = i - k;
      if (s < 3) break;
      if (codice(s) != codice_cella::segnale) continue;
      if (libera(s - 1))
        metti(s - 1);
      else if (libera(s - 2))
        metti(s - 2);
      else if (codice(s - 1) == codice_cella::abbattimento)
        limita(s - 1);
      else if (codice(s - 2) == codice_cella::abbattimento)
        limita(s - 2);
      else
        registra_esito(esito::riduzione_prima_di_segnale, s * metri_cella);
    }
  }

  // A slowdown start at cell i: reductions before it, through it when it is
  // slow, and before the first signal after its end.
  void rallentamento(Long i) {
    riduzioni_prima_dell_inizio(i);
    const Long k = c(i).valore_1 < velocita_senza_cammino ? cammino(i) : cella_di_fine(i);
    segnale_dopo(k);
  }

  // One code reduction in each of three groups of cells before the start
  // (5 to 7, 11 to 13 and 18 to 20 cells before it), in the first free cell
  // of the group; a group whose farthest cell would be cell 0 or before is
  // left out.
  void riduzioni_prima_dell_inizio(Long i) {
    for (const auto& gruppo : gruppi_prima_dell_inizio) {
      if (i <= gruppo[2]) continue;
      bool messa = false;
      for (Long d : gruppo)
        if (libera(i - d)) {
          metti(i - d);
          messa = true;
          break;
        }
      if (!messa) registra_esito(esito::riduzione_prima_di_inizio, i * metri_cella);
    }
  }

  // A code reduction about every 8 cells through a slow slowdown, moved one
  // cell back or on where the cell is taken. The walk stops at the end cell
  // or at the last cell; returns where.
  Long cammino(Long i) {
    Long k = i;
    Long n = 0;
    while (k < ultima_) {
      ++k;
      ++n;
      if (n == passo_cammino) {
        if (libera(k)) {
          metti(k);
          n = 0;
        } else if (libera(k - 1)) {
          metti(k - 1);
          n = 1;
        } else if (libera(k + 1)) {
          metti(k + 1);
          n = -1;
        } else {
          registra_esito(esito::riduzione_nel_rallentamento, k * metri_cella);
        }
      }
      if (codice(k) == codice_cella::fine_rallentamento) break;
    }
    return k;
  }

  // The end cell of a slowdown with no walk: the first cell after the start
  // with the end code, or the last cell when there is none.
  Long cella_di_fine(Long i) {
    Long k = i;
    while (k < ultima_) {
      ++k;
      if (codice(k) == codice_cella::fine_rallentamento) break;
    }
    return k;
  }

  // A code reduction in one of the two cells before the first signal within
  // 12 cells of k, the cell where the slowdown was left.
  void segnale_dopo(Long k) {
    const Long ultima_cercata = std::min(k + celle_dopo_la_fine, ultima_);
    for (Long q = k; q <= ultima_cercata; ++q) {
      if (codice(q) != codice_cella::segnale) continue;
      const Long prima = q - 1;
      if (prima > 0) {
        if (libera(prima))
          metti(prima);
        else if (libera(prima - 1))
          metti(prima - 1);
        else
          registra_esito(esito::riduzione_nel_rallentamento, k * metri_cella);
      }
      return;
    }
  }

  modello& m_;
  const Long ultima_;
};

}  // namespace

void riduzione_codici(modello& m) { passaggio(m).esegui(); }

}  // namespace scen
