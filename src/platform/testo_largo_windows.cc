#include <windows.h>

#include <climits>

#include "platform/testo_largo.h"

namespace scen {

std::wstring largo(std::string_view utf8) {
  std::wstring out;
  for (std::size_t da = 0; da < utf8.size();) {
    const std::size_t a = fine_pezzo(utf8, da);
    const int n = static_cast<int>(a - da);
    const int m = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data() + da, n, nullptr, 0);
    const std::size_t prima = out.size();
    out.resize(prima + static_cast<std::size_t>(m));
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data() + da, n, out.data() + prima, m);
    da = a;
  }
  return out;
}

std::string stretto(std::wstring_view utf16) {
  std::string out;
  for (std::size_t da = 0; da < utf16.size();) {
    // A unit becomes at most three bytes, and the bytes too are counted in
    // an int.
    const std::size_t a = fine_pezzo(utf16, da, INT_MAX / 3);
    const int n = static_cast<int>(a - da);
    const int m =
        ::WideCharToMultiByte(CP_UTF8, 0, utf16.data() + da, n, nullptr, 0, nullptr, nullptr);
    const std::size_t prima = out.size();
    out.resize(prima + static_cast<std::size_t>(m));
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data() + da, n, out.data() + prima, m, nullptr,
                          nullptr);
    da = a;
  }
  return out;
}

}  // namespace scen
