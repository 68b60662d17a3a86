// Windows: Windows-1252 through the system's own conversion and lower case.
#include <windows.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <string_view>

#include "platform/testo_largo.h"
#include "platform/windows1252.h"

namespace scen {

namespace {

constexpr UINT pagina_1252 = 1252;

// The five bytes that the code page leaves undefined: the system carries them
// to the C1 controls of the same number and back. A text that comes as UTF-8
// holds no such control by intent, so the way in refuses them.
bool non_definito(wchar_t c) {
  return c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

std::wstring largo_da_1252(std::string_view testo) {
  // One byte, one character: a piece may end anywhere.
  std::wstring out;
  for (std::size_t da = 0; da < testo.size();) {
    const std::size_t a = da + std::min<std::size_t>(testo.size() - da, INT_MAX);
    const int n = static_cast<int>(a - da);
    const int m = ::MultiByteToWideChar(pagina_1252, 0, testo.data() + da, n, nullptr, 0);
    const std::size_t prima = out.size();
    out.resize(prima + static_cast<std::size_t>(m));
    ::MultiByteToWideChar(pagina_1252, 0, testo.data() + da, n, out.data() + prima, m);
    da = a;
  }
  return out;
}

// Nothing when a character has no byte of its own in the code page (no best
// fit: an "é" never becomes an "e").
std::optional<std::string> a_1252(std::wstring_view testo) {
  std::string out;
  for (std::size_t da = 0; da < testo.size();) {
    const std::size_t a = fine_pezzo(testo, da);
    const int n = static_cast<int>(a - da);
    BOOL sostituito = FALSE;
    const int m = ::WideCharToMultiByte(pagina_1252, WC_NO_BEST_FIT_CHARS, testo.data() + da, n,
                                        nullptr, 0, nullptr, &sostituito);
    if (m <= 0 || sostituito) return std::nullopt;
    const std::size_t prima = out.size();
    out.resize(prima + static_cast<std::size_t>(m));
    ::WideCharToMultiByte(pagina_1252, WC_NO_BEST_FIT_CHARS, testo.data() + da, n,
                          out.data() + prima, m, nullptr, nullptr);
    da = a;
  }
  return out;
}

// One character as UTF-16: one unit, or a surrogate pair.
std::wstring unita(char32_t c) {
  if (c < 0x10000) return std::wstring(1, static_cast<wchar_t>(c));
  const char32_t resto = c - 0x10000;
  return {static_cast<wchar_t>(0xD800 + (resto >> 10)),
          static_cast<wchar_t>(0xDC00 + (resto & 0x3FF))};
}

}  // namespace

std::optional<std::string> utf8_a_1252(std::string_view testo, size_t* posizione) {
  // The whole text in one call to the system; only when that fails, character
  // by character, to tell where.
  std::wstring largo;
  largo.reserve(testo.size());
  size_t caratteri = 0;
  size_t i = 0;
  while (i < testo.size()) {
    const size_t inizio = i;
    const std::optional<char32_t> c = carattere_utf8(testo, i);
    if (!c || (*c < 0x10000 && non_definito(static_cast<wchar_t>(*c)))) {
      if (posizione) *posizione = inizio;
      return std::nullopt;
    }
    largo += unita(*c);
    ++caratteri;
  }
  if (std::optional<std::string> tutto = a_1252(largo); tutto && tutto->size() == caratteri)
    return tutto;
  std::string out;
  i = 0;
  while (i < testo.size()) {
    const size_t inizio = i;
    const std::optional<std::string> byte = a_1252(unita(*carattere_utf8(testo, i)));
    if (!byte || byte->size() != 1) {
      if (posizione) *posizione = inizio;
      return std::nullopt;
    }
    out += *byte;
  }
  return out;
}

std::string da_1252_a_utf8(std::string_view testo) { return stretto(largo_da_1252(testo)); }

std::string minuscole_1252(std::string_view testo) {
  const std::wstring largo = largo_da_1252(testo);
  if (largo.empty()) return std::string(testo);
  // The invariant locale: the same letters whatever the user's language
  // (a Turkish "I" stays "i").
  std::wstring minuscolo(largo.size(), L'\0');
  for (std::size_t da = 0; da < largo.size();) {
    const std::size_t a = fine_pezzo(largo, da);
    const int n = static_cast<int>(a - da);
    if (::LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, largo.data() + da, n,
                       minuscolo.data() + da, n) != n) {
      minuscolo = largo;
      break;
    }
    da = a;
  }
  if (std::optional<std::string> tutto = a_1252(minuscolo); tutto && tutto->size() == testo.size())
    return *tutto;
  // Byte by byte: a letter whose lower case has no byte of its own in the
  // code page keeps its own.
  std::string out(testo);
  for (size_t k = 0; k < out.size() && k < minuscolo.size(); ++k) {
    std::optional<std::string> byte = a_1252(std::wstring_view(&minuscolo[k], 1));
    if (byte && byte->size() == 1) out[k] = (*byte)[0];
  }
  return out;
}

}  // namespace scen
