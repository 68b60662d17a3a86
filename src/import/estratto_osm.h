// What the import takes from an OpenStreetMap extract: the railway ways with
// the tags that matter to a line, the route relations that list them, the
// places of their nodes, and the stations, signals and milestones.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/stato.h"

namespace scen {

using id_osm = std::int64_t;

struct luogo_osm {
  double latitudine = 0;
  double longitudine = 0;
};

// A railway way and the tags the import reads from it, as written ("" when
// the way does not have the tag).
struct via_osm {
  id_osm id = 0;
  std::vector<id_osm> nodi;
  std::string railway, usage, service;
  std::string maxspeed, maxspeed_avanti, maxspeed_indietro;  // maxspeed, :forward, :backward
  std::string tunnel, bridge, embankment, cutting;
  std::string nome;        // bridge:name, else name
  std::string nome_ponte;  // bridge:name only
  std::string ref;         // ref: the railway line's number
};

// A stop or platform member of a route relation, or a member of a stop
// area.
struct membro_fermata {
  id_osm id = 0;
  bool via = false;       // a way (a platform); else a node
  bool banchina = false;  // its role is platform, platform_entry_only or platform_exit_only
};

struct relazione_osm {
  id_osm id = 0;
  std::vector<id_osm> vie;              // the way members, in the relation's order
  std::vector<id_osm> nodi;             // the node members (stops and the like), in order
  std::vector<membro_fermata> fermate;  // the stop and platform members, in order
  std::vector<id_osm> altre;            // relation members with a stop or platform role
  std::string nome, da, a;              // name, from, to
  std::string route;                    // train, railway, light_rail...
  std::string ref;                      // ref: of a railway route, the line's number
};

// A stop area (type=public_transport, public_transport=stop_area): the
// stops and platforms of one station.
struct area_fermata {
  id_osm id = 0;
  std::string nome;
  std::vector<membro_fermata> membri;  // its nodes and ways, whatever their role
};

// A stop as mapped: a station or halt node, a stop position on the track,
// a platform (node, way or area), with the tags that tell whose it is.
enum class genere_fermata { stazione, posizione, banchina };

struct fermata_osm {
  id_osm id = 0;
  bool via = false;  // a platform way; else a node
  genere_fermata genere = genere_fermata::stazione;
  std::string nome;
  bool leggera = false;           // by its tags, a light rail, tram or subway stop
  std::vector<luogo_osm> luoghi;  // the node's place, or the way's nodes the extract has
  std::vector<id_osm> nodi;       // a node's id, or the way's nodes
};

enum class genere_punto { segnale, cippo };

// A tagged node of interest.
struct punto_osm {
  id_osm id = 0;
  genere_punto genere = genere_punto::segnale;
  luogo_osm luogo;
  std::string direzione;  // signals: railway:signal:direction
  // Signals: the kinds it shows, KIND of each railway:signal:KIND tag that
  // is not "no" ("main", "distant", "speed_limit", …), in the file's order;
  // none for a signal mapped without them.
  std::vector<std::string> generi;
  std::string posizione;  // milestones: railway:position, as written
  std::string ref;        // milestones: ref, the railway line's number
};

struct estratto_osm {
  std::vector<via_osm> vie;  // railway=rail (and narrow gauge, light rail)
  std::unordered_map<id_osm, std::size_t> indice_vie;  // way id -> index in vie
  std::vector<relazione_osm> relazioni;                // type=route relations
  std::unordered_map<id_osm, luogo_osm> luoghi;        // the nodes of the ways
  std::unordered_map<id_osm, double> quote;            // of those, the ones with an ele (m)
  std::vector<punto_osm> punti;                        // in file order
  std::vector<fermata_osm> fermate;                    // in file order, nodes first
  std::vector<area_fermata> aree;                      // the stop areas
  // Nodes of light rail, tram and subway tracks (whatever is read as track).
  std::unordered_set<id_osm> nodi_leggeri;
};

// Tells an extract from a GPS track by the file's name: .osm, .osm.pbf,
// .pbf, .o5m, .opl, each also compressed with .gz or .bz2.
bool nome_di_estratto(const std::string& nome);

// Reads the extract `percorso` (XML, PBF and the other forms libosmium
// reads, told by the name; XML when the name does not tell). Fails with "FILE: reason" for a file
// that cannot be read or is not an extract, one past the bounds of misura_estratto, and for a way
// whose node has an invalid place. A way cut by the extract's edge keeps the nodes the extract
// has.
// `avanzamento`, when given, is told what is being read, now and then, on a
// large extract.
Stato leggi_estratto(const std::string& percorso, estratto_osm& e,
                     const std::function<void(const std::string&)>& avanzamento = {});

// The shortened list of ids for a message: all of them ("1, 2 e 3") up to
// twelve, else the first five and the last five with the count.
std::string elenco_breve(const std::vector<id_osm>& ids);

}  // namespace scen
