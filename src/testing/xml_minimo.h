// For tests: a small XML reader that refuses what is not well formed (tags
// that do not match, attributes unquoted or given twice, a stray "<" or "&",
// text after the root) and gives back the tree, to count the elements a
// picture holds. No DTD, no namespaces beyond keeping prefixed names as
// they are.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace scen::prova {

struct nodo_xml {
  std::string nome;
  std::map<std::string, std::string> attributi;
  std::string testo;  // the text directly inside, entities resolved
  std::vector<std::unique_ptr<nodo_xml>> figli;

  std::string attributo(const std::string& chiave) const {
    auto i = attributi.find(chiave);
    return i == attributi.end() ? std::string() : i->second;
  }
  // Every element below this one (itself included), in document order.
  void visita(const std::function<void(const nodo_xml&)>& f) const {
    f(*this);
    for (const auto& figlio : figli) figlio->visita(f);
  }
  // The first element below this one with this id; null when none.
  const nodo_xml* con_id(const std::string& id) const {
    if (attributo("id") == id) return this;
    for (const auto& figlio : figli)
      if (const nodo_xml* n = figlio->con_id(id)) return n;
    return nullptr;
  }
  // How many elements below this one (itself included) `vale` holds for.
  std::size_t conta(const std::function<bool(const nodo_xml&)>& vale) const {
    std::size_t n = 0;
    visita([&](const nodo_xml& x) { n += vale(x) ? 1 : 0; });
    return n;
  }
};

// Thrown for a document that is not well formed, with the byte offset.
struct xml_non_valido : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class lettore_xml {
 public:
  explicit lettore_xml(std::string_view testo) : t_(testo) {}

  std::unique_ptr<nodo_xml> documento() {
    salta_prologo();
    if (!ecco('<')) errore("manca l'elemento radice");
    auto radice = elemento();
    salta_varie();
    if (p_ != t_.size()) errore("testo dopo l'elemento radice");
    return radice;
  }

 private:
  [[noreturn]] void errore(const std::string& perche) const {
    throw xml_non_valido("byte " + std::to_string(p_) + ": " + perche);
  }
  bool ecco(char c) const { return p_ < t_.size() && t_[p_] == c; }
  bool inizia(std::string_view s) const { return t_.substr(p_, s.size()) == s; }
  void spazi() {
    while (p_ < t_.size() && (t_[p_] == ' ' || t_[p_] == '\n' || t_[p_] == '\r' || t_[p_] == '\t'))
      ++p_;
  }
  void fino_a(std::string_view fine) {
    const std::size_t i = t_.find(fine, p_);
    if (i == std::string_view::npos) errore("manca \"" + std::string(fine) + "\"");
    p_ = i + fine.size();
  }
  // Comments and processing instructions, and blanks, between elements.
  void salta_varie() {
    for (;;) {
      spazi();
      if (inizia("<!--"))
        fino_a("-->");
      else if (inizia("<?"))
        fino_a("?>");
      else
        return;
    }
  }
  void salta_prologo() {
    salta_varie();
    if (inizia("<!DOCTYPE")) fino_a(">");
    salta_varie();
  }
  static bool carattere_nome(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == ':' || c == '.' || static_cast<unsigned char>(c) >= 0x80;
  }
  std::string nome() {
    const std::size_t inizio = p_;
    if (p_ < t_.size() && (t_[p_] == '-' || t_[p_] == '.' || (t_[p_] >= '0' && t_[p_] <= '9')))
      errore("un nome non può iniziare così");
    while (p_ < t_.size() && carattere_nome(t_[p_])) ++p_;
    if (p_ == inizio) errore("manca un nome");
    return std::string(t_.substr(inizio, p_ - inizio));
  }
  // Text up to `fine`, with its entities resolved; "<" may not appear in it.
  std::string testo_fino_a(char fine) {
    std::string r;
    while (p_ < t_.size() && t_[p_] != fine) {
      const char c = t_[p_];
      if (c == '<') errore("\"<\" nel testo di un attributo");
      if (c == '&') {
        r += entita();
        continue;
      }
      r += c;
      ++p_;
    }
    return r;
  }
  std::string entita() {
    const std::size_t fine = t_.find(';', p_);
    if (fine == std::string_view::npos || fine - p_ > 10) errore("\"&\" senza un'entità");
    const std::string_view e = t_.substr(p_ + 1, fine - p_ - 1);
    p_ = fine + 1;
    if (e == "amp") return "&";
    if (e == "lt") return "<";
    if (e == "gt") return ">";
    if (e == "quot") return "\"";
    if (e == "apos") return "'";
    if (e.size() > 1 && e[0] == '#') {
      unsigned long codice = 0;
      try {
        codice = e[1] == 'x' ? std::stoul(std::string(e.substr(2)), nullptr, 16)
                             : std::stoul(std::string(e.substr(1)), nullptr, 10);
      } catch (const std::exception&) {
        errore("riferimento a un carattere non valido");
      }
      return utf8(codice);
    }
    errore("entità sconosciuta &" + std::string(e) + ";");
  }
  static std::string utf8(unsigned long c) {
    std::string r;
    if (c < 0x80) {
      r += static_cast<char>(c);
    } else if (c < 0x800) {
      r += static_cast<char>(0xC0 | (c >> 6));
      r += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      r += static_cast<char>(0xE0 | (c >> 12));
      r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      r += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      r += static_cast<char>(0xF0 | (c >> 18));
      r += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      r += static_cast<char>(0x80 | (c & 0x3F));
    }
    return r;
  }

  std::unique_ptr<nodo_xml> elemento() {
    ++p_;  // '<'
    auto n = std::make_unique<nodo_xml>();
    n->nome = nome();
    for (;;) {
      const std::size_t prima = p_;
      spazi();
      if (inizia("/>")) {
        p_ += 2;
        return n;
      }
      if (ecco('>')) {
        ++p_;
        break;
      }
      if (p_ == prima) errore("manca uno spazio prima di un attributo di <" + n->nome + ">");
      const std::string chiave = nome();
      spazi();
      if (!ecco('=')) errore("attributo " + chiave + " senza \"=\"");
      ++p_;
      spazi();
      if (!ecco('"') && !ecco('\'')) errore("attributo " + chiave + " senza virgolette");
      const char virgoletta = t_[p_++];
      std::string valore = testo_fino_a(virgoletta);
      if (!ecco(virgoletta)) errore("attributo " + chiave + " non chiuso");
      ++p_;
      if (!n->attributi.emplace(chiave, std::move(valore)).second)
        errore("attributo " + chiave + " dato due volte in <" + n->nome + ">");
    }
    // The content, up to the closing tag.
    for (;;) {
      if (p_ >= t_.size()) errore("<" + n->nome + "> non è chiuso");
      if (inizia("</")) {
        p_ += 2;
        const std::string chiuso = nome();
        if (chiuso != n->nome) errore("</" + chiuso + "> chiude <" + n->nome + ">");
        spazi();
        if (!ecco('>')) errore("tag di chiusura senza \">\"");
        ++p_;
        return n;
      }
      if (inizia("<!--")) {
        fino_a("-->");
      } else if (inizia("<![CDATA[")) {
        const std::size_t inizio = p_ + 9;
        fino_a("]]>");
        n->testo += std::string(t_.substr(inizio, p_ - 3 - inizio));
      } else if (inizia("<?")) {
        fino_a("?>");
      } else if (ecco('<')) {
        n->figli.push_back(elemento());
      } else if (ecco('&')) {
        n->testo += entita();
      } else {
        n->testo += t_[p_++];
      }
    }
  }

  std::string_view t_;
  std::size_t p_ = 0;
};

inline std::unique_ptr<nodo_xml> leggi_xml(std::string_view testo) {
  return lettore_xml(testo).documento();
}

}  // namespace scen::prova
