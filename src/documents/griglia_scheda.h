// The layout of the train card: the sheet heading, the grid of seven cells
// (83 characters a row), the rulers and the separators between sheets, and
// the forms of the cells' contents. Texts here are Windows-1252, one byte a
// character.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scen {

// The widths of the seven cells: speed limit, running speed, kilometre
// mark, speed without signal repetition, place, times, recovery.
inline constexpr size_t larghezza_velocita = 5;
inline constexpr size_t larghezza_progressiva = 10;
inline constexpr size_t larghezza_localita = 28;
inline constexpr size_t larghezza_orario = 16;
inline constexpr size_t larghezza_recupero = 5;
inline constexpr size_t larghezza_riga_griglia = 83;

// Grid rows on one sheet, and sheets in one card: a card of more sheets
// would not fit the 1000 lines of a text file.
inline constexpr size_t righe_per_foglio = 31;
inline constexpr size_t fogli_massimi = 19;

// The boxes of the sheet heading. `origine` and `destinazione` fit 22
// characters; `destinazione_breve` is the destination as the sheets after
// the first give it.
struct intestazione_scheda {
  std::string numero;          // train number, at most 6 characters
  std::string classe;          // classification, at most 11
  std::string categoria;       // at most 14
  std::string massa_frenata;   // "130%", at most 14
  std::string massa_bloccata;  // "600T", at most 13
  std::string origine;
  std::string destinazione;
  std::string destinazione_breve;
};
inline constexpr size_t larghezza_nome_intestazione = 22;
inline constexpr size_t larghezza_numero = 6;
inline constexpr size_t larghezza_classe = 11;
inline constexpr size_t larghezza_categoria = 14;
inline constexpr size_t larghezza_massa_bloccata = 13;

// One grid row: the seven cells, each exactly its width.
struct riga_griglia {
  std::string vel_limite = std::string(larghezza_velocita, ' ');
  std::string vel_marcia = std::string(larghezza_velocita, ' ');
  std::string progressiva = std::string(larghezza_progressiva, ' ');
  std::string vel_no_rs = std::string(larghezza_velocita, ' ');
  std::string localita = std::string(larghezza_localita, ' ');
  std::string orario = std::string(larghezza_orario, ' ');
  std::string recupero = std::string(larghezza_recupero, ' ');

  friend bool operator==(const riga_griglia&, const riga_griglia&) = default;
};

// A speed cell: right-aligned in the first four positions (" 100 ").
std::string cella_velocita(std::int64_t kmh);
// A mark cell: the mark in kilometres ending in position 9, then a blank or,
// where the count jumps, "/" ("   31.100/").
std::string cella_progressiva(std::int64_t metri, bool salto = false);
// The mark in parentheses, the last position blank: "   (0.000)".
std::string cella_progressiva_tra_parentesi(std::int64_t metri);
// A recovery cell: the minutes from the second position, a half minute as
// ".5" (" 1   ", " 1.5 ", " 0.5 "); `secondi` on the half minute.
std::string cella_recupero(std::int64_t secondi);
// `testo` from the first position, padded with blanks to `larghezza`;
// nothing when it is wider.
std::optional<std::string> cella_testo(std::string_view testo, size_t larghezza);

// Times of the day in seconds, as the time cell writes them.
// Arrival and departure of a stop: " 13.16   13.18  ".
std::string orario_fermata(std::int64_t arrivo, std::int64_t partenza);
// A station passed: "     13.10      ", or with seconds "     13.27.30   ".
std::string orario_transito(std::int64_t ora);
// The origin, departure only: "         13.04  ".
std::string orario_partenza(std::int64_t partenza);
// The destination, arrival only: " 16.20          ".
std::string orario_arrivo(std::int64_t arrivo);

// The row as the file holds it: " |" + the cells joined by "|" + "|".
std::string testo_riga(const riga_griglia& r);

// The ten lines of a sheet heading, for sheet `foglio` of `fogli` (from 1).
std::vector<std::string> intestazione_foglio(const intestazione_scheda& i, size_t foglio,
                                             size_t fogli);
// The four lines of the grid heading; the last is the ruler that closes a grid.
const std::vector<std::string>& intestazione_griglia();

// A grid row and whether it must stay on the sheet of the row after it (a
// jump mark and the mark that follows it).
struct riga_impaginata {
  riga_griglia riga;
  bool con_la_seguente = false;
  bool spaziatura = false;  // a spacer row: never the first row of a sheet
};

// The rows split into sheets of at most 31: a row tied to the next goes to a
// new sheet with it when both do not fit, and a spacer row that would open a
// sheet is left out. Each sheet is the list of indices of its rows.
std::vector<std::vector<size_t>> fogli_della_scheda(const std::vector<riga_impaginata>& righe);

// The whole card: two empty lines; for each sheet its heading, an empty
// line, the grid heading, its rows and the closing ruler; between two
// sheets two empty lines, 81 full stops and two empty lines; one empty line
// at the end.
std::vector<std::string> componi_scheda(const intestazione_scheda& intestazione,
                                        const std::vector<riga_impaginata>& righe,
                                        const std::vector<std::vector<size_t>>& fogli);

}  // namespace scen
