// Windows: the program's text (UTF-8) and the system's wide text (UTF-16),
// through the system's own conversion. Only the Windows side of this layer
// includes it, and the test of its pieces.
#pragma once

#include <climits>
#include <cstddef>
#include <string>
#include <string_view>

namespace scen {

// A byte sequence that is not UTF-8 becomes U+FFFD.
std::wstring largo(std::string_view utf8);
std::string stretto(std::wstring_view utf16);

// The system's text functions take a length that an int holds: a longer
// text goes to them in pieces. The end of the piece of `testo` that starts
// at `inizio` (before its end): at most `massimo` units on, and never between
// the units of one character, the bytes of a UTF-8 character or the two
// halves of a UTF-16 surrogate pair.
inline std::size_t fine_pezzo(std::string_view testo, std::size_t inizio,
                              std::size_t massimo = INT_MAX) {
  if (testo.size() - inizio <= massimo) return testo.size();
  std::size_t fine = inizio + massimo;
  // A byte 10xxxxxx goes on with the character before it; a character has
  // at most three of them.
  for (int i = 0;
       i < 3 && fine > inizio + 1 && (static_cast<unsigned char>(testo[fine]) & 0xC0) == 0x80; ++i)
    --fine;
  return fine;
}

inline std::size_t fine_pezzo(std::wstring_view testo, std::size_t inizio,
                              std::size_t massimo = INT_MAX) {
  if (testo.size() - inizio <= massimo) return testo.size();
  std::size_t fine = inizio + massimo;
  // A low surrogate is the second half of the pair before it.
  if (fine > inizio + 1 && testo[fine] >= 0xDC00 && testo[fine] <= 0xDFFF) --fine;
  return fine;
}

}  // namespace scen
