// Windows: the program's text (UTF-8) and the system's wide text (UTF-16),
// through the system's own conversion. Only the Windows side of this layer
// includes it.
#pragma once

#include <string>
#include <string_view>

namespace scen {

// A byte sequence that is not UTF-8 becomes U+FFFD.
std::wstring largo(std::string_view utf8);
std::string stretto(std::wstring_view utf16);

// A length the system's text functions take; a longer text is refused with
// std::length_error.
int lunghezza_per_sistema(std::size_t n);

}  // namespace scen
