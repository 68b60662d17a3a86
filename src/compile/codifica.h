// Little-endian encoding of the compiled files, by explicit shifts, so the
// bytes are the same on every host.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace scen {

// Writes into a buffer sized beforehand for the most the caller will put in
// it; `fine` trims it to what was written.
class scrittore_byte {
 public:
  scrittore_byte(std::string& out, size_t massimo) : out_(out) {
    out_.resize(massimo);
    p_ = reinterpret_cast<unsigned char*>(out_.data());
  }

  void byte(std::uint8_t v) { *p_++ = v; }

  void integer(std::int16_t v) {
    auto u = static_cast<std::uint16_t>(v);
    p_[0] = static_cast<unsigned char>(u);
    p_[1] = static_cast<unsigned char>(u >> 8);
    p_ += 2;
  }

  void long_(std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) p_[i] = static_cast<unsigned char>(u >> (8 * i));
    p_ += 4;
  }

  void double_(double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    for (int i = 0; i < 8; ++i) p_[i] = static_cast<unsigned char>(u >> (8 * i));
    p_ += 8;
  }

  // A String: its length in two bytes, then its Windows-1252 bytes. The
  // caller makes sure the length fits in two bytes.
  void stringa(std::string_view testo) {
    integer(static_cast<std::int16_t>(static_cast<std::uint16_t>(testo.size())));
    std::memcpy(p_, testo.data(), testo.size());
    p_ += testo.size();
  }

  void fine() {
    out_.resize(static_cast<size_t>(p_ - reinterpret_cast<unsigned char*>(out_.data())));
  }

 private:
  std::string& out_;
  unsigned char* p_;
};

}  // namespace scen
