#include "draw/pianta.h"

#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "draw/etichette.h"
#include "draw/pianta_etichette.h"
#include "draw/pianta_linea.h"
#include "draw/stile.h"

namespace scen {

namespace {

using namespace parti_pianta;

constexpr double senza_tracciato = 56;

// A round length for the scale bar, close to a quarter of the panel.
double lunghezza_scala(double metri_voluti) {
  const double passi[] = {1, 2, 5};
  double migliore = 1;
  for (double dieci = 1; dieci <= 1e6; dieci *= 10)
    for (double p : passi)
      if (p * dieci <= metri_voluti) migliore = p * dieci;
  return migliore;
}

std::string testo_km(double metri) {
  if (metri >= 1000) return num(metri / 1000, 1) + " km";
  return num(metri, 0) + " m";
}

void barra_di_scala(scrittore_svg& w, const proiezione& pr, const riquadro& area) {
  const double metri = lunghezza_scala(area.larghezza() / 5 / pr.scala);
  const double px = metri * pr.scala;
  const double x0 = area.x0 + 16, y0 = area.y1 - 22;
  w.apri("g", {{"id", "scala"}, {"font-size", "10"}, {"fill", std::string(stile::inchiostro)}});
  for (int i = 0; i < 4; ++i)
    w.vuoto("rect", {{"x", num(x0 + px / 4 * i)},
                     {"y", num(y0)},
                     {"width", num(px / 4)},
                     {"height", "5"},
                     {"fill", i % 2 ? "#ffffff" : std::string(stile::inchiostro)},
                     {"stroke", std::string(stile::inchiostro)},
                     {"stroke-width", "0.8"}});
  w.testo("text", {{"x", num(x0)}, {"y", num(y0 - 4)}, {"text-anchor", "middle"}}, "0");
  w.testo("text", {{"x", num(x0 + px)}, {"y", num(y0 - 4)}, {"text-anchor", "middle"}},
          testo_km(metri));
  w.chiudi();
}

// The plan is drawn in the line's own frame, its first stretch heading up:
// the arrow says so (which way is north, the descriptions do not tell).
constexpr std::string_view testo_direzione = "direzione alla partenza";
constexpr double corpo_direzione = 10;

void freccia_direzione(scrittore_svg& w, const riquadro& area) {
  const double x = area.x1 - 22, y = area.y0 + 16;
  w.apri("g", {{"id", "direzione"}, {"fill", std::string(stile::inchiostro)}});
  w.vuoto("path", {{"d", fmt::format("M{} {}L{} {}L{} {}L{} {}Z", num(x), num(y - 6), num(x + 6),
                                     num(y + 12), num(x), num(y + 8), num(x - 6), num(y + 12))}});
  w.vuoto("path", {{"d", fmt::format("M{} {}V{}", num(x), num(y + 8), num(y + 22))},
                   {"stroke", std::string(stile::inchiostro)},
                   {"stroke-width", "1.6"}});
  w.testo("text",
          {{"x", num(x - 11)},
           {"y", num(y + 10)},
           {"text-anchor", "end"},
           {"font-size", num(corpo_direzione)}},
          testo_direzione);
  w.chiudi();
}

// Where the scale bar and the arrow with its words stand, with room around
// them.
std::vector<riquadro> ingombri_fissi(const proiezione& pr, const riquadro& area) {
  const double scala_px = lunghezza_scala(area.larghezza() / 5 / pr.scala) * pr.scala;
  const double parole = stile::larghezza_testo(testo_direzione, corpo_direzione);
  return {{area.x0 + 4, area.y1 - 40, area.x0 + 36 + scala_px, area.y1 - 4},
          {area.x1 - 36 - parole, area.y0 + 4, area.x1 - 8, area.y0 + 44}};
}

void fondo(scrittore_svg& w, const riquadro& area) {
  w.vuoto("rect", {{"x", num(area.x0)},
                   {"y", num(area.y0)},
                   {"width", num(area.larghezza())},
                   {"height", num(area.altezza())},
                   {"rx", "6"},
                   {"fill", std::string(stile::fondo_pannello)}});
}

void senza_pianta(scrittore_svg& w, const riquadro& area) {
  w.testo("text",
          {{"x", num(area.x0 + area.larghezza() / 2)},
           {"y", num(area.y0 + area.altezza() / 2 + 4)},
           {"text-anchor", "middle"},
           {"font-size", "12"},
           {"fill", std::string(stile::inchiostro_tenue)}},
          "pianta non disponibile: lo scenario non ha il tracciato della linea");
}

// The line, thinned to what half a pixel can show (the data stay whole):
// its points into `percorso`, its segments into `o`, and its path.
std::string linea_sfoltita(const linea_in_pianta& l, std::vector<punto_pianta>& percorso,
                           ostacoli& o) {
  std::vector<punto> disegnati(l.linea.size());
  std::transform(l.linea.begin(), l.linea.end(), disegnati.begin(), l.pr);
  const std::vector<std::size_t> tenuti = sfoltisci(disegnati, 0.4);
  tracciato_svg d;
  for (std::size_t k = 0; k < tenuti.size(); ++k) {
    const punto p = disegnati[tenuti[k]];
    percorso.push_back({static_cast<long>(tenuti[k]), p});
    if (k == 0)
      d.muovi(p.x, p.y);
    else {
      d.linea(p.x, p.y);
      o.segmenti.push_back({disegnati[tenuti[k - 1]], p});
    }
  }
  return d.d();
}

// Mountain zones, under the line.
void zone_montagna(scrittore_svg& w, const scena& s, const linea_in_pianta& l) {
  w.apri("g", {{"id", "pianta-montagna"},
               {"fill", "none"},
               {"stroke", std::string(stile::montagna_pianta)},
               {"stroke-width", "9"},
               {"stroke-linecap", "butt"}});
  for (std::size_t i = 0; i < s.montagna.size(); ++i) {
    if (s.montagna[i].valore == 0) continue;
    const long fine = i + 1 < s.montagna.size() ? s.montagna[i + 1].da : s.lunghezza;
    w.vuoto("path", {{"d", l.tratto(s.montagna[i].da, fine)}});
  }
  w.chiudi();
}

void linea_disegnata(scrittore_svg& w, const std::string& d) {
  w.vuoto("path", {{"id", "linea"},
                   {"d", d},
                   {"fill", "none"},
                   {"stroke", std::string(stile::linea)},
                   {"stroke-width", "2"},
                   {"stroke-linejoin", "round"},
                   {"stroke-linecap", "round"}});
}

// Signals: a short tick across the line, on its right.
void tacche_segnali(scrittore_svg& w, const scena& s, const linea_in_pianta& l) {
  tracciato_svg tacche;
  for (long m : s.segnali) {
    if (m < 0 || m > s.lunghezza) continue;
    const punto p = l.in_pianta(m);
    const punto u = l.direzione(m);
    // Across the line, to the right of the way of travel (y grows down).
    const punto n{-u.y, u.x};
    tacche.muovi(p.x + n.x * 2, p.y + n.y * 2);
    tacche.linea(p.x + n.x * 7, p.y + n.y * 7);
  }
  w.vuoto("path", {{"id", "pianta-segnali"},
                   {"d", tacche.d()},
                   {"stroke", std::string(stile::segnale)},
                   {"stroke-width", "1"},
                   {"stroke-linecap", "round"}});
}

// Slowdowns: their stretch over the line.
void tratti_rallentamenti(scrittore_svg& w, const scena& s, const linea_in_pianta& l) {
  w.apri("g", {{"id", "pianta-rallentamenti"}});
  for (const rallentamento_scena& r : s.rallentamenti)
    w.vuoto("path", {{"d", l.tratto(r.inizio, std::max(r.fine, r.inizio + 1))},
                     {"fill", "none"},
                     {"stroke", std::string(stile::rallentamento)},
                     {"stroke-width", "5"},
                     {"stroke-linecap", "round"}});
  w.chiudi();
}

// Station symbols, over the line and the ticks.
void simboli_stazioni(scrittore_svg& w, const scena& s, const linea_in_pianta& l) {
  w.apri("g", {{"id", "pianta-stazioni"}, {"stroke", std::string(stile::linea)}});
  for (std::size_t i = 0; i < s.stazioni.size(); ++i) {
    const punto p = l.in_pianta(s.stazioni[i].posizione);
    const int r = rango(s, i);
    w.vuoto("circle", {{"cx", num(p.x)},
                       {"cy", num(p.y)},
                       {"r", r == 0   ? "4.5"
                             : r == 1 ? "3.6"
                                      : "2.6"},
                       {"fill", r == 2 ? "#ffffff" : std::string(stile::linea)},
                       {"stroke-width", r == 0 ? "2" : "1.2"}});
  }
  w.chiudi();
}

}  // namespace

double altezza_pianta(const scena& s, double larghezza) {
  if (s.tracciato.size() < 2) return senza_tracciato;
  const linea_in_pianta l(s, {0, 0, larghezza, stile::altezza_pianta_massima});
  return std::max(l.pr.mondo.altezza() * l.pr.scala + 2 * bordo, 160.0);
}

pianta_disegnata disegna_pianta(scrittore_svg& w, const scena& s, const riquadro& area) {
  pianta_disegnata risultato;
  risultato.altezza = area.altezza();
  w.apri("g", {{"id", "pianta"}});
  fondo(w, area);
  if (s.tracciato.size() < 2) {
    senza_pianta(w, area);
    w.chiudi();
    return risultato;
  }
  const linea_in_pianta l(s, area);
  ostacoli o;
  const std::string d = linea_sfoltita(l, risultato.percorso, o);
  zone_montagna(w, s, l);
  linea_disegnata(w, d);
  tacche_segnali(w, s, l);
  tratti_rallentamenti(w, s, l);
  const piano_etichette e =
      poni_etichette_pianta(s, l, area, std::move(o), ingombri_fissi(l.pr, area));
  segni_chilometrici(w, l, e);
  cartelli_in_pianta(w, l, s, e);
  simboli_stazioni(w, s, l);
  guide_etichette(w, e);
  etichette_rallentamenti(w, e);
  risultato.stazioni_nominate = nomi_stazioni(w, s, e);
  barra_di_scala(w, l.pr, area);
  freccia_direzione(w, area);
  w.chiudi();
  return risultato;
}

}  // namespace scen
