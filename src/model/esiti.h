// Outcome numbers of reading and compiling (`errore_codice`).
#pragma once

#include <string_view>

#include "model/modello.h"

namespace scen {

namespace esito {
inline constexpr Long nessuno = 0;
inline constexpr Long lunghezza_eccessiva = 1;
inline constexpr Long progressiva_non_multipla = 2;
inline constexpr Long ripetizione_inizio_non_multiplo = 3;
inline constexpr Long ripetizione_fine_non_multipla = 4;
inline constexpr Long ripetizione_senza_codici = 5;
inline constexpr Long cartello_su_cella_occupata = 6;
inline constexpr Long abbattimento_su_cella_occupata = 7;
inline constexpr Long stazione_non_multipla = 8;
inline constexpr Long estensione_non_multipla = 9;
inline constexpr Long stazioni_troppe = 10;
inline constexpr Long riduzione_prima_di_segnale = 11;
inline constexpr Long riduzione_prima_di_inizio = 12;
inline constexpr Long riduzione_nel_rallentamento = 13;
inline constexpr Long fuori_dalle_celle = 15;
inline constexpr Long segnale_su_cella_occupata = 16;
inline constexpr Long avviso_su_cella_occupata = 17;
inline constexpr Long inizio_su_cella_occupata = 18;
inline constexpr Long fine_su_cella_occupata = 19;
inline constexpr Long avvicinamento_su_cella_occupata = 20;
inline constexpr Long indicatore_su_cella_occupata = 21;
inline constexpr Long stazioni_troppo_vicine = 22;
inline constexpr Long fermata_su_cella_iniziale = 24;
inline constexpr Long errore_di_lettura = 25;
inline constexpr Long file_linea_assente = 101;
inline constexpr Long generale_assente = 102;
inline constexpr Long curva_non_valida = 103;
}  // namespace esito

// The cause of an outcome in words; empty for a number that is no outcome.
std::string_view descrizione_esito(Long numero);

// True for the outcomes that come with a position in `errore_posizione`.
bool esito_con_posizione(Long numero);

}  // namespace scen
