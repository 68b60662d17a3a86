// GeoJSON through nlohmann-json: the positions of every LineString and
// MultiLineString in document order, and the Point features with a name.
#include <fmt/format.h>

#include <nlohmann/json.hpp>
#include <string>

#include "import/traccia.h"

namespace scen {

namespace {

using json = nlohmann::json;

class lettore_geojson {
 public:
  lettore_geojson(const std::string& nome, traccia& t) : nome_(nome), t_(t) {}

  // Any GeoJSON object: a collection, a feature or a geometry.
  Stato oggetto(const json& o, const std::string* nome_punto) {
    if (!o.is_object()) return Stato::ok();
    // An object whose type is no text is passed over, as one of a type that
    // holds no track.
    const std::string tipo =
        o.contains("type") && o["type"].is_string() ? o["type"].get<std::string>() : "";
    if (tipo == "FeatureCollection" && o.contains("features") && o["features"].is_array()) {
      for (const json& f : o["features"])
        if (Stato s = oggetto(f, nullptr); !s.riuscito()) return s;
    } else if (tipo == "Feature" && o.contains("geometry")) {
      std::string nome;
      if (o.contains("properties") && o["properties"].is_object() &&
          o["properties"].contains("name") && o["properties"]["name"].is_string())
        nome = o["properties"]["name"].get<std::string>();
      return oggetto(o["geometry"], nome.empty() ? nullptr : &nome);
    } else if (tipo == "GeometryCollection" && o.contains("geometries") &&
               o["geometries"].is_array()) {
      for (const json& g : o["geometries"])
        if (Stato s = oggetto(g, nome_punto); !s.riuscito()) return s;
    } else if (tipo == "LineString" && o.contains("coordinates")) {
      return linea(o["coordinates"]);
    } else if (tipo == "MultiLineString" && o.contains("coordinates") &&
               o["coordinates"].is_array()) {
      for (const json& l : o["coordinates"])
        if (Stato s = linea(l); !s.riuscito()) return s;
    } else if (tipo == "Point" && nome_punto != nullptr && o.contains("coordinates")) {
      punto_nominato p;
      p.nome = *nome_punto;
      std::optional<double> quota;
      if (Stato s = posizione(o["coordinates"], fmt::format("il punto con nome \"{}\"", p.nome),
                              p.latitudine, p.longitudine, quota);
          !s.riuscito())
        return s;
      t_.nominati.push_back(p);
    }
    return Stato::ok();
  }

 private:
  Stato linea(const json& l) {
    if (!l.is_array())
      return errore("le coordinate di una LineString non sono un elenco di posizioni");
    for (const json& c : l) {
      punto_traccia p;
      if (Stato s = posizione(c, fmt::format("punto {}", t_.punti.size() + 1), p.latitudine,
                              p.longitudine, p.quota);
          !s.riuscito())
        return s;
      t_.punti.push_back(p);
    }
    return Stato::ok();
  }

  // A position [longitude, latitude] or [longitude, latitude, height]; any
  // further number (a time, a measure) is passed over.
  Stato posizione(const json& c, const std::string& chi, double& lat, double& lon,
                  std::optional<double>& quota) {
    if (!c.is_array() || c.size() < 2 || !c[0].is_number() || !c[1].is_number() ||
        (c.size() >= 3 && !c[2].is_number()))
      return errore(
          fmt::format("{}: la posizione {} non è [longitudine, latitudine] né "
                      "[longitudine, latitudine, quota]",
                      chi, c.dump()));
    lon = c[0].get<double>();
    lat = c[1].get<double>();
    // A height no ground has is none.
    if (c.size() >= 3 && quota_di_terreno(c[2].get<double>())) quota = c[2].get<double>();
    if (std::optional<std::string> motivo = fuori_campo(lat, lon))
      return errore(chi + ": " + *motivo);
    return Stato::ok();
  }

  Stato errore(const std::string& motivo) const {
    return Stato::errore(messaggio_punto(nome_, 0, motivo));
  }

  const std::string& nome_;
  traccia& t_;
};

}  // namespace

Stato leggi_geojson(std::string_view byte, const std::string& nome, traccia& t) {
  json documento;
  try {
    documento = json::parse(byte);
  } catch (const json::parse_error& e) {
    return Stato::errore(messaggio_punto(
        nome, 0, fmt::format("non è una traccia GeoJSON: JSON non valido al byte {}", e.byte)));
  } catch (const json::out_of_range&) {
    return Stato::errore(messaggio_punto(
        nome, 0, "non è una traccia GeoJSON: un numero troppo grande per leggerlo"));
  }
  if (!documento.is_object() || !documento.contains("type") || !documento["type"].is_string())
    return Stato::errore(messaggio_punto(
        nome, 0, "non è una traccia GeoJSON: manca il \"type\" dell'oggetto principale"));
  return lettore_geojson(nome, t).oggetto(documento, nullptr);
}

}  // namespace scen
