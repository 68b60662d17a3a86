#include "import/importa_osm.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <set>
#include <string_view>
#include <system_error>
#include <unordered_map>

#include "import/linea_osm.h"
#include "import/nomi_1252.h"
#include "import/quote_tessere.h"
#include "import/segnali_osm.h"
#include "read/accesso.h"
#include "read/costruttori_treno.h"

namespace scen {

namespace {

// The track made from the line: points at most this far apart (m), so that
// the smoothing weighs every stretch alike and the heights are sampled
// finer than the tiles.
constexpr double passo_punti = 10;
// The first place for a signpost: the cells before it are the compiler's.
constexpr Long primo_cartello = 100;
// The first place for a signal: its approach marks, 400 m before its cell,
// stay on the line.
constexpr Long primo_segnale = 350;

bool segnato(const std::string& valore) { return !valore.empty() && valore != "no"; }

std::string genere_struttura(const via_osm& v) {
  if (segnato(v.tunnel)) return "galleria";
  if (segnato(v.bridge)) return "ponte";
  if (segnato(v.embankment)) return "rilevato";
  if (segnato(v.cutting)) return "trincea";
  return "";
}

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

// The track of the line: its vertices, and points between them at most
// `passo_punti` apart; for each point the segment it starts or lies on.
struct punti_linea {
  traccia t;
  std::vector<size_t> segmento;     // per point
  std::vector<size_t> del_vertice;  // per vertex, its point
  std::vector<double> lungo;        // per point, along the polyline (m)
};

punti_linea punti_della_linea(const linea_osm& l) {
  punti_linea p;
  const piano_rapido piano(l.vertici.front().luogo.latitudine);
  double lungo = 0;
  for (size_t k = 0; k < l.vertici.size(); ++k) {
    const luogo_osm& a = l.vertici[k].luogo;
    p.del_vertice.push_back(p.t.punti.size());
    if (k + 1 == l.vertici.size()) {
      p.t.punti.push_back({a.latitudine, a.longitudine, std::nullopt, 0});
      p.segmento.push_back(k == 0 ? 0 : k - 1);
      p.lungo.push_back(lungo);
      break;
    }
    const luogo_osm& b = l.vertici[k + 1].luogo;
    const double d = piano.distanza(a, b);
    const int n = std::max(1, static_cast<int>(std::ceil(d / passo_punti)));
    for (int j = 0; j < n; ++j) {
      const double f = static_cast<double>(j) / n;
      p.t.punti.push_back({a.latitudine + f * (b.latitudine - a.latitudine),
                           a.longitudine + f * (b.longitudine - a.longitudine), std::nullopt, 0});
      p.segmento.push_back(k);
      p.lungo.push_back(lungo + f * d);
    }
    lungo += d;
  }
  return p;
}

// Heights from the tiles for every point; then across tunnels, bridges,
// embankments and cuttings the rail's height drawn straight between the
// heights `margine` (m) outside their ends (level from the one end outside
// the line where the other is the line's own end). The heights drawn between
// two ends are marked as not seen: the fit of the gradients carries those
// outside into the structure instead (see adatta_pendenze).
Stato quote_dai_tessere(const tessere_quote& tessere, const estratto_osm& e, const linea_osm& l,
                        const std::string& nomi_tessere, double margine, punti_linea& p,
                        std::vector<struttura_osm>& strutture) {
  for (size_t i = 0; i < p.t.punti.size(); ++i) {
    punto_traccia& q = p.t.punti[i];
    std::string senza_dati;
    q.quota = tessere.quota(q.latitudine, q.longitudine, &senza_dati);
    if (!q.quota && !tessere.guasto().empty()) return Stato::errore(tessere.guasto());
    if (!q.quota && !senza_dati.empty())
      return Stato::errore(fmt::format(
          "{}: nessuna quota per il punto della linea a {:.6f}, {:.6f} (a {:.0f} m dal suo "
          "inizio): la tessera non vi ha dati, o ne ha fuori da {:.0f}…{:.0f} m",
          senza_dati, q.latitudine, q.longitudine, p.lungo[i], quota_minima_tessere,
          quota_massima_tessere));
    if (!q.quota)
      return Stato::errore(fmt::format(
          "{}: nessuna quota per il punto della linea a {:.6f}, {:.6f} (a {:.0f} m dal suo "
          "inizio): le tessere non lo coprono",
          nomi_tessere, q.latitudine, q.longitudine, p.lungo[i]));
  }
  const size_t segmenti = l.vertici.size() - 1;
  for (size_t k = 0; k < segmenti;) {
    const via_osm& v = e.vie[l.vertici[k].via];
    const std::string genere = genere_struttura(v);
    if (genere.empty()) {
      ++k;
      continue;
    }
    struttura_osm s;
    s.genere = genere;
    size_t fine = k;
    while (fine < segmenti && genere_struttura(e.vie[l.vertici[fine].via]) == genere) {
      const via_osm& w = e.vie[l.vertici[fine].via];
      if (s.vie.empty() || s.vie.back() != w.id) s.vie.push_back(w.id);
      if (s.nome.empty()) s.nome = w.nome;
      ++fine;
    }
    // The heights at its ends are taken a tile's step outside it, where the
    // tile's points no longer mix in the hill above or the valley below.
    // One that runs to the line's start or end has no outside there: its
    // heights are those outside its other end, carried on level. One that
    // runs from end to end keeps the tiles'.
    size_t a = p.del_vertice[k], b = p.del_vertice[fine];
    const bool dal_capo = k == 0, al_capo = fine == segmenti;
    while (a > 0 && p.lungo[p.del_vertice[k]] - p.lungo[a] < margine) --a;
    while (b + 1 < p.lungo.size() && p.lungo[b] - p.lungo[p.del_vertice[fine]] < margine) ++b;
    const double qa = *p.t.punti[a].quota, qb = *p.t.punti[b].quota;
    const double la = p.lungo[a], lb = p.lungo[b];
    if (dal_capo && !al_capo)
      for (size_t i = 0; i < b; ++i) p.t.punti[i].quota = qb;
    else if (al_capo && !dal_capo)
      for (size_t i = a + 1; i < p.t.punti.size(); ++i) p.t.punti[i].quota = qa;
    else if (!dal_capo)
      for (size_t i = a + 1; i < b; ++i) {
        p.t.punti[i].quota = qa + (qb - qa) * (p.lungo[i] - la) / (lb - la);
        p.t.punti[i].quota_presunta = true;
      }
    a = p.del_vertice[k];
    b = p.del_vertice[fine];
    s.inizio = static_cast<double>(a);  // points for now; metres once fitted
    s.fine = static_cast<double>(b);
    strutture.push_back(std::move(s));
    k = fine;
  }
  return Stato::ok();
}

// Without tiles, the heights the line's nodes carry (ele), when every node
// has one: straight between them. Else none, and the gradients are 0.
void quote_dai_nodi(const estratto_osm& e, const linea_osm& l, punti_linea& p) {
  std::vector<size_t> con_quota;  // vertices with a height of their own
  for (size_t k = 0; k < l.vertici.size(); ++k) {
    if (l.vertici[k].nodo == 0) continue;  // where the line is cut: between two
    if (!e.quote.count(l.vertici[k].nodo)) return;
    con_quota.push_back(k);
  }
  if (con_quota.size() < 2) return;
  auto quota = [&](size_t k) { return e.quote.at(l.vertici[k].nodo); };
  size_t j = 0;
  for (size_t i = 0; i < p.t.punti.size(); ++i) {
    while (j + 2 < con_quota.size() && p.lungo[p.del_vertice[con_quota[j + 1]]] <= p.lungo[i]) ++j;
    const double la = p.lungo[p.del_vertice[con_quota[j]]];
    const double lb = p.lungo[p.del_vertice[con_quota[j + 1]]];
    const double f = lb > la ? std::clamp((p.lungo[i] - la) / (lb - la), 0.0, 1.0) : 0.0;
    p.t.punti[i].quota = quota(con_quota[j]) + f * (quota(con_quota[j + 1]) - quota(con_quota[j]));
  }
}

// The stations where the line passes them: each one's place along the
// track, carried to the fitted line's metres by the track's points about
// it (not by the nearest point, which a line that passes twice near a
// station may take on its other pass).
template <typename metro_di_punto>
void stazioni_sulla_linea(const linea_osm& l, const punti_linea& p,
                          const std::vector<std::string>& nomi, metro_di_punto metro,
                          importazione& i) {
  linea_importata& li = i.linea;
  li.stazioni.clear();
  i.nominati.clear();
  for (size_t k = 0; k < l.stazioni.size(); ++k) {
    const double lungo = l.stazioni[k].lungo;
    size_t j = static_cast<size_t>(std::upper_bound(p.lungo.begin(), p.lungo.end(), lungo) -
                                   p.lungo.begin());
    j = std::clamp<size_t>(j, 1, p.lungo.size() - 1) - 1;
    const double tratto = p.lungo[j + 1] - p.lungo[j];
    const double f = tratto > 0 ? std::clamp((lungo - p.lungo[j]) / tratto, 0.0, 1.0) : 0.0;
    const double m = metro(j) + f * (metro(j + 1) - metro(j));
    const Long dove = std::min(arrotonda_50(m), li.lunghezza);
    i.nominati.push_back({nomi[k], static_cast<double>(dove)});
    li.stazioni.push_back({nome_di_stazione(nomi[k]), dove});
  }
}

// The stations' lengths and the ones too close to the one before: station
// extents must lie `distanza_stazioni` apart, and each stop mark after the
// line's first cells.
void stazioni_distanziate(linea_importata& l, std::vector<std::string>& avvisi) {
  std::vector<stazione_importata> tenute;
  for (const stazione_importata& s : l.stazioni) {
    if (!tenute.empty() && s.posizione - tenute.back().posizione < 400) {
      avvisi.push_back(fmt::format("stazione \"{}\" a {} m lasciata: è a meno di 400 m da \"{}\"",
                                   s.nome, s.posizione, tenute.back().nome));
      continue;
    }
    tenute.push_back(s);
  }
  // The cell of a station's stop mark, for a length L.
  auto fermata = [](Long posizione, Long L) {
    return cella_fermata(estensione_di(posizione, tipo_stazione_importata, L, false).fine);
  };
  for (size_t i = 0; i < tenute.size(); ++i) {
    Long massima = 400;
    if (i > 0)
      massima = std::min(
          massima, (tenute[i].posizione - tenute[i - 1].posizione - distanza_stazioni) / 100 * 100);
    if (i + 1 < tenute.size())
      massima = std::min(
          massima, (tenute[i + 1].posizione - tenute[i].posizione - distanza_stazioni) / 100 * 100);
    Long minima = 0;
    while (fermata(tenute[i].posizione, minima) <= ultima_cella_senza_fermata) minima += 100;
    tenute[i].estensione = std::max(massima, minima);
  }
  l.stazioni = std::move(tenute);
}

// The cells taken by the stations' stop marks.
std::set<largo> celle_delle_stazioni(const linea_importata& l) {
  std::set<largo> prese;
  for (const stazione_importata& s : l.stazioni)
    prese.insert(cella_fermata(
        estensione_di(s.posizione, tipo_stazione_importata, s.estensione, false).fine));
  return prese;
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

}  // namespace

namespace {

// A decimal number at the start of `testo` (blanks before it skipped), and
// what follows it; the locale plays no part.
bool numero_iniziale(std::string_view testo, double& numero, std::string_view& resto) {
  while (!testo.empty() && testo.front() == ' ') testo.remove_prefix(1);
  const auto [fine, errore] = std::from_chars(testo.data(), testo.data() + testo.size(), numero);
  if (errore != std::errc() || !std::isfinite(numero)) return false;
  resto = testo.substr(static_cast<size_t>(fine - testo.data()));
  while (!resto.empty() && resto.front() == ' ') resto.remove_prefix(1);
  while (!resto.empty() && resto.back() == ' ') resto.remove_suffix(1);
  return true;
}

}  // namespace

long velocita_di_maxspeed(const std::string& valore, bool* oltre) {
  if (oltre) *oltre = false;
  double numero = 0;
  std::string_view unita;
  if (!numero_iniziale(valore, numero, unita) || !(numero > 0)) return 0;
  double kmh = numero;
  if (unita == "mph")
    kmh = numero * 1.609344;
  else if (!unita.empty() && unita != "km/h" && unita != "kmh" && unita != "kph")
    return 0;
  // Capped before it becomes a whole number, which it could not be.
  if (!(kmh < static_cast<double>(velocita_massima_descrizione + 5))) {
    if (oltre) *oltre = kmh > static_cast<double>(velocita_massima_descrizione);
    return velocita_massima_descrizione;
  }
  return static_cast<long>(std::floor(kmh / 5 + 1e-9)) * 5;
}

bool metri_di_posizione(const std::string& valore, double& metri) {
  std::string v = valore;
  std::replace(v.begin(), v.end(), ',', '.');
  double km = 0;
  std::string_view resto;
  if (!numero_iniziale(v, km, resto) || !resto.empty() ||
      !(std::abs(km) <= chilometri_massimi_cippo))
    return false;
  metri = km * 1000;
  return true;
}

Stato importa_estratto(const richiesta_importa& r, importazione& i, resoconto_osm& resoconto,
                       const std::function<void(const std::string&)>& avanzamento) {
  const std::string& nome = r.traccia;
  estratto_osm e;
  if (Stato s = leggi_estratto(nome, e, avanzamento); !s.riuscito()) return s;
  linea_osm l;
  if (r.relazione != 0) {
    if (Stato s = linea_da_relazione(e, r.relazione, nome, l); !s.riuscito()) return s;
  } else {
    if (Stato s = linea_tra_stazioni(e, r.da, r.a, nome, l); !s.riuscito()) return s;
  }
  resoconto.vie = l.vie;
  resoconto.seguito = l.seguito;
  resoconto.avvisi.insert(resoconto.avvisi.end(), l.avvisi.begin(), l.avvisi.end());

  punti_linea p = punti_della_linea(l);
  if (r.quote.empty()) {
    quote_dai_nodi(e, l, p);
  } else {
    tessere_quote tessere;
    if (Stato s = tessere.apri(r.quote); !s.riuscito()) return s;
    resoconto.tessere = tessere.tessere();
    p.t.correlazione_quote = tessere.passo_metri(l.vertici.front().luogo.latitudine);
    std::string nomi;
    for (const std::string& q : r.quote) nomi += (nomi.empty() ? "" : ", ") + q;
    if (Stato s =
            quote_dai_tessere(tessere, e, l, nomi, p.t.correlazione_quote, p, resoconto.strutture);
        !s.riuscito())
      return s;
  }
  // The stations' names as the descriptions write them; their places come
  // from where the line passes them, after the fit. The milestones as
  // points to place.
  std::vector<std::string> nomi_stazioni;
  for (const stazione_vicina& s : l.stazioni) {
    const std::string nome_scritto = nome_per_1252(s.nome);
    if (nome_scritto != s.nome)
      resoconto.avvisi.push_back(
          fmt::format("la stazione \"{}\" si scrive \"{}\": Windows-1252 "
                      "non ha tutte le sue lettere",
                      s.nome, nome_scritto));
    nomi_stazioni.push_back(nome_scritto);
  }
  if (l.stazioni.size() > stazioni_massime)
    return Stato::errore(
        fmt::format("{}: {} stazioni sulla linea: quelle di un treno sono al più {}", nome,
                    l.stazioni.size(), stazioni_massime));
  // The line's numbers: its ways' ref and its route relation's.
  std::vector<std::string> refs;
  for (id_osm v : l.vie)
    if (const std::string& ref = e.vie[e.indice_vie.at(v)].ref;
        !ref.empty() && std::find(refs.begin(), refs.end(), ref) == refs.end())
      refs.push_back(ref);
  for (const relazione_osm& rel : e.relazioni)
    if (rel.id == r.relazione && !rel.ref.empty()) refs.push_back(rel.ref);
  std::vector<double> conte;
  for (const punto_osm* q : cippi_della_linea(e, l, refs, resoconto.cippi_altre_linee)) {
    double metri = 0;
    if (!metri_di_posizione(q->posizione, metri)) {
      resoconto.avvisi.push_back(fmt::format(
          "cippo {}: railway:position \"{}\" non è un numero di chilometri (entro ±{:.0f})", q->id,
          q->posizione, chilometri_massimi_cippo));
      continue;
    }
    p.t.riferiti.push_back({"", q->luogo.latitudine, q->luogo.longitudine, 0});
    conte.push_back(metri);
  }

  if (Stato s = adatta_traccia(p.t, nome, i); !s.riuscito()) return s;
  linea_importata& li = i.linea;
  const double ultimo = static_cast<double>(li.lunghezza);
  auto metro = [&](size_t punto) { return std::min(i.metri_punti[punto], ultimo); };
  stazioni_sulla_linea(l, p, nomi_stazioni, metro, i);
  for (struttura_osm& s : resoconto.strutture) {
    s.inizio = metro(static_cast<size_t>(s.inizio));
    s.fine = metro(static_cast<size_t>(s.fine));
  }
  if (!r.treno.empty()) stazioni_distanziate(li, resoconto.avvisi);

  // Speed limits: each way's, in the line's direction; a way without one
  // keeps the one before it.
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
    if (kmh != in_vigore) cambi.push_back({metro(p.del_vertice[k]), kmh});
    in_vigore = kmh;
  }
  li.limiti.clear();
  for (const auto& [dove, kmh] : cambi) {
    const Long posizione = li.limiti.empty() ? 0 : std::min(arrotonda_50(dove), li.lunghezza);
    while (!li.limiti.empty() && li.limiti.back().posizione >= posizione && li.limiti.size() > 1)
      li.limiti.pop_back();
    if (!li.limiti.empty() && li.limiti.back().posizione >= posizione) {
      li.limiti.back().velocita = kmh;
    } else if (li.limiti.empty() || li.limiti.back().velocita != kmh) {
      li.limiti.push_back({posizione, kmh});
    }
  }
  if (!r.treno.empty() && li.limiti.empty())
    resoconto.avvisi.push_back("nessuna via della linea ha maxspeed: il limite è 100 km/h");

  // The cells the stations' stop marks take, then the signals', then the
  // signposts'.
  std::set<largo> prese = celle_delle_stazioni(li);
  li.segnali.clear();
  if (!r.treno.empty()) {
    std::unordered_map<id_osm, const punto_osm*> segnali;
    for (const punto_osm& q : e.punti)
      if (q.genere == genere_punto::segnale) segnali[q.id] = &q;
    std::vector<Long> voluti;
    for (size_t k = 0; k < l.vertici.size(); ++k) {
      const id_osm n = l.vertici[k].nodo;
      if (n == 0 || !segnali.count(n)) continue;
      {
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
        voluti.push_back(arrotonda_50(metro(p.del_vertice[k])));
      }
    }
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
            fmt::format("segnale a {} m lasciato: un segnale va posto ad almeno {} m dall'inizio",
                        v, primo_segnale));
        continue;
      }
      if (const auto dove = posto_libero(v, prese, li.lunghezza, primo_segnale, li.lunghezza))
        li.segnali.push_back(*dove);
    }
    std::sort(li.segnali.begin(), li.segnali.end());
  }

  // The kilometre count from the milestones, and the signposts: named
  // bridges first, then kilometres, within the records the stations leave.
  std::vector<cippo_lungo> cippi;
  for (size_t k = 0; k < conte.size(); ++k)
    cippi.push_back({std::min(i.metri_riferiti[k], ultimo), conte[k]});
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

  const Long disponibili =
      (indice_registro::primo_cartello - static_cast<Long>(li.stazioni.size())) / 2;
  std::vector<cartello_importato> cartelli;
  for (const struttura_osm& s : resoconto.strutture) {
    if (s.genere != "ponte") continue;
    const std::string testo = testo_cartello(nome_per_1252(nome_del_ponte(e, s)));
    if (testo.empty()) continue;
    if (static_cast<Long>(cartelli.size()) >= disponibili) break;
    if (const auto dove = posto_libero(arrotonda_50(s.inizio) - metri_cella, prese, 200,
                                       primo_cartello, li.lunghezza))
      cartelli.push_back({*dove, fmt::format("(Ponte)({})", testo)});
  }
  // The stretches of each count: from its start to the next one's.
  struct tratto_conta {
    double da, a;
    progressiva_importata p;
  };
  std::vector<tratto_conta> tratti;
  {
    double da = 0;
    progressiva_importata identita;
    progressiva_importata attuale = identita;
    for (const progressiva_importata& x : li.progressive) {
      if (static_cast<double>(x.inizio) > da)
        tratti.push_back({da, static_cast<double>(x.inizio), attuale});
      da = std::max(da, static_cast<double>(x.inizio));
      attuale = x;
    }
    tratti.push_back({da, ultimo, attuale});
  }
  const Long liberi = disponibili - static_cast<Long>(cartelli.size());
  for (Long passo : {1, 2, 5, 10, 20, 50, 100}) {
    std::vector<std::pair<Long, Long>> chilometri;  // position, km
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
    if (static_cast<Long>(chilometri.size()) > liberi) continue;
    for (const auto& [x, km] : chilometri)
      if (const auto dove = posto_libero(x - metri_cella, prese, 200, primo_cartello, li.lunghezza))
        cartelli.push_back({*dove, fmt::format("(  Cippo  )(Km {}+000)", km)});
    break;
  }
  std::stable_sort(cartelli.begin(), cartelli.end(),
                   [](const cartello_importato& a, const cartello_importato& b) {
                     return a.posizione < b.posizione;
                   });
  li.cartelli = std::move(cartelli);
  li.passo_cartelli = 0;
  return Stato::ok();
}

}  // namespace scen
