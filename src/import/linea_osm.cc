#include "import/linea_osm.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <queue>
#include <unordered_map>
#include <unordered_set>

namespace scen {

namespace {

constexpr double metri_grado = 6371008.8 * std::numbers::pi / 180;

std::string minuscolo(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool di_servizio(const via_osm& v) {
  return v.service == "siding" || v.service == "yard" || v.service == "spur";
}

bool principale(const via_osm& v) { return v.usage == "main" || v.usage == "branch"; }

std::string elenco(const std::vector<id_osm>& ids) {
  std::string s;
  for (size_t i = 0; i < ids.size(); ++i) {
    s.append(i == 0 ? "" : i + 1 == ids.size() ? " e " : ", ");
    s.append(std::to_string(ids[i]));
  }
  return s;
}

// The stations named `nome`: exactly, else whatever the letters' case.
std::vector<const punto_osm*> stazioni_di_nome(const estratto_osm& e, const std::string& nome) {
  std::vector<const punto_osm*> trovate;
  for (const punto_osm& p : e.punti)
    if (p.genere == genere_punto::stazione && p.nome == nome) trovate.push_back(&p);
  if (trovate.empty())
    for (const punto_osm& p : e.punti)
      if (p.genere == genere_punto::stazione && minuscolo(p.nome) == minuscolo(nome))
        trovate.push_back(&p);
  return trovate;
}

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

Stato linea_da_relazione(const estratto_osm& e, id_osm relazione, const std::string& file,
                         linea_osm& l) {
  const auto r = std::find_if(e.relazioni.begin(), e.relazioni.end(),
                              [&](const relazione_osm& x) { return x.id == relazione; });
  if (r == e.relazioni.end())
    return Stato::errore(
        fmt::format("{}: nessuna relazione {} di tipo route nell'estratto", file, relazione));
  std::vector<size_t> vie;
  std::vector<id_osm> mancanti;
  for (id_osm id : r->vie) {
    const auto i = e.indice_vie.find(id);
    if (i == e.indice_vie.end())
      mancanti.push_back(id);
    else if (std::find(vie.begin(), vie.end(), i->second) == vie.end())
      vie.push_back(i->second);
  }
  const std::string nota_mancanti =
      mancanti.empty()
          ? ""
          : fmt::format(" (non sono binari nell'estratto le sue vie {})", elenco(mancanti));
  if (vie.empty())
    return Stato::errore(fmt::format("{}: la relazione {} non ha vie di binario (railway=rail){}",
                                     file, relazione, nota_mancanti));

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
                      relazione, nodo, elenco(ids)));
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
                                     relazione, elenco(anello)));
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

  // Which end is the start: the one nearer the "from" station, else the
  // first stop, else the end whose way the relation lists first.
  const catena& c = catene.front();
  const luogo_osm inizio = e.luoghi.at(c.vie.front().second), fine = e.luoghi.at(c.fine);
  const piano_rapido piano(inizio.latitudine);
  std::vector<const punto_osm*> verso;
  if (!r->da.empty()) verso = stazioni_di_nome(e, r->da);
  // Else the relation's first node member whose place is known: a stop on
  // the track, or a station.
  std::optional<luogo_osm> primo;
  if (!verso.empty()) primo = verso.front()->luogo;
  for (size_t k = 0; k < r->nodi.size() && !primo; ++k) {
    if (const auto q = e.luoghi.find(r->nodi[k]); q != e.luoghi.end()) primo = q->second;
    for (const punto_osm& p : e.punti)
      if (!primo && p.id == r->nodi[k]) primo = p.luogo;
  }
  bool rovescia = false;
  if (primo) {
    rovescia = piano.distanza(*primo, fine) < piano.distanza(*primo, inizio);
  } else {
    const auto ordine = [&](size_t w) {
      return std::find(r->vie.begin(), r->vie.end(), e.vie[w].id) - r->vie.begin();
    };
    rovescia = ordine(c.vie.back().first) < ordine(c.vie.front().first);
  }
  l = linea_osm{};
  if (!rovescia) {
    for (const auto& [w, da] : c.vie) aggiungi_via(e, w, da, l);
  } else {
    for (size_t i = c.vie.size(); i-- > 0;) {
      const via_osm& v = e.vie[c.vie[i].first];
      const id_osm da = v.nodi.front() == c.vie[i].second ? v.nodi.back() : v.nodi.front();
      aggiungi_via(e, c.vie[i].first, da, l);
    }
  }
  vie_della_linea(e, l);
  taglia_alle_stazioni(e, l, r->da, r->a);
  return Stato::ok();
}

namespace {

struct arco {
  id_osm a = 0;
  size_t via = 0;
  bool avanti = true;
  double lunghezza = 0;
};

using rete = std::unordered_map<id_osm, std::vector<arco>>;

rete rete_dei_binari(const estratto_osm& e, const piano_rapido& piano) {
  rete r;
  for (size_t w = 0; w < e.vie.size(); ++w) {
    const via_osm& v = e.vie[w];
    for (size_t i = 0; i + 1 < v.nodi.size(); ++i) {
      const double d = piano.distanza(e.luoghi.at(v.nodi[i]), e.luoghi.at(v.nodi[i + 1]));
      r[v.nodi[i]].push_back({v.nodi[i + 1], w, true, d});
      r[v.nodi[i + 1]].push_back({v.nodi[i], w, false, d});
    }
  }
  return r;
}

// The railway node nearest to `p`, on a main way where there is one.
id_osm nodo_vicino(const estratto_osm& e, const piano_rapido& piano, const luogo_osm& p,
                   double& distanza) {
  id_osm migliore = 0;
  distanza = std::numeric_limits<double>::infinity();
  for (bool anche_servizio : {false, true}) {
    for (const via_osm& v : e.vie) {
      if (!anche_servizio && di_servizio(v)) continue;
      for (id_osm n : v.nodi) {
        const double d = piano.distanza(p, e.luoghi.at(n));
        if (d < distanza) {
          distanza = d;
          migliore = n;
        }
      }
    }
    if (migliore != 0) break;
  }
  return migliore;
}

// The cheapest path from `da` to `a`: each metre of a main or branch line
// costs 1, of another line 1.5, of a siding, yard or spur 5 where they are
// allowed at all.
std::vector<std::pair<id_osm, const arco*>> cammino(const estratto_osm& e, const rete& r, id_osm da,
                                                    id_osm a, bool anche_servizio) {
  std::unordered_map<id_osm, double> costo;
  std::unordered_map<id_osm, std::pair<id_osm, const arco*>> da_dove;
  using voce = std::pair<double, id_osm>;
  std::priority_queue<voce, std::vector<voce>, std::greater<>> coda;
  costo[da] = 0;
  coda.push({0, da});
  while (!coda.empty()) {
    const auto [c, n] = coda.top();
    coda.pop();
    if (c > costo[n]) continue;
    if (n == a) break;
    const auto uscite = r.find(n);
    if (uscite == r.end()) continue;
    for (const arco& x : uscite->second) {
      const via_osm& v = e.vie[x.via];
      double fattore = principale(v) ? 1.0 : 1.5;
      if (di_servizio(v)) {
        if (!anche_servizio) continue;
        fattore = 5;
      }
      const double nuovo = c + x.lunghezza * fattore;
      const auto vecchio = costo.find(x.a);
      if (vecchio != costo.end() && vecchio->second <= nuovo) continue;
      costo[x.a] = nuovo;
      da_dove[x.a] = {n, &x};
      coda.push({nuovo, x.a});
    }
  }
  std::vector<std::pair<id_osm, const arco*>> passi;
  if (!costo.count(a)) return passi;
  for (id_osm n = a; n != da;) {
    const auto& [prima, x] = da_dove.at(n);
    passi.push_back({prima, x});
    n = prima;
  }
  std::reverse(passi.begin(), passi.end());
  return passi;
}

// The station named `nome` nearest to the railway, and its node.
Stato stazione_sul_binario(const estratto_osm& e, const piano_rapido& piano,
                           const std::string& nome, const std::string& file,
                           const punto_osm*& stazione, id_osm& nodo) {
  const std::vector<const punto_osm*> trovate = stazioni_di_nome(e, nome);
  if (trovate.empty())
    return Stato::errore(
        fmt::format("{}: nessuna stazione \"{}\" (un nodo railway=station, railway=halt o "
                    "public_transport=station con quel name)",
                    file, nome));
  double migliore = std::numeric_limits<double>::infinity();
  for (const punto_osm* p : trovate) {
    double d = 0;
    const id_osm n = nodo_vicino(e, piano, p->luogo, d);
    if (n != 0 && d < migliore) {
      migliore = d;
      stazione = p;
      nodo = n;
    }
  }
  if (nodo == 0)
    return Stato::errore(
        fmt::format("{}: nessun binario nell'estratto per la stazione \"{}\"", file, nome));
  return Stato::ok();
}

// The track after the line's last point, up to `seguito_massimo` and a
// little more: at each node the way that goes on straightest, main lines
// first.
void prosegui(const estratto_osm& e, const rete& r, const piano_rapido& piano, linea_osm& l) {
  std::unordered_set<id_osm> visti;
  for (const vertice_linea& v : l.vertici) visti.insert(v.nodo);
  double fatto = 0;
  while (fatto < seguito_massimo + 100 && l.vertici.size() >= 2) {
    const vertice_linea& ultimo = l.vertici.back();
    const vertice_linea& penultimo = l.vertici[l.vertici.size() - 2];
    const auto uscite = r.find(ultimo.nodo);
    if (uscite == r.end()) return;
    const double dx = piano.x(ultimo.luogo) - piano.x(penultimo.luogo);
    const double dy = piano.y(ultimo.luogo) - piano.y(penultimo.luogo);
    const arco* scelto = nullptr;
    double miglior_voto = std::numeric_limits<double>::infinity();
    for (const arco& x : uscite->second) {
      if (visti.count(x.a)) continue;
      const luogo_osm& p = e.luoghi.at(x.a);
      const double ex = piano.x(p) - piano.x(ultimo.luogo), ey = piano.y(p) - piano.y(ultimo.luogo);
      const double angolo = std::abs(std::atan2(dx * ey - dy * ex, dx * ex + dy * ey));
      const via_osm& v = e.vie[x.via];
      const double voto = angolo + (di_servizio(v) ? 20 : 0) + (principale(v) ? 0 : 10);
      if (voto < miglior_voto) {
        miglior_voto = voto;
        scelto = &x;
      }
    }
    if (!scelto) return;
    l.vertici.back().via = scelto->via;
    l.vertici.back().avanti = scelto->avanti;
    l.vertici.push_back({scelto->a, e.luoghi.at(scelto->a), scelto->via, scelto->avanti});
    visti.insert(scelto->a);
    fatto += scelto->lunghezza;
  }
}

}  // namespace

Stato linea_tra_stazioni(const estratto_osm& e, const std::string& da, const std::string& a,
                         const std::string& file, linea_osm& l) {
  if (e.vie.empty())
    return Stato::errore(fmt::format("{}: l'estratto non ha binari (vie railway=rail)", file));
  const piano_rapido piano(e.luoghi.at(e.vie.front().nodi.front()).latitudine);
  const punto_osm *prima = nullptr, *ultima = nullptr;
  id_osm nodo_da = 0, nodo_a = 0;
  if (Stato s = stazione_sul_binario(e, piano, da, file, prima, nodo_da); !s.riuscito()) return s;
  if (Stato s = stazione_sul_binario(e, piano, a, file, ultima, nodo_a); !s.riuscito()) return s;
  if (nodo_da == nodo_a)
    return Stato::errore(
        fmt::format("{}: le stazioni \"{}\" e \"{}\" sono nello stesso punto del "
                    "binario",
                    file, da, a));
  const rete r = rete_dei_binari(e, piano);
  auto passi = cammino(e, r, nodo_da, nodo_a, false);
  if (passi.empty()) passi = cammino(e, r, nodo_da, nodo_a, true);
  if (passi.empty())
    return Stato::errore(fmt::format(
        "{}: nessun percorso lungo i binari dalla stazione \"{}\" (nodo {}) alla stazione \"{}\" "
        "(nodo {})",
        file, da, nodo_da, a, nodo_a));
  l = linea_osm{};
  for (const auto& [n, x] : passi) l.vertici.push_back({n, e.luoghi.at(n), x->via, x->avanti});
  l.vertici.push_back(
      {nodo_a, e.luoghi.at(nodo_a), passi.back().second->via, passi.back().second->avanti});
  prosegui(e, r, piano, l);
  vie_della_linea(e, l);
  taglia_alle_stazioni(e, l, prima->nome, ultima->nome);
  return Stato::ok();
}

void taglia_alle_stazioni(const estratto_osm& e, linea_osm& l, const std::string& prima,
                          const std::string& ultima) {
  if (l.vertici.size() < 2) return;
  const piano_rapido piano(l.vertici.front().luogo.latitudine);
  std::vector<double> lungo(l.vertici.size(), 0);
  riquadro estensione;
  std::vector<luogo_osm> punti_linea;
  for (size_t i = 0; i < l.vertici.size(); ++i) {
    const luogo_osm& p = l.vertici[i].luogo;
    if (i > 0) lungo[i] = lungo[i - 1] + piano.distanza(l.vertici[i - 1].luogo, p);
    estensione.aggiungi(p);
    punti_linea.push_back(p);
  }
  std::unordered_set<id_osm> nostre(l.vie.begin(), l.vie.end());

  std::vector<stazione_vicina> vicine;
  for (const punto_osm& p : e.punti) {
    if (p.genere != genere_punto::stazione) continue;
    if (!estensione.a_portata(p.luogo)) continue;
    stazione_vicina s{&p, 0, 0};
    s.distanza = distanza_dalla_spezzata(piano, p.luogo, punti_linea, &lungo, &s.lungo);
    const bool scelta =
        (!prima.empty() && p.nome == prima) || (!ultima.empty() && p.nome == ultima);
    if (!scelta) {
      if (s.distanza > distanza_stazione) continue;
      // A station of another main line that passes nearer is that line's.
      bool altrui = false;
      for (const via_osm& v : e.vie) {
        if (altrui || nostre.count(v.id) || di_servizio(v)) continue;
        std::vector<luogo_osm> punti;
        for (id_osm n : v.nodi) punti.push_back(e.luoghi.at(n));
        if (distanza_dalla_spezzata(piano, p.luogo, punti) + 20 < s.distanza) altrui = true;
      }
      if (altrui) continue;
    }
    vicine.push_back(s);
  }
  // One station of each name: the node nearest the line (a station is
  // often mapped twice, as railway=station and public_transport=station).
  std::sort(vicine.begin(), vicine.end(), [](const stazione_vicina& a, const stazione_vicina& b) {
    return a.punto->nome != b.punto->nome ? a.punto->nome < b.punto->nome : a.distanza < b.distanza;
  });
  vicine.erase(std::unique(vicine.begin(), vicine.end(),
                           [](const stazione_vicina& a, const stazione_vicina& b) {
                             return a.punto->nome == b.punto->nome;
                           }),
               vicine.end());
  std::sort(vicine.begin(), vicine.end(),
            [](const stazione_vicina& a, const stazione_vicina& b) { return a.lungo < b.lungo; });
  // The named ends are the first and the last.
  auto ai_capi = [&](const std::string& nome, bool primo) {
    const auto i = std::find_if(vicine.begin(), vicine.end(),
                                [&](const stazione_vicina& s) { return s.punto->nome == nome; });
    if (i == vicine.end()) return;
    if (primo)
      vicine.erase(vicine.begin(), i);
    else
      vicine.erase(i + 1, vicine.end());
  };
  if (!prima.empty()) ai_capi(prima, true);
  if (!ultima.empty()) ai_capi(ultima, false);
  if (vicine.empty()) return;

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
    l.vertici = std::move(tagliati);
    for (stazione_vicina& s : vicine) s.lungo -= inizio;
    vie_della_linea(e, l);
  }
  l.stazioni = std::move(vicine);
}

}  // namespace scen
