#include "import/estratto_osm.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <exception>
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

namespace scen {

namespace {

std::string valore(const osmium::TagList& t, const char* chiave) {
  const char* v = t.get_value_by_key(chiave);
  return v ? v : "";
}

// An ele value in metres ("412", "412.5", "412 m"); nothing for another.
std::optional<double> quota_di_ele(const std::string& ele) {
  std::string_view v = ele;
  if (v.size() > 1 && v.substr(v.size() - 1) == "m") v.remove_suffix(1);
  while (!v.empty() && v.back() == ' ') v.remove_suffix(1);
  double q = 0;
  const auto [fine, errore] = std::from_chars(v.data(), v.data() + v.size(), q);
  if (v.empty() || errore != std::errc() || fine != v.data() + v.size() || !std::isfinite(q))
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

// The first pass: railway ways and route relations.
struct vie_e_relazioni : osmium::handler::Handler {
  estratto_osm& e;
  explicit vie_e_relazioni(estratto_osm& estratto) : e(estratto) {}

  void way(const osmium::Way& w) {
    const osmium::TagList& t = w.tags();
    via_osm v;
    v.railway = valore(t, "railway");
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
    if (valore(t, "type") != "route") return;
    relazione_osm rel;
    rel.id = r.id();
    rel.nome = valore(t, "name");
    rel.da = valore(t, "from");
    rel.a = valore(t, "to");
    rel.ref = valore(t, "ref");
    for (const osmium::RelationMember& m : r.members()) {
      const std::string ruolo = m.role();
      if (m.type() == osmium::item_type::way &&
          (ruolo.empty() || ruolo == "forward" || ruolo == "backward" || ruolo == "route"))
        rel.vie.push_back(m.ref());
      else if (m.type() == osmium::item_type::node)
        rel.nodi.push_back(m.ref());
    }
    e.relazioni.push_back(std::move(rel));
  }
};

// The second pass: the places of the ways' nodes, and the tagged nodes.
struct nodi : osmium::handler::Handler {
  estratto_osm& e;
  const std::unordered_set<id_osm>& servono;
  const std::string& nome;
  std::string errore;
  nodi(estratto_osm& estratto, const std::unordered_set<id_osm>& s, const std::string& n)
      : e(estratto), servono(s), nome(n) {}

  void node(const osmium::Node& n) {
    const osmium::Location l = n.location();
    const bool valido = l.valid();
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
    if (railway == "station" || railway == "halt" || valore(t, "public_transport") == "station") {
      p.genere = genere_punto::stazione;
      p.nome = valore(t, "name");
      if (p.nome.empty()) return;
    } else if (railway == "signal") {
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

Stato leggi_estratto(const std::string& percorso, estratto_osm& e) {
  try {
    // A name that does not tell the form is read as XML.
    const osmium::io::File file(percorso, nome_di_estratto(percorso) ? "" : "osm");
    {
      osmium::io::Reader lettore(file,
                                 osmium::osm_entity_bits::way | osmium::osm_entity_bits::relation);
      vie_e_relazioni h(e);
      osmium::apply(lettore, h);
      lettore.close();
    }
    std::unordered_set<id_osm> servono;
    for (const via_osm& v : e.vie) servono.insert(v.nodi.begin(), v.nodi.end());
    osmium::io::Reader lettore(file, osmium::osm_entity_bits::node);
    nodi h(e, servono, percorso);
    osmium::apply(lettore, h);
    lettore.close();
    if (!h.errore.empty()) return Stato::errore(h.errore);
    // A way cut by the extract's edge keeps the nodes the extract has.
    std::vector<via_osm> vie;
    for (via_osm& v : e.vie) {
      std::erase_if(v.nodi, [&](id_osm n) { return !e.luoghi.count(n); });
      if (v.nodi.size() >= 2) vie.push_back(std::move(v));
    }
    e.vie = std::move(vie);
    e.indice_vie.clear();
    for (size_t i = 0; i < e.vie.size(); ++i) e.indice_vie[e.vie[i].id] = i;
  } catch (const std::exception& x) {
    return Stato::errore(
        fmt::format("{}: non si legge come estratto OpenStreetMap: {}", percorso, x.what()));
  }
  return Stato::ok();
}

}  // namespace scen
