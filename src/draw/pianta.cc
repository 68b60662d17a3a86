#include "draw/pianta.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "draw/etichette.h"
#include "draw/stile.h"

namespace scen {

namespace {

constexpr double bordo = 34;       // room inside the panel around the line
constexpr double corpo_nome = 11;  // type size of the station names
constexpr double senza_tracciato = 56;

// The world (metres, north up) into the panel (pixels, down).
struct proiezione {
  riquadro mondo;
  double scala = 1;  // pixels per metre
  double ox = 0, oy = 0;
  punto operator()(punto p) const {
    return {ox + (p.x - mondo.x0) * scala, oy + (mondo.y1 - p.y) * scala};
  }
};

// The trace up to the end of the line: what comes after it is the run-out.
std::vector<punto> linea_di(const scena& s) {
  const std::size_t n = std::min(s.tracciato.size(), static_cast<std::size_t>(s.lunghezza) + 1);
  return {s.tracciato.begin(), s.tracciato.begin() + static_cast<long>(n)};
}

proiezione proietta(const std::vector<punto>& linea, const riquadro& area) {
  proiezione p;
  p.mondo = riquadro_di(linea);
  const double w = std::max(p.mondo.larghezza(), 1.0), h = std::max(p.mondo.altezza(), 1.0);
  p.scala =
      std::min((area.larghezza() - 2 * bordo) / w, (stile::altezza_pianta_massima - 2 * bordo) / h);
  // Centred across the panel.
  p.ox = area.x0 + (area.larghezza() - w * p.scala) / 2;
  p.oy = area.y0 + bordo;
  return p;
}

// A round length for the scale bar, close to a quarter of the panel.
double lunghezza_scala(double metri_voluti) {
  const double passi[] = {1, 2, 5};
  double migliore = 1;
  for (double dieci = 1; dieci <= 1e6; dieci *= 10)
    for (double p : passi)
      if (p * dieci <= metri_voluti) migliore = p * dieci;
  return migliore;
}

// Kilometre marks along the line: a round step that gives at most eight.
long passo_chilometri(long lunghezza) {
  for (long km : {1L, 2L, 5L, 10L, 20L, 25L, 50L, 100L, 200L, 250L, 500L})
    if (lunghezza / (km * 1000) <= 8) return km * 1000;
  return 1000000;
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

void freccia_nord(scrittore_svg& w, const riquadro& area) {
  const double x = area.x1 - 22, y = area.y0 + 16;
  w.apri("g", {{"id", "nord"}, {"fill", std::string(stile::inchiostro)}});
  w.vuoto("path", {{"d", fmt::format("M{} {}L{} {}L{} {}L{} {}Z", num(x), num(y + 4), num(x + 6),
                                     num(y + 22), num(x), num(y + 18), num(x - 6), num(y + 22))}});
  w.testo("text",
          {{"x", num(x)},
           {"y", num(y + 1)},
           {"text-anchor", "middle"},
           {"font-size", "11"},
           {"font-weight", "bold"}},
          "N");
  w.chiudi();
}

// The drawn point of metre `m`, and the direction of the line there.
punto in_pianta(const std::vector<punto>& linea, const proiezione& pr, long m) {
  const long ultimo = static_cast<long>(linea.size()) - 1;
  return pr(linea[static_cast<std::size_t>(std::clamp(m, 0L, ultimo))]);
}

// The way of travel at metre `m`, in the picture, as a unit vector.
punto direzione(const std::vector<punto>& linea, const proiezione& pr, long m) {
  const punto a = in_pianta(linea, pr, m - 30);
  const punto b = in_pianta(linea, pr, m + 30);
  const double l = std::hypot(b.x - a.x, b.y - a.y);
  if (l == 0) return {0, -1};
  return {(b.x - a.x) / l, (b.y - a.y) / l};
}

// The path of metres `da` to `a` of the line, thinned for drawing.
std::string tratto(const std::vector<punto>& linea, const proiezione& pr, long da, long a) {
  const long ultimo = static_cast<long>(linea.size()) - 1;
  da = std::clamp(da, 0L, ultimo);
  a = std::clamp(a, da, ultimo);
  std::vector<punto> pezzo;
  for (long m = da; m <= a; ++m) pezzo.push_back(pr(linea[static_cast<std::size_t>(m)]));
  tracciato_svg d;
  bool primo = true;
  for (std::size_t i : sfoltisci(pezzo, 0.3)) {
    if (primo)
      d.muovi(pezzo[i].x, pezzo[i].y);
    else
      d.linea(pezzo[i].x, pezzo[i].y);
    primo = false;
  }
  return d.d();
}

}  // namespace

double altezza_pianta(const scena& s, double larghezza) {
  if (s.tracciato.size() < 2) return senza_tracciato;
  const std::vector<punto> linea = linea_di(s);
  const proiezione pr = proietta(linea, {0, 0, larghezza, stile::altezza_pianta_massima});
  return std::max(pr.mondo.altezza() * pr.scala + 2 * bordo, 160.0);
}

pianta_disegnata disegna_pianta(scrittore_svg& w, const scena& s, const riquadro& area) {
  pianta_disegnata risultato;
  risultato.altezza = area.altezza();
  w.apri("g", {{"id", "pianta"}});
  w.vuoto("rect", {{"x", num(area.x0)},
                   {"y", num(area.y0)},
                   {"width", num(area.larghezza())},
                   {"height", num(area.altezza())},
                   {"rx", "6"},
                   {"fill", std::string(stile::fondo_pannello)}});
  if (s.tracciato.size() < 2) {
    w.testo("text",
            {{"x", num(area.x0 + area.larghezza() / 2)},
             {"y", num(area.y0 + area.altezza() / 2 + 4)},
             {"text-anchor", "middle"},
             {"font-size", "12"},
             {"fill", std::string(stile::inchiostro_tenue)}},
            "pianta non disponibile: lo scenario non ha il tracciato della linea");
    w.chiudi();
    return risultato;
  }

  const std::vector<punto> linea = linea_di(s);
  const proiezione pr = proietta(linea, area);

  // The line, thinned to what half a pixel can show; the data stay whole.
  std::vector<punto> disegnati(linea.size());
  std::transform(linea.begin(), linea.end(), disegnati.begin(), pr);
  const std::vector<std::size_t> tenuti = sfoltisci(disegnati, 0.4);
  tracciato_svg d;
  ostacoli o;
  for (std::size_t k = 0; k < tenuti.size(); ++k) {
    const punto p = disegnati[tenuti[k]];
    risultato.percorso.push_back({static_cast<long>(tenuti[k]), p});
    if (k == 0)
      d.muovi(p.x, p.y);
    else {
      d.linea(p.x, p.y);
      o.segmenti.push_back({disegnati[tenuti[k - 1]], p});
    }
  }

  // Mountain zones under the line.
  w.apri("g", {{"id", "pianta-montagna"},
               {"fill", "none"},
               {"stroke", std::string(stile::montagna_pianta)},
               {"stroke-width", "9"},
               {"stroke-linecap", "butt"}});
  for (std::size_t i = 0; i < s.montagna.size(); ++i) {
    if (s.montagna[i].valore == 0) continue;
    const long fine = i + 1 < s.montagna.size() ? s.montagna[i + 1].da : s.lunghezza;
    w.vuoto("path", {{"d", tratto(linea, pr, s.montagna[i].da, fine)}});
  }
  w.chiudi();

  w.vuoto("path", {{"id", "linea"},
                   {"d", d.d()},
                   {"fill", "none"},
                   {"stroke", std::string(stile::linea)},
                   {"stroke-width", "2"},
                   {"stroke-linejoin", "round"},
                   {"stroke-linecap", "round"}});

  // Signals: a short tick across the line, on its right.
  tracciato_svg tacche;
  for (long m : s.segnali) {
    if (m < 0 || m > s.lunghezza) continue;
    const punto p = in_pianta(linea, pr, m);
    const punto u = direzione(linea, pr, m);
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

  // Slowdowns: their stretch over the line, and a mark at their start.
  std::vector<richiesta_etichetta> richieste;
  std::vector<std::string> testi;
  std::vector<int> corpi;
  std::vector<bool> grassetti;
  w.apri("g", {{"id", "pianta-rallentamenti"}});
  for (const rallentamento_scena& r : s.rallentamenti) {
    w.vuoto("path", {{"d", tratto(linea, pr, r.inizio, std::max(r.fine, r.inizio + 1))},
                     {"fill", "none"},
                     {"stroke", std::string(stile::rallentamento)},
                     {"stroke-width", "5"},
                     {"stroke-linecap", "round"}});
    const punto p = in_pianta(linea, pr, r.inizio);
    o.riquadri.push_back({p.x - 4, p.y - 4, p.x + 4, p.y + 4});
    const std::string t = fmt::format("{} km/h", r.velocita);
    richieste.push_back({p, stile::larghezza_testo(t, 10, true) + 8, 14});
    testi.push_back(t);
  }
  w.chiudi();
  const std::size_t numero_rallentamenti = richieste.size();

  // Stations: the ends and the stops first, then the others in line order.
  std::vector<std::size_t> ordine;
  for (std::size_t i = 0; i < s.stazioni.size(); ++i) ordine.push_back(i);
  auto rango = [&](std::size_t i) {
    if (i == 0 || i + 1 == s.stazioni.size()) return 0;
    return s.stazioni[i].fermata ? 1 : 2;
  };
  std::stable_sort(ordine.begin(), ordine.end(),
                   [&](std::size_t a, std::size_t b) { return rango(a) < rango(b); });
  for (std::size_t i = 0; i < s.stazioni.size(); ++i) {
    const punto p = in_pianta(linea, pr, s.stazioni[i].posizione);
    const double r = rango(i) == 2 ? 3 : 4.5;
    o.riquadri.push_back({p.x - r, p.y - r, p.x + r, p.y + r});
  }
  for (std::size_t i : ordine) {
    const stazione_scena& st = s.stazioni[i];
    const bool forte = rango(i) < 2;
    richieste.push_back({in_pianta(linea, pr, st.posizione),
                         stile::larghezza_testo(st.nome, corpo_nome, forte), corpo_nome + 2});
    testi.push_back(st.nome);
  }
  const std::size_t fine_stazioni = richieste.size();

  // Kilometre marks along the line, to find on it a point of the profile;
  // they give way to everything else.
  const long passo = passo_chilometri(s.lunghezza);
  std::vector<long> chilometri;
  for (long m = passo; m < s.lunghezza - passo / 4; m += passo) {
    chilometri.push_back(m);
    const std::string t = fmt::format("km {}", m / 1000);
    richieste.push_back({in_pianta(linea, pr, m), stile::larghezza_testo(t, 9), 11});
    testi.push_back(t);
  }

  // Nothing over the scale bar and the north arrow.
  const double scala_px = lunghezza_scala(area.larghezza() / 5 / pr.scala) * pr.scala;
  o.riquadri.push_back({area.x0 + 4, area.y1 - 40, area.x0 + 36 + scala_px, area.y1 - 4});
  o.riquadri.push_back({area.x1 - 36, area.y0 + 4, area.x1 - 8, area.y0 + 44});
  const riquadro dentro{area.x0 + 4, area.y0 + 4, area.x1 - 4, area.y1 - 4};
  const std::vector<etichetta_posta> poste = poni_etichette(richieste, o, dentro);

  w.apri("g", {{"id", "pianta-km"},
               {"font-size", "9"},
               {"fill", std::string(stile::inchiostro_tenue)},
               {"font-style", "italic"}});
  for (std::size_t k = 0; k < chilometri.size(); ++k) {
    const punto p = in_pianta(linea, pr, chilometri[k]);
    w.vuoto("circle", {{"cx", num(p.x)},
                       {"cy", num(p.y)},
                       {"r", "1.8"},
                       {"fill", std::string(stile::inchiostro_tenue)}});
    const etichetta_posta& e = poste[fine_stazioni + k];
    if (e.posta)
      w.testo("text", {{"x", num(e.dove.x0)}, {"y", num(e.dove.y1 - 2.5)}},
              testi[fine_stazioni + k]);
  }
  w.chiudi();

  // Station symbols, over the line and the ticks.
  w.apri("g", {{"id", "pianta-stazioni"}, {"stroke", std::string(stile::linea)}});
  for (std::size_t i = 0; i < s.stazioni.size(); ++i) {
    const punto p = in_pianta(linea, pr, s.stazioni[i].posizione);
    const int r = rango(i);
    w.vuoto("circle", {{"cx", num(p.x)},
                       {"cy", num(p.y)},
                       {"r", r == 0   ? "4.5"
                             : r == 1 ? "3.6"
                                      : "2.6"},
                       {"fill", r == 2 ? "#ffffff" : std::string(stile::linea)},
                       {"stroke-width", r == 0 ? "2" : "1.2"}});
  }
  w.chiudi();

  // Leader lines, then the texts.
  tracciato_svg guide;
  for (std::size_t k = 0; k < poste.size(); ++k) {
    if (!poste[k].posta || !poste[k].guida) continue;
    const punto a = richieste[k].ancora;
    const riquadro& b = poste[k].dove;
    const punto c{std::clamp(a.x, b.x0, b.x1), std::clamp(a.y, b.y0 + 2, b.y1 - 2)};
    guide.muovi(a.x, a.y);
    guide.linea(c.x, c.y);
  }
  if (!guide.vuoto())
    w.vuoto("path", {{"id", "pianta-guide"},
                     {"d", guide.d()},
                     {"stroke", std::string(stile::inchiostro_tenue)},
                     {"stroke-width", "0.6"},
                     {"fill", "none"}});

  w.apri("g",
         {{"id", "pianta-etichette-rallentamenti"}, {"font-size", "10"}, {"font-weight", "bold"}});
  for (std::size_t k = 0; k < numero_rallentamenti; ++k) {
    if (!poste[k].posta) continue;
    const riquadro& b = poste[k].dove;
    w.vuoto("rect", {{"x", num(b.x0)},
                     {"y", num(b.y0)},
                     {"width", num(b.larghezza())},
                     {"height", num(b.altezza())},
                     {"rx", "3"},
                     {"fill", std::string(stile::rallentamento)}});
    w.testo("text",
            {{"x", num(b.x0 + b.larghezza() / 2)},
             {"y", num(b.y1 - 3.5)},
             {"text-anchor", "middle"},
             {"fill", "#ffffff"}},
            testi[k]);
  }
  w.chiudi();

  w.apri("g", {{"id", "pianta-nomi"},
               {"font-size", num(corpo_nome)},
               {"fill", std::string(stile::inchiostro)},
               {"stroke", "#f6f7f9"},
               {"stroke-width", "3"},
               {"paint-order", "stroke"},
               {"stroke-linejoin", "round"}});
  for (std::size_t k = numero_rallentamenti; k < fine_stazioni; ++k) {
    if (!poste[k].posta) continue;
    ++risultato.stazioni_nominate;
    const std::size_t i = ordine[k - numero_rallentamenti];
    const riquadro& b = poste[k].dove;
    if (rango(i) < 2)
      w.testo("text",
              {{"class", "nome-stazione"},
               {"x", num(b.x0)},
               {"y", num(b.y1 - 3)},
               {"font-weight", "bold"}},
              testi[k]);
    else
      w.testo("text", {{"class", "nome-stazione"}, {"x", num(b.x0)}, {"y", num(b.y1 - 3)}},
              testi[k]);
  }
  w.chiudi();

  barra_di_scala(w, pr, area);
  freccia_nord(w, area);
  w.chiudi();
  return risultato;
}

}  // namespace scen
