#include "check/verifica_testi.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "check/controlli_avvisi.h"
#include "read/campi.h"

namespace scen {

std::string minuscolo(std::string_view testo) {
  std::string r(testo);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  return r;
}

// Edit distance, a swap of two neighbouring letters counting as one edit;
// past `limite`, `limite` + 1. Three rows of the table are all it needs:
// the swap looks two rows back.
size_t distanza_entro(std::string_view a, std::string_view b, size_t limite) {
  const size_t scarto = a.size() > b.size() ? a.size() - b.size() : b.size() - a.size();
  if (scarto > limite) return limite + 1;
  // A keyword's rows fit on the stack; a longer text's take the heap.
  std::array<size_t, 3 * 48> corte{};
  std::vector<size_t> lunghe;
  size_t* righe = corte.data();
  if (3 * (b.size() + 1) > corte.size()) {
    lunghe.resize(3 * (b.size() + 1));
    righe = lunghe.data();
  }
  auto riga = [&](size_t i) { return righe + (i % 3) * (b.size() + 1); };
  for (size_t j = 0; j <= b.size(); ++j) riga(0)[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t* d = riga(i);
    const size_t* su = riga(i - 1);
    const size_t* due_su = riga(i - 2);
    d[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t diversa = a[i - 1] == b[j - 1] ? 0 : 1;
      d[j] = std::min({su[j] + 1, d[j - 1] + 1, su[j - 1] + diversa});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[j] = std::min(d[j], due_su[j - 2] + 1);
    }
  }
  return std::min(riga(a.size())[b.size()], limite + 1);
}

size_t distanza(std::string_view a, std::string_view b) {
  return distanza_entro(a, b, std::max(a.size(), b.size()));
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

std::string parola_vicina(std::string_view campo, bool linea) {
  return piu_vicina(campo, parole_scritte(linea));
}

std::string piu_vicina(std::string_view campo, std::span<const std::string_view> parole) {
  const std::string cercata = minuscolo(senza_spazi_finali(campo));
  std::string_view migliore;
  size_t minima = SIZE_MAX;
  // No word is near enough beyond three edits: a distance counted no
  // further leaves the same word nearest, and a field of any length costs
  // no more than a short one.
  auto prova = [&](std::string_view parola) {
    const size_t d = distanza_entro(cercata, parola, 3);
    if (d < minima) {
      minima = d;
      migliore = parola;
    }
  };
  for (std::string_view p : parole) prova(p);
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
