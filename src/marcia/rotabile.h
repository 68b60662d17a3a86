// The train as the running-time calculation sees it: its mass and length,
// its tractive effort by speed, its running resistance and its braking. It is
// read from a small JSON file or made from the built-in locomotive and the
// description's coaches.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
// The adhesion coefficient of the locomotive's wheels at starting.
inline constexpr double aderenza_locomotiva = 0.33;
// The service braking rate from the braked-mass percentage: 0.4 m/s^2 for
// each 100%, between 0.2 and 0.8 m/s^2.
inline constexpr double frenatura_per_cento_ms2 = 0.4;
inline constexpr double frenatura_minima_ms2 = 0.2;
inline constexpr double frenatura_massima_ms2 = 0.8;
}  // namespace rotabile_incorporato_dati

// The built-in train: the locomotive and `vetture` coaches, braked at the
// rate that `massa_frenata` percent gives.
rotabile rotabile_incorporato(long vetture, long massa_frenata);

// The service braking rate that a braked-mass percentage gives.
double frenatura_da_massa_frenata(long massa_frenata);

// Reads a train from its JSON text; `nome_file` names it in the messages,
// which name the field at fault.
Stato leggi_rotabile(std::string_view testo, std::string_view nome_file, rotabile& r);

// Whether the values make a train that can run: positive mass, length, top
// speed and braking, a rotating-mass coefficient of at least 1, an effort
// curve by rising speed with no negative effort, no negative resistance.
// The message names the field.
Stato rotabile_valido(const rotabile& r);

// The effort at the wheel (kN) at `kmh`, within the adhesion limit.
double sforzo_a(const rotabile& r, double kmh);
// The running resistance (kN) at `kmh`.
double resistenza_a(const rotabile& r, double kmh);

// Standard gravity (m/s^2).
inline constexpr double gravita_ms2 = 9.81;

}  // namespace scen
