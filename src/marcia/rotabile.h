// The train as the running-time calculation sees it: its mass and length,
// its tractive effort by speed, its running resistance and its braking. It is
// read from a small JSON file or made from the built-in locomotive and the
// description's coaches.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/modello.h"
#include "platform/stato.h"

namespace scen {

struct rotabile {
  std::string nome;
  double massa_t = 0;                     // the whole train (t)
  double lunghezza_m = 0;                 // from head to tail (m)
  double velocita_massima_kmh = 0;        // the train's top speed
  double coefficiente_masse_rotanti = 1;  // the effective mass over the mass, >= 1
  // The tractive effort at the wheel by speed, as points (km/h, kN) at
  // rising speeds: linear between them, the first value before the first
  // point and the last one after the last.
  std::vector<std::pair<double, double>> sforzo_trazione;
  // The running resistance A + B v + C v^2 (kN, v in km/h).
  double a_kN = 0;
  double b_kN_per_kmh = 0;
  double c_kN_per_kmh2 = 0;
  double decelerazione_frenatura_ms2 = 0;  // the service braking rate
  // The effort that adhesion allows, as a share of the train's weight (the
  // weight on the driving axles over the whole weight, times the adhesion
  // coefficient); none where the file gives none.
  std::optional<double> aderenza_massima;
  // The weight on the driving axles (t): the effort is never more than the
  // line's adhesion over it (`sforzo_aderenza`); none where the file gives
  // none.
  std::optional<double> massa_aderente_t;
};

// The figures of the built-in train.
namespace rotabile_incorporato_dati {
inline constexpr double massa_locomotiva_t = 85;
inline constexpr double lunghezza_locomotiva_m = 19.6;
inline constexpr double potenza_kW = 5600;
inline constexpr double sforzo_avviamento_kN = 250;
inline constexpr double velocita_massima_kmh = 200;
inline constexpr double massa_vettura_t = 45;
inline constexpr double lunghezza_vettura_m = 26.4;
inline constexpr double coefficiente_masse_rotanti = 1.06;
// The running resistance per unit of weight of a passenger train, 2.5 +
// 0.025 (v/10)^2 N/kN, v in km/h, in still air.
inline constexpr double resistenza_a_N_per_kN = 2.5;
inline constexpr double resistenza_c_N_per_kN_per_kmh2 = 0.025 / 100;
// The weight on the locomotive's driving axles: all four of them.
inline constexpr double massa_aderente_t = massa_locomotiva_t;
// The service braking rate from the braked-mass percentage: 0.4 m/s^2 for
// each 100%, between 0.2 and 0.8 m/s^2.
inline constexpr double frenatura_per_cento_ms2 = 0.4;
inline constexpr double frenatura_minima_ms2 = 0.2;
inline constexpr double frenatura_massima_ms2 = 0.8;
// The braked masses of trains that run, in percent: outside them a
// description's figure is a slip (12 written for 120), which `verifica`
// warns of.
inline constexpr double massa_frenata_plausibile_minima = 50;
inline constexpr double massa_frenata_plausibile_massima = 250;
}  // namespace rotabile_incorporato_dati

// The built-in train: the locomotive and `vetture` coaches, braked at the
// rate that `massa_frenata` percent gives.
rotabile rotabile_incorporato(long vetture, long massa_frenata);

// The service braking rate that a braked-mass percentage gives.
double frenatura_da_massa_frenata(long massa_frenata);

// The ranges of a train's figures: beyond them no train runs, and within
// them every figure of its run stays finite and every position and time a
// whole number that the run can count with.
namespace limiti_rotabile {
inline constexpr double massa_minima_t = 0.1;
inline constexpr double massa_massima_t = 100000;
inline constexpr double lunghezza_massima_m = 10000;
inline constexpr double velocita_minima_kmh = 1;
inline constexpr double velocita_massima_kmh =
    velocita_massima_cella_kmh;  // also of the effort's points
inline constexpr double coefficiente_masse_massimo = 2;
inline constexpr double sforzo_massimo_kN = 10000;
inline constexpr double a_massimo_kN = 10000;
inline constexpr double b_massimo_kN_per_kmh = 10;
inline constexpr double c_massimo_kN_per_kmh2 = 1;
inline constexpr double frenatura_minima_ms2 = 0.05;
inline constexpr double frenatura_massima_ms2 = 3;
inline constexpr double aderenza_massima = 1;
}  // namespace limiti_rotabile

// The largest rolling-stock file read: a train's figures and an effort
// curve of a few hundred points take a few kilobytes.
inline constexpr std::size_t byte_massimi_rotabile = std::size_t{1} << 20;

// Reads a train from its JSON text; `nome_file` names it in the messages,
// which give the place of the value at fault and name its field
// ("FILE:RIGA:COLONNA: campo «massa_t»: ..."). A key given twice and a
// number beyond the figures' ranges are refused there.
Stato leggi_rotabile(std::string_view testo, std::string_view nome_file, rotabile& r);

// Whether the values make a train that can run: mass, length, top speed and
// braking positive and within their ranges, a rotating-mass coefficient from
// 1, an effort curve by rising speed with no negative effort, no negative
// resistance. The message names the field; `puntatore`, when given, takes
// its place in the JSON file ("/sforzo_trazione/2").
Stato rotabile_valido(const rotabile& r, std::string* puntatore = nullptr);

// The effort at the wheel (kN) at `kmh`, within `aderenza_massima`.
double sforzo_a(const rotabile& r, double kmh);

// The adhesion coefficient of dry rail at starting, which a line's adhesion
// value of 100 stands for: the line's value is read as a percentage of it
// (the carried line's 87 to 96 are 0.287 to 0.317).
inline constexpr double aderenza_rotaia_asciutta = 0.33;

// The adhesion coefficient where the line's adhesion value is `valore` (0
// where the line gives none: dry rail).
double coefficiente_aderenza(int valore);

// The most effort (kN) that adhesion allows the train where the line's
// adhesion value is `valore`: the coefficient times the weight on the
// driving axles times g; unbounded for a train without that weight.
double sforzo_aderenza(const rotabile& r, int valore);
// The running resistance (kN) at `kmh`.
double resistenza_a(const rotabile& r, double kmh);

// Standard gravity (m/s^2).
inline constexpr double gravita_ms2 = 9.81;

}  // namespace scen
