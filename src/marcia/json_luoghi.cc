#include "marcia/json_luoghi.h"

#include <fmt/format.h>

#include <cctype>
#include <optional>
#include <utility>
#include <vector>

#include "platform/visibile.h"

namespace scen {

namespace {

using json = nlohmann::json;

// The tokens of the text in order, as the reader meets them: each value,
// key, bracket and brace; commas and colons only separate them. The reader
// has read each one before it hands it over, so it is well formed up to the
// token asked for.
class scorritore {
 public:
  explicit scorritore(std::string_view testo) : t_(testo) {
    // The byte order mark, which the reader passes over: the columns count
    // from after it, as an editor shows them.
    if (t_.starts_with("\xef\xbb\xbf")) inizio_ = i_ = contato_ = 3;
  }

  // The first byte of the next token; past it afterwards.
  std::size_t prossimo() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\n' || t_[i_] == '\r' ||
                              t_[i_] == ',' || t_[i_] == ':'))
      ++i_;
    const std::size_t inizio = i_;
    if (i_ >= t_.size()) return inizio;
    const char c = t_[i_];
    if (c == '{' || c == '}' || c == '[' || c == ']') {
      ++i_;
    } else if (c == '"') {
      for (++i_; i_ < t_.size() && t_[i_] != '"'; ++i_)
        if (t_[i_] == '\\') ++i_;
      ++i_;
    } else {
      while (i_ < t_.size() && (std::isalnum(static_cast<unsigned char>(t_[i_])) || t_[i_] == '+' ||
                                t_[i_] == '-' || t_[i_] == '.'))
        ++i_;
    }
    return inizio;
  }

  // The place of byte `byte`: counted on from the last place asked for,
  // so that the whole text is counted once.
  luogo_json luogo(std::size_t byte) {
    if (byte < contato_) {
      contato_ = inizio_;
      l_ = {};
    }
    for (; contato_ < byte && contato_ < t_.size(); ++contato_) {
      if (t_[contato_] == '\n') {
        ++l_.riga;
        l_.colonna = 1;
      } else {
        ++l_.colonna;
      }
    }
    return l_;
  }

 private:
  std::string_view t_;
  std::size_t inizio_ = 0;  // the first byte after the mark
  std::size_t i_ = 0;
  std::size_t contato_ = 0;
  luogo_json l_;
};

// Builds the document from the reader's events, with the place of each
// value, and stops at the first key given twice or number out of range.
class costruttore final : public nlohmann::json_sax<json> {
 public:
  costruttore(std::string_view testo, std::string_view file, json_con_luoghi& esito)
      : s_(testo), file_(file), esito_(esito) {}

  const std::optional<std::string>& errore() const { return errore_; }

  bool null() override { return poni(nullptr); }
  bool boolean(bool b) override { return poni(b); }
  bool number_integer(number_integer_t n) override { return poni(n); }
  bool number_unsigned(number_unsigned_t n) override { return poni(n); }
  bool number_float(number_float_t n, const string_t&) override { return poni(n); }
  bool string(string_t& s) override { return poni(std::move(s)); }
  bool binary(binary_t& b) override { return poni(json::binary(std::move(b))); }

  bool start_object(std::size_t) override { return apri(json::object(), false); }
  bool start_array(std::size_t) override { return apri(json::array(), true); }
  bool end_object() override { return chiudi(); }
  bool end_array() override { return chiudi(); }

  bool key(string_t& chiave) override {
    const luogo_json qui = s_.luogo(s_.prossimo());
    aperto& a = aperti_.back();
    const auto [prima, nuova] = a.chiavi.emplace(chiave, qui);
    if (!nuova) {
      errore_ = messaggio_in(
          file_, qui,
          fmt::format("la chiave «{}» compare due volte nello stesso oggetto (la prima alla "
                      "riga {}, colonna {}): ogni campo si scrive una volta",
                      visibile(chiave), prima->second.riga, prima->second.colonna));
      return false;
    }
    a.chiave = std::move(chiave);
    return true;
  }

  bool parse_error(std::size_t byte, const std::string& token,
                   const nlohmann::detail::exception& e) override {
    // A number beyond every double (1e400): the token not yet handed over.
    if (dynamic_cast<const json::out_of_range*>(&e)) {
      errore_ = messaggio_in(
          file_, s_.luogo(s_.prossimo()),
          fmt::format("il numero {} è oltre ogni numero finito che si legge", visibile(token)));
      return false;
    }
    errore_ = messaggio_in(file_, s_.luogo(byte > 0 ? byte - 1 : 0), "non è un JSON che si legge");
    return false;
  }

 private:
  // An object or a list being read: where it is in the document, and what
  // goes into it next.
  struct aperto {
    json* valore = nullptr;
    std::string puntatore;
    bool lista = false;
    std::size_t indice = 0;
    std::string chiave;
    std::map<std::string, luogo_json> chiavi;  // those read so far, where each stands
  };

  // Puts a value where the document is at: the whole document, the next
  // element of a list, the field of the key just read.
  json* metti(json v, std::string& puntatore) {
    const luogo_json qui = s_.luogo(s_.prossimo());
    json* dove = nullptr;
    if (aperti_.empty()) {
      esito_.valore = std::move(v);
      puntatore.clear();
      dove = &esito_.valore;
    } else if (aperto& a = aperti_.back(); a.lista) {
      puntatore = puntatore_dentro(a.puntatore, std::to_string(a.indice++));
      a.valore->push_back(std::move(v));
      dove = &a.valore->back();
    } else {
      puntatore = puntatore_dentro(a.puntatore, a.chiave);
      dove = &((*a.valore)[a.chiave] = std::move(v));
    }
    esito_.luoghi[puntatore] = qui;
    return dove;
  }

  bool poni(json v) {
    std::string puntatore;
    metti(std::move(v), puntatore);
    return true;
  }

  bool apri(json v, bool lista) {
    if (aperti_.size() >= livelli_massimi_json) {
      errore_ = messaggio_in(file_, s_.luogo(s_.prossimo()),
                             fmt::format("oggetti e liste annidati oltre {} livelli: il file non "
                                         "ha questa forma",
                                         livelli_massimi_json));
      return false;
    }
    aperto a;
    a.lista = lista;
    a.valore = metti(std::move(v), a.puntatore);
    aperti_.push_back(std::move(a));
    return true;
  }

  bool chiudi() {
    s_.prossimo();
    aperti_.pop_back();
    return true;
  }

  scorritore s_;
  std::string_view file_;
  json_con_luoghi& esito_;
  std::vector<aperto> aperti_;
  std::optional<std::string> errore_;
};

}  // namespace

luogo_json json_con_luoghi::luogo(std::string puntatore) const {
  for (;;) {
    if (auto it = luoghi.find(puntatore); it != luoghi.end()) return it->second;
    if (puntatore.empty()) return {};
    puntatore.erase(puntatore.rfind('/'));
  }
}

std::string puntatore_dentro(const std::string& puntatore, std::string_view chiave) {
  std::string r = puntatore + "/";
  for (char c : chiave) {
    if (c == '~')
      r += "~0";
    else if (c == '/')
      r += "~1";
    else
      r += c;
  }
  return r;
}

std::string messaggio_in(std::string_view nome_file, luogo_json l, std::string_view causa) {
  return fmt::format("{}:{}:{}: {}", visibile(nome_file), l.riga, l.colonna, causa);
}

Stato leggi_json_con_luoghi(std::string_view testo, std::string_view nome_file,
                            json_con_luoghi& esito) {
  esito = {};
  costruttore c(testo, nome_file, esito);
  const bool letto = json::sax_parse(testo.begin(), testo.end(), &c);
  if (c.errore()) return Stato::errore(*c.errore());
  if (!letto) return Stato::errore(messaggio_in(nome_file, {}, "non è un JSON che si legge"));
  return Stato::ok();
}

}  // namespace scen
