#include "import/linea_osm.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <map>
#include <numbers>
#include <optional>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "import/proiezione.h"
#include "import/rete_binari.h"
#include "import/stazioni_osm.h"

namespace scen {

namespace {

// The ways' ids of the line, in order, each once.
void vie_della_linea(const estratto_osm& e, linea_osm& l) {
  l.vie.clear();
  for (size_t i = 0; i + 1 < l.vertici.size(); ++i) {
    const id_osm id = e.vie[l.vertici[i].via].id;
    if (l.vie.empty() || l.vie.back() != id) l.vie.push_back(id);
  }
}

// Appends way `w` to the line from its node `da`.
void aggiungi_via(const estratto_osm& e, size_t w, id_osm da, linea_osm& l) {
  const via_osm& v = e.vie[w];
  const bool avanti = v.nodi.front() == da;
  std::vector<id_osm> nodi = v.nodi;
  if (!avanti) std::reverse(nodi.begin(), nodi.end());
  if (!l.vertici.empty()) {
    l.vertici.back().via = w;
    l.vertici.back().avanti = avanti;
  }
  for (size_t i = l.vertici.empty() ? 0 : 1; i < nodi.size(); ++i)
    l.vertici.push_back({nodi[i], e.luoghi.at(nodi[i]), w, avanti});
}

}  // namespace

piano_rapido::piano_rapido(double latitudine)
    : cos_lat(std::cos(latitudine * std::numbers::pi / 180)) {}
double piano_rapido::x(const luogo_osm& l) const { return l.longitudine * cos_lat * metri_grado; }
double piano_rapido::y(const luogo_osm& l) const { return l.latitudine * metri_grado; }
double piano_rapido::distanza(const luogo_osm& a, const luogo_osm& b) const {
  return std::hypot(x(a) - x(b), y(a) - y(b));
}
double piano_rapido::al_segmento(const luogo_osm& p, const luogo_osm& a, const luogo_osm& b,
                                 double& frazione) const {
  const double bx = x(b) - x(a), by = y(b) - y(a);
  const double px = x(p) - x(a), py = y(p) - y(a);
  const double ll = bx * bx + by * by;
  frazione = ll > 0 ? std::clamp((px * bx + py * by) / ll, 0.0, 1.0) : 0.0;
  return std::hypot(px - frazione * bx, py - frazione * by);
}

double distanza_dalla_spezzata(const piano_rapido& piano, const luogo_osm& p,
                               const std::vector<luogo_osm>& punti,
                               const std::vector<double>* lunghezze, double* dove) {
  double migliore = std::numeric_limits<double>::infinity();
  for (size_t i = 0; i + 1 < punti.size(); ++i) {
    double f = 0;
    const double d = piano.al_segmento(p, punti[i], punti[i + 1], f);
    if (d < migliore) {
      migliore = d;
      if (lunghezze && dove) *dove = (*lunghezze)[i] + f * ((*lunghezze)[i + 1] - (*lunghezze)[i]);
    }
  }
  return migliore;
}

void riquadro::aggiungi(const luogo_osm& p) {
  sud = std::min(sud, p.latitudine);
  nord = std::max(nord, p.latitudine);
  ovest = std::min(ovest, p.longitudine);
  est = std::max(est, p.longitudine);
}

bool riquadro::a_portata(const luogo_osm& p) const {
  const double margine = 0.01;  // degrees
  return p.latitudine >= sud - margine && p.latitudine <= nord + margine &&
         p.longitudine >= ovest - margine && p.longitudine <= est + margine;
}

namespace {

// The line's polyline and the lengths along it.
spezzata spezzata_di(const linea_osm& l, const piano_rapido& piano) {
  spezzata s;
  for (size_t i = 0; i < l.vertici.size(); ++i) {
    s.punti.push_back(l.vertici[i].luogo);
    s.lungo.push_back(
        i == 0 ? 0 : s.lungo.back() + piano.distanza(l.vertici[i - 1].luogo, l.vertici[i].luogo));
  }
  return s;
}

// The line run the other way.
void rovescia(const estratto_osm& e, linea_osm& l) {
  std::vector<vertice_linea> v(l.vertici.rbegin(), l.vertici.rend());
  for (size_t i = 0; i + 1 < v.size(); ++i) {
    v[i].via = v[i + 1].via;
    v[i].avanti = !v[i + 1].avanti;
  }
  if (v.size() >= 2) {
    v.back().via = v[v.size() - 2].via;
    v.back().avanti = v[v.size() - 2].avanti;
  }
  l.vertici = std::move(v);
  vie_della_linea(e, l);
}

// `l` cut to run from the first of `vicine` (in order along it) to the
// last, and up to `seguito_massimo` after it; they become its stations.
void taglia(const estratto_osm& e, linea_osm& l, std::vector<stazione_vicina> vicine) {
  if (vicine.empty() || l.vertici.size() < 2) {
    l.stazioni = std::move(vicine);
    return;
  }
  const piano_rapido piano(l.vertici.front().luogo.latitudine);
  const std::vector<double> lungo = spezzata_di(l, piano).lungo;
  const double inizio = vicine.front().lungo;
  const double fine = std::min(lungo.back(), vicine.back().lungo + seguito_massimo);
  l.seguito = fine - vicine.back().lungo;
  auto punto_a = [&](double m) {
    size_t i = static_cast<size_t>(std::upper_bound(lungo.begin(), lungo.end(), m) - lungo.begin());
    i = std::clamp<size_t>(i, 1, lungo.size() - 1) - 1;
    const double tratto = lungo[i + 1] - lungo[i];
    const double f = tratto > 0 ? std::clamp((m - lungo[i]) / tratto, 0.0, 1.0) : 0.0;
    const vertice_linea &a = l.vertici[i], &b = l.vertici[i + 1];
    vertice_linea v = a;
    v.nodo = f == 0 ? a.nodo : f == 1 ? b.nodo : 0;
    v.luogo = {a.luogo.latitudine + f * (b.luogo.latitudine - a.luogo.latitudine),
               a.luogo.longitudine + f * (b.luogo.longitudine - a.luogo.longitudine)};
    return std::pair{i, v};
  };
  const auto [i0, v0] = punto_a(inizio);
  const auto [i1, v1] = punto_a(fine);
  std::vector<vertice_linea> tagliati{v0};
  for (size_t i = i0 + 1; i <= i1; ++i)
    if (lungo[i] > inizio && lungo[i] < fine) tagliati.push_back(l.vertici[i]);
  tagliati.push_back(v1);
  if (tagliati.size() >= 2) {
    // The stations' places by the segments they lie on: the cut line's
    // lengths are measured about its own first point.
    std::vector<std::pair<size_t, double>> sui_segmenti;
    for (const stazione_vicina& v : vicine) {
      const auto [i, punto] = punto_a(v.lungo);
      const double tratto = lungo[i + 1] - lungo[i];
      sui_segmenti.push_back({i, tratto > 0 ? (v.lungo - lungo[i]) / tratto : 0.0});
    }
    l.vertici = std::move(tagliati);
    const std::vector<double> nuove =
        spezzata_di(l, piano_rapido(l.vertici.front().luogo.latitudine)).lungo;
    for (size_t k = 0; k < vicine.size(); ++k) {
      const auto [i, f] = sui_segmenti[k];
      if (i <= i0) {
        const double tratto = lungo[i0 + 1] - inizio;
        vicine[k].lungo =
            tratto > 0 ? std::max(0.0, vicine[k].lungo - inizio) * (nuove[1] - nuove[0]) / tratto
                       : 0;
      } else {
        const size_t j = std::min(i - i0, nuove.size() - 1);
        const size_t j1 = std::min(j + 1, nuove.size() - 1);
        vicine[k].lungo = nuove[j] + f * (nuove[j1] - nuove[j]);
      }
    }
    vie_della_linea(e, l);
  }
  l.stazioni = std::move(vicine);
}

// The nearest pass of the line by station `s`.
passaggio piu_vicino(const std::vector<passaggio>& p) {
  return *std::min_element(p.begin(), p.end(), [](const passaggio& a, const passaggio& b) {
    return a.distanza < b.distanza;
  });
}

// The line's cells of `distanza_stazione`, its points every 50 m in them:
// a station none of whose stops lies in a cell beside one is out of reach,
// without measuring it against every segment.
class celle_della_linea {
 public:
  celle_della_linea(const piano_rapido& piano, const spezzata& s) : piano_(piano) {
    for (size_t i = 0; i + 1 < s.punti.size(); ++i) {
      const double tratto = s.lungo[i + 1] - s.lungo[i];
      const int passi = std::max(1, static_cast<int>(std::ceil(tratto / 50)));
      for (int k = 0; k <= passi; ++k) {
        const double f = static_cast<double>(k) / passi;
        const luogo_osm& a = s.punti[i];
        const luogo_osm& b = s.punti[i + 1];
        celle_.insert(cella({a.latitudine + f * (b.latitudine - a.latitudine),
                             a.longitudine + f * (b.longitudine - a.longitudine)}));
      }
    }
  }

  // Whether a stop of `st` lies in a cell beside one of the line's.
  bool accanto(const stazione_osm& st) const {
    for (const fermata_osm* f : st.fermate)
      for (const luogo_osm& p : f->luoghi) {
        const auto [cx, cy] = cella(p);
        for (long dx = -1; dx <= 1; ++dx)
          for (long dy = -1; dy <= 1; ++dy)
            if (celle_.count({cx + dx, cy + dy})) return true;
      }
    return false;
  }

 private:
  std::pair<long, long> cella(const luogo_osm& p) const {
    return {static_cast<long>(std::floor(piano_.x(p) / distanza_stazione)),
            static_cast<long>(std::floor(piano_.y(p) / distanza_stazione))};
  }

  const piano_rapido& piano_;
  std::set<std::pair<long, long>> celle_;
};

// Whether the station `st` is another main line's: one of those passes
// nearer to it than the line does, told by its stop (of the kind that
// placed it) nearest to the line.
bool di_altra_linea(const estratto_osm& e, const piano_rapido& piano, const spezzata& s,
                    const std::unordered_set<id_osm>& nostre, const stazione_osm& st) {
  luogo_osm dove = luogo_di(st);
  double qui = std::numeric_limits<double>::infinity();
  for (genere_fermata g :
       {genere_fermata::posizione, genere_fermata::banchina, genere_fermata::stazione}) {
    for (const fermata_osm* f : st.fermate)
      if (f->genere == g && !f->leggera)
        for (const luogo_osm& x : f->luoghi)
          if (const double d = distanza_dalla_spezzata(piano, x, s.punti); d < qui) {
            qui = d;
            dove = x;
          }
    if (qui <= distanza_stazione) break;
  }
  for (const via_osm& v : e.vie) {
    if (nostre.count(v.id) || di_servizio(v)) continue;
    std::vector<luogo_osm> punti;
    for (id_osm n : v.nodi) punti.push_back(e.luoghi.at(n));
    if (distanza_dalla_spezzata(piano, dove, punti) + 20 < qui) return true;
  }
  return false;
}

// One station of each name, the nearest to the line, in order along it;
// `prima` and `ultima`, when given, at the two ends and none beyond them.
void in_ordine_tra_i_capi(std::vector<stazione_vicina>& vicine, const stazione_osm* prima,
                          const passaggio* passo_prima, const stazione_osm* ultima,
                          const passaggio* passo_ultima) {
  std::sort(vicine.begin(), vicine.end(), [](const stazione_vicina& a, const stazione_vicina& b) {
    return a.nome != b.nome ? a.nome < b.nome : a.distanza < b.distanza;
  });
  vicine.erase(std::unique(vicine.begin(), vicine.end(),
                           [](const stazione_vicina& a, const stazione_vicina& b) {
                             return a.nome == b.nome;
                           }),
               vicine.end());
  if (prima) std::erase_if(vicine, [&](const stazione_vicina& v) { return v.nome == prima->nome; });
  if (ultima)
    std::erase_if(vicine, [&](const stazione_vicina& v) { return v.nome == ultima->nome; });
  std::sort(vicine.begin(), vicine.end(),
            [](const stazione_vicina& a, const stazione_vicina& b) { return a.lungo < b.lungo; });
  if (prima) {
    std::erase_if(vicine, [&](const stazione_vicina& v) { return v.lungo < passo_prima->lungo; });
    vicine.insert(vicine.begin(), {prima->nome, passo_prima->lungo, passo_prima->distanza});
  }
  if (ultima) {
    std::erase_if(vicine, [&](const stazione_vicina& v) { return v.lungo > passo_ultima->lungo; });
    vicine.push_back({ultima->nome, passo_ultima->lungo, passo_ultima->distanza});
  }
}

// The railway stations beside `l` (within `distanza_stazione`, and nearer
// to it than to any other main railway), each at its nearest pass, in order
// along it; `prima` and `ultima`, when given, at the two ends.
std::vector<stazione_vicina> stazioni_accanto(const estratto_osm& e,
                                              const std::vector<stazione_osm>& stazioni,
                                              const linea_osm& l, const stazione_osm* prima,
                                              const passaggio* passo_prima,
                                              const stazione_osm* ultima,
                                              const passaggio* passo_ultima) {
  const piano_rapido piano(l.vertici.front().luogo.latitudine);
  const spezzata s = spezzata_di(l, piano);
  riquadro estensione;
  for (const luogo_osm& p : s.punti) estensione.aggiungi(p);
  const std::unordered_set<id_osm> nostre(l.vie.begin(), l.vie.end());
  const celle_della_linea celle(piano, s);
  std::vector<stazione_vicina> vicine;
  for (const stazione_osm& st : stazioni) {
    if (st.leggera || &st == prima || &st == ultima) continue;
    if (!estensione.a_portata(luogo_di(st)) || !celle.accanto(st)) continue;
    const passaggio p = piu_vicino(passaggi(piano, st, s));
    if (p.distanza > distanza_stazione) continue;
    if (di_altra_linea(e, piano, s, nostre, st)) continue;
    vicine.push_back({st.nome, p.lungo, p.distanza});
  }
  in_ordine_tra_i_capi(vicine, prima, passo_prima, ultima, passo_ultima);
  return vicine;
}

// Of two ways of a relation between the same two nodes (a passing loop),
// the one to leave out: a siding, yard or spur, else the longer.
void senza_doppioni(const estratto_osm& e, std::vector<size_t>& vie) {
  std::map<std::pair<id_osm, id_osm>, size_t> tra;
  std::unordered_set<size_t> lasciate;
  auto lunghezza = [&](size_t w) {
    const via_osm& v = e.vie[w];
    const piano_rapido piano(e.luoghi.at(v.nodi.front()).latitudine);
    double d = 0;
    for (size_t i = 0; i + 1 < v.nodi.size(); ++i)
      d += piano.distanza(e.luoghi.at(v.nodi[i]), e.luoghi.at(v.nodi[i + 1]));
    return d;
  };
  for (size_t w : vie) {
    const via_osm& v = e.vie[w];
    const std::pair<id_osm, id_osm> capi = std::minmax(v.nodi.front(), v.nodi.back());
    if (capi.first == capi.second) continue;
    const auto [prima, nuova] = tra.emplace(capi, w);
    if (nuova) continue;
    const size_t altra = prima->second;
    const bool peggiore = di_servizio(v) != di_servizio(e.vie[altra])
                              ? di_servizio(v)
                              : lunghezza(w) > lunghezza(altra);
    if (peggiore) {
      lasciate.insert(w);
    } else {
      lasciate.insert(altra);
      prima->second = w;
    }
  }
  std::erase_if(vie, [&](size_t w) { return lasciate.count(w) > 0; });
}

std::string elenco_membri(const membri_fuori& m) {
  std::string s;
  auto parte = [&](const std::vector<id_osm>& ids, const char* uno, const char* piu) {
    if (ids.empty()) return;
    s += fmt::format("{}{} {}", s.empty() ? "" : "; ", ids.size() == 1 ? uno : piu,
                     elenco_breve(ids));
  };
  parte(m.nodi, "il nodo", "i nodi");
  parte(m.vie, "la via", "le vie");
  parte(m.relazioni, "la relazione", "le relazioni");
  return s;
}

}  // namespace

namespace {

// Where the stations named `nome` meet the railway: their stop positions on
// it, else the railway node nearest to any of their stops.
Stato stazioni_sul_binario(const estratto_osm& e, const std::vector<stazione_osm>& stazioni,
                           const rete& r, const piano_rapido& piano, const std::string& nome,
                           const std::string& file, std::vector<const stazione_osm*>& trovate,
                           std::vector<id_osm>& nodi) {
  trovate = stazioni_di_nome(stazioni, nome);
  if (trovate.empty())
    return Stato::errore(fmt::format(
        "{}: nessuna stazione \"{}\" (un nodo railway=station, railway=halt, railway=stop, "
        "public_transport=station o public_transport=stop_position, o una banchina "
        "railway=platform o public_transport=platform, con quel name, che non sia di tram, "
        "metropolitana o autobus)",
        file, nome));
  double lontana = std::numeric_limits<double>::infinity();
  for (const stazione_osm* s : trovate) {
    std::vector<id_osm> sul_binario;
    for (const fermata_osm* f : s->fermate)
      if (!f->via && f->genere == genere_fermata::posizione && r.count(f->id))
        sul_binario.push_back(f->id);
    if (sul_binario.empty()) {
      double migliore = std::numeric_limits<double>::infinity();
      id_osm nodo = 0;
      for (const fermata_osm* f : s->fermate)
        for (const luogo_osm& p : f->luoghi) {
          double d = 0;
          const id_osm n = nodo_vicino(e, piano, p, d);
          if (n != 0 && d < migliore) {
            migliore = d;
            nodo = n;
          }
        }
      if (nodo != 0) sul_binario.push_back(nodo);
      // Beyond a station's reach of any track it is no station of the
      // railway here (nodes may lie far apart: the tracks' segments tell).
      if (migliore > distanza_stazione) {
        double binario = std::numeric_limits<double>::infinity();
        for (const via_osm& v : e.vie)
          for (size_t i = 0; i + 1 < v.nodi.size(); ++i)
            for (const fermata_osm* f : s->fermate)
              for (const luogo_osm& p : f->luoghi) {
                double t = 0;
                binario = std::min(binario, piano.al_segmento(p, e.luoghi.at(v.nodi[i]),
                                                              e.luoghi.at(v.nodi[i + 1]), t));
              }
        if (binario > distanza_stazione) {
          lontana = std::min(lontana, binario);
          continue;
        }
      }
    }
    nodi.insert(nodi.end(), sul_binario.begin(), sul_binario.end());
  }
  if (nodi.empty() && lontana < std::numeric_limits<double>::infinity())
    return Stato::errore(fmt::format(
        "{}: la stazione \"{}\" è a {:.0f} m dalla linea (al più {:.0f}): nessun binario "
        "dell'estratto le passa più vicino",
        file, nome, lontana, distanza_stazione));
  if (nodi.empty())
    return Stato::errore(
        fmt::format("{}: nessun binario nell'estratto per la stazione \"{}\"", file, nome));
  return Stato::ok();
}

// The line of relation `relazione`'s ways `vie` joined end to end, as
// they run; fails naming the node where they fork, the ways of a loop or
// the ends of the pieces that do not touch.
Stato catena_di(const estratto_osm& e, id_osm relazione, const std::vector<size_t>& vie,
                const std::string& file, const std::string& nota_mancanti, linea_osm& l) {
  std::unordered_map<id_osm, std::vector<size_t>> estremi;  // node -> ways ending there
  for (size_t w : vie) {
    const via_osm& v = e.vie[w];
    estremi[v.nodi.front()].push_back(w);
    estremi[v.nodi.back()].push_back(w);
  }
  for (const auto& [nodo, qui] : estremi)
    if (qui.size() >= 3) {
      std::vector<id_osm> ids;
      for (size_t w : qui) ids.push_back(e.vie[w].id);
      std::sort(ids.begin(), ids.end());
      return Stato::errore(
          fmt::format("{}: la relazione {} si biforca al nodo {}: vi finiscono le vie {}", file,
                      relazione, nodo, elenco_breve(ids)));
    }
  // The chains of ways joined end to end, each from one of its ends.
  struct catena {
    std::vector<std::pair<size_t, id_osm>> vie;  // way, node it starts from
    id_osm fine = 0;
  };
  std::vector<catena> catene;
  std::unordered_set<size_t> prese;
  auto percorri = [&](size_t w, id_osm da) {
    catena c;
    while (true) {
      prese.insert(w);
      c.vie.push_back({w, da});
      const via_osm& v = e.vie[w];
      const id_osm a = v.nodi.front() == da ? v.nodi.back() : v.nodi.front();
      c.fine = a;
      size_t prossima = SIZE_MAX;
      for (size_t x : estremi[a])
        if (!prese.count(x)) prossima = x;
      if (prossima == SIZE_MAX) break;
      w = prossima;
      da = a;
    }
    catene.push_back(std::move(c));
  };
  for (size_t w : vie) {
    if (prese.count(w)) continue;
    const via_osm& v = e.vie[w];
    if (estremi[v.nodi.front()].size() == 1)
      percorri(w, v.nodi.front());
    else if (estremi[v.nodi.back()].size() == 1)
      percorri(w, v.nodi.back());
  }
  if (prese.size() < vie.size()) {
    std::vector<id_osm> anello;
    for (size_t w : vie)
      if (!prese.count(w)) anello.push_back(e.vie[w].id);
    return Stato::errore(fmt::format("{}: la relazione {} si chiude ad anello con le vie {}", file,
                                     relazione, elenco_breve(anello)));
  }
  if (catene.size() > 1) {
    std::string pezzi;
    for (const catena& c : catene)
      pezzi += fmt::format("{}dalla via {} alla via {}", pezzi.empty() ? "" : "; ",
                           e.vie[c.vie.front().first].id, e.vie[c.vie.back().first].id);
    return Stato::errore(fmt::format(
        "{}: la relazione {} ha un vuoto: le sue vie fanno {} pezzi che non si toccano ({}){}",
        file, relazione, catene.size(), pezzi, nota_mancanti));
  }

  // The line as the chain runs.
  l = linea_osm{};
  for (const auto& [w, da] : catene.front().vie) aggiungi_via(e, w, da, l);
  vie_della_linea(e, l);
  return Stato::ok();
}

// The line along the relation's ways `vie` from each of its stations
// `fermate` to the next, and the track after the last: for a relation whose
// ways fork (both tracks of a line, a siding listed with them). Fails where
// no path along them joins two stations.
Stato da_fermata_a_fermata(const estratto_osm& e, const std::vector<size_t>& vie,
                           const std::vector<const stazione_osm*>& fermate, linea_osm& l) {
  const piano_rapido piano(e.luoghi.at(e.vie[vie.front()].nodi.front()).latitudine);
  const std::unordered_set<size_t> solo(vie.begin(), vie.end());
  const rete r = rete_dei_binari(e, piano, &solo);
  // Each station's nodes on those ways: its stop positions, else the node
  // nearest to its stops.
  auto nodi_di = [&](const stazione_osm& st) {
    std::vector<id_osm> nodi;
    for (const fermata_osm* f : st.fermate)
      if (!f->via && f->genere == genere_fermata::posizione && r.count(f->id))
        nodi.push_back(f->id);
    if (!nodi.empty()) return nodi;
    double migliore = std::numeric_limits<double>::infinity();
    id_osm vicino = 0;
    for (const auto& [n, uscite] : r)
      for (const fermata_osm* f : st.fermate)
        for (const luogo_osm& p : f->luoghi)
          if (const double d = piano.distanza(p, e.luoghi.at(n)); d < migliore) {
            migliore = d;
            vicino = n;
          }
    if (vicino != 0) nodi.push_back(vicino);
    return nodi;
  };
  l = linea_osm{};
  std::vector<id_osm> da = nodi_di(*fermate.front());
  for (size_t k = 1; k < fermate.size(); ++k) {
    const std::vector<id_osm> nodi_a = nodi_di(*fermate[k]);
    const std::unordered_set<id_osm> a(nodi_a.begin(), nodi_a.end());
    if (std::any_of(da.begin(), da.end(), [&](id_osm n) { return a.count(n) > 0; })) continue;
    const auto passi = cammino(e, r, da, a, true);
    if (passi.empty()) return Stato::errore("nessun percorso");
    for (const auto& [n, x] : passi) {
      if (!l.vertici.empty() && l.vertici.back().nodo == n) {
        l.vertici.back().via = x->via;
        l.vertici.back().avanti = x->avanti;
      } else {
        l.vertici.push_back({n, e.luoghi.at(n), x->via, x->avanti});
      }
    }
    const arco* ultimo = passi.back().second;
    l.vertici.push_back({ultimo->a, e.luoghi.at(ultimo->a), ultimo->via, ultimo->avanti});
    da = {ultimo->a};
  }
  if (l.vertici.size() < 2) return Stato::errore("nessun percorso");
  prosegui(e, r, piano, l);
  vie_della_linea(e, l);
  return Stato::ok();
}

}  // namespace

namespace {

// The relation's ways that are track, each once, in its order; the note
// of the members that are not track, for the messages. Fails when none is.
Stato vie_della_relazione(const estratto_osm& e, const relazione_osm& r, const std::string& file,
                          std::vector<size_t>& vie, std::string& nota_mancanti) {
  const id_osm relazione = r.id;
  std::vector<id_osm> mancanti;
  std::unordered_set<id_osm> banchine;
  for (const fermata_osm& f : e.fermate)
    if (f.via) banchine.insert(f.id);
  for (id_osm id : r.vie) {
    const auto i = e.indice_vie.find(id);
    if (i == e.indice_vie.end()) {
      // A platform listed without its role is not track.
      if (!banchine.count(id)) mancanti.push_back(id);
    } else if (std::find(vie.begin(), vie.end(), i->second) == vie.end()) {
      vie.push_back(i->second);
    }
  }
  nota_mancanti = mancanti.empty() ? ""
                                   : fmt::format(" (non sono binari nell'estratto le sue vie {})",
                                                 elenco_breve(mancanti));
  if (vie.empty())
    return Stato::errore(fmt::format("{}: la relazione {} non ha vie di binario (railway=rail){}",
                                     file, relazione, nota_mancanti));
  return Stato::ok();
}

// A relation with stops in the extract: the line run so that they follow
// in their order, by the passes that keep it, and cut at the first and the
// last.
Stato linea_per_le_fermate(const estratto_osm& e, const relazione_osm& r,
                           const std::vector<stazione_osm>& stazioni,
                           const std::vector<const stazione_osm*>& fermate, const std::string& file,
                           linea_osm& l) {
  const id_osm relazione = r.id;
  // Its stops in their order: the passes that keep it, the line run so
  // that they follow it.
  struct verso {
    linea_osm linea;
    std::vector<passaggio> scelti;
    double somma = 0;
  };
  verso versi[2] = {{l, {}, 0}, {l, {}, 0}};
  rovescia(e, versi[1].linea);
  for (verso& v : versi) {
    const piano_rapido piano(v.linea.vertici.front().luogo.latitudine);
    const spezzata s = spezzata_di(v.linea, piano);
    std::vector<std::vector<passaggio>> tutti;
    for (const stazione_osm* f : fermate) {
      tutti.push_back(passaggi(piano, *f, s));
      const passaggio p = piu_vicino(tutti.back());
      if (p.distanza > distanza_stazione)
        return Stato::errore(fmt::format(
            "{}: la fermata \"{}\" della relazione {} è a {:.0f} m dalla linea (al più {:.0f})",
            file, f->nome, relazione, p.distanza, distanza_stazione));
    }
    v.scelti = passaggi_in_ordine(tutti);
    for (const passaggio& x : v.scelti) v.somma += x.distanza;
  }
  if (versi[0].scelti.empty() && versi[1].scelti.empty())
    return Stato::errore(fmt::format(
        "{}: le fermate della relazione {} non seguono le sue vie nel loro ordine ({} … {})", file,
        relazione, fermate.front()->nome, fermate.back()->nome));
  bool rovesciata = false;
  if (fermate.size() == 1) {
    // One stop tells no direction: the end nearer the "from" station,
    // else nearer the stop.
    const piano_rapido piano(l.vertici.front().luogo.latitudine);
    const std::vector<const stazione_osm*> da = stazioni_di_nome(stazioni, r.da);
    const luogo_osm p = luogo_di(!da.empty() ? *da.front() : *fermate.front());
    rovesciata =
        piano.distanza(p, l.vertici.back().luogo) < piano.distanza(p, l.vertici.front().luogo);
  } else {
    rovesciata =
        versi[0].scelti.empty() || (!versi[1].scelti.empty() && versi[1].somma < versi[0].somma);
  }
  verso& scelto = versi[rovesciata ? 1 : 0];
  l = std::move(scelto.linea);
  std::vector<stazione_vicina> vicine;
  for (size_t k = 0; k < fermate.size(); ++k)
    vicine.push_back({fermate[k]->nome, scelto.scelti[k].lungo, scelto.scelti[k].distanza});
  taglia(e, l, std::move(vicine));
  return Stato::ok();
}

// No stops listed: the start is the end nearer the "from" station, else
// the first node member whose place is known, else the end whose way the
// relation lists first; the stations are those beside the line.
void linea_senza_fermate(const estratto_osm& e, const relazione_osm& r,
                         const std::vector<stazione_osm>& stazioni, linea_osm& l) {
  const luogo_osm inizio = l.vertici.front().luogo, fine = l.vertici.back().luogo;
  const piano_rapido piano(inizio.latitudine);
  std::optional<luogo_osm> primo;
  const std::vector<const stazione_osm*> da = stazioni_di_nome(stazioni, r.da);
  const std::vector<const stazione_osm*> a = stazioni_di_nome(stazioni, r.a);
  if (!r.da.empty() && !da.empty()) primo = luogo_di(*da.front());
  for (size_t k = 0; k < r.nodi.size() && !primo; ++k)
    if (const auto q = e.luoghi.find(r.nodi[k]); q != e.luoghi.end()) primo = q->second;
  bool rovesciata = false;
  if (primo) {
    rovesciata = piano.distanza(*primo, fine) < piano.distanza(*primo, inizio);
  } else {
    const auto ordine = [&](id_osm via) {
      return std::find(r.vie.begin(), r.vie.end(), via) - r.vie.begin();
    };
    rovesciata = ordine(l.vie.back()) < ordine(l.vie.front());
  }
  if (rovesciata) rovescia(e, l);
  // The "from" and "to" stations, where they are beside the line, its ends.
  const spezzata s = spezzata_di(l, piano);
  const stazione_osm* prima = nullptr;
  const stazione_osm* ultima = nullptr;
  passaggio passo_prima, passo_ultima;
  if (!r.da.empty() && !da.empty()) {
    passo_prima = piu_vicino(passaggi(piano, *da.front(), s));
    if (passo_prima.distanza <= distanza_stazione) prima = da.front();
  }
  if (!r.a.empty() && !a.empty() && a.front() != prima) {
    passo_ultima = piu_vicino(passaggi(piano, *a.front(), s));
    if (passo_ultima.distanza <= distanza_stazione) ultima = a.front();
  }
  taglia(e, l, stazioni_accanto(e, stazioni, l, prima, &passo_prima, ultima, &passo_ultima));
}

}  // namespace

Stato linea_da_relazione(const estratto_osm& e, id_osm relazione, const std::string& file,
                         linea_osm& l) {
  const auto r = std::find_if(e.relazioni.begin(), e.relazioni.end(),
                              [&](const relazione_osm& x) { return x.id == relazione; });
  if (r == e.relazioni.end())
    return Stato::errore(
        fmt::format("{}: nessuna relazione {} di tipo route nell'estratto", file, relazione));
  std::vector<size_t> vie;
  std::string nota_mancanti;
  if (Stato s = vie_della_relazione(e, *r, file, vie, nota_mancanti); !s.riuscito()) return s;
  senza_doppioni(e, vie);

  const std::vector<stazione_osm> stazioni = stazioni_dell_estratto(e);
  membri_fuori fuori;
  const std::vector<const stazione_osm*> fermate = stazioni_della_relazione(e, stazioni, *r, fuori);
  if (Stato catena = catena_di(e, relazione, vie, file, nota_mancanti, l); !catena.riuscito()) {
    // Ways that fork or close: the path along them from stop to stop,
    // where there are stops to join.
    if (fermate.size() < 2 || !da_fermata_a_fermata(e, vie, fermate, l).riuscito()) return catena;
    l.avvisi.push_back(fmt::format(
        "le vie della relazione {} non fanno un solo filo ({}): la linea le segue da fermata a "
        "fermata",
        relazione, catena.messaggio().substr(file.size() + 2)));
  }
  if (!fuori.vuoto())
    l.avvisi.push_back(fmt::format("fermate della relazione {} che l'estratto non ha: {}",
                                   relazione, elenco_membri(fuori)));
  if (!fermate.empty()) return linea_per_le_fermate(e, *r, stazioni, fermate, file, l);
  if (!r->fermate.empty()) {
    // Stops listed, none of them in the extract: the whole track it holds.
    l.avvisi.push_back(fmt::format(
        "nessuna fermata della relazione {} è nell'estratto: la linea è tutto il suo binario, "
        "senza stazioni",
        relazione));
    return Stato::ok();
  }

  linea_senza_fermate(e, *r, stazioni, l);
  return Stato::ok();
}

Stato linea_tra_stazioni(const estratto_osm& e, const std::string& da, const std::string& a,
                         const std::string& file, linea_osm& l) {
  if (e.vie.empty())
    return Stato::errore(fmt::format("{}: l'estratto non ha binari (vie railway=rail)", file));
  const piano_rapido piano(e.luoghi.at(e.vie.front().nodi.front()).latitudine);
  const rete r = rete_dei_binari(e, piano);
  const std::vector<stazione_osm> stazioni = stazioni_dell_estratto(e);
  std::vector<const stazione_osm*> prime, ultime;
  std::vector<id_osm> nodi_da, nodi_a;
  if (Stato s = stazioni_sul_binario(e, stazioni, r, piano, da, file, prime, nodi_da);
      !s.riuscito())
    return s;
  if (Stato s = stazioni_sul_binario(e, stazioni, r, piano, a, file, ultime, nodi_a); !s.riuscito())
    return s;
  const std::unordered_set<id_osm> arrivi(nodi_a.begin(), nodi_a.end());
  for (id_osm n : nodi_da)
    if (arrivi.count(n))
      return Stato::errore(fmt::format(
          "{}: le stazioni \"{}\" e \"{}\" sono nello stesso punto del binario", file, da, a));
  auto passi = cammino(e, r, nodi_da, arrivi, false);
  if (passi.empty()) passi = cammino(e, r, nodi_da, arrivi, true);
  if (passi.empty())
    return Stato::errore(fmt::format(
        "{}: nessun percorso lungo i binari dalla stazione \"{}\" (nodo {}) alla stazione \"{}\" "
        "(nodo {})",
        file, da, nodi_da.front(), a, nodi_a.front()));
  const id_osm nodo_a = passi.back().second->a;
  l = linea_osm{};
  for (const auto& [n, x] : passi) l.vertici.push_back({n, e.luoghi.at(n), x->via, x->avanti});
  l.vertici.push_back(
      {nodo_a, e.luoghi.at(nodo_a), passi.back().second->via, passi.back().second->avanti});
  const size_t fine_cammino = l.vertici.size() - 1;
  prosegui(e, r, piano, l);
  vie_della_linea(e, l);

  // The two stations on the line: of those so named, the nearest; further
  // than a station may be, an error that says how far.
  const piano_rapido piano_linea(l.vertici.front().luogo.latitudine);
  const spezzata s = spezzata_di(l, piano_linea);
  auto al_capo = [&](const std::vector<const stazione_osm*>& trovate, double vicino_a,
                     const std::string& nome, const stazione_osm*& scelta, passaggio& passo) {
    // Of the passes within reach, the one nearest its end of the path (the
    // path ends at the station); else the nearest, to say how far it is.
    passo.distanza = std::numeric_limits<double>::infinity();
    double miglior_scarto = std::numeric_limits<double>::infinity();
    for (const stazione_osm* st : trovate)
      for (const passaggio& p : passaggi(piano_linea, *st, s)) {
        const double scarto = p.distanza <= distanza_stazione
                                  ? std::abs(p.lungo - vicino_a)
                                  : std::numeric_limits<double>::infinity();
        if (!scelta || scarto < miglior_scarto ||
            (scarto == miglior_scarto && p.distanza < passo.distanza)) {
          scelta = st;
          passo = p;
          miglior_scarto = scarto;
        }
      }
    if (passo.distanza > distanza_stazione)
      return Stato::errore(fmt::format(
          "{}: la stazione \"{}\" è a {:.0f} m dalla linea (al più {:.0f}): il binario più vicino "
          "non la serve",
          file, nome, passo.distanza, distanza_stazione));
    return Stato::ok();
  };
  const stazione_osm* prima = nullptr;
  const stazione_osm* ultima = nullptr;
  passaggio passo_prima, passo_ultima;
  if (Stato t = al_capo(prime, 0, da, prima, passo_prima); !t.riuscito()) return t;
  if (Stato t = al_capo(ultime, s.lungo[fine_cammino], a, ultima, passo_ultima); !t.riuscito())
    return t;
  taglia(e, l, stazioni_accanto(e, stazioni, l, prima, &passo_prima, ultima, &passo_ultima));
  return Stato::ok();
}

}  // namespace scen
