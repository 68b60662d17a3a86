// Linux: Windows-1252 from the code page's own tables.
#include <array>
#include <cstdint>

#include "platform/windows1252.h"

namespace scen {

namespace {

// Code points of bytes 0x80 to 0x9F; 0 marks a byte with no character.
constexpr std::array<char32_t, 32> alti = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::optional<unsigned char> byte_di(char32_t c) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
  for (size_t i = 0; i < alti.size(); ++i)
    if (alti[i] != 0 && alti[i] == c) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

void codifica(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::optional<std::string> utf8_a_1252(std::string_view testo, size_t* posizione) {
  std::string out;
  out.reserve(testo.size());
  size_t i = 0;
  while (i < testo.size()) {
    // Most text is ASCII, the same byte in both.
    if (const auto b = static_cast<unsigned char>(testo[i]); b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    size_t inizio = i;
    std::optional<char32_t> c = carattere_utf8(testo, i);
    std::optional<unsigned char> b = c ? byte_di(*c) : std::nullopt;
    if (!b) {
      if (posizione) *posizione = inizio;
      return std::nullopt;
    }
    out += static_cast<char>(*b);
  }
  return out;
}

std::string da_1252_a_utf8(std::string_view testo) {
  std::string out;
  out.reserve(testo.size());
  for (char ch : testo) {
    auto b = static_cast<unsigned char>(ch);
    char32_t c = b;
    if (b >= 0x80 && b < 0xA0 && alti[b - 0x80] != 0) c = alti[b - 0x80];
    codifica(c, out);
  }
  return out;
}

std::string minuscole_1252(std::string_view testo) {
  std::string out(testo);
  for (char& ch : out) {
    auto b = static_cast<unsigned char>(ch);
    if ((b >= 'A' && b <= 'Z') || (b >= 0xC0 && b <= 0xD6) || (b >= 0xD8 && b <= 0xDE))
      b = static_cast<unsigned char>(b + 0x20);
    else if (b == 0x8A || b == 0x8C || b == 0x8E)
      b = static_cast<unsigned char>(b + 0x10);
    else if (b == 0x9F)
      b = 0xFF;
    ch = static_cast<char>(b);
  }
  return out;
}

}  // namespace scen
