// Little-endian encoding of the compiled files, by explicit shifts, so the
// bytes are the same on every host.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace scen {

inline void metti_byte(std::string& out, std::uint8_t v) { out += static_cast<char>(v); }

inline void metti_integer(std::string& out, std::int16_t v) {
  auto u = static_cast<std::uint16_t>(v);
  out += static_cast<char>(u & 0xFF);
  out += static_cast<char>(u >> 8);
}

inline void metti_long(std::string& out, std::int32_t v) {
  auto u = static_cast<std::uint32_t>(v);
  for (int i = 0; i < 4; ++i) out += static_cast<char>((u >> (8 * i)) & 0xFF);
}

inline void metti_double(std::string& out, double v) {
  std::uint64_t u;
  std::memcpy(&u, &v, sizeof u);
  for (int i = 0; i < 8; ++i) out += static_cast<char>((u >> (8 * i)) & 0xFF);
}

// A String: its length in two bytes, then its Windows-1252 bytes. The caller
// makes sure the length fits in two bytes.
inline void metti_stringa(std::string& out, std::string_view testo) {
  metti_integer(out, static_cast<std::int16_t>(static_cast<std::uint16_t>(testo.size())));
  out += testo;
}

}  // namespace scen
