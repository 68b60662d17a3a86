// The scenario model: every record and table that the readers fill, the
// code-reduction pass completes and the compiled files carry. Field order and
// widths here are also the layout of the compiled files.
//
// Text held by the model (keys, station names, signpost texts, `campo`) is in
// Windows-1252, one byte per character, exactly as it is read and written.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/esiti.h"
#include "model/tipi.h"
#include "platform/memoria.h"

namespace scen {

// One component of the plan trace: a variant per metre.
using componente_tracciato = std::vector<variante, allocatore_grande<variante>>;

// One 50-metre cell of the line: 15 bytes in the compiled cell file.
struct cella {
  Byte codice = 0;
  Integer valore_1 = 0;
  Integer valore_2 = 0;
  Integer valore_3 = 0;
  Integer valore_4 = 0;
  Byte valore_5 = 0;
  Byte avvicinamento = 0;
  Byte montagna = 0;
  Byte vel_limite = 0;
  Byte pendenza = 0;
  Byte aderenza = 0;

  friend bool operator==(const cella&, const cella&) = default;
};

// A cell keeps its speed limit in fifths of km/h, in one byte: the highest
// speed any description, train or import can give.
inline constexpr long velocita_massima_cella_kmh = 255 * 5;

// Cell codes.
namespace codice_cella {
inline constexpr Byte vuota = 0;
inline constexpr Byte segnale = 1;
inline constexpr Byte fine_rallentamento = 2;
inline constexpr Byte inizio_rallentamento = 3;
inline constexpr Byte avviso_rallentamento = 4;
inline constexpr Byte avvicinamento_avviso = 5;
inline constexpr Byte indicatore_velocita = 6;
inline constexpr Byte fermata = 10;
inline constexpr Byte segnale_montagna = 11;
inline constexpr Byte abbattimento = 12;
inline constexpr Byte abbattimento_senza_valore = 13;
inline constexpr Byte cartello = 14;
}  // namespace codice_cella

// A cell on which an object may be placed: empty or a mountain-zone marker.
inline bool cella_libera(const cella& c) {
  return c.codice == codice_cella::vuota || c.codice == codice_cella::segnale_montagna;
}

// One record of the record table: 34 bytes plus its text in the compiled
// train file. Fields are named after their use in a station record; the
// header records reuse them under other names (see the indices below).
struct registro {
  Byte tipo = 0;
  Long inizio = 0;
  Long fine = 0;
  Long progressiva = 0;
  Byte campo_4 = 0;
  std::string nome;  // a signpost's `testo`; a key in records 85 and 86
  Integer campo_7 = 0;
  Integer campo_8 = 0;
  Integer campo_10 = 0;
  Integer campo_11 = 0;
  Integer campo_12 = 0;
  Byte campo_9 = 0;
  Byte fermata = 0;
  Byte prolungamento = 0;
  Byte campo_5 = 0;
  Long orario = 0;

  friend bool operator==(const registro&, const registro&) = default;
};

// Indices and field uses of the record table.
//  0          stays all zero
//  1 upward   stations, in reading order
//  80 down    signposts (`nome` is the sign's text)
//  81..83     kilometric progressives, latest start first:
//             inizio = start, fine = `scostamento`, progressiva = `decrescente`
//  84..86     general values of line and train, as listed below
namespace indice_registro {
inline constexpr int primo_cartello = 80;
inline constexpr int progressiva_tre = 81;
inline constexpr int progressiva_due = 82;
inline constexpr int progressiva_uno = 83;
// 84: inizio = percentuale_massa_frenata, fine = lunghezza_percorso,
//     progressiva = numero_vetture
inline constexpr int generali_treno = 84;
// 85: inizio = sfondo_uno, fine = sfondo_tre, progressiva = sfondo_due,
//     nome = route key, campo_7 = mark 610, orario = codice_gara_st
inline constexpr int generali_linea = 85;
// 86: inizio = ripetizione_segnali_inizio, fine = ripetizione_segnali_fine,
//     progressiva = ripetizione_segnali_codici, nome = train key,
//     campo_7 = sabbia, campo_10/11/12 = orologio ore/minuti/secondi
inline constexpr int generali_ripetizione = 86;
inline constexpr int numero = 87;
}  // namespace indice_registro

// Number of mountain-zone slots: zones are stored from index 1.
inline constexpr int montagne_massimo = 80;

// The whole model. At creation every number is 0, every text empty and the
// dynamic tables unsized.
struct modello {
  std::string chiave_percorso;  // route key, e.g. "Vela_Nuro"
  std::string chiave_treno;     // train key, e.g. "IC 731"

  // Cells 0 to `ultima_cella`; empty while no line length has been read.
  std::vector<cella> celle;
  std::array<registro, indice_registro::numero> registri{};
  // The plan trace: tracciato[0] is X (across the initial heading, positive
  // to its right), tracciato[1] is Y (along it); each has `lunghezza_estesa`
  // + 1 elements once sized, none before.
  std::array<componente_tracciato, 2> tracciato;

  std::array<Long, montagne_massimo + 1> montagne_inizio{};
  std::array<Long, montagne_massimo + 1> montagne_fine{};
  Long montagne_numero = 0;

  Long con_tracciato = 0;
  std::string campo;
  Long lunghezza_estesa = 0;
  Long ultima_cella = 0;
  esito errore_codice = esito::nessuno;
  Long errore_posizione = 0;

  // The general values of record 84 by their names.
  Long numero_vetture() const { return registri[indice_registro::generali_treno].progressiva; }
  Long massa_frenata() const { return registri[indice_registro::generali_treno].inizio; }
  Long lunghezza_percorso() const { return registri[indice_registro::generali_treno].fine; }
};

}  // namespace scen
