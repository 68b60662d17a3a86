#include "import/rete_binari.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>

namespace scen {

bool di_servizio(const via_osm& v) {
  return v.service == "siding" || v.service == "yard" || v.service == "spur";
}

bool principale(const via_osm& v) { return v.usage == "main" || v.usage == "branch"; }

rete rete_dei_binari(const estratto_osm& e, const piano_rapido& piano,
                     const std::unordered_set<size_t>* solo) {
  rete r;
  for (size_t w = 0; w < e.vie.size(); ++w) {
    if (solo && !solo->count(w)) continue;
    const via_osm& v = e.vie[w];
    for (size_t i = 0; i + 1 < v.nodi.size(); ++i) {
      const double d = piano.distanza(e.luoghi.at(v.nodi[i]), e.luoghi.at(v.nodi[i + 1]));
      r[v.nodi[i]].push_back({v.nodi[i + 1], w, true, d});
      r[v.nodi[i + 1]].push_back({v.nodi[i], w, false, d});
    }
  }
  return r;
}

id_osm nodo_vicino(const estratto_osm& e, const piano_rapido& piano, const luogo_osm& p,
                   double& distanza) {
  id_osm migliore = 0;
  distanza = std::numeric_limits<double>::infinity();
  for (bool anche_servizio : {false, true}) {
    for (const via_osm& v : e.vie) {
      if (!anche_servizio && (di_servizio(v) || v.railway == "light_rail")) continue;
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

std::vector<std::pair<id_osm, const arco*>> cammino(const estratto_osm& e, const rete& r,
                                                    const std::vector<id_osm>& da,
                                                    const std::unordered_set<id_osm>& a,
                                                    bool anche_servizio) {
  std::unordered_map<id_osm, double> costo;
  std::unordered_map<id_osm, std::pair<id_osm, const arco*>> da_dove;
  using voce = std::pair<double, id_osm>;
  std::priority_queue<voce, std::vector<voce>, std::greater<>> coda;
  for (id_osm n : da) {
    costo[n] = 0;
    coda.push({0, n});
  }
  id_osm arrivo = 0;
  while (!coda.empty()) {
    const auto [c, n] = coda.top();
    coda.pop();
    if (c > costo[n]) continue;
    if (a.count(n)) {
      arrivo = n;
      break;
    }
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
  if (arrivo == 0) return passi;
  for (id_osm n = arrivo; da_dove.count(n);) {
    const auto& [prima, x] = da_dove.at(n);
    passi.push_back({prima, x});
    n = prima;
  }
  std::reverse(passi.begin(), passi.end());
  return passi;
}

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

}  // namespace scen
