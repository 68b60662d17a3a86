#include "draw/profilo.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "draw/etichette.h"
#include "draw/stile.h"

namespace scen {

namespace {

constexpr double banda_nomi = 118;
constexpr double titolo = 17;  // room for a band's title above it
constexpr double spazio = 8;   // between bands
constexpr double altezza_asse = 30;
constexpr double corpo_nome = 10.5;

struct banda {
  const char* id;
  const char* titolo;
  double altezza;
};
constexpr banda bande[] = {
    {"quota", "Quota rispetto all'origine (m)", 58},
    {"pendenza", "Pendenza (‰)", 64},
    {"curve", "Curve (a destra in alto, a sinistra in basso; R = raggio)", 40},
    {"velocita", "Velocità massima (km/h)", 70},
    {"aderenza", "Aderenza", 38},
    {"montagna", "Zone di montagna", 14},
    {"segnali", "Segnali", 12},
};

struct asse {
  double x0, x1;
  long lunghezza;
  double x(long metro) const {
    return x0 + (x1 - x0) * static_cast<double>(metro) / static_cast<double>(lunghezza);
  }
};

// A band's vertical scale: values from `basso` to `alto` over its plot.
struct scala_y {
  double y0, y1;  // top and bottom of the plot
  double basso, alto;
  double y(double v) const { return y1 - (v - basso) / (alto - basso) * (y1 - y0); }
};

long fine_di(const serie& s, std::size_t i, long lunghezza) {
  return i + 1 < s.size() ? s[i + 1].da : lunghezza;
}

// A step line through the values of a series.
std::string gradini(const serie& s, const asse& a, const scala_y& sy) {
  tracciato_svg d;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const double y = sy.y(s[i].valore);
    if (i == 0)
      d.muovi(a.x(s[i].da), y);
    else
      d.linea(a.x(s[i].da), y);
    d.linea(a.x(fine_di(s, i, a.lunghezza)), y);
  }
  return d.d();
}

// The area between zero and the part of each value on one side of it.
std::string area_gradini(const serie& s, const asse& a, const scala_y& sy, int segno) {
  tracciato_svg d;
  const double zero = sy.y(0);
  d.muovi(a.x(0), zero);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const int v = segno > 0 ? std::max(s[i].valore, 0) : std::min(s[i].valore, 0);
    d.linea(a.x(s[i].da), sy.y(v));
    d.linea(a.x(fine_di(s, i, a.lunghezza)), sy.y(v));
  }
  d.linea(a.x(a.lunghezza), zero);
  d.chiudi();
  return d.d();
}

double arrotonda_su(double v, double passo) { return std::ceil(v / passo) * passo; }
double arrotonda_giu(double v, double passo) { return std::floor(v / passo) * passo; }

// A horizontal grid line with its value on the left.
void riga_griglia(scrittore_svg& w, const asse& a, double y, const std::string& testo,
                  bool forte = false) {
  w.vuoto("line", {{"x1", num(a.x0)},
                   {"x2", num(a.x1)},
                   {"y1", num(y)},
                   {"y2", num(y)},
                   {"stroke", forte ? "#c3c8cf" : std::string(stile::griglia)},
                   {"stroke-width", "0.8"}});
  w.testo("text", {{"x", num(a.x0 - 6)}, {"y", num(y + 3.5)}, {"text-anchor", "end"}}, testo);
}

// A group drawn along the distance axis: a page scales it in x to zoom, so
// it sits in a clipping group that stays put.
void apri_dati(scrittore_svg& w, const char* id, std::string_view riempimento = {}) {
  w.apri("g", {{"clip-path", "url(#ritaglio-profilo)"}});
  if (riempimento.empty())
    w.apri("g", {{"class", "dati"}, {"id", id}});
  else
    w.apri("g", {{"class", "dati"}, {"id", id}, {"fill", std::string(riempimento)}});
}

void chiudi_dati(scrittore_svg& w) {
  w.chiudi();
  w.chiudi();
}

std::string attr_metro(long m) { return std::to_string(m); }

// A passo for the distance axis's ticks that leaves them about 70 px apart.
long passo_km(double px_per_km) {
  for (long p : {1L, 2L, 5L, 10L, 20L, 25L, 50L, 100L, 200L, 250L, 500L})
    if (static_cast<double>(p) * px_per_km >= 60) return p;
  return 1000;
}

}  // namespace

std::vector<punto> quote(const scena& s) {
  std::vector<punto> q;
  double h = 0;
  for (std::size_t i = 0; i < s.pendenza.size(); ++i) {
    const long da = s.pendenza[i].da, a = fine_di(s.pendenza, i, s.lunghezza);
    if (i == 0) q.push_back({static_cast<double>(da), h});
    h += s.pendenza[i].valore * static_cast<double>(a - da) / 1000.0;
    q.push_back({static_cast<double>(a), h});
  }
  return q;
}

double altezza_profilo() {
  double h = banda_nomi + altezza_asse;
  for (const banda& b : bande) h += titolo + b.altezza + spazio;
  return h;
}

profilo_disegnato disegna_profilo(scrittore_svg& w, const scena& s, const riquadro& area) {
  profilo_disegnato r;
  r.altezza = area.altezza();
  const asse a{area.x0 + stile::margine_sinistro_profilo, area.x1 - 14, s.lunghezza};
  r.x0 = a.x0;
  r.x1 = a.x1;
  r.y_nomi = area.y0 + banda_nomi;
  r.y0 = r.y_nomi;

  // Where each band lies.
  std::vector<scala_y> posti;
  double y = r.y_nomi;
  for (const banda& b : bande) {
    posti.push_back({y + titolo, y + titolo + b.altezza, 0, 1});
    y += titolo + b.altezza + spazio;
  }
  r.y1 = y - spazio;
  r.y_asse = r.y1 + 6;

  w.apri("g",
         {{"id", "profilo"}, {"font-size", "9.5"}, {"fill", std::string(stile::inchiostro_tenue)}});
  w.apri("defs");
  w.apri("clipPath", {{"id", "ritaglio-profilo"}});
  w.vuoto("rect", {{"x", num(a.x0)},
                   {"y", num(area.y0)},
                   {"width", num(a.x1 - a.x0)},
                   {"height", num(r.y_asse - area.y0 + 1)}});
  w.chiudi();
  w.chiudi();

  // Band titles.
  for (std::size_t k = 0; k < posti.size(); ++k)
    w.testo("text",
            {{"class", "titolo-banda"},
             {"x", num(a.x0)},
             {"y", num(posti[k].y0 - 5)},
             {"font-size", "10.5"},
             {"font-weight", "bold"},
             {"fill", std::string(stile::inchiostro)}},
            bande[k].titolo);

  // Slowdowns shaded over every band, under everything else.
  apri_dati(w, "profilo-rallentamenti");
  // A short one keeps a visible width from its outline, which does not
  // grow when a page zooms.
  for (const rallentamento_scena& rl : s.rallentamenti) {
    const double xa = a.x(rl.inizio), xb = std::max(a.x(rl.fine), xa);
    w.vuoto("rect", {{"x", num(xa, 2)},
                     {"y", num(r.y0)},
                     {"width", num(xb - xa, 2)},
                     {"height", num(r.y1 - r.y0)},
                     {"fill", std::string(stile::rallentamento_fondo)},
                     {"stroke", std::string(stile::rallentamento_fondo)},
                     {"stroke-width", "2.5"},
                     {"vector-effect", "non-scaling-stroke"}});
  }
  chiudi_dati(w);

  // Station guides.
  apri_dati(w, "profilo-guide");
  for (const stazione_scena& st : s.stazioni) {
    const double x = a.x(st.posizione);
    w.vuoto("line", {{"x1", num(x, 2)},
                     {"x2", num(x, 2)},
                     {"y1", num(r.y_nomi - 4)},
                     {"y2", num(r.y1)},
                     {"stroke", st.fermata ? "#aab1ba" : std::string(stile::guida_stazione)},
                     {"stroke-width", st.fermata ? "0.9" : "0.6"},
                     {"vector-effect", "non-scaling-stroke"}});
  }
  chiudi_dati(w);

  // Height above the origin, from the gradients.
  {
    scala_y& sy = posti[0];
    const std::vector<punto> q = quote(s);
    double basso = 0, alto = 0;
    for (punto p : q) {
      basso = std::min(basso, p.y);
      alto = std::max(alto, p.y);
    }
    // Lines at round heights, at most four over the band.
    double passo = 10;
    for (double p : {10.0, 20.0, 25.0, 50.0, 100.0, 200.0, 250.0, 500.0, 1000.0, 2000.0, 5000.0})
      if ((alto - basso) / p <= 3.7) {
        passo = p;
        break;
      }
    const double margine = std::max((alto - basso) * 0.06, 2.0);
    sy.basso = basso - margine;
    sy.alto = alto + margine;
    for (double v = arrotonda_su(sy.basso, passo); v <= sy.alto; v += passo)
      riga_griglia(w, a, sy.y(v), num(v, 0), v == 0);
    tracciato_svg d;
    d.muovi(a.x(0), sy.y1);
    for (punto p : q) d.linea(a.x(static_cast<long>(p.x)), sy.y(p.y));
    d.linea(a.x(s.lunghezza), sy.y1);
    d.chiudi();
    apri_dati(w, "serie-quota");
    w.vuoto("path", {{"d", d.d()},
                     {"fill", std::string(stile::quota)},
                     {"stroke", std::string(stile::quota_bordo)},
                     {"stroke-width", "1"},
                     {"stroke-linejoin", "round"},
                     {"vector-effect", "non-scaling-stroke"}});
    chiudi_dati(w);
  }

  // Gradient: climbs above the line, falls below it.
  {
    scala_y& sy = posti[1];
    int massimo = 1;
    for (const gradino& g : s.pendenza) massimo = std::max(massimo, std::abs(g.valore));
    sy.alto = arrotonda_su(massimo, 5);
    sy.basso = -sy.alto;
    // Zero and the two ends of the scale.
    for (double v : {sy.basso, 0.0, sy.alto}) {
      std::string testo = num(v, 0);
      if (v > 0) testo.insert(0, 1, '+');
      riga_griglia(w, a, sy.y(v), testo, v == 0);
    }
    apri_dati(w, "serie-pendenza");
    w.vuoto("path",
            {{"d", area_gradini(s.pendenza, a, sy, 1)}, {"fill", std::string(stile::salita)}});
    w.vuoto("path",
            {{"d", area_gradini(s.pendenza, a, sy, -1)}, {"fill", std::string(stile::discesa)}});
    chiudi_dati(w);
  }

  // Curves: how sharply the line turns, to the right above the line and to
  // the left below it, with the radius of the sharpest.
  {
    scala_y& sy = posti[2];
    int massimo = 0;
    for (const gradino& g : s.curvatura) massimo = std::max(massimo, std::abs(g.valore));
    sy.alto = std::max(massimo, 10);
    sy.basso = -sy.alto;
    const std::string raggio = fmt::format("R {} m", num(1e5 / sy.alto, 0));
    riga_griglia(w, a, sy.y(sy.alto), raggio);
    riga_griglia(w, a, sy.y(0), "0", true);
    riga_griglia(w, a, sy.y(sy.basso), raggio);
    apri_dati(w, "serie-curve");
    if (!s.curvatura.empty()) {
      w.vuoto("path",
              {{"d", area_gradini(s.curvatura, a, sy, 1)}, {"fill", std::string(stile::curva)}});
      w.vuoto("path",
              {{"d", area_gradini(s.curvatura, a, sy, -1)}, {"fill", std::string(stile::curva)}});
    }
    chiudi_dati(w);
  }

  // Speed limit, with the slowdowns' speeds dashed over it.
  {
    scala_y& sy = posti[3];
    int massimo = 50;
    for (const gradino& g : s.velocita) massimo = std::max(massimo, g.valore);
    sy.basso = 0;
    sy.alto = arrotonda_su(massimo, 50);
    const double passo = sy.alto > 200 ? 100 : 50;
    for (double v = 0; v <= sy.alto + 0.5; v += passo)
      riga_griglia(w, a, sy.y(v), num(v, 0), v == 0);
    apri_dati(w, "serie-velocita");
    w.vuoto("path", {{"d", gradini(s.velocita, a, sy)},
                     {"fill", "none"},
                     {"stroke", std::string(stile::velocita)},
                     {"stroke-width", "1.6"},
                     {"vector-effect", "non-scaling-stroke"}});
    for (const rallentamento_scena& rl : s.rallentamenti)
      w.vuoto("path",
              {{"d", fmt::format("M{} {}H{}", num(a.x(rl.inizio), 2), num(sy.y(rl.velocita)),
                                 num(std::max(a.x(rl.fine), a.x(rl.inizio) + 2.5), 2))},
               {"stroke", std::string(stile::rallentamento)},
               {"stroke-width", "2.2"},
               {"vector-effect", "non-scaling-stroke"}});
    chiudi_dati(w);
    w.apri("g", {{"id", "testi-rallentamenti"},
                 {"font-size", "9.5"},
                 {"font-weight", "bold"},
                 {"fill", std::string(stile::rallentamento)},
                 {"text-anchor", "end"}});
    for (const rallentamento_scena& rl : s.rallentamenti)
      w.testo("text",
              {{"data-m", attr_metro(rl.inizio)},
               {"x", num(a.x(rl.inizio) - 3)},
               {"y", num(sy.y(rl.velocita) + 3.5)}},
              fmt::format("{} km/h", rl.velocita));
    w.chiudi();
  }

  // Adhesion, its values written where they change.
  {
    scala_y& sy = posti[4];
    int basso = 1000, alto = 0;
    for (const gradino& g : s.aderenza) {
      basso = std::min(basso, g.valore);
      alto = std::max(alto, g.valore);
    }
    sy.basso = arrotonda_giu(basso - 1, 10);
    sy.alto = std::max(arrotonda_su(alto + 1, 10), sy.basso + 10);
    for (double v = sy.basso; v <= sy.alto + 0.5; v += (sy.alto - sy.basso > 40 ? 50 : 10))
      riga_griglia(w, a, sy.y(v), num(v, 0));
    apri_dati(w, "serie-aderenza");
    w.vuoto("path", {{"d", gradini(s.aderenza, a, sy)},
                     {"fill", "none"},
                     {"stroke", std::string(stile::aderenza)},
                     {"stroke-width", "1.6"},
                     {"vector-effect", "non-scaling-stroke"}});
    chiudi_dati(w);
    w.apri("g", {{"id", "testi-aderenza"}, {"fill", std::string(stile::aderenza)}});
    for (const gradino& g : s.aderenza)
      w.testo(
          "text",
          {{"data-m", attr_metro(g.da)}, {"x", num(a.x(g.da) + 3)}, {"y", num(sy.y(g.valore) - 3)}},
          std::to_string(g.valore));
    w.chiudi();
  }

  // Mountain zones: a block each, darker for a higher value.
  {
    const scala_y& sy = posti[5];
    w.vuoto("line", {{"x1", num(a.x0)},
                     {"x2", num(a.x1)},
                     {"y1", num(sy.y1)},
                     {"y2", num(sy.y1)},
                     {"stroke", std::string(stile::griglia)}});
    apri_dati(w, "serie-montagna", stile::montagna);
    for (std::size_t i = 0; i < s.montagna.size(); ++i) {
      const int v = s.montagna[i].valore;
      if (v == 0) continue;
      const double xa = a.x(s.montagna[i].da);
      const double xb = std::max(a.x(fine_di(s.montagna, i, s.lunghezza)), xa + 1.5);
      w.vuoto("rect", {{"x", num(xa, 2)},
                       {"y", num(sy.y0)},
                       {"width", num(xb - xa, 2)},
                       {"height", num(sy.y1 - sy.y0)},
                       {"fill-opacity", num(std::min(0.35 + 0.2 * v, 1.0), 2)}});
    }
    chiudi_dati(w);
  }

  // Signals: a tick each.
  {
    const scala_y& sy = posti[6];
    tracciato_svg d;
    for (long m : s.segnali) {
      if (m < 0 || m > s.lunghezza) continue;
      d.muovi(a.x(m), sy.y0);
      d.linea(a.x(m), sy.y1);
    }
    apri_dati(w, "serie-segnali");
    w.vuoto("path", {{"d", d.d()},
                     {"stroke", std::string(stile::segnale)},
                     {"stroke-width", "1"},
                     {"vector-effect", "non-scaling-stroke"}});
    chiudi_dati(w);
  }

  // The distance axis.
  {
    const double px_km = (a.x1 - a.x0) / (static_cast<double>(s.lunghezza) / 1000);
    const long passo = passo_km(px_km);
    w.apri(
        "g",
        {{"id", "asse-km"}, {"text-anchor", "middle"}, {"fill", std::string(stile::inchiostro)}});
    w.vuoto("line", {{"x1", num(a.x0)},
                     {"x2", num(a.x1)},
                     {"y1", num(r.y_asse)},
                     {"y2", num(r.y_asse)},
                     {"stroke", std::string(stile::inchiostro_tenue)},
                     {"stroke-width", "0.8"}});
    for (long km = 0; km * 1000 <= s.lunghezza; km += passo) {
      const double x = a.x(km * 1000);
      w.vuoto("line", {{"x1", num(x)},
                       {"x2", num(x)},
                       {"y1", num(r.y_asse)},
                       {"y2", num(r.y_asse + 4)},
                       {"stroke", std::string(stile::inchiostro_tenue)},
                       {"stroke-width", "0.8"}});
      w.testo("text", {{"x", num(x)}, {"y", num(r.y_asse + 15)}}, std::to_string(km));
    }
    w.testo("text",
            {{"x", num(a.x1)},
             {"y", num(r.y_asse + 27)},
             {"text-anchor", "end"},
             {"fill", std::string(stile::inchiostro_tenue)}},
            "km dall'origine della linea");
    w.chiudi();
  }

  // Station names, upright over their guides, spread where they crowd.
  {
    std::vector<double> voluti;
    for (const stazione_scena& st : s.stazioni) voluti.push_back(a.x(st.posizione));
    const std::vector<double> posti_nomi = poni_in_fila(voluti, corpo_nome + 2, a.x0 + 5, a.x1 - 2);
    const double base = r.y_nomi - 16;
    w.apri("g", {{"id", "nomi-profilo"},
                 {"font-size", num(corpo_nome)},
                 {"fill", std::string(stile::inchiostro)}});
    for (std::size_t i = 0; i < s.stazioni.size(); ++i) {
      const stazione_scena& st = s.stazioni[i];
      const double xl = posti_nomi[i], xv = voluti[i];
      const bool forte = st.fermata || i == 0 || i + 1 == s.stazioni.size();
      w.apri("g", {{"class", "nome"}, {"data-m", attr_metro(st.posizione)}});
      w.vuoto("path", {{"d", fmt::format("M{} {}V{}L{} {}", num(xv, 2), num(r.y_nomi - 4),
                                         num(r.y_nomi - 7), num(xl, 2), num(base + 3))},
                       {"fill", "none"},
                       {"stroke", "#aab1ba"},
                       {"stroke-width", "0.6"}});
      if (forte)
        w.testo("text",
                {{"transform", fmt::format("translate({} {}) rotate(-90)",
                                           num(xl + corpo_nome * 0.36, 2), num(base))},
                 {"font-weight", "bold"}},
                st.nome);
      else
        w.testo("text",
                {{"transform", fmt::format("translate({} {}) rotate(-90)",
                                           num(xl + corpo_nome * 0.36, 2), num(base))}},
                st.nome);
      w.chiudi();
    }
    w.chiudi();
  }

  w.chiudi();
  return r;
}

}  // namespace scen
