#include "import/posa_osm.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>

#include "import/nomi_1252.h"
#include "import/segnali_osm.h"
#include "read/costruttori_treno.h"

namespace scen {

namespace {

// The first place for a signpost: the cells before it are the compiler's.
constexpr Long primo_cartello = 100;
// The first place for a signal: its approach marks, 400 m before its cell,
// stay on the line.
constexpr Long primo_segnale = 350;

// A sign's text: no comma, and no parenthesis inside its parentheses.
std::string testo_cartello(std::string s) {
  s = senza_controlli(s);
  for (char& c : s)
    if (c == ',' || c == '(' || c == ')') c = ' ';
  const size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
  return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

// A bridge's own name, bridge:name of its first way that has one; the
// name of the line it carries is no bridge's name.
std::string nome_del_ponte(const estratto_osm& e, const struttura_osm& s) {
  for (id_osm v : s.vie)
    if (const auto k = e.indice_vie.find(v); k != e.indice_vie.end())
      if (!e.vie[k->second].nome_ponte.empty()) return e.vie[k->second].nome_ponte;
  return "";
}

// A free cell for a record wanted at `voluta` (a multiple of 50): the
// nearest, nearer after it, within `raggio` m, from `da` m on.
std::optional<Long> posto_libero(Long voluta, std::set<largo>& prese, Long raggio, Long da,
                                 Long fino) {
  for (Long scarto = 0; scarto <= raggio; scarto += metri_cella)
    for (Long p : {voluta + scarto, voluta - scarto}) {
      if (p < da || p > fino) continue;
      if (prese.insert(cella_dopo(p)).second) return p;
    }
  return std::nullopt;
}

// The limits from where each changes, each on a multiple of 50 from 0: a
// later change on the same place replaces the earlier.
std::vector<limite_importato> limiti_dai_cambi(const std::vector<std::pair<double, Long>>& cambi,
                                               Long lunghezza) {
  std::vector<limite_importato> limiti;
  for (const auto& [dove, kmh] : cambi) {
    const Long posizione = limiti.empty() ? 0 : std::min(arrotonda_50(dove), lunghezza);
    while (!limiti.empty() && limiti.back().posizione >= posizione && limiti.size() > 1)
      limiti.pop_back();
    if (!limiti.empty() && limiti.back().posizione >= posizione) {
      limiti.back().velocita = kmh;
    } else if (limiti.empty() || limiti.back().velocita != kmh) {
      limiti.push_back({posizione, kmh});
    }
  }
  return limiti;
}

// The places (multiples of 50) of the main signals that face the line's
// direction; the others are counted in the report.
std::vector<Long> segnali_voluti(const estratto_osm& e, const linea_osm& l,
                                 const std::vector<double>& metri_vertici,
                                 resoconto_osm& resoconto) {
  std::unordered_map<id_osm, const punto_osm*> segnali;
  for (const punto_osm& q : e.punti)
    if (q.genere == genere_punto::segnale) segnali[q.id] = &q;
  std::vector<Long> voluti;
  for (size_t k = 0; k < l.vertici.size(); ++k) {
    const id_osm n = l.vertici[k].nodo;
    if (n == 0 || !segnali.count(n)) continue;
    const punto_osm& q = *segnali.at(n);
    const vertice_linea& tratto = l.vertici[k + 1 < l.vertici.size() ? k : k - 1];
    const bool verso_via = q.direzione == "forward", contro_via = q.direzione == "backward";
    if ((verso_via && !tratto.avanti) || (contro_via && tratto.avanti)) {
      ++resoconto.segnali_altro_verso;
      continue;
    }
    if (!segnale_principale(q)) {
      ++resoconto.segnali_lasciati[genere_da_contare(q)];
      continue;
    }
    voluti.push_back(arrotonda_50(metri_vertici[k]));
  }
  return voluti;
}

// The stretches of each kilometre count: from its start to the next one's.
struct tratto_conta {
  double da, a;
  progressiva_importata p;
};

std::vector<tratto_conta> tratti_delle_conte(const std::vector<progressiva_importata>& progressive,
                                             double ultimo) {
  std::vector<tratto_conta> tratti;
  double da = 0;
  progressiva_importata attuale;
  for (const progressiva_importata& x : progressive) {
    if (static_cast<double>(x.inizio) > da)
      tratti.push_back({da, static_cast<double>(x.inizio), attuale});
    da = std::max(da, static_cast<double>(x.inizio));
    attuale = x;
  }
  tratti.push_back({da, ultimo, attuale});
  return tratti;
}

// The places (multiples of 50) of every `passo` km of the counts, each with
// its kilometre.
std::vector<std::pair<Long, Long>> chilometri_a_passo(const std::vector<tratto_conta>& tratti,
                                                      Long passo, double ultimo) {
  std::vector<std::pair<Long, Long>> chilometri;
  for (const tratto_conta& t : tratti) {
    const double s = static_cast<double>(t.p.scostamento);
    const double c0 = t.p.decrescente ? s - t.da : s + t.da;
    const double c1 = t.p.decrescente ? s - t.a : s + t.a;
    const Long km0 = static_cast<Long>(std::ceil(std::min(c0, c1) / 1000 / passo)) * passo;
    for (Long km = std::max<Long>(km0, passo); km * 1000 <= std::max(c0, c1); km += passo) {
      const double x = t.p.decrescente ? s - km * 1000.0 : km * 1000.0 - s;
      if (x < t.da || x >= t.a || x > ultimo) continue;
      chilometri.push_back({arrotonda_50(x), km});
    }
  }
  return chilometri;
}

}  // namespace

std::set<largo> celle_delle_stazioni(const linea_importata& l) {
  std::set<largo> prese;
  for (const stazione_importata& s : l.stazioni)
    prese.insert(cella_fermata(
        estensione_di(s.posizione, tipo_stazione_importata, s.estensione, false).fine));
  return prese;
}

void limiti_della_linea(const estratto_osm& e, const linea_osm& l,
                        const std::vector<double>& metri_vertici, bool con_treno,
                        linea_importata& li, resoconto_osm& resoconto) {
  std::vector<std::pair<double, Long>> cambi;
  std::vector<id_osm> oltre_il_massimo;  // ways whose limit is capped, each warned of once
  Long in_vigore = 0;
  for (size_t k = 0; k + 1 < l.vertici.size(); ++k) {
    const via_osm& v = e.vie[l.vertici[k].via];
    const std::string& verso = l.vertici[k].avanti ? v.maxspeed_avanti : v.maxspeed_indietro;
    const std::string& valore = verso.empty() ? v.maxspeed : verso;
    bool oltre = false;
    const Long kmh = static_cast<Long>(velocita_di_maxspeed(valore, &oltre));
    if (oltre && std::find(oltre_il_massimo.begin(), oltre_il_massimo.end(), v.id) ==
                     oltre_il_massimo.end()) {
      oltre_il_massimo.push_back(v.id);
      resoconto.avvisi.push_back(fmt::format(
          "via {}: maxspeed \"{}\" oltre {} km/h, il limite più alto di una descrizione: vale {}",
          v.id, valore, velocita_massima_descrizione, velocita_massima_descrizione));
    }
    if (kmh == 0) {
      if (std::find(resoconto.vie_senza_limite.begin(), resoconto.vie_senza_limite.end(), v.id) ==
          resoconto.vie_senza_limite.end())
        resoconto.vie_senza_limite.push_back(v.id);
      continue;
    }
    if (kmh != in_vigore) cambi.push_back({metri_vertici[k], kmh});
    in_vigore = kmh;
  }
  li.limiti = limiti_dai_cambi(cambi, li.lunghezza);
  if (con_treno && li.limiti.empty())
    resoconto.avvisi.push_back("nessuna via della linea ha maxspeed: il limite è 100 km/h");
}

Stato segnali_della_linea(const estratto_osm& e, const linea_osm& l,
                          const std::vector<double>& metri_vertici, const std::string& nome,
                          std::set<largo>& prese, linea_importata& li, resoconto_osm& resoconto) {
  li.segnali.clear();
  const std::vector<Long> voluti = segnali_voluti(e, l, metri_vertici, resoconto);
  const Long capienza = std::max<Long>(0, (li.lunghezza - primo_segnale) / metri_cella + 1) -
                        static_cast<Long>(li.stazioni.size());
  if (static_cast<Long>(voluti.size()) > capienza)
    return Stato::errore(fmt::format(
        "{}: {} segnali sulla linea: una linea di {} m ne tiene al più {}, uno ogni {} m da "
        "{} m fuori dalle stazioni",
        nome, voluti.size(), li.lunghezza, capienza, metri_cella, primo_segnale));
  for (Long v : voluti) {
    if (v < primo_segnale) {
      resoconto.avvisi.push_back(
          fmt::format("segnale a {} m lasciato: un segnale va posto ad almeno {} m dall'inizio", v,
                      primo_segnale));
      continue;
    }
    if (const auto dove = posto_libero(v, prese, li.lunghezza, primo_segnale, li.lunghezza))
      li.segnali.push_back(*dove);
  }
  std::sort(li.segnali.begin(), li.segnali.end());
  return Stato::ok();
}

void progressive_della_linea(std::vector<cippo_lungo> cippi, double ultimo, linea_importata& li,
                             resoconto_osm& resoconto) {
  std::sort(cippi.begin(), cippi.end(),
            [](const cippo_lungo& a, const cippo_lungo& b) { return a.posizione < b.posizione; });
  size_t scartati = 0;
  li.progressive = progressive_dai_cippi(cippi, ultimo, scartati, resoconto.avvisi);
  resoconto.cippi = cippi.size() - scartati;
  if (scartati > 0)
    resoconto.avvisi.push_back(fmt::format(
        "{} cippi su {} non seguono le progressive chilometriche trovate (una conta vale se i "
        "suoi cippi coprono almeno {:.0f} km)",
        scartati, cippi.size(), tratto_minimo_cippi / 1000));
}

void cartelli_della_linea(const estratto_osm& e, const std::vector<struttura_osm>& strutture,
                          std::set<largo>& prese, linea_importata& li) {
  const Long disponibili = cartelli_disponibili(li.stazioni.size());
  std::vector<cartello_importato> cartelli;
  for (const struttura_osm& s : strutture) {
    if (s.genere != "ponte") continue;
    const std::string testo = testo_cartello(nome_per_1252(nome_del_ponte(e, s)));
    if (testo.empty()) continue;
    if (static_cast<Long>(cartelli.size()) >= disponibili) break;
    if (const auto dove = posto_libero(arrotonda_50(s.inizio) - metri_cella, prese, 200,
                                       primo_cartello, li.lunghezza))
      cartelli.push_back({*dove, fmt::format("(Ponte)({})", testo)});
  }
  const double ultimo = static_cast<double>(li.lunghezza);
  const std::vector<tratto_conta> tratti = tratti_delle_conte(li.progressive, ultimo);
  const Long passo = passo_che_sta(
      [&](Long p) { return static_cast<Long>(chilometri_a_passo(tratti, p, ultimo).size()); },
      disponibili - static_cast<Long>(cartelli.size()));
  if (passo > 0)
    for (const auto& [x, km] : chilometri_a_passo(tratti, passo, ultimo))
      if (const auto dove = posto_libero(x - metri_cella, prese, 200, primo_cartello, li.lunghezza))
        cartelli.push_back({*dove, fmt::format("(  Cippo  )(Km {}+000)", km)});
  std::stable_sort(cartelli.begin(), cartelli.end(),
                   [](const cartello_importato& a, const cartello_importato& b) {
                     return a.posizione < b.posizione;
                   });
  li.cartelli = std::move(cartelli);
  li.passo_cartelli = 0;
}

}  // namespace scen
