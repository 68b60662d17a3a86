#include "draw/pianta_etichette.h"

#include <fmt/format.h>

#include <algorithm>

#include "draw/profilo_bande.h"
#include "draw/stile.h"

namespace scen::parti_pianta {

namespace {

// Kilometre marks along the line: a round step that gives at most eight.
long passo_chilometri(long lunghezza) {
  for (long km : {1L, 2L, 5L, 10L, 20L, 25L, 50L, 100L, 200L, 250L, 500L})
    if (lunghezza / (km * 1000) <= 8) return km * 1000;
  return 1000000;
}

// A speed at the start of each slowdown, whose mark the others keep clear.
void chiedi_rallentamenti(const scena& s, const linea_in_pianta& l, piano_etichette& e,
                          ostacoli& o) {
  for (const rallentamento_scena& r : s.rallentamenti) {
    const punto p = l.in_pianta(r.inizio);
    o.riquadri.push_back({p.x - 4, p.y - 4, p.x + 4, p.y + 4});
    const std::string t = fmt::format("{} km/h", r.velocita);
    e.richieste.push_back({p, stile::larghezza_testo(t, 10, true) + 8, 14});
    e.testi.push_back(t);
  }
  e.fine_rallentamenti = e.richieste.size();
}

// A name at each station, whose symbol the others keep clear: the ends and
// the stops first, then the others in line order.
void chiedi_stazioni(const scena& s, const linea_in_pianta& l, piano_etichette& e, ostacoli& o) {
  for (std::size_t i = 0; i < s.stazioni.size(); ++i) e.ordine.push_back(i);
  std::stable_sort(e.ordine.begin(), e.ordine.end(),
                   [&](std::size_t a, std::size_t b) { return rango(s, a) < rango(s, b); });
  for (std::size_t i = 0; i < s.stazioni.size(); ++i) {
    const punto p = l.in_pianta(s.stazioni[i].posizione);
    const double r = rango(s, i) == 2 ? 3 : 4.5;
    o.riquadri.push_back({p.x - r, p.y - r, p.x + r, p.y + r});
  }
  for (std::size_t i : e.ordine) {
    const stazione_scena& st = s.stazioni[i];
    const bool forte = rango(s, i) < 2;
    e.richieste.push_back({l.in_pianta(st.posizione),
                           stile::larghezza_testo(st.nome, corpo_nome, forte), corpo_nome + 2});
    e.testi.push_back(st.nome);
  }
  e.fine_stazioni = e.richieste.size();
}

// Kilometre marks along the line where its own count, the one its posts
// read, passes a round number: stretch by stretch of the progressives, so
// that where the count jumps the marks follow it.
void chiedi_chilometri(const scena& s, const linea_in_pianta& l, piano_etichette& e) {
  const long passo = passo_chilometri(s.lunghezza);
  const long ultimo = s.lunghezza - passo / 4;
  std::vector<progressiva_scena> tratti{{0, 0, false}};
  for (const progressiva_scena& p : s.progressive) {
    if (p.inizio <= 0)
      tratti.front() = {0, p.scostamento, p.decrescente};
    else
      tratti.push_back(p);
  }
  auto sotto = [&](long v) { return (v >= 0 ? v : v - passo + 1) / passo * passo; };
  for (std::size_t k = 0; k < tratti.size(); ++k) {
    const progressiva_scena& t = tratti[k];
    const long fine = std::min(ultimo, k + 1 < tratti.size() ? tratti[k + 1].inizio : ultimo);
    const long primo = t.decrescente ? t.scostamento - t.inizio : t.inizio + t.scostamento;
    // The first round count from the stretch's start on, and the next ones.
    long conto = t.decrescente ? sotto(primo) : sotto(primo + passo - 1);
    for (;; conto += t.decrescente ? -passo : passo) {
      const long m = t.decrescente ? t.scostamento - conto : conto - t.scostamento;
      if (m >= fine) break;
      if (m <= 0) continue;
      e.chilometri.push_back(m);
      const std::string testo = fmt::format("km {}", conto / 1000);
      e.richieste.push_back({l.in_pianta(m), stile::larghezza_testo(testo, 9), 11});
      e.testi.push_back(testo);
    }
  }
}

// The signposts' texts, as a line each.
void chiedi_cartelli(const scena& s, const linea_in_pianta& l, piano_etichette& e) {
  e.fine_chilometri = e.richieste.size();
  for (const cartello_scena& c : s.cartelli) {
    if (c.posizione < 0 || c.posizione > s.lunghezza) continue;
    const std::string testo = bande_profilo::testo_cartello(c.testo);
    e.cartelli.push_back(c.posizione);
    e.richieste.push_back({l.in_pianta(c.posizione), stile::larghezza_testo(testo, 9), 11});
    e.testi.push_back(testo);
  }
}

}  // namespace

int rango(const scena& s, std::size_t stazione) {
  if (stazione == 0 || stazione + 1 == s.stazioni.size()) return 0;
  return s.stazioni[stazione].fermata ? 1 : 2;
}

piano_etichette poni_etichette_pianta(const scena& s, const linea_in_pianta& l,
                                      const riquadro& area, ostacoli o,
                                      const std::vector<riquadro>& fissi) {
  piano_etichette e;
  chiedi_rallentamenti(s, l, e, o);
  chiedi_stazioni(s, l, e, o);
  chiedi_chilometri(s, l, e);
  chiedi_cartelli(s, l, e);
  o.riquadri.insert(o.riquadri.end(), fissi.begin(), fissi.end());
  const riquadro dentro{area.x0 + 4, area.y0 + 4, area.x1 - 4, area.y1 - 4};
  e.poste = poni_etichette(e.richieste, o, dentro);
  return e;
}

void segni_chilometrici(scrittore_svg& w, const linea_in_pianta& l, const piano_etichette& e) {
  w.apri("g", {{"id", "pianta-km"},
               {"font-size", "9"},
               {"fill", std::string(stile::inchiostro_tenue)},
               {"font-style", "italic"}});
  for (std::size_t k = 0; k < e.chilometri.size(); ++k) {
    const punto p = l.in_pianta(e.chilometri[k]);
    w.vuoto("circle", {{"cx", num(p.x)},
                       {"cy", num(p.y)},
                       {"r", "1.8"},
                       {"fill", std::string(stile::inchiostro_tenue)}});
    const etichetta_posta& posta = e.poste[e.fine_stazioni + k];
    if (posta.posta)
      w.testo("text", {{"x", num(posta.dove.x0)}, {"y", num(posta.dove.y1 - 2.5)}},
              e.testi[e.fine_stazioni + k]);
  }
  w.chiudi();
}

void cartelli_in_pianta(scrittore_svg& w, const linea_in_pianta& l, const scena& s,
                        const piano_etichette& e) {
  w.apri("g", {{"id", "pianta-cartelli"},
               {"font-size", "9"},
               {"fill", std::string(stile::inchiostro)},
               {"stroke", "#f6f7f9"},
               {"stroke-width", "2.5"},
               {"paint-order", "stroke"},
               {"stroke-linejoin", "round"}});
  std::size_t k = 0;
  for (const cartello_scena& c : s.cartelli) {
    if (c.posizione < 0 || c.posizione > s.lunghezza) continue;
    const punto p = l.in_pianta(c.posizione);
    const std::size_t r = e.fine_chilometri + k++;
    w.apri("rect", {{"x", num(p.x - 2)},
                    {"y", num(p.y - 2)},
                    {"width", "4"},
                    {"height", "4"},
                    {"stroke-width", "1"}});
    w.testo("title", {}, c.testo);
    w.chiudi();
    const etichetta_posta& posta = e.poste[r];
    if (posta.posta)
      w.testo("text", {{"x", num(posta.dove.x0)}, {"y", num(posta.dove.y1 - 2.5)}}, e.testi[r]);
  }
  w.chiudi();
}

void guide_etichette(scrittore_svg& w, const piano_etichette& e) {
  tracciato_svg guide;
  for (std::size_t k = 0; k < e.poste.size(); ++k) {
    if (!e.poste[k].posta || !e.poste[k].guida) continue;
    const punto a = e.richieste[k].ancora;
    const riquadro& b = e.poste[k].dove;
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
}

void etichette_rallentamenti(scrittore_svg& w, const piano_etichette& e) {
  w.apri("g",
         {{"id", "pianta-etichette-rallentamenti"}, {"font-size", "10"}, {"font-weight", "bold"}});
  for (std::size_t k = 0; k < e.fine_rallentamenti; ++k) {
    if (!e.poste[k].posta) continue;
    const riquadro& b = e.poste[k].dove;
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
            e.testi[k]);
  }
  w.chiudi();
}

int nomi_stazioni(scrittore_svg& w, const scena& s, const piano_etichette& e) {
  int nominate = 0;
  w.apri("g", {{"id", "pianta-nomi"},
               {"font-size", num(corpo_nome)},
               {"fill", std::string(stile::inchiostro)},
               {"stroke", "#f6f7f9"},
               {"stroke-width", "3"},
               {"paint-order", "stroke"},
               {"stroke-linejoin", "round"}});
  for (std::size_t k = e.fine_rallentamenti; k < e.fine_stazioni; ++k) {
    if (!e.poste[k].posta) continue;
    ++nominate;
    const std::size_t i = e.ordine[k - e.fine_rallentamenti];
    const riquadro& b = e.poste[k].dove;
    if (rango(s, i) < 2)
      w.testo("text",
              {{"class", "nome-stazione"},
               {"x", num(b.x0)},
               {"y", num(b.y1 - 3)},
               {"font-weight", "bold"}},
              e.testi[k]);
    else
      w.testo("text", {{"class", "nome-stazione"}, {"x", num(b.x0)}, {"y", num(b.y1 - 3)}},
              e.testi[k]);
  }
  w.chiudi();
  return nominate;
}

}  // namespace scen::parti_pianta
