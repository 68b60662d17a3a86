#include "import/estratto_osm.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <exception>
#include <filesystem>
#include <new>
#include <optional>
#include <osmium/handler.hpp>
#include <osmium/io/any_input.hpp>
#include <osmium/osm/node.hpp>
#include <osmium/osm/relation.hpp>
#include <osmium/osm/way.hpp>
#include <osmium/visitor.hpp>
#include <string_view>
#include <system_error>
#include <unordered_set>

#include "import/misura_estratto.h"
#include "import/traccia.h"

namespace scen {

namespace {

// An extract this large (bytes) takes some seconds to read.
constexpr std::uintmax_t estratto_grande = 32 << 20;

std::string valore(const osmium::TagList& t, const char* chiave) {
  const char* v = t.get_value_by_key(chiave);
  return v ? v : "";
}

// An ele value in metres ("412", "412.5", "412 m"); nothing for another, or
// for a height no ground has.
std::optional<double> quota_di_ele(const std::string& ele) {
  std::string_view v = ele;
  if (v.size() > 1 && v.substr(v.size() - 1) == "m") v.remove_suffix(1);
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  double q = 0;
  const auto [fine, errore] = std::from_chars(v.data(), v.data() + v.size(), q);
  if (v.empty() || errore != std::errc() || fine != v.data() + v.size() || !quota_di_terreno(q))
    return std::nullopt;
  return q;
}

// The kinds a signal shows: KIND of its railway:signal:KIND tags, leaving
// out those that say how or where it stands rather than what it shows, and
// the kinds tagged "no".
std::vector<std::string> generi_del_segnale(const osmium::TagList& t) {
  constexpr std::string_view prefisso = "railway:signal:";
  std::vector<std::string> generi;
  for (const osmium::Tag& tag : t) {
    const std::string_view chiave = tag.key();
    if (!chiave.starts_with(prefisso)) continue;
    const std::string_view genere = chiave.substr(prefisso.size());
    if (genere.empty() || genere.find(':') != std::string_view::npos) continue;
    if (genere == "direction" || genere == "position" || genere == "height" ||
        genere == "catenary_mast" || std::string_view(tag.value()) == "no")
      continue;
    generi.emplace_back(genere);
  }
  return generi;
}

bool binario(const std::string& railway) {
  return railway == "rail" || railway == "narrow_gauge" || railway == "light_rail";
}

bool leggero(const std::string& railway) {
  return railway == "light_rail" || railway == "tram" || railway == "subway" ||
         railway == "monorail" || railway == "funicular";
}

// What kind of stop the tags make, if any.
std::optional<genere_fermata> genere_di(const osmium::TagList& t) {
  const std::string railway = valore(t, "railway");
  const std::string pt = valore(t, "public_transport");
  if (railway == "stop" || railway == "tram_stop" || pt == "stop_position")
    return genere_fermata::posizione;
  if (railway == "station" || railway == "halt" || pt == "station") return genere_fermata::stazione;
  if (railway == "platform" || pt == "platform") return genere_fermata::banchina;
  return std::nullopt;
}

// A stop that its tags give to light rail, trams, subways or road vehicles
// rather than to trains.
bool non_ferroviaria(const osmium::TagList& t) {
  if (valore(t, "train") == "yes") return false;
  const std::string railway = valore(t, "railway");
  if (railway == "tram_stop" || valore(t, "train") == "no") return true;
  for (const char* chiave : {"light_rail", "tram", "subway", "monorail", "bus", "trolleybus",
                             "share_taxi", "ferry", "aerialway"})
    if (valore(t, chiave) == "yes") return true;
  const std::string station = valore(t, "station");
  if (station == "light_rail" || station == "subway" || station == "tram" ||
      station == "monorail" || station == "funicular")
    return true;
  // A public transport stop with no railway tag is a road's.
  return railway.empty() && valore(t, "public_transport") != "station";
}

// The first pass: railway ways and route relations.
struct vie_e_relazioni : osmium::handler::Handler {
  estratto_osm& e;
  std::vector<fermata_osm> banchine;  // platform ways
  std::unordered_set<id_osm> membri;  // node members of the relations and stop areas
  explicit vie_e_relazioni(estratto_osm& estratto) : e(estratto) {}

  void way(const osmium::Way& w) {
    const osmium::TagList& t = w.tags();
    via_osm v;
    v.railway = valore(t, "railway");
    if (leggero(v.railway))
      for (const osmium::NodeRef& n : w.nodes()) e.nodi_leggeri.insert(n.ref());
    if (genere_di(t) == genere_fermata::banchina) {
      fermata_osm f;
      f.id = w.id();
      f.via = true;
      f.genere = genere_fermata::banchina;
      f.nome = valore(t, "name");
      f.leggera = non_ferroviaria(t);
      for (const osmium::NodeRef& n : w.nodes()) f.nodi.push_back(n.ref());
      banchine.push_back(std::move(f));
    }
    if (!binario(v.railway)) return;
    v.id = w.id();
    for (const osmium::NodeRef& n : w.nodes())
      if (v.nodi.empty() || v.nodi.back() != n.ref()) v.nodi.push_back(n.ref());
    if (v.nodi.size() < 2) return;
    v.usage = valore(t, "usage");
    v.service = valore(t, "service");
    v.maxspeed = valore(t, "maxspeed");
    v.maxspeed_avanti = valore(t, "maxspeed:forward");
    v.maxspeed_indietro = valore(t, "maxspeed:backward");
    v.tunnel = valore(t, "tunnel");
    v.bridge = valore(t, "bridge");
    v.embankment = valore(t, "embankment");
    v.cutting = valore(t, "cutting");
    v.nome_ponte = valore(t, "bridge:name");
    v.nome = v.nome_ponte.empty() ? valore(t, "name") : v.nome_ponte;
    v.ref = valore(t, "ref");
    e.indice_vie[v.id] = e.vie.size();
    e.vie.push_back(std::move(v));
  }

  void relation(const osmium::Relation& r) {
    const osmium::TagList& t = r.tags();
    const std::string tipo = valore(t, "type");
    if (tipo == "public_transport" && valore(t, "public_transport") == "stop_area") {
      area_fermata a;
      a.id = r.id();
      a.nome = valore(t, "name");
      for (const osmium::RelationMember& m : r.members()) {
        if (m.type() != osmium::item_type::node && m.type() != osmium::item_type::way) continue;
        const std::string ruolo = m.role();
        a.membri.push_back(
            {m.ref(), m.type() == osmium::item_type::way, ruolo.starts_with("platform")});
        if (m.type() == osmium::item_type::node) membri.insert(m.ref());
      }
      e.aree.push_back(std::move(a));
      return;
    }
    if (tipo != "route") return;
    relazione_osm rel;
    rel.id = r.id();
    rel.nome = valore(t, "name");
    rel.da = valore(t, "from");
    rel.a = valore(t, "to");
    rel.ref = valore(t, "ref");
    rel.route = valore(t, "route");
    for (const osmium::RelationMember& m : r.members()) {
      const std::string ruolo = m.role();
      const bool fermata = ruolo == "stop" || ruolo == "stop_entry_only" ||
                           ruolo == "stop_exit_only" || ruolo == "platform" ||
                           ruolo == "platform_entry_only" || ruolo == "platform_exit_only";
      if (fermata && m.type() == osmium::item_type::relation) {
        rel.altre.push_back(m.ref());
      } else if (fermata) {
        rel.fermate.push_back(
            {m.ref(), m.type() == osmium::item_type::way, ruolo.starts_with("platform")});
        if (m.type() == osmium::item_type::node) {
          rel.nodi.push_back(m.ref());
          membri.insert(m.ref());
        }
      } else if (m.type() == osmium::item_type::way &&
                 (ruolo.empty() || ruolo == "forward" || ruolo == "backward" || ruolo == "route")) {
        rel.vie.push_back(m.ref());
      } else if (m.type() == osmium::item_type::node) {
        rel.nodi.push_back(m.ref());
      }
    }
    e.relazioni.push_back(std::move(rel));
  }
};

// The second pass: the places of the ways' nodes, and the tagged nodes.
struct nodi : osmium::handler::Handler {
  estratto_osm& e;
  const std::unordered_set<id_osm>& servono;
  const std::unordered_set<id_osm>& membri;
  const std::string& nome;
  std::unordered_map<id_osm, luogo_osm> delle_banchine;  // wanted: the keys, with no place
  std::string errore;
  const std::function<void(const std::string&)>& avanzamento;
  std::size_t letti = 0;
  nodi(estratto_osm& estratto, const std::unordered_set<id_osm>& s,
       const std::unordered_set<id_osm>& m, const std::string& n,
       const std::function<void(const std::string&)>& a)
      : e(estratto), servono(s), membri(m), nome(n), avanzamento(a) {}

  void node(const osmium::Node& n) {
    const osmium::Location l = n.location();
    const bool valido = l.valid();
    if (avanzamento && ++letti % 1000000 == 0)
      avanzamento(fmt::format("{}: letti {} milioni di nodi", nome, letti / 1000000));
    if (valido)
      if (const auto b = delle_banchine.find(n.id()); b != delle_banchine.end())
        b->second = {l.lat(), l.lon()};
    if (servono.count(n.id())) {
      if (!valido) {
        if (errore.empty())
          errore = fmt::format("{}: il nodo {} di una via di binario non ha un luogo valido", nome,
                               n.id());
        return;
      }
      e.luoghi[n.id()] = {l.lat(), l.lon()};
      if (const std::optional<double> q = quota_di_ele(valore(n.tags(), "ele")))
        e.quote[n.id()] = *q;
    }
    if (!valido) return;
    const osmium::TagList& t = n.tags();
    punto_osm p;
    p.id = n.id();
    p.luogo = {l.lat(), l.lon()};
    const std::string railway = valore(t, "railway");
    const std::optional<genere_fermata> fermata = genere_di(t);
    if (fermata || membri.count(n.id())) {
      fermata_osm f;
      f.id = n.id();
      f.genere = fermata.value_or(genere_fermata::posizione);
      f.nome = valore(t, "name");
      f.leggera = fermata ? non_ferroviaria(t) : false;
      f.luoghi.push_back(p.luogo);
      f.nodi.push_back(n.id());
      e.fermate.push_back(std::move(f));
      return;
    }
    if (railway == "signal") {
      p.genere = genere_punto::segnale;
      p.direzione = valore(t, "railway:signal:direction");
      p.generi = generi_del_segnale(t);
    } else if (railway == "milestone") {
      p.genere = genere_punto::cippo;
      // The exact position where it is given, else the one on the post.
      p.posizione = valore(t, "railway:position:exact");
      if (p.posizione.empty()) p.posizione = valore(t, "railway:position");
      if (p.posizione.empty()) return;
      p.ref = valore(t, "ref");
    } else {
      return;
    }
    e.punti.push_back(std::move(p));
  }
};

bool finisce_con(const std::string& s, const std::string& fine) {
  return s.size() >= fine.size() && s.compare(s.size() - fine.size(), fine.size(), fine) == 0;
}

}  // namespace

std::string elenco_breve(const std::vector<id_osm>& ids) {
  auto elenco = [](auto da, auto a) {
    std::string s;
    for (auto i = da; i != a; ++i) s += (s.empty() ? "" : ", ") + std::to_string(*i);
    return s;
  };
  if (ids.size() > 12)
    return fmt::format("{}, … {} ({} in tutto)", elenco(ids.begin(), ids.begin() + 5),
                       elenco(ids.end() - 5, ids.end()), ids.size());
  if (ids.size() < 2) return elenco(ids.begin(), ids.end());
  return fmt::format("{} e {}", elenco(ids.begin(), ids.end() - 1), ids.back());
}

bool nome_di_estratto(const std::string& nome) {
  std::string n = nome;
  std::transform(n.begin(), n.end(), n.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const char* compresso : {".gz", ".bz2"})
    if (finisce_con(n, compresso)) n.resize(n.size() - std::string(compresso).size());
  for (const char* forma : {".osm", ".pbf", ".o5m", ".opl"})
    if (finisce_con(n, forma)) return true;
  return false;
}

Stato leggi_estratto(const std::string& percorso, estratto_osm& e,
                     const std::function<void(const std::string&)>& avanzamento) {
  if (Stato s = misura_estratto(percorso); !s.riuscito()) return s;
  try {
    // A name that does not tell the form is read as XML.
    const osmium::io::File file(percorso, nome_di_estratto(percorso) ? "" : "osm");
    // Only a large extract takes long enough for progress lines.
    std::error_code errore;
    const bool grande = std::filesystem::file_size(percorso, errore) >= estratto_grande && !errore;
    const std::function<void(const std::string&)> nessuno;
    const std::function<void(const std::string&)>& riga = grande ? avanzamento : nessuno;
    if (riga) riga(fmt::format("{}: lettura delle vie e delle relazioni", percorso));
    vie_e_relazioni prima(e);
    {
      osmium::io::Reader lettore(file,
                                 osmium::osm_entity_bits::way | osmium::osm_entity_bits::relation);
      osmium::apply(lettore, prima);
      lettore.close();
    }
    std::unordered_set<id_osm> servono;
    for (const via_osm& v : e.vie) servono.insert(v.nodi.begin(), v.nodi.end());
    if (riga) riga(fmt::format("{}: {} vie di binario; lettura dei nodi", percorso, e.vie.size()));
    osmium::io::Reader lettore(file, osmium::osm_entity_bits::node);
    nodi h(e, servono, prima.membri, percorso, riga);
    for (const fermata_osm& b : prima.banchine)
      for (id_osm n : b.nodi) h.delle_banchine.emplace(n, luogo_osm{91, 0});
    osmium::apply(lettore, h);
    lettore.close();
    if (!h.errore.empty()) return Stato::errore(h.errore);
    // The platforms' ways with the nodes the extract has, after the nodes.
    for (fermata_osm& b : prima.banchine) {
      std::vector<id_osm> tenuti;
      for (id_osm n : b.nodi)
        if (const luogo_osm& l = h.delle_banchine.at(n); l.latitudine <= 90) {
          b.luoghi.push_back(l);
          tenuti.push_back(n);
        }
      b.nodi = std::move(tenuti);
      if (!b.luoghi.empty()) e.fermate.push_back(std::move(b));
    }
    // A stop position on light rail, tram or subway tracks only is theirs.
    std::unordered_set<id_osm> pesanti;
    for (const via_osm& v : e.vie)
      if (!leggero(v.railway)) pesanti.insert(v.nodi.begin(), v.nodi.end());
    for (fermata_osm& f : e.fermate)
      if (!f.via && f.genere == genere_fermata::posizione && e.nodi_leggeri.count(f.id) &&
          !pesanti.count(f.id))
        f.leggera = true;
    // A way cut by the extract's edge keeps the nodes the extract has.
    std::vector<via_osm> vie;
    for (via_osm& v : e.vie) {
      std::erase_if(v.nodi, [&](id_osm n) { return !e.luoghi.count(n); });
      if (v.nodi.size() >= 2) vie.push_back(std::move(v));
    }
    e.vie = std::move(vie);
    e.indice_vie.clear();
    for (size_t i = 0; i < e.vie.size(); ++i) e.indice_vie[e.vie[i].id] = i;
  } catch (const std::bad_alloc&) {
    throw;  // out of memory is said as such, not as a file that does not read
  } catch (const std::exception& x) {
    return Stato::errore(
        fmt::format("{}: non si legge come estratto OpenStreetMap: {}", percorso, x.what()));
  }
  return Stato::ok();
}

}  // namespace scen
