#include "import/stazioni_osm.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <map>
#include <numeric>
#include <unordered_map>

namespace scen {

namespace {

// Stops of one name this far apart (m) are still one station.
constexpr double distanza_stesso_nome = 1000;
// A platform or an unnamed stop joins a named stop this near (m).
constexpr double distanza_aggregata = 300;
// Passes of a station nearer than this along the line (m) are one.
constexpr double passaggi_distinti = 300;

std::string minuscolo(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

struct insiemi {
  std::vector<size_t> padre;
  explicit insiemi(size_t n) : padre(n) { std::iota(padre.begin(), padre.end(), 0); }
  size_t radice(size_t i) {
    while (padre[i] != i) i = padre[i] = padre[padre[i]];
    return i;
  }
  void unisci(size_t a, size_t b) { padre[radice(a)] = radice(b); }
};

double distanza_fermate(const piano_rapido& piano, const fermata_osm& a, const fermata_osm& b) {
  double d = std::numeric_limits<double>::infinity();
  for (const luogo_osm& x : a.luoghi)
    for (const luogo_osm& y : b.luoghi) d = std::min(d, piano.distanza(x, y));
  return d;
}

// The rank of a stop's name for its station's: a station's first, a
// platform's (often its number) last.
int rango(genere_fermata g) {
  return g == genere_fermata::stazione ? 0 : g == genere_fermata::posizione ? 1 : 3;
}

// Stop areas and the names of their stops, by stop.
using chiave = std::pair<bool, id_osm>;  // way, id

}  // namespace

luogo_osm luogo_di(const stazione_osm& s) {
  for (genere_fermata g :
       {genere_fermata::posizione, genere_fermata::banchina, genere_fermata::stazione})
    for (const fermata_osm* f : s.fermate)
      if (f->genere == g) return f->luoghi.front();
  return s.fermate.front()->luoghi.front();
}

namespace {

// The stops of one stop area join, the railway's apart from the light
// ones'; `nome_area` gets each stop's first area's name.
void unisci_per_aree(const estratto_osm& e, insiemi& u, std::vector<std::string>& nome_area) {
  const std::vector<fermata_osm>& f = e.fermate;
  std::map<chiave, size_t> indice;
  for (size_t i = 0; i < f.size(); ++i) indice[{f[i].via, f[i].id}] = i;
  for (const area_fermata& a : e.aree) {
    size_t primo[2] = {SIZE_MAX, SIZE_MAX};  // of the railway, light
    for (const membro_fermata& m : a.membri) {
      const auto i = indice.find({m.via, m.id});
      if (i == indice.end()) continue;
      if (nome_area[i->second].empty()) nome_area[i->second] = a.nome;
      size_t& p = primo[f[i->second].leggera ? 1 : 0];
      if (p == SIZE_MAX)
        p = i->second;
      else
        u.unisci(i->second, p);
    }
  }
}

// The names that make a station: a station's, a stop position's.
bool nominata(const fermata_osm& f) {
  return !f.nome.empty() && f.genere != genere_fermata::banchina;
}

// Stops of one name within `distanza_stesso_nome` of each other join.
void unisci_per_nome(const std::vector<fermata_osm>& f, const piano_rapido& piano, insiemi& u) {
  std::unordered_map<std::string, std::vector<size_t>> per_nome;
  for (size_t i = 0; i < f.size(); ++i)
    if (nominata(f[i])) per_nome[f[i].nome].push_back(i);
  for (const auto& [nome, qui] : per_nome)
    for (size_t a = 0; a < qui.size(); ++a)
      for (size_t b = a + 1; b < qui.size(); ++b)
        if (f[qui[a]].leggera == f[qui[b]].leggera && u.radice(qui[a]) != u.radice(qui[b]) &&
            distanza_fermate(piano, f[qui[a]], f[qui[b]]) <= distanza_stesso_nome)
          u.unisci(qui[a], qui[b]);
}

// A group with no name of a station joins the nearest one that has one:
// the named stops' points in cells of `distanza_aggregata`, each point
// looked for in the cells about it.
void unisci_ai_nominati(const std::vector<fermata_osm>& f, const piano_rapido& piano,
                        const std::vector<std::string>& nome_area, insiemi& u) {
  std::unordered_map<size_t, bool> con_nome;
  for (size_t i = 0; i < f.size(); ++i)
    if (nominata(f[i]) || !nome_area[i].empty()) con_nome[u.radice(i)] = true;
  auto nominato = [&](size_t i) { return con_nome.count(u.radice(i)) > 0; };
  auto cella = [&](const luogo_osm& p) {
    return std::pair{static_cast<long>(std::floor(piano.x(p) / distanza_aggregata)),
                     static_cast<long>(std::floor(piano.y(p) / distanza_aggregata))};
  };
  std::map<std::pair<long, long>, std::vector<size_t>> celle;
  for (size_t j = 0; j < f.size(); ++j)
    if (nominato(j))
      for (const luogo_osm& p : f[j].luoghi) {
        std::vector<size_t>& qui = celle[cella(p)];
        if (qui.empty() || qui.back() != j) qui.push_back(j);
      }
  std::vector<std::pair<size_t, size_t>> unioni;
  for (size_t i = 0; i < f.size(); ++i) {
    if (nominato(i)) continue;
    double migliore = distanza_aggregata;
    size_t vicino = SIZE_MAX;
    for (const luogo_osm& p : f[i].luoghi) {
      const auto [cx, cy] = cella(p);
      for (long dx = -1; dx <= 1; ++dx)
        for (long dy = -1; dy <= 1; ++dy) {
          const auto c = celle.find({cx + dx, cy + dy});
          if (c == celle.end()) continue;
          for (size_t j : c->second) {
            if (f[j].leggera != f[i].leggera) continue;
            const double d = distanza_fermate(piano, f[i], f[j]);
            if (d <= migliore) {
              migliore = d;
              vicino = j;
            }
          }
        }
    }
    if (vicino != SIZE_MAX) unioni.push_back({i, vicino});
  }
  for (const auto& [i, j] : unioni) u.unisci(i, j);
}

// Each station's name: its best stop's, else its area's, else a
// platform's. Light when all its stops are.
void nomina(stazione_osm& s, const std::vector<fermata_osm>& f,
            const std::vector<std::string>& nome_area) {
  int miglior_rango = 99;
  s.leggera = true;
  for (const fermata_osm* x : s.fermate) s.leggera = s.leggera && x->leggera;
  for (const fermata_osm* x : s.fermate) {
    if (x->leggera != s.leggera) continue;
    const size_t i = static_cast<size_t>(x - f.data());
    const int r = !x->nome.empty() ? rango(x->genere) : !nome_area[i].empty() ? 2 : 99;
    if (r < miglior_rango) {
      miglior_rango = r;
      s.nome = r == 2 ? nome_area[i] : x->nome;
    }
  }
}

}  // namespace

std::vector<stazione_osm> stazioni_dell_estratto(const estratto_osm& e) {
  const std::vector<fermata_osm>& f = e.fermate;
  std::vector<stazione_osm> stazioni;
  if (f.empty()) return stazioni;
  const piano_rapido piano(f.front().luoghi.front().latitudine);
  insiemi u(f.size());
  std::vector<std::string> nome_area(f.size());
  unisci_per_aree(e, u, nome_area);
  unisci_per_nome(f, piano, u);
  unisci_ai_nominati(f, piano, nome_area, u);
  std::unordered_map<size_t, size_t> gruppo;
  for (size_t i = 0; i < f.size(); ++i) {
    const size_t r = u.radice(i);
    if (!gruppo.count(r)) {
      gruppo[r] = stazioni.size();
      stazioni.push_back({});
    }
    stazioni[gruppo[r]].fermate.push_back(&f[i]);
  }
  for (stazione_osm& s : stazioni) nomina(s, f, nome_area);
  return stazioni;
}

std::vector<const stazione_osm*> stazioni_di_nome(const std::vector<stazione_osm>& stazioni,
                                                  const std::string& nome) {
  std::vector<const stazione_osm*> trovate;
  if (nome.empty()) return trovate;
  for (bool esatto : {true, false}) {
    const std::string cercato = esatto ? nome : minuscolo(nome);
    for (const stazione_osm& s : stazioni) {
      if (s.leggera) continue;
      // A platform's name is often its number: not a station's.
      bool si = (esatto ? s.nome : minuscolo(s.nome)) == cercato;
      for (const fermata_osm* f : s.fermate)
        si = si || (f->genere != genere_fermata::banchina &&
                    (esatto ? f->nome : minuscolo(f->nome)) == cercato);
      if (si) trovate.push_back(&s);
    }
    if (!trovate.empty()) break;
  }
  return trovate;
}

std::vector<const stazione_osm*> stazioni_della_relazione(const estratto_osm& e,
                                                          const std::vector<stazione_osm>& stazioni,
                                                          const relazione_osm& r,
                                                          membri_fuori& fuori) {
  std::map<chiave, const stazione_osm*> di;
  for (const stazione_osm& s : stazioni)
    for (const fermata_osm* f : s.fermate) di[{f->via, f->id}] = &s;
  std::vector<const stazione_osm*> ordine;
  for (const membro_fermata& m : r.fermate) {
    const auto i = di.find({m.via, m.id});
    if (i == di.end()) {
      // A track way given as a stop is not a station.
      if (!(m.via && e.indice_vie.count(m.id))) (m.via ? fuori.vie : fuori.nodi).push_back(m.id);
      continue;
    }
    if (std::find(ordine.begin(), ordine.end(), i->second) == ordine.end())
      ordine.push_back(i->second);
  }
  fuori.relazioni = r.altre;
  return ordine;
}

std::vector<passaggio> passaggi(const piano_rapido& piano, const stazione_osm& s,
                                const spezzata& l) {
  std::vector<passaggio> tutti;
  passaggio piu_vicino{0, std::numeric_limits<double>::infinity()};
  for (genere_fermata g :
       {genere_fermata::posizione, genere_fermata::banchina, genere_fermata::stazione}) {
    for (const fermata_osm* f : s.fermate) {
      if (f->genere != g || f->leggera != s.leggera) continue;
      // The stretches within reach of any of its points, at their nearest.
      std::vector<double> distanza(l.punti.size() - 1, std::numeric_limits<double>::infinity());
      std::vector<double> dove(l.punti.size() - 1, 0);
      for (const luogo_osm& p : f->luoghi)
        for (size_t i = 0; i + 1 < l.punti.size(); ++i) {
          double t = 0;
          const double d = piano.al_segmento(p, l.punti[i], l.punti[i + 1], t);
          if (d < distanza[i]) {
            distanza[i] = d;
            dove[i] = l.lungo[i] + t * (l.lungo[i + 1] - l.lungo[i]);
          }
        }
      for (size_t i = 0; i < distanza.size();) {
        if (distanza[i] < piu_vicino.distanza) piu_vicino = {dove[i], distanza[i]};
        if (distanza[i] > distanza_stazione) {
          ++i;
          continue;
        }
        passaggio p{dove[i], distanza[i]};
        for (; i < distanza.size() && distanza[i] <= distanza_stazione; ++i)
          if (distanza[i] < p.distanza) p = {dove[i], distanza[i]};
        tutti.push_back(p);
      }
    }
    if (!tutti.empty()) break;
  }
  if (tutti.empty()) return {piu_vicino};
  // Passes near one another along the line are one, at the nearest.
  std::sort(tutti.begin(), tutti.end(),
            [](const passaggio& a, const passaggio& b) { return a.lungo < b.lungo; });
  std::vector<passaggio> uniti;
  size_t inizio = 0;
  for (size_t i = 0; i < tutti.size(); ++i) {
    if (uniti.empty() || tutti[i].lungo - tutti[inizio].lungo > passaggi_distinti) {
      uniti.push_back(tutti[i]);
      inizio = i;
    } else if (tutti[i].distanza < uniti.back().distanza) {
      uniti.back() = tutti[i];
    }
  }
  return uniti;
}

std::vector<passaggio> passaggi_in_ordine(const std::vector<std::vector<passaggio>>& stazioni) {
  if (stazioni.empty()) return {};
  const double infinito = std::numeric_limits<double>::infinity();
  // costo[k][j]: the least sum up to station k with its pass j.
  std::vector<std::vector<double>> costo(stazioni.size());
  std::vector<std::vector<size_t>> da(stazioni.size());
  for (size_t k = 0; k < stazioni.size(); ++k) {
    costo[k].assign(stazioni[k].size(), infinito);
    da[k].assign(stazioni[k].size(), SIZE_MAX);
    for (size_t j = 0; j < stazioni[k].size(); ++j) {
      const passaggio& p = stazioni[k][j];
      if (p.distanza > distanza_stazione) continue;
      if (k == 0) {
        costo[k][j] = p.distanza;
        continue;
      }
      for (size_t i = 0; i < stazioni[k - 1].size(); ++i)
        if (costo[k - 1][i] < infinito && stazioni[k - 1][i].lungo < p.lungo &&
            costo[k - 1][i] + p.distanza < costo[k][j]) {
          costo[k][j] = costo[k - 1][i] + p.distanza;
          da[k][j] = i;
        }
    }
  }
  const std::vector<double>& ultimo = costo.back();
  const auto migliore = std::min_element(ultimo.begin(), ultimo.end());
  if (migliore == ultimo.end() || *migliore == infinito) return {};
  std::vector<passaggio> scelti(stazioni.size());
  size_t j = static_cast<size_t>(migliore - ultimo.begin());
  for (size_t k = stazioni.size(); k-- > 0;) {
    scelti[k] = stazioni[k][j];
    j = da[k][j];
  }
  return scelti;
}

}  // namespace scen
