// Small description files for tests, the fuzz target and its seeds: a 10 km
// line and a train that runs over it, in the text form the writers produce
// (CR LF after every line).
//
// What they give once read (cell i stands for 50 x i metres):
//  - 341 cells (length 10000 m + 7000, / 50), a trace of 17001 metres;
//  - a signpost in cell 60, a speed indicator in cell 147, a mountain zone
//    over cells 40 to 59 with markers on 43, 47, 51, 55, 59;
//  - stations with stop marks in cells 9 and 183;
//  - signals in cells 22, 51 and 99; a code reduction with 270 in cell 121;
//  - a 60 km/h slowdown: warning in cell 57, approach cells 53 to 56, start
//    in cell 81, end in cell 91.
// The code-reduction pass then places 180 in cell 50 (before the signal
// that precedes the warning), in cells 76, 70, 63 (before the start), in
// cell 89 (inside) and in cell 98 (before the signal after the end).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace scen::prova {

// Joins lines, each followed by CR LF.
inline std::string righe(std::initializer_list<std::string_view> elenco) {
  std::string testo;
  for (std::string_view riga : elenco) {
    testo += riga;
    testo += "\r\n";
  }
  return testo;
}

// The same for lines held in a vector.
inline std::string crlf(const std::vector<std::string>& righe) {
  std::string testo;
  for (const std::string& riga : righe) testo += riga + "\r\n";
  return testo;
}

inline const std::string linea_prova = righe({
    "[generale]",
    "lunghezza percorso,    10000",
    "progressiva chilometrica uno,    0,    0,    0",
    "progressiva chilometrica due,    5000,    0,    0",
    "progressiva chilometrica tre,    8000,    0,    0",
    "sfondo uno,    1",
    "sfondo due,    0",
    "sfondo tre,    0",
    "ripetizione segnali 9 codici,    1000,    9000",
    "[curve]",
    "curvas1,  1350,  150",
    "curvad3,  4000,  200",
    "[pendenze]",
    "pendenza,  0,   2",
    "pendenza,  1250,   -4,5",
    "pendenza,  6000,   5",
    "[montagne]",
    "montagna,   2000,  3000,  12",
    "[cartelli]",
    "indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0",
    "[indicazioni]",
    "cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)",
    "[fine]",
});

inline const std::string treno_prova = righe({
    "[generale]",
    "numero vetture,  10",
    "percentuale massa frenata,  130",
    "sabbia,  220",
    "orologio,  13 4 30 ",
    "[aderenze]",
    "aderenza,  0,  90",
    "[vel_limite]",
    "velocita,  0,  100",
    "velocita,  5000,  60",
    "[stazioni]",
    "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  13, 4,30, Vela",
    "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro",
    "[rallentamenti]",
    "rallentamento,  4000,    60,  500, 0,  1,  60",
    "[segnali]",
    "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
    "segnale,    2500,   2, 3, 1,  1, 0,    2,  2,1,1, 115",
    "segnale,    4900,   2, 3, 0,  0, 0,    1,  1,0,0, 0",
    "[codici]",
    "abbattimento,    6050,   270",
    "[fine]",
});

// Sizes of the compiled files from these two descriptions with the carried
// keys: the trace of metres 0 to 17000 (20 x 17000 - 36), the records (2958
// plus "Vela", "Nuro", the signpost's text and the two keys), the cells.
inline constexpr size_t byte_linea_compilata = 339964;
inline constexpr size_t byte_treno_compilato = 2958 + 4 + 4 + 21 + 9 + 6;
inline constexpr size_t byte_celle_compilate = 15 * 341;

}  // namespace scen::prova
