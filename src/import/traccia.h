// A GPS track as read from its file: points in WGS 84 degrees, in order, and
// the named points that go with it.
#pragma once

#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/stato.h"

namespace scen {

// Heights no ground has (m): deeper than the deepest dry land, higher than
// the highest peak. A height outside them, from a file or a tile, is no data.
inline constexpr double quota_minima = -500;
inline constexpr double quota_massima = 9000;
inline bool quota_di_terreno(double quota) {
  return std::isfinite(quota) && quota >= quota_minima && quota <= quota_massima;
}

struct punto_traccia {
  double latitudine = 0;        // degrees, north positive
  double longitudine = 0;       // degrees, east positive
  std::optional<double> quota;  // metres, when the file gives one that quota_di_terreno allows
  long riga = 0;                // the line of the file that holds it; 0 where lines do not count
  // The height is drawn across a structure from the heights outside it,
  // not seen: the gradients there follow the track on either side.
  bool quota_presunta = false;
};

struct punto_nominato {
  std::string nome;  // UTF-8
  double latitudine = 0;
  double longitudine = 0;
  long riga = 0;
};

struct traccia {
  std::vector<punto_traccia> punti;      // the track's points, segments joined in order
  std::vector<punto_nominato> nominati;  // in file order
  std::vector<punto_nominato> riferiti;  // other points whose place along the line is wanted
  std::vector<std::string> ore;  // when each point was recorded, as the file writes it ("" unknown)
  double correlazione_quote = 0;  // how far the heights' noise keeps alike (m): see adatta_pendenze
  // Points recorded by a moving vehicle (stops, turns, the noise smoothed
  // twice), or drawn on a map (none of these).
  bool registrata = true;
};

// Reads a GPX 1.1 track (trk/trkseg/trkpt, waypoints wpt with a name) or a
// GeoJSON one (LineString or MultiLineString, Point features with a "name"
// property), told apart by their first character. `nome` is the file's name
// for the messages ("FILE: reason", "FILE:LINE: reason" where there is a
// line). Checks that there is a track and that every coordinate is in range;
// the track's shape is checked later.
Stato leggi_traccia(std::string_view byte, const std::string& nome, traccia& t);

// The two readers, for a text already known to be of their kind.
Stato leggi_gpx(std::string_view byte, const std::string& nome, traccia& t);
Stato leggi_geojson(std::string_view byte, const std::string& nome, traccia& t);

// "FILE:LINE: reason", or "FILE: reason" for line 0.
std::string messaggio_punto(const std::string& nome, long riga, std::string_view motivo);

// The reason a latitude or longitude is out of range, or nothing.
std::optional<std::string> fuori_campo(double latitudine, double longitudine);

}  // namespace scen
