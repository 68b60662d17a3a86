// Heights from elevation tiles (SRTM .hgt, GeoTIFF and whatever else GDAL
// reads as a raster of heights): bilinear between the tiles' points, in
// the tiles' own datum.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "import/traccia.h"
#include "platform/stato.h"

namespace scen {

// Heights outside these (m) are no data.
inline constexpr double quota_minima_tessere = quota_minima;
inline constexpr double quota_massima_tessere = quota_massima;

// The largest block of a tile that is read (bytes): a tile is read a block
// at a time, a block whole for any of its points.
inline constexpr std::size_t blocco_massimo_tessere = std::size_t{64} << 20;

class tessere_quote {
 public:
  tessere_quote();
  ~tessere_quote();
  tessere_quote(const tessere_quote&) = delete;
  tessere_quote& operator=(const tessere_quote&) = delete;

  // Opens every tile in `percorsi`: files, or folders whose .hgt, .hgt.zip,
  // .tif and .tiff files are taken. A tile is placed by its georeference,
  // whatever its name; an .hgt carries none but its name, which must be its
  // square's (N49E011.hgt). Fails naming the file that is not a raster of
  // heights (saying how to name an .hgt named otherwise), a path that does
  // not exist, or a folder without tiles; and the tile whose blocks are
  // larger than `blocco_massimo` bytes, with their size.
  Stato apri(const std::vector<std::string>& percorsi,
             std::size_t blocco_massimo = blocco_massimo_tessere);

  // The height at (latitudine, longitudine), degrees on WGS 84, from the
  // first tile that covers it with its four points; nothing where no tile
  // does or where a point has no data (its value the tile's no-data value,
  // or a height outside quota_minima_tessere..quota_massima_tessere). Then
  // `senza_dati`, when given, receives the name of the first tile that
  // covers the place but has no data there (left empty where none covers it).
  // A tile that cannot be read there gives nothing too, and says why in
  // guasto(); memory that runs out for its block throws std::bad_alloc.
  std::optional<double> quota(double latitudine, double longitudine,
                              std::string* senza_dati = nullptr) const;

  // The first failure to read a tile's points: "TILE: reason"; "" for none.
  const std::string& guasto() const;

  std::size_t tessere() const;

  // The greatest distance between two neighbouring points of a tile, at
  // latitude `latitudine` (m).
  double passo_metri(double latitudine) const;

 private:
  struct tessera;
  std::vector<std::unique_ptr<tessera>> t_;
  mutable std::string guasto_;
};

// The heights of a GPS track's points from the tiles in `percorsi` in place
// of the log's own, and the reach of their noise (the tiles' step). Fails
// naming the tile that cannot be read, or the file `nome` and the point that
// no tile gives a height.
Stato quote_della_traccia(const std::vector<std::string>& percorsi, const std::string& nome,
                          traccia& t);

}  // namespace scen
