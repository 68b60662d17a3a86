#include "draw/disegno.h"

#include <fmt/format.h>

#include "draw/stile.h"
#include "draw/svg.h"

namespace scen {

namespace {

constexpr double altezza_testata = 58;

std::string titolo_di(const scena& s) {
  if (s.stazioni.empty()) return "Linea di " + km_italiani(s.lunghezza);
  if (s.stazioni.size() == 1) return s.stazioni.front().nome;
  return s.stazioni.front().nome + " – " + s.stazioni.back().nome;
}

std::string plurale(std::size_t n, const char* uno, const char* molti) {
  return fmt::format("{} {}", n, n == 1 ? uno : molti);
}

std::string sommario(const scena& s) {
  std::size_t fermate = 0, zone = 0;
  for (const stazione_scena& st : s.stazioni) fermate += st.fermata;
  for (std::size_t i = 0; i < s.montagna.size(); ++i)
    zone += s.montagna[i].valore != 0 && (i == 0 || s.montagna[i - 1].valore == 0);
  return fmt::format("{} · {} · {} · {} · {} · {}", km_italiani(s.lunghezza),
                     plurale(s.stazioni.size(), "stazione", "stazioni"),
                     plurale(fermate, "fermata", "fermate"),
                     plurale(s.segnali.size(), "segnale", "segnali"),
                     plurale(s.rallentamenti.size(), "rallentamento", "rallentamenti"),
                     plurale(zone, "zona di montagna", "zone di montagna"));
}

void legenda(scrittore_svg& w, double x_destra, double y) {
  struct voce {
    const char* testo;
    int tipo;
  };
  const voce voci[] = {{"fermata", 0},
                       {"stazione", 1},
                       {"segnale", 2},
                       {"rallentamento", 3},
                       {"zona di montagna", 4}};
  double larghezza = 0;
  for (const voce& v : voci) larghezza += 16 + stile::larghezza_testo(v.testo, 10) + 14;
  double x = x_destra - larghezza;
  w.apri("g",
         {{"id", "legenda"}, {"font-size", "10"}, {"fill", std::string(stile::inchiostro_tenue)}});
  for (const voce& v : voci) {
    const std::string linea(stile::linea);
    switch (v.tipo) {
      case 0:
        w.vuoto("circle",
                {{"cx", num(x + 5)}, {"cy", num(y - 3.5)}, {"r", "3.6"}, {"fill", linea}});
        break;
      case 1:
        w.vuoto("circle", {{"cx", num(x + 5)},
                           {"cy", num(y - 3.5)},
                           {"r", "2.6"},
                           {"fill", "#ffffff"},
                           {"stroke", linea},
                           {"stroke-width", "1.2"}});
        break;
      case 2:
        w.vuoto("line", {{"x1", num(x + 5)},
                         {"x2", num(x + 5)},
                         {"y1", num(y - 9)},
                         {"y2", num(y + 1)},
                         {"stroke", std::string(stile::segnale)},
                         {"stroke-width", "1.2"}});
        break;
      case 3:
        w.vuoto("rect", {{"x", num(x)},
                         {"y", num(y - 7)},
                         {"width", "11"},
                         {"height", "7"},
                         {"rx", "1.5"},
                         {"fill", std::string(stile::rallentamento)}});
        break;
      default:
        w.vuoto("rect", {{"x", num(x)},
                         {"y", num(y - 7)},
                         {"width", "11"},
                         {"height", "7"},
                         {"rx", "1.5"},
                         {"fill", std::string(stile::montagna)},
                         {"fill-opacity", "0.75"}});
    }
    w.testo("text", {{"x", num(x + 16)}, {"y", num(y)}}, v.testo);
    x += 16 + stile::larghezza_testo(v.testo, 10) + 14;
  }
  w.chiudi();
}

}  // namespace

std::string km_italiani(long metri, int decimali) {
  std::string t = fmt::format("{:.{}f}", static_cast<double>(metri) / 1000, decimali);
  for (char& c : t)
    if (c == '.') c = ',';
  return t + " km";
}

namespace {

// Opens an SVG document that shows the stretch of the picture from `y` down,
// `larghezza` by `altezza`, at that size, with the picture's title and its
// background.
void apri_documento(scrittore_svg& w, const scena& s, const char* id, double y, double larghezza,
                    double altezza) {
  w.apri("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                 {"width", num(larghezza)},
                 {"height", num(altezza)},
                 {"viewBox", fmt::format("0 {} {} {}", num(y), num(larghezza), num(altezza))},
                 {"font-family", std::string(stile::carattere)},
                 {"id", id}});
  w.testo("title", {}, titolo_di(s));
  if (y == 0)
    w.vuoto("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", std::string(stile::sfondo)}});
  else
    w.vuoto("rect", {{"y", num(y)},
                     {"width", "100%"},
                     {"height", "100%"},
                     {"fill", std::string(stile::sfondo)}});
}

// What `w` wrote from `da` on.
std::string da(const scrittore_svg& w, std::size_t da) { return w.scritto().substr(da); }

}  // namespace

disegno disegna_scena(const scena& s) {
  disegno d;
  const double m = stile::margine, w_tot = stile::larghezza;
  const double h_pianta = altezza_pianta(s, w_tot - 2 * m);
  const double y_pianta = m + altezza_testata;
  const double y_profilo = y_pianta + h_pianta + 18;
  d.altezza = y_profilo + altezza_profilo() + m;

  // The two parts, each a document of its own that shows its stretch of
  // the picture in the picture's own coordinates; the whole holds the same
  // elements, one part after the other.
  scrittore_svg p;
  const double fine_pianta = y_pianta + h_pianta + m / 2;
  apri_documento(p, s, "disegno-pianta", 0, w_tot, fine_pianta);
  const std::size_t inizio_pianta = p.scritto().size();
  p.testo("text",
          {{"id", "titolo"},
           {"x", num(m)},
           {"y", num(m + 18)},
           {"font-size", "20"},
           {"font-weight", "bold"},
           {"fill", std::string(stile::inchiostro)}},
          titolo_di(s));
  p.testo("text",
          {{"id", "sommario"},
           {"x", num(m)},
           {"y", num(m + 38)},
           {"font-size", "11.5"},
           {"fill", std::string(stile::inchiostro_tenue)}},
          sommario(s));
  legenda(p, w_tot - m, m + 38);
  d.pianta = disegna_pianta(p, s, {m, y_pianta, w_tot - m, y_pianta + h_pianta});
  const std::string pianta = da(p, inizio_pianta);
  p.chiudi();
  d.svg_pianta = p.finito();

  scrittore_svg q;
  const double sopra = y_profilo - m / 2;
  apri_documento(q, s, "disegno-profilo", sopra, w_tot, d.altezza - sopra);
  const std::size_t inizio_profilo = q.scritto().size();
  d.profilo = disegna_profilo(q, s, {m, y_profilo, w_tot - m, y_profilo + altezza_profilo()});
  const std::string profilo = da(q, inizio_profilo);
  q.chiudi();
  d.svg_profilo = q.finito();

  scrittore_svg w;
  w.apri("svg", {{"xmlns", "http://www.w3.org/2000/svg"},
                 {"width", num(w_tot)},
                 {"height", num(d.altezza)},
                 {"viewBox", fmt::format("0 0 {} {}", num(w_tot), num(d.altezza))},
                 {"font-family", std::string(stile::carattere)},
                 {"id", "disegno-scenario"}});
  w.testo("title", {}, titolo_di(s));
  w.vuoto("rect", {{"width", "100%"}, {"height", "100%"}, {"fill", std::string(stile::sfondo)}});
  w.grezzo(pianta);
  w.grezzo(profilo);
  w.chiudi();
  d.svg = w.finito();
  return d;
}

}  // namespace scen
