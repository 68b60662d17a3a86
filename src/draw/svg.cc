#include "draw/svg.h"

#include <fmt/format.h>

#include <cmath>
#include <stdexcept>

namespace scen {

std::string num(double valore, int decimali) {
  std::string t = fmt::format("{:.{}f}", valore, decimali);
  if (t.find('.') != std::string::npos) {
    while (t.back() == '0') t.pop_back();
    if (t.back() == '.') t.pop_back();
  }
  if (t == "-0") t = "0";
  return t;
}

void scrittore_svg::rientro() { testo_.append(2 * pila_.size(), ' '); }

void scrittore_svg::inizio(std::string_view nome, attributi a) {
  rientro();
  testo_ += '<';
  testo_ += nome;
  for (const auto& [chiave, valore] : a) {
    testo_ += ' ';
    testo_ += chiave;
    testo_ += "=\"";
    testo_ += xml_testo(valore);
    testo_ += '"';
  }
}

void scrittore_svg::apri(std::string_view nome, attributi a) {
  inizio(nome, a);
  testo_ += ">\n";
  pila_.emplace_back(nome);
}

void scrittore_svg::chiudi() {
  if (pila_.empty()) throw std::logic_error("scrittore_svg: nessun elemento da chiudere");
  std::string nome = std::move(pila_.back());
  pila_.pop_back();
  rientro();
  testo_ += "</" + nome + ">\n";
}

void scrittore_svg::vuoto(std::string_view nome, attributi a) {
  inizio(nome, a);
  testo_ += "/>\n";
}

void scrittore_svg::testo(std::string_view nome, attributi a, std::string_view contenuto) {
  inizio(nome, a);
  testo_ += '>';
  testo_ += xml_testo(contenuto);
  testo_ += "</";
  testo_ += nome;
  testo_ += ">\n";
}

void scrittore_svg::grezzo(std::string_view blocco) { testo_ += blocco; }

std::string scrittore_svg::finito() {
  if (!pila_.empty())
    throw std::logic_error("scrittore_svg: elemento <" + pila_.back() + "> aperto");
  return std::move(testo_);
}

void tracciato_svg::muovi(double x, double y) { d_ += fmt::format("M{} {}", num(x), num(y)); }

void tracciato_svg::linea(double x, double y) { d_ += fmt::format("L{} {}", num(x), num(y)); }

}  // namespace scen
