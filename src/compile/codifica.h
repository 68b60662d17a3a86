// Little-endian encoding of the compiled files, by explicit shifts, so the
// bytes are the same on every host.
#pragma once

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "model/tipi.h"

namespace scen {

// A write beyond the bytes a writer was given: the table cannot be encoded
// as sized, and nothing past its end was touched.
class codifica_traboccata : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes into a buffer sized beforehand for the most the caller will put in
// it; `fine` trims it to what was written. A write that does not fit throws
// `codifica_traboccata` before it touches the buffer.
class scrittore_byte {
 public:
  scrittore_byte(std::string& out, size_t massimo) : out_(out) { out_.resize(massimo); }

  void byte(std::uint8_t v) { *posto(1) = v; }

  void integer(std::int16_t v) {
    auto u = static_cast<std::uint16_t>(v);
    unsigned char* p = posto(2);
    p[0] = static_cast<unsigned char>(u);
    p[1] = static_cast<unsigned char>(u >> 8);
  }

  void long_(std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    unsigned char* p = posto(4);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(u >> (8 * i));
  }

  void double_(double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, sizeof u);
    unsigned char* p = posto(8);
    for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(u >> (8 * i));
  }

  // A String: its length in two bytes, then its Windows-1252 bytes. The
  // caller makes sure the length fits in two bytes.
  void stringa(std::string_view testo) {
    unsigned char* p = posto(2 + testo.size());
    const auto n = static_cast<std::uint16_t>(testo.size());
    p[0] = static_cast<unsigned char>(n);
    p[1] = static_cast<unsigned char>(n >> 8);
    if (!testo.empty()) std::memcpy(p + 2, testo.data(), testo.size());
  }

  // One field of a compiled record, by its type.
  void campo(Byte v) { byte(v); }
  void campo(Integer v) { integer(v); }
  void campo(Long v) { long_(v); }
  void campo(const std::string& v) { stringa(v); }

  void fine() { out_.resize(scritti_); }

 private:
  // The next `n` bytes of the buffer, now counted as written.
  unsigned char* posto(size_t n) {
    if (n > out_.size() - scritti_)
      throw codifica_traboccata("la codifica supera i " + std::to_string(out_.size()) +
                                " byte previsti: " + std::to_string(scritti_) + " già scritti e " +
                                std::to_string(n) + " da scrivere");
    unsigned char* p = reinterpret_cast<unsigned char*>(out_.data()) + scritti_;
    scritti_ += n;
    return p;
  }

  std::string& out_;
  size_t scritti_ = 0;
};

}  // namespace scen
