#include "tool/verifica_testi.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "read/campi.h"
#include "tool/controlli_avvisi.h"

namespace scen {

namespace {

// The keywords of each description file, as the formats write them.
constexpr std::string_view parole_linea[] = {
    "lunghezza percorso",
    "progressiva chilometrica uno",
    "progressiva chilometrica due",
    "progressiva chilometrica tre",
    "sfondo uno",
    "sfondo due",
    "sfondo tre",
    "ripetizione segnali 9 codici",
    "ripetizione segnali 4 codici",
    "curvas1",
    "curvas2",
    "curvas3",
    "curvas4",
    "curvas5",
    "curvas6",
    "curvad1",
    "curvad2",
    "curvad3",
    "curvad4",
    "curvad5",
    "curvad6",
    "pendenza",
    "montagna",
    "indicatori_vmax",
    "cartello_indicatore",
};
constexpr std::string_view parole_treno[] = {
    "numero vetture", "percentuale massa frenata",
    "sabbia",         "orologio",
    "aderenza",       "velocita",
    "stazione",       "segnale",
    "rallentamento",  "abbattimento",
};

}  // namespace

std::string minuscolo(std::string_view testo) {
  std::string r(testo);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  return r;
}

std::string_view senza_spazi_finali(std::string_view testo) {
  while (!testo.empty() && (testo.back() == ' ' || testo.back() == '\t')) testo.remove_suffix(1);
  return testo;
}

// Edit distance, a swap of two neighbouring letters counting as one edit.
size_t distanza(std::string_view a, std::string_view b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t diversa = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + diversa});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

// A text as its UTF-8 bytes mean it, quoted like the file's own text: cut
// after 40 characters, control bytes, quotes and backslashes escaped.
std::string cita_utf8(std::string_view testo) {
  constexpr size_t massimo = 40;
  std::string r = "\"";
  size_t caratteri = 0;
  size_t i = 0;
  for (; i < testo.size() && caratteri < massimo; ++caratteri) {
    const auto b = static_cast<unsigned char>(testo[i]);
    size_t lunghezza = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    lunghezza = std::min(lunghezza, testo.size() - i);
    if (b == '"' || b == '\\')
      r += fmt::format("\\{}", static_cast<char>(b));
    else if (b == '\t')
      r += "\\t";
    else if (b < 0x20 || b == 0x7F)
      r += fmt::format("\\x{:02x}", b);
    else
      r += testo.substr(i, lunghezza);
    i += lunghezza;
  }
  if (i < testo.size()) r += "…";
  return r + "\"";
}

bool solo_cifre(std::string_view testo) {
  if (!testo.empty() && testo.front() == '-') testo.remove_prefix(1);
  return !testo.empty() &&
         std::all_of(testo.begin(), testo.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool con_controlli(std::string_view testo) {
  return std::any_of(testo.begin(), testo.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F;
  });
}

// The value field of a record named as the reference names it, with its
// article: "la posizione", "il campo 7".
std::string campo_in_parole(specie tipo, size_t n) {
  static constexpr std::string_view gruppo_indicatore[] = {
      "la prima velocità", "la seconda velocità", "la terza velocità", "il codice"};
  switch (tipo) {
    case specie::lunghezza:
      return "la lunghezza";
    case specie::progressiva:
      return n == 1 ? "l'inizio" : n == 2 ? "lo scostamento" : "il segno di decrescenza";
    case specie::sfondo:
    case specie::massa_frenata:
    case specie::vetture:
    case specie::sabbia:
      return "il valore";
    case specie::ripetizione:
      return n == 1 ? "l'inizio" : "la fine";
    case specie::curva:
      return n == 1 ? "l'inizio" : "la lunghezza";
    case specie::pendenza:
      return n == 1 ? "la posizione" : "la pendenza";
    case specie::montagna:
      return n == 1 ? "l'inizio" : n == 2 ? "la fine" : "il valore della zona";
    case specie::indicatore:
      if (n == 1) return "la posizione";
      return fmt::format("{} del {} gruppo", gruppo_indicatore[(n - 2) % 4],
                         n <= 5 ? "primo" : "secondo");
    case specie::cartello:
      return n == 1 ? "la posizione" : "il testo";
    case specie::velocita:
      return n == 1 ? "la posizione" : "la velocità";
    case specie::aderenza:
      return n == 1 ? "la posizione" : "l'aderenza";
    case specie::orologio:
      return n == 1 ? "le ore" : n == 2 ? "i minuti" : "i secondi";
    case specie::segnale:
      return n == 1    ? "la posizione"
             : n == 2  ? "la classe"
             : n == 11 ? "il valore extra"
                       : fmt::format("il campo {}", n);
    case specie::rallentamento: {
      static constexpr std::string_view nomi[] = {"l'inizio",           "la velocità",
                                                  "la lunghezza",       "il segno di treno intero",
                                                  "il segno di avviso", "il valore mostrato"};
      return std::string(nomi[n - 1]);
    }
    case specie::abbattimento:
      return n == 1 ? "la posizione" : "il valore";
    case specie::stazione:
      if (n == 1) return "la posizione";
      if (n == 2) return "il tipo";
      if (n == 3) return "l'estensione";
      if (n == 14) return "le ore";
      if (n == 15) return "i minuti";
      if (n == 16) return "i secondi";
      if (n == 17) return "il nome";
      return fmt::format("il campo {}", n);
  }
  return fmt::format("il campo {}", n);
}

// How the warnings name the records of a kind, all together.
std::string_view plurale(specie tipo) {
  switch (tipo) {
    case specie::pendenza:
      return "le pendenze";
    case specie::velocita:
      return "i limiti di velocità";
    case specie::aderenza:
      return "le aderenze";
    case specie::segnale:
      return "i segnali";
    case specie::rallentamento:
      return "i rallentamenti";
    case specie::abbattimento:
      return "gli abbattimenti";
    default:
      return "i record";
  }
}

// The first field of a record: its position (or start), where it has one.
bool con_posizione(specie tipo) {
  switch (tipo) {
    case specie::curva:
    case specie::pendenza:
    case specie::montagna:
    case specie::indicatore:
    case specie::cartello:
    case specie::velocita:
    case specie::aderenza:
    case specie::segnale:
    case specie::rallentamento:
    case specie::abbattimento:
    case specie::stazione:
      return true;
    default:
      return false;
  }
}

std::string parola_vicina(std::string_view campo, bool linea) {
  const std::string cercata = minuscolo(senza_spazi_finali(campo));
  std::string_view migliore;
  size_t minima = SIZE_MAX;
  auto prova = [&](std::string_view parola) {
    const size_t d = distanza(cercata, parola);
    if (d < minima) {
      minima = d;
      migliore = parola;
    }
  };
  if (linea)
    for (std::string_view p : parole_linea) prova(p);
  else
    for (std::string_view p : parole_treno) prova(p);
  // Near enough: one edit in a short word, two in a longer one, three in a
  // keyword of several words.
  const size_t ammessa = migliore.size() <= 5 ? 1 : migliore.size() <= 12 ? 2 : 3;
  if (minima == 0 || minima > ammessa) return {};
  return std::string(migliore);
}

bool sembra_utf8(std::string_view testo) {
  bool multibyte = false;
  for (size_t i = 0; i < testo.size();) {
    const auto b = static_cast<unsigned char>(testo[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t seguito;
    unsigned char minimo = 0x80, massimo = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      seguito = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      seguito = 2;
      if (b == 0xE0) minimo = 0xA0;
      if (b == 0xED) massimo = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      seguito = 3;
      if (b == 0xF0) minimo = 0x90;
      if (b == 0xF4) massimo = 0x8F;
    } else {
      return false;
    }
    for (size_t k = 1; k <= seguito; ++k) {
      if (i + k >= testo.size()) return false;
      const auto c = static_cast<unsigned char>(testo[i + k]);
      const unsigned char da = k == 1 ? minimo : 0x80;
      const unsigned char a = k == 1 ? massimo : 0xBF;
      if (c < da || c > a) return false;
    }
    multibyte = true;
    i += seguito + 1;
  }
  return multibyte;
}

}  // namespace scen
