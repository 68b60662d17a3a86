#include "import/misura_estratto.h"

#include <bzlib.h>
#include <fmt/format.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <system_error>
#include <vector>

#include "import/estratto_osm.h"

namespace scen {

namespace {

enum class compressione { nessuna, gzip, bzip2 };
enum class forma { xml, opl, binaria };

std::string minuscolo(std::string n) {
  std::transform(n.begin(), n.end(), n.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return n;
}

bool finisce_con(const std::string& s, const std::string& fine) {
  return s.size() >= fine.size() && s.compare(s.size() - fine.size(), fine.size(), fine) == 0;
}

// How the reader takes the file: by its name, as XML when the name does not
// tell (see leggi_estratto).
void forma_del_nome(const std::string& percorso, compressione& c, forma& f) {
  c = compressione::nessuna;
  f = forma::xml;
  if (!nome_di_estratto(percorso)) return;
  std::string n = minuscolo(percorso);
  if (finisce_con(n, ".gz")) {
    c = compressione::gzip;
    n.resize(n.size() - 3);
  } else if (finisce_con(n, ".bz2")) {
    c = compressione::bzip2;
    n.resize(n.size() - 4);
  }
  if (finisce_con(n, ".pbf") || finisce_con(n, ".o5m")) f = forma::binaria;
  if (finisce_con(n, ".opl")) f = forma::opl;
}

struct chiudi_file {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Hands the file's bytes, decompressed, to `pezzo` a piece at a time, until
// it says to stop or the file ends. False when the file cannot be read or
// decompressed: the reader says why.
bool decomprimi(const std::string& percorso, compressione c,
                const std::function<bool(const char*, std::size_t)>& pezzo) {
  std::unique_ptr<std::FILE, chiudi_file> file(std::fopen(percorso.c_str(), "rb"));
  if (!file) return false;
  std::vector<char> entrata(1 << 16), uscita(1 << 18);
  auto leggi = [&]() { return std::fread(entrata.data(), 1, entrata.size(), file.get()); };
  if (c == compressione::nessuna) {
    for (std::size_t n; (n = leggi()) > 0;)
      if (!pezzo(entrata.data(), n)) return true;
    return !std::ferror(file.get());
  }
  if (c == compressione::gzip) {
    z_stream z{};
    // Gzip members one after another, as gzip itself reads them.
    if (inflateInit2(&z, 15 + 32) != Z_OK) return false;
    bool esito = true;
    for (std::size_t n; esito && (n = leggi()) > 0;) {
      z.next_in = reinterpret_cast<Bytef*>(entrata.data());
      z.avail_in = static_cast<uInt>(n);
      while (z.avail_in > 0) {
        z.next_out = reinterpret_cast<Bytef*>(uscita.data());
        z.avail_out = static_cast<uInt>(uscita.size());
        const int r = inflate(&z, Z_NO_FLUSH);
        if (r != Z_OK && r != Z_STREAM_END && r != Z_BUF_ERROR) {
          esito = false;
          break;
        }
        const std::size_t fatti = uscita.size() - z.avail_out;
        if (fatti > 0 && !pezzo(uscita.data(), fatti)) {
          inflateEnd(&z);
          return true;
        }
        if (r == Z_STREAM_END && inflateReset(&z) != Z_OK) esito = false;
        if (r == Z_BUF_ERROR && fatti == 0) break;
      }
    }
    inflateEnd(&z);
    return esito;
  }
  bz_stream b{};
  if (BZ2_bzDecompressInit(&b, 0, 0) != BZ_OK) return false;
  bool esito = true;
  for (std::size_t n; esito && (n = leggi()) > 0;) {
    b.next_in = entrata.data();
    b.avail_in = static_cast<unsigned>(n);
    while (b.avail_in > 0) {
      b.next_out = uscita.data();
      b.avail_out = static_cast<unsigned>(uscita.size());
      const unsigned prima = b.avail_in;
      const int r = BZ2_bzDecompress(&b);
      if (r != BZ_OK && r != BZ_STREAM_END) {
        esito = false;
        break;
      }
      const std::size_t fatti = uscita.size() - b.avail_out;
      if (fatti > 0 && !pezzo(uscita.data(), fatti)) {
        BZ2_bzDecompressEnd(&b);
        return true;
      }
      if (r == BZ_STREAM_END) {
        // Streams one after another, as bzip2 itself reads them.
        BZ2_bzDecompressEnd(&b);
        char* resto = b.next_in;
        const unsigned quanti = b.avail_in;
        b = bz_stream{};
        if (BZ2_bzDecompressInit(&b, 0, 0) != BZ_OK) return false;
        b.next_in = resto;
        b.avail_in = quanti;
      } else if (fatti == 0 && b.avail_in == prima) {
        break;
      }
    }
  }
  BZ2_bzDecompressEnd(&b);
  return esito;
}

std::string mib(std::uint64_t byte) {
  if (byte % (1 << 20) == 0) return fmt::format("{} MiB", byte >> 20);
  if (byte >= (1 << 20)) return fmt::format("{:.1f} MiB", static_cast<double>(byte) / (1 << 20));
  return fmt::format("{} byte", byte);
}

}  // namespace

Stato misura_estratto(const std::string& percorso, const limiti_estratto& limiti) {
  compressione c = compressione::nessuna;
  forma f = forma::xml;
  forma_del_nome(percorso, c, f);
  if (c == compressione::nessuna && f == forma::binaria) return Stato::ok();
  std::error_code errore;
  const std::uintmax_t compresso = std::filesystem::file_size(percorso, errore);
  if (errore) return Stato::ok();
  const std::uint64_t massimo =
      c == compressione::nessuna
          ? UINT64_MAX
          : std::max<std::uint64_t>(limiti.minimo, compresso * limiti.rapporto);
  const char separatore = f == forma::opl ? '\n' : '<';
  std::uint64_t letti = 0, ultimo_separatore = 0;
  std::string motivo;
  auto troppo_lungo = [&](std::uint64_t fino) {
    if (fino - ultimo_separatore <= limiti.elemento) return false;
    motivo = fmt::format("{} di oltre {}, dal byte {}{}: non è un estratto OpenStreetMap",
                         f == forma::opl ? "una riga" : "un elemento XML", mib(limiti.elemento),
                         ultimo_separatore, c == compressione::nessuna ? "" : " decompresso");
    return true;
  };
  decomprimi(percorso, c, [&](const char* byte, std::size_t n) {
    if (f != forma::binaria) {
      for (const char* p = byte; p < byte + n;) {
        const char* s = static_cast<const char*>(std::memchr(p, separatore, byte + n - p));
        if (s == nullptr) break;
        const std::uint64_t dove = letti + static_cast<std::uint64_t>(s - byte);
        if (troppo_lungo(dove)) return false;
        ultimo_separatore = dove;
        p = s + 1;
      }
      if (troppo_lungo(letti + n)) return false;
    }
    letti += n;
    if (letti > massimo) {
      motivo = fmt::format(
          "decompresso passa i {} (il più che se ne legge: {} volte il file compresso, e almeno "
          "{}): non è un estratto OpenStreetMap",
          mib(massimo), limiti.rapporto, mib(limiti.minimo));
      return false;
    }
    return true;
  });
  if (!motivo.empty()) return Stato::errore(fmt::format("{}: {}", percorso, motivo));
  return Stato::ok();
}

}  // namespace scen
