#include "read/diagnosi.h"

#include <fmt/format.h>

#include <algorithm>

#include "platform/visibile.h"

namespace scen {

namespace {

std::string_view parola(gravita g) {
  switch (g) {
    case gravita::errore:
      return "errore";
    case gravita::avviso:
      return "avviso";
    case gravita::nota:
      break;
  }
  return "nota";
}

std::string riga_con_luogo(std::string_view file, long riga, long colonna, gravita g,
                           std::string_view testo) {
  // The file's name and the text may hold what came from a file: shown
  // with their control characters written out.
  const std::string f = visibile(file);
  const std::string t = visibile(testo);
  if (riga == 0) return fmt::format("{}: {}: {}", f, parola(g), t);
  if (colonna == 0) return fmt::format("{}:{}: {}: {}", f, riga, parola(g), t);
  return fmt::format("{}:{}:{}: {}: {}", f, riga, colonna, parola(g), t);
}

}  // namespace

void segna_errore(diagnosi_lettura& d, const std::string& file, punto_file punto,
                  std::string causa) {
  d.file = file;
  d.riga = punto.riga;
  d.colonna = punto.colonna;
  d.causa = std::move(causa);
  std::erase_if(d.note, [](const diagnostica& n) { return n.livello != gravita::avviso; });
}

void aggiungi_nota(diagnosi_lettura& d, gravita livello, const std::string& file, punto_file punto,
                   std::string testo) {
  d.note.push_back({livello, file, punto.riga, punto.colonna, std::move(testo), {}});
}

void rinomina_file(diagnosi_lettura& d, std::string_view da, const std::string& a) {
  if (d.file == da) d.file = a;
  for (diagnostica& n : d.note)
    if (n.file == da) n.file = a;
}

std::vector<std::string> righe_diagnosi(const diagnosi_lettura& d) {
  std::vector<std::string> righe;
  if (!d.file.empty())
    righe.push_back(riga_con_luogo(d.file, d.riga, d.colonna, gravita::errore, d.causa));
  for (const diagnostica& n : d.note)
    righe.push_back(riga_con_luogo(n.file, n.riga, n.colonna, n.livello, n.causa));
  return righe;
}

}  // namespace scen
