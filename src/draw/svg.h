// A writer of SVG text: elements, attributes and texts escaped as XML wants
// them, and numbers written short and the same on every host.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "draw/testo_sicuro.h"

namespace scen {

// A number for an attribute: at most `decimali` decimals, without trailing
// zeros or a lone point, "-0" written "0".
std::string num(double valore, int decimali = 1);

using attributi = std::initializer_list<std::pair<std::string_view, std::string>>;

class scrittore_svg {
 public:
  // Opens an element that holds others; `chiudi` closes the last one open.
  void apri(std::string_view nome, attributi a = {});
  void chiudi();
  // An element without content.
  void vuoto(std::string_view nome, attributi a = {});
  // An element holding only text (escaped here).
  void testo(std::string_view nome, attributi a, std::string_view contenuto);
  // Bytes written as they are: a block already well formed.
  void grezzo(std::string_view blocco);
  // The text written so far, once every element is closed.
  std::string finito();
  int aperti() const { return static_cast<int>(pila_.size()); }
  // The text written so far, as it stands (elements may still be open).
  const std::string& scritto() const { return testo_; }

 private:
  void inizio(std::string_view nome, attributi a);
  void rientro();
  std::string testo_;
  std::vector<std::string> pila_;
};

// A path through `punti`, "M x y L x y ..." in pixels.
class tracciato_svg {
 public:
  void muovi(double x, double y);
  void linea(double x, double y);
  void chiudi() { d_ += "Z"; }
  const std::string& d() const { return d_; }
  bool vuoto() const { return d_.empty(); }

 private:
  std::string d_;
};

}  // namespace scen
