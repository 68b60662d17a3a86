#include "import/cippi_osm.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "read/accesso.h"

namespace scen {

namespace {

// A count more than this from a run's is another run's (m).
constexpr double tolleranza_conta = 150;
// The milestones whose offsets a run follows: its last few, so that the
// few metres a fitted line gains or loses against the railway's own
// measure over tens of kilometres do not break the run.
constexpr size_t ultimi_seguiti = 5;

bool di_servizio(const via_osm& v) { return !v.service.empty(); }

// The farthest two tracks of one line lie apart, axis to axis (m).
constexpr double interasse_massimo = 6;

// A way's polyline and the degrees it spans.
struct tracciato_via {
  std::vector<luogo_osm> punti;
  riquadro estensione;
};

}  // namespace

std::vector<const punto_osm*> cippi_della_linea(const estratto_osm& e, const linea_osm& l,
                                                const std::vector<std::string>& refs,
                                                std::size_t& altri) {
  altri = 0;
  std::vector<const punto_osm*> scelti;
  if (l.vertici.empty()) return scelti;
  const piano_rapido piano(l.vertici.front().luogo.latitudine);
  riquadro estensione;
  std::vector<luogo_osm> punti;
  for (const vertice_linea& v : l.vertici) {
    estensione.aggiungi(v.luogo);
    punti.push_back(v.luogo);
  }
  // The milestones within reach, and their distance from the line.
  std::unordered_map<id_osm, double> vicini;
  std::vector<const punto_osm*> candidati;
  for (const punto_osm& q : e.punti) {
    if (q.genere != genere_punto::cippo || !estensione.a_portata(q.luogo)) continue;
    const double d = distanza_dalla_spezzata(piano, q.luogo, punti);
    if (d > distanza_cippo) continue;
    vicini[q.id] = d;
    candidati.push_back(&q);
  }
  if (candidati.empty()) return scelti;

  const std::unordered_set<id_osm> vie_linea(l.vie.begin(), l.vie.end());
  auto della_linea = [&](const via_osm& v) {
    return vie_linea.count(v.id) > 0 ||
           (!v.ref.empty() && std::find(refs.begin(), refs.end(), v.ref) != refs.end());
  };
  // The ways each milestone within reach is a node of: of the line, or of
  // another.
  std::unordered_map<id_osm, int> sulla_via;  // 1 the line's, -1 another's only
  for (const via_osm& v : e.vie)
    for (id_osm n : v.nodi) {
      if (!vicini.count(n)) continue;
      int& dove = sulla_via[n];
      if (della_linea(v))
        dove = 1;
      else if (dove == 0)
        dove = -1;
    }
  // The other running lines near the line, for the milestones beside a
  // track.
  std::vector<tracciato_via> altre;
  for (const via_osm& v : e.vie) {
    if (della_linea(v) || di_servizio(v)) continue;
    tracciato_via t;
    for (id_osm n : v.nodi) {
      t.punti.push_back(e.luoghi.at(n));
      t.estensione.aggiungi(t.punti.back());
    }
    if (std::any_of(t.punti.begin(), t.punti.end(),
                    [&](const luogo_osm& p) { return estensione.a_portata(p); }))
      altre.push_back(std::move(t));
  }
  for (const punto_osm* q : candidati) {
    bool nostro = false;
    if (!q->ref.empty() && std::find(refs.begin(), refs.end(), q->ref) != refs.end()) {
      nostro = true;
    } else if (const auto s = sulla_via.find(q->id); s != sulla_via.end()) {
      // Where the railway carries no line numbers, a track as close as the
      // tracks of one line lie is the line's other track.
      nostro = s->second > 0 || (refs.empty() && vicini.at(q->id) <= interasse_massimo);
    } else {
      // Beside a track: the line's unless another running line is nearer.
      const double d = vicini.at(q->id);
      nostro = std::none_of(altre.begin(), altre.end(), [&](const tracciato_via& t) {
        return t.estensione.a_portata(q->luogo) &&
               distanza_dalla_spezzata(piano, q->luogo, t.punti) < d;
      });
    }
    if (nostro)
      scelti.push_back(q);
    else
      ++altri;
  }
  return scelti;
}

namespace {

// Milestones whose counts follow one another: the count grows or falls as
// the position does, by one offset.
struct corsa {
  std::vector<cippo_lungo> cippi;
  int verso = 0;  // +1 growing with the position, -1 falling, 0 not yet known

  // The median offset of the milestones from `da` on.
  double scostamento_da(size_t da) const {
    std::vector<double> s;
    for (size_t k = da; k < cippi.size(); ++k)
      s.push_back(verso < 0 ? cippi[k].conta + cippi[k].posizione
                            : cippi[k].conta - cippi[k].posizione);
    std::nth_element(s.begin(), s.begin() + static_cast<long>(s.size() / 2), s.end());
    return s[s.size() / 2];
  }
  double scostamento() const { return scostamento_da(0); }
  double estensione() const { return cippi.back().posizione - cippi.front().posizione; }

  bool segue(const cippo_lungo& c) const {
    if (cippi.empty()) return true;
    const cippo_lungo& u = cippi.back();
    const double avanti = c.conta - u.conta, lungo = c.posizione - u.posizione;
    if (verso == 0)
      return std::abs(avanti - lungo) <= tolleranza_conta ||
             std::abs(avanti + lungo) <= tolleranza_conta;
    const double s =
        scostamento_da(cippi.size() > ultimi_seguiti ? cippi.size() - ultimi_seguiti : 0);
    const double attesa = verso < 0 ? s - c.posizione : s + c.posizione;
    return std::abs(c.conta - attesa) <= tolleranza_conta;
  }
  void aggiungi(const cippo_lungo& c) {
    if (verso == 0 && !cippi.empty()) {
      const double avanti = c.conta - cippi.back().conta,
                   lungo = c.posizione - cippi.back().posizione;
      verso = std::abs(avanti - lungo) <= std::abs(avanti + lungo) ? 1 : -1;
    }
    cippi.push_back(c);
  }
};

// The runs of `cippi`: a milestone goes on the run before it, or an
// earlier one when only runs too short to be a progressive lie between
// (those are then left).
std::vector<corsa> corse_dei_cippi(const std::vector<cippo_lungo>& cippi, std::size_t& scartati) {
  std::vector<corsa> corse;
  for (const cippo_lungo& c : cippi) {
    size_t j = corse.size();
    bool trovata = false;
    while (j > 0) {
      --j;
      if (corse[j].segue(c)) {
        trovata = true;
        break;
      }
      if (corse[j].estensione() >= tratto_minimo_cippi) break;
    }
    if (trovata) {
      for (size_t k = j + 1; k < corse.size(); ++k) scartati += corse[k].cippi.size();
      corse.resize(j + 1);
    } else {
      corse.emplace_back();
    }
    corse.back().aggiungi(c);
  }
  return corse;
}

std::string km(double metri) { return fmt::format("{:.1f}", metri / 1000); }

// Where each run's count starts: halfway from the run before, or where a
// growing count reaches 0. `negativa` gets the first run whose own
// milestones would read below 0 (the runs' number when none does); the
// counts stop there.
std::vector<progressiva_importata> conte_delle_corse(const std::vector<corsa>& corse,
                                                     size_t& negativa) {
  std::vector<progressiva_importata> conte;
  negativa = corse.size();
  for (size_t i = 0; i < corse.size() && negativa == corse.size(); ++i) {
    const corsa& c = corse[i];
    progressiva_importata x;
    x.decrescente = c.verso < 0;
    x.scostamento = arrotonda_50(c.scostamento());
    x.inizio =
        i == 0
            ? 0
            : arrotonda_50((corse[i - 1].cippi.back().posizione + c.cippi.front().posizione) / 2);
    if (x.decrescente) {
      if (static_cast<double>(x.scostamento) < c.cippi.back().posizione - tolleranza_conta)
        negativa = i;
    } else if (x.inizio + x.scostamento < 0) {
      // It starts where it reads 0, or at its first milestone when that
      // reads a little below 0 (within what a count may stray).
      const double primo = c.cippi.front().posizione;
      if (static_cast<double>(-x.scostamento) > primo + tolleranza_conta) negativa = i;
      x.inizio = std::max(
          x.inizio, std::min(-x.scostamento,
                             static_cast<Long>(std::floor(primo / metri_cella)) * metri_cella));
      x.scostamento = std::max(x.scostamento, -x.inizio);
    }
    conte.push_back(x);
  }
  return conte;
}

// The counts as progressives: a falling count that reaches 0 before the
// next one starts goes on growing from 0 there; before the first start the
// count is the position itself.
std::vector<progressiva_importata> progressive_delle_conte(
    const std::vector<progressiva_importata>& conte, Long fine_linea) {
  std::vector<progressiva_importata> p;
  for (size_t i = 0; i < conte.size(); ++i) {
    p.push_back(conte[i]);
    const Long fine = i + 1 < conte.size() ? conte[i + 1].inizio : fine_linea;
    if (conte[i].decrescente && conte[i].scostamento < fine)
      p.push_back({std::max(conte[i].scostamento, conte[i].inizio + metri_cella),
                   -conte[i].scostamento, false});
  }
  if (!p.empty() && p.front().scostamento == 0 && !p.front().decrescente) p.erase(p.begin());
  return p;
}

}  // namespace

std::vector<progressiva_importata> progressive_dai_cippi(const std::vector<cippo_lungo>& cippi,
                                                         double lunghezza, std::size_t& scartati,
                                                         std::vector<std::string>& avvisi) {
  scartati = 0;
  std::vector<corsa> corse;
  for (corsa& c : corse_dei_cippi(cippi, scartati)) {
    if (c.estensione() < tratto_minimo_cippi) {
      scartati += c.cippi.size();
      continue;
    }
    if (c.verso == 0) c.verso = 1;
    corse.push_back(std::move(c));
  }
  const Long fine_linea = arrotonda_50(lunghezza);

  std::vector<progressiva_importata> p;
  while (!corse.empty()) {
    size_t negativa = 0;
    const std::vector<progressiva_importata> conte = conte_delle_corse(corse, negativa);
    if (negativa < corse.size()) {
      const corsa& c = corse[negativa];
      avvisi.push_back(fmt::format(
          "{} cippi da {:.0f} a {:.0f} m (km {} … {}) lasciati: la loro conta dei chilometri "
          "andrebbe sotto lo zero sulla linea",
          c.cippi.size(), c.cippi.front().posizione, c.cippi.back().posizione,
          km(c.cippi.front().conta), km(c.cippi.back().conta)));
      scartati += c.cippi.size();
      corse.erase(corse.begin() + static_cast<long>(negativa));
      continue;
    }
    p = progressive_delle_conte(conte, fine_linea);
    if (p.size() <= 3) break;
    // Too many counts for the three progressives: the run with the fewest
    // milestones goes.
    const auto minore = std::min_element(
        corse.begin(), corse.end(),
        [](const corsa& a, const corsa& b) { return a.cippi.size() < b.cippi.size(); });
    scartati += minore->cippi.size();
    corse.erase(minore);
    p.clear();
  }
  if (p.empty()) return p;
  while (p.size() < 3) {
    progressiva_importata x = p.back();
    x.inizio += metri_cella;
    p.push_back(x);
  }
  return p;
}

}  // namespace scen
