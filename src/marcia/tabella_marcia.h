// The timetable of a run as rows, a station or a kilometre post where the
// limit falls each, and its text, JSON and CSV forms.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "marcia/marcia_modello.h"
#include "read/vista.h"

namespace scen {

struct riga_marcia {
  bool stazione = true;
  std::string nome;  // UTF-8
  long posizione = 0;
  std::string km;           // the kilometre mark as the card writes it
  double velocita = 0;      // of the fastest run (km/h)
  double limite = 0;        // the lowest in force for the train (km/h)
  double corsa_minima = 0;  // s from the departure (the arrival at a stop)
  double energia = 0;       // kWh at the wheel from the departure
  long arrivo = 0;          // timetable, seconds of the day
  long partenza = 0;
  bool fermata = false;
  long recupero = 0;   // s
  long descritto = 0;  // the description's time, 0 for none
  long confronto = 0;  // the timetable's time it is compared with
  bool prima = false, ultima = false;
};

// The rows of a run that went through: its stations, and a post wherever
// the train description's `velocita` profile falls (`treno`, its records);
// `km_di` writes a position's kilometre mark.
std::vector<riga_marcia> righe_marcia(const marcia_modello& m, const descrizione_vista& treno,
                                      const std::function<std::string(long)>& km_di);

std::string testo_marcia(const marcia_modello& m, const std::vector<riga_marcia>& righe);
std::string json_marcia(const marcia_modello& m, const std::vector<riga_marcia>& righe);
std::string csv_marcia(const std::vector<riga_marcia>& righe);

// The energy line of the text: at the wheel and at the pantograph.
std::string riga_energia(const corsa& c);

// A number with a decimal comma.
std::string con_virgola(double x, int decimali);

}  // namespace scen
