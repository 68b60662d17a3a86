// Heights from elevation tiles (SRTM .hgt, GeoTIFF and whatever else GDAL
// reads as a raster of heights): bilinear between the tiles' points, in
// the tiles' own datum.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/stato.h"

namespace scen {

class tessere_quote {
 public:
  tessere_quote();
  ~tessere_quote();
  tessere_quote(const tessere_quote&) = delete;
  tessere_quote& operator=(const tessere_quote&) = delete;

  // Opens every tile in `percorsi`: files, or folders whose .hgt, .tif and
  // .tiff files are taken. Fails naming the file that is not a raster of
  // heights, a path that does not exist, or a folder without tiles.
  Stato apri(const std::vector<std::string>& percorsi);

  // The height at (latitudine, longitudine), degrees on WGS 84, from the
  // first tile that covers it with its four points; nothing where no tile
  // does or where a point has no data.
  std::optional<double> quota(double latitudine, double longitudine) const;

  std::size_t tessere() const;

  // The greatest distance between two neighbouring points of a tile, at
  // latitude `latitudine` (m).
  double passo_metri(double latitudine) const;

 private:
  struct tessera;
  std::vector<std::unique_ptr<tessera>> t_;
};

}  // namespace scen
