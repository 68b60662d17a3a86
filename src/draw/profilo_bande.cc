#include "draw/profilo_bande.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "draw/geometria.h"
#include "draw/profilo.h"
#include "draw/stile.h"

namespace scen::bande_profilo {

namespace {

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

// A line through points given in pixels, thinned to a quarter pixel.
std::string linea_sfoltita(const std::vector<punto>& px) {
  tracciato_svg d;
  const std::vector<std::size_t> tenuti = sfoltisci(px, 0.25);
  for (std::size_t i = 0; i < tenuti.size(); ++i) {
    const punto& p = px[tenuti[i]];
    if (i == 0)
      d.muovi(p.x, p.y);
    else
      d.linea(p.x, p.y);
  }
  return d.d();
}

double x_di(const asse& a, double metro) {
  return a.x0 + (a.x1 - a.x0) * metro / static_cast<double>(a.lunghezza);
}

double arrotonda_su(double v, double passo) { return std::ceil(v / passo) * passo; }
double arrotonda_giu(double v, double passo) { return std::floor(v / passo) * passo; }

}  // namespace

void riga_griglia(scrittore_svg& w, const asse& a, double y, const std::string& testo, bool forte) {
  w.vuoto("line", {{"x1", num(a.x0)},
                   {"x2", num(a.x1)},
                   {"y1", num(y)},
                   {"y2", num(y)},
                   {"stroke", forte ? "#c3c8cf" : std::string(stile::griglia)},
                   {"stroke-width", "0.8"}});
  w.testo("text", {{"x", num(a.x0 - 6)}, {"y", num(y + 3.5)}, {"text-anchor", "end"}}, testo);
}

void apri_dati(scrittore_svg& w, const char* id, std::string_view riempimento) {
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

void banda_quota(scrittore_svg& w, const scena& s, const asse& a, scala_y sy) {
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

void banda_pendenza(scrittore_svg& w, const scena& s, const asse& a, scala_y sy) {
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

void banda_curve(scrittore_svg& w, const scena& s, const asse& a, scala_y sy) {
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

void banda_velocita(scrittore_svg& w, const scena& s, const asse& a, scala_y sy) {
  int massimo = 50;
  for (const gradino& g : s.velocita) massimo = std::max(massimo, g.valore);
  sy.basso = 0;
  sy.alto = arrotonda_su(massimo, 50);
  const double passo = sy.alto > 200 ? 100 : 50;
  for (double v = 0; v <= sy.alto + 0.5; v += passo) riga_griglia(w, a, sy.y(v), num(v, 0), v == 0);
  apri_dati(w, "serie-velocita");
  w.vuoto("path", {{"d", gradini(s.velocita, a, sy)},
                   {"fill", "none"},
                   {"stroke", std::string(stile::velocita)},
                   {"stroke-width", "1.6"},
                   {"vector-effect", "non-scaling-stroke"}});
  if (!s.marcia.velocita.empty()) {
    std::vector<punto> px;
    for (const punto& p : s.marcia.velocita)
      px.push_back({x_di(a, p.x), sy.y(std::min(p.y, sy.alto))});
    w.vuoto("path", {{"id", "corsa-velocita"},
                     {"d", linea_sfoltita(px)},
                     {"fill", "none"},
                     {"stroke", std::string(stile::corsa)},
                     {"stroke-width", "1.1"},
                     {"vector-effect", "non-scaling-stroke"}});
  }
  // Where the train stopped on the way: a mark across the band.
  if (s.marcia.fermo)
    w.vuoto("path", {{"id", "corsa-fermo"},
                     {"d", fmt::format("M{} {}V{}", num(x_di(a, *s.marcia.fermo), 2),
                                       num(sy.y(sy.alto)), num(sy.y(0)))},
                     {"stroke", std::string(stile::corsa)},
                     {"stroke-width", "2"},
                     {"stroke-dasharray", "3 2"},
                     {"vector-effect", "non-scaling-stroke"}});
  for (const rallentamento_scena& rl : s.rallentamenti)
    w.vuoto("path", {{"d", fmt::format("M{} {}H{}", num(a.x(rl.inizio), 2), num(sy.y(rl.velocita)),
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

void banda_aderenza(scrittore_svg& w, const scena& s, const asse& a, scala_y sy) {
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

void banda_montagna(scrittore_svg& w, const scena& s, const asse& a, scala_y sy) {
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

void banda_segnali(scrittore_svg& w, const scena& s, const asse& a, scala_y sy) {
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

std::optional<ore_orario> ore_della_banda(const scena& s) {
  const marcia_scena& m = s.marcia;
  if (!m.presente) return std::nullopt;
  ore_orario o{static_cast<double>(m.partenza), static_cast<double>(m.arrivo)};
  for (const punto& p : m.percorso) {
    o.da = std::min(o.da, p.y);
    o.a = std::max(o.a, p.y);
  }
  for (const stazione_scena& st : s.stazioni)
    if (st.orario > 0) {
      o.da = std::min(o.da, static_cast<double>(st.orario));
      o.a = std::max(o.a, static_cast<double>(st.orario));
    }
  o.a = std::max(o.a, o.da + 60);
  return o;
}

std::string ora_del_giorno(long secondi, bool con_secondi) {
  const long h = secondi / 3600 % 24, m = secondi / 60 % 60, sec = secondi % 60;
  if (con_secondi) return fmt::format("{:02}:{:02}:{:02}", h, m, sec);
  return fmt::format("{:02}:{:02}", h, m);
}

void banda_orario(scrittore_svg& w, const scena& s, const asse& a, scala_y sy) {
  const marcia_scena& m = s.marcia;
  const std::optional<ore_orario> ore = ore_della_banda(s);
  if (!ore) {
    w.testo("text", {{"x", num(a.x0 + 4)}, {"y", num((sy.y0 + sy.y1) / 2)}},
            "la marcia non si calcola: " + m.perche_no);
    return;
  }
  // Time runs downwards, from the earliest time to the latest, with a line
  // every hour (every half hour on a stretch of under three hours). A page
  // that zooms writes the lines anew for the stretch of the day it shows.
  sy.alto = ore->da;
  sy.basso = ore->a;
  const long inizio = static_cast<long>(ore->da), passo = ore->a - ore->da < 3 * 3600 ? 1800 : 3600;
  w.apri("g", {{"id", "griglia-orario"}});
  for (long t = (inizio / passo + 1) * passo; t < static_cast<long>(sy.basso); t += passo)
    riga_griglia(w, a, sy.y(static_cast<double>(t)), ora_del_giorno(t, false));
  w.chiudi();
  std::vector<punto> px;
  for (const punto& p : m.percorso) px.push_back({x_di(a, p.x), sy.y(p.y)});
  apri_dati(w, "serie-orario");
  w.vuoto("path", {{"d", linea_sfoltita(px)},
                   {"fill", "none"},
                   {"stroke", std::string(stile::corsa)},
                   {"stroke-width", "1.6"},
                   {"vector-effect", "non-scaling-stroke"}});
  chiudi_dati(w);
  // The scheduled times that the description gives its stations: a point
  // each, with the time under it on the left, where the path, which falls
  // to the right, leaves room (on the right near the band's start).
  w.apri("g", {{"id", "orari-descrizione"},
               {"clip-path", "url(#ritaglio-profilo)"},
               {"font-size", "9"},
               {"fill", std::string(stile::inchiostro)},
               {"stroke", "#ffffff"},
               {"stroke-width", "2.5"},
               {"paint-order", "stroke"}});
  for (const stazione_scena& st : s.stazioni) {
    if (st.orario <= 0 || st.posizione < 0 || st.posizione > s.lunghezza) continue;
    const double x = a.x(st.posizione), y = sy.y(static_cast<double>(st.orario));
    const std::string t = std::to_string(st.orario);
    w.apri("circle", {{"class", "orario"},
                      {"data-m", attr_metro(st.posizione)},
                      {"data-t", t},
                      {"cx", num(x, 2)},
                      {"cy", num(y, 2)},
                      {"r", "3"},
                      {"fill", "#ffffff"},
                      {"stroke", std::string(stile::inchiostro)},
                      {"stroke-width", "1.4"}});
    w.testo(
        "title", {},
        fmt::format("{}: {} (orario della descrizione)", st.nome, ora_del_giorno(st.orario, true)));
    w.chiudi();
    const bool a_destra = x - 32 < a.x0;
    w.testo("text",
            {{"class", "orario"},
             {"data-m", attr_metro(st.posizione)},
             {"data-t", t},
             {"x", num(a_destra ? x + 5 : x - 5, 2)},
             {"y", num(y + 12, 2)},
             {"text-anchor", a_destra ? "start" : "end"}},
            ora_del_giorno(st.orario, false));
  }
  w.chiudi();
}

std::string testo_cartello(const std::string& testo) {
  std::vector<std::string> parti;
  std::size_t i = 0;
  while (i < testo.size() && testo[i] == ' ') ++i;
  while (i < testo.size()) {
    if (testo[i] != '(') return testo;
    const std::size_t chiusa = testo.find(')', i);
    if (chiusa == std::string::npos) return testo;
    std::string parte = testo.substr(i + 1, chiusa - i - 1);
    const std::size_t a = parte.find_first_not_of(' '), b = parte.find_last_not_of(' ');
    if (a != std::string::npos) parti.push_back(parte.substr(a, b - a + 1));
    i = chiusa + 1;
    while (i < testo.size() && testo[i] == ' ') ++i;
  }
  if (parti.empty()) return testo;
  std::string riga = parti.front();
  for (std::size_t k = 1; k < parti.size(); ++k) riga += " · " + parti[k];
  return riga;
}

void banda_cartelli(scrittore_svg& w, const scena& s, const asse& a, scala_y sy) {
  tracciato_svg d;
  for (const cartello_scena& c : s.cartelli) {
    if (c.posizione < 0 || c.posizione > s.lunghezza) continue;
    d.muovi(a.x(c.posizione), sy.y0);
    d.linea(a.x(c.posizione), sy.y1);
  }
  apri_dati(w, "serie-cartelli");
  w.vuoto("path", {{"d", d.d()},
                   {"stroke", std::string(stile::inchiostro)},
                   {"stroke-width", "1.2"},
                   {"vector-effect", "non-scaling-stroke"}});
  chiudi_dati(w);
  // Each text right of its tick, where the text before it has ended; the
  // width of each goes with it, for a page that places them anew.
  constexpr double corpo = 9;
  w.apri("g", {{"id", "testi-cartelli"},
               {"clip-path", "url(#ritaglio-profilo)"},
               {"font-size", num(corpo)},
               {"fill", std::string(stile::inchiostro)},
               {"stroke", "#ffffff"},
               {"stroke-width", "2.5"},
               {"paint-order", "stroke"}});
  double libero = a.x0;
  for (const cartello_scena& c : s.cartelli) {
    if (c.posizione < 0 || c.posizione > s.lunghezza) continue;
    const std::string riga = testo_cartello(c.testo);
    const double x = a.x(c.posizione) + 3, larghezza = stile::larghezza_testo(riga, corpo);
    const bool c_e_posto = x >= libero && x + larghezza <= a.x1 + 1;
    if (c_e_posto) libero = x + larghezza + 6;
    if (c_e_posto)
      w.testo("text",
              {{"data-m", attr_metro(c.posizione)},
               {"data-w", num(larghezza)},
               {"x", num(x, 2)},
               {"y", num(sy.y1 - 2)}},
              riga);
    else
      w.testo("text",
              {{"data-m", attr_metro(c.posizione)},
               {"data-w", num(larghezza)},
               {"x", num(x, 2)},
               {"y", num(sy.y1 - 2)},
               {"display", "none"}},
              riga);
  }
  w.chiudi();
}

}  // namespace scen::bande_profilo
