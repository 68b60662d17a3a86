// For tests: a text read from left to right, one piece at a time, to check
// that it has a given form and to take numbers out of it.
//
//   Scansione s(riga);
//   s.testo("pendenza,  ");
//   long posizione = s.cifre();
//   s.testo(",   ");
//   s.forse("-");
//   s.cifre();
//   s.forse(",5");
//   return s.finita();
//
// A piece that is not there stops the reading: every later piece fails too,
// and `finita` tells whether all of them were found and nothing is left.
// Plain code in place of a general pattern matcher keeps these tests cheap to
// build.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scen::prova {

class Scansione {
 public:
  explicit Scansione(std::string_view testo) : resto_(testo) {}
  // The text must outlive the reading.
  explicit Scansione(std::string&&) = delete;

  // Exactly `atteso`.
  void testo(std::string_view atteso) {
    if (!guasta_ && resto_.substr(0, atteso.size()) == atteso)
      resto_.remove_prefix(atteso.size());
    else
      guasta_ = true;
  }

  // `atteso` if the text goes on with it; whether it did.
  bool forse(std::string_view atteso) {
    if (guasta_ || resto_.substr(0, atteso.size()) != atteso) return false;
    resto_.remove_prefix(atteso.size());
    return true;
  }

  // One of the characters of `ammessi`; the character, or '\0' if none is there.
  char uno_tra(std::string_view ammessi) {
    if (guasta_ || resto_.empty() || ammessi.find(resto_.front()) == std::string_view::npos) {
      guasta_ = true;
      return '\0';
    }
    const char c = resto_.front();
    resto_.remove_prefix(1);
    return c;
  }

  // As many blanks as there are; how many.
  size_t spazi() { return prendi_mentre(" ", true); }

  // From `minimo` to `massimo` decimal digits, as many as there are; their
  // value (0 if they are not there).
  long cifre(size_t minimo = 1, size_t massimo = 18) {
    size_t n = 0;
    std::uint64_t valore = 0;
    while (!guasta_ && n < massimo && n < resto_.size() && resto_[n] >= '0' && resto_[n] <= '9')
      valore = valore * 10 + static_cast<std::uint64_t>(resto_[n++] - '0');
    if (guasta_ || n < minimo) {
      guasta_ = true;
      return 0;
    }
    resto_.remove_prefix(n);
    return static_cast<long>(valore);
  }

  // As many characters as there are that are not in `esclusi`; those taken.
  std::string_view tranne(std::string_view esclusi) {
    const std::string_view prima = resto_;
    const size_t n = prendi_mentre(esclusi, false);
    return prima.substr(0, n);
  }

  // No piece has failed so far.
  bool riuscita() const { return !guasta_; }
  // No piece has failed and the whole text is read.
  bool finita() const { return !guasta_ && resto_.empty(); }

 private:
  // Takes the leading characters that are in `insieme` (`dentro`) or that
  // are not (`!dentro`); how many.
  size_t prendi_mentre(std::string_view insieme, bool dentro) {
    if (guasta_) return 0;
    size_t n = 0;
    while (n < resto_.size() && (insieme.find(resto_[n]) != std::string_view::npos) == dentro) ++n;
    resto_.remove_prefix(n);
    return n;
  }

  std::string_view resto_;
  bool guasta_ = false;
};

}  // namespace scen::prova
