#include <windows.h>

#include <climits>
#include <stdexcept>

#include "platform/testo_largo.h"

namespace scen {

int lunghezza_per_sistema(std::size_t n) {
  if (n > static_cast<std::size_t>(INT_MAX)) throw std::length_error("testo troppo lungo");
  return static_cast<int>(n);
}

std::wstring largo(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n = lunghezza_per_sistema(utf8.size());
  const int m = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(m), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), n, out.data(), m);
  return out;
}

std::string stretto(std::wstring_view utf16) {
  if (utf16.empty()) return {};
  const int n = lunghezza_per_sistema(utf16.size());
  const int m = ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), n, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(m), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), n, out.data(), m, nullptr, nullptr);
  return out;
}

}  // namespace scen
