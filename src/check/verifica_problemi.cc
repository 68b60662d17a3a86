#include "check/verifica_problemi.h"

#include <fmt/format.h>

#include <algorithm>
#include <functional>
#include <nlohmann/json.hpp>
#include <tuple>

#include "platform/visibile.h"

namespace scen {

std::string nome_di_parte(file_verificato f) {
  return std::string(f == file_verificato::treno ? file_treno : file_linea);
}

file_verificato parte_di(std::string_view file) {
  return file == file_treno ? file_verificato::treno : file_verificato::linea;
}

void elenco_problemi::errore(file_verificato file, long riga, long colonna, std::string causa) {
  aggiungi({gravita::errore, nome_di_parte(file), riga, colonna, std::move(causa), {}});
}

void elenco_problemi::avviso(file_verificato file, long riga, long colonna, std::string causa) {
  aggiungi({gravita::avviso, nome_di_parte(file), riga, colonna, std::move(causa), {}});
}

namespace {

void mescola(std::size_t& h, std::size_t v) {
  h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
}

// A digest of what equality compares: the problem's grade, place and cause,
// and its notes'.
std::size_t impronta(const diagnostica& d) {
  std::size_t h = std::hash<std::string>{}(d.causa);
  mescola(h, static_cast<std::size_t>(d.livello));
  mescola(h, std::hash<std::string>{}(d.file));
  mescola(h, static_cast<std::size_t>(d.riga));
  mescola(h, static_cast<std::size_t>(d.colonna));
  for (const diagnostica& n : d.note) mescola(h, impronta(n));
  return h;
}

}  // namespace

void elenco_problemi::aggiungi(problema p) {
  std::vector<std::size_t>& stessi = per_impronta_[impronta(p)];
  for (std::size_t i : stessi)
    if (problemi_[i] == p) return;
  stessi.push_back(problemi_.size());
  luoghi_.emplace(parte_di(p.file), p.riga, p.colonna);
  ++(p.livello == gravita::errore ? errori_ : avvisi_);
  problemi_.push_back(std::move(p));
}

bool elenco_problemi::problema_in(file_verificato file, long riga, long colonna) const {
  return luoghi_.contains({file, riga, colonna});
}

std::vector<problema> elenco_problemi::ordinati() const {
  std::vector<problema> r = problemi_;
  auto chiave = [](const problema& p) {
    return std::tuple(parte_di(p.file), p.riga, p.colonna, p.livello != gravita::errore);
  };
  std::stable_sort(r.begin(), r.end(),
                   [&](const problema& a, const problema& b) { return chiave(a) < chiave(b); });
  return r;
}

namespace {

std::string_view gravita_di(const problema& p) {
  return p.livello == gravita::errore ? "errore" : "avviso";
}

const std::string& nome_di(std::string_view file, const nomi_verificati& nomi) {
  return nomi[static_cast<size_t>(parte_di(file))];
}

std::string riga_con_luogo(const std::string& file, long riga, long colonna,
                           std::string_view gravita, std::string_view testo, bool per_terminale) {
  // The file's name and the text may hold what came from a file.
  const std::string f = per_terminale ? visibile(file) : file;
  const std::string t = per_terminale ? visibile(testo) : std::string(testo);
  if (riga == 0) return fmt::format("{}: {}: {}", f, gravita, t);
  if (colonna == 0) return fmt::format("{}:{}: {}: {}", f, riga, gravita, t);
  return fmt::format("{}:{}:{}: {}: {}", f, riga, colonna, gravita, t);
}

}  // namespace

std::vector<std::string> righe_problema(const problema& p, const nomi_verificati& nomi,
                                        bool per_terminale) {
  std::vector<std::string> righe = {riga_con_luogo(nome_di(p.file, nomi), p.riga, p.colonna,
                                                   gravita_di(p), p.causa, per_terminale)};
  for (const diagnostica& n : p.note)
    righe.push_back(
        riga_con_luogo(nome_di(n.file, nomi), n.riga, n.colonna, "nota", n.causa, per_terminale));
  return righe;
}

std::string riepilogo(long errori, long avvisi) {
  return fmt::format("{} {}, {} {}", errori, errori == 1 ? "errore" : "errori", avvisi,
                     avvisi == 1 ? "avviso" : "avvisi");
}

std::string json_problemi(const std::vector<problema>& problemi, const nomi_verificati& nomi,
                          long errori, long avvisi, std::string_view interruzione, long seguono) {
  nlohmann::ordered_json elenco = nlohmann::ordered_json::array();
  for (const problema& p : problemi) {
    nlohmann::ordered_json voce = {{"file", nome_di(p.file, nomi)},
                                   {"riga", p.riga},
                                   {"colonna", p.colonna},
                                   {"gravita", gravita_di(p)},
                                   {"causa", p.causa}};
    if (!p.note.empty()) {
      nlohmann::ordered_json note = nlohmann::ordered_json::array();
      for (const diagnostica& n : p.note)
        note.push_back({{"file", nome_di(n.file, nomi)},
                        {"riga", n.riga},
                        {"colonna", n.colonna},
                        {"testo", n.causa}});
      voce["note"] = std::move(note);
    }
    elenco.push_back(std::move(voce));
  }
  nlohmann::ordered_json documento = {
      {"problemi", std::move(elenco)}, {"errori", errori}, {"avvisi", avvisi}};
  if (seguono > 0) documento["seguono"] = seguono;
  documento["interrotta"] = !interruzione.empty();
  if (!interruzione.empty()) documento["motivo_interruzione"] = interruzione;
  // A file name given on the command line need not be UTF-8: its bytes that
  // are not become U+FFFD rather than failing the whole document.
  return documento.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace scen
