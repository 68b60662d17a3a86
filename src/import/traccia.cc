#include "import/traccia.h"

#include <fmt/format.h>

#include <cmath>

namespace scen {

std::string messaggio_punto(const std::string& nome, long riga, std::string_view motivo) {
  if (riga > 0) return fmt::format("{}:{}: {}", nome, riga, motivo);
  return fmt::format("{}: {}", nome, motivo);
}

std::optional<std::string> fuori_campo(double latitudine, double longitudine) {
  if (!std::isfinite(latitudine) || latitudine < -90 || latitudine > 90)
    return fmt::format("latitudine {} fuori campo: va da -90 a 90 gradi", latitudine);
  if (!std::isfinite(longitudine) || longitudine < -180 || longitudine > 180)
    return fmt::format("longitudine {} fuori campo: va da -180 a 180 gradi", longitudine);
  return std::nullopt;
}

Stato leggi_traccia(std::string_view byte, const std::string& nome, traccia& t) {
  size_t i = 0;
  if (byte.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
  while (i < byte.size() &&
         (byte[i] == ' ' || byte[i] == '\t' || byte[i] == '\r' || byte[i] == '\n'))
    ++i;
  if (i < byte.size() && byte[i] == '<') return leggi_gpx(byte, nome, t);
  if (i < byte.size() && byte[i] == '{') return leggi_geojson(byte, nome, t);
  return Stato::errore(messaggio_punto(
      nome, 0,
      "non è una traccia GPX (che comincia con \"<\") né GeoJSON (che comincia con \"{\")"));
}

}  // namespace scen
