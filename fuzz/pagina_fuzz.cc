// Fuzz target: arbitrary bytes as the texts that a page shows from its
// files (stations' names, a signpost's text, a message that names the
// rolling stock, and any text of the state that `guarda` serves), through
// the escaping of each place they land in. Every run must end with no
// sanitizer report and:
//   - as XML text and attribute, UTF-8 that XML 1.0 can hold, no "<", ">"
//     or '"', read back by an XML reader as one text that escapes again to
//     the same bytes;
//   - as JSON in a page, none of "<", ">", "&", U+2028, U+2029, and the
//     same value read back as the plain JSON of the text;
//   - the picture well formed XML, and its page with two script elements
//     (the data and the script), no comment, and only text XML can hold.
// The bytes are cut at each "|" into the texts, in turn the first station's
// name, the last's, a signpost's text and the rolling stock's name.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "content/chiavi_portate.h"
#include "draw/disegno.h"
#include "draw/pagina.h"
#include "draw/scena.h"
#include "draw/testo_sicuro.h"
#include "model/esiti.h"
#include "read/memorizza_dati.h"
#include "testing/descrizioni_prova.h"
#include "testing/testi_ostili.h"
#include "testing/xml_minimo.h"

namespace {

using namespace scen;

[[noreturn]] void guasto(const char* cosa, std::string_view dove) {
  std::fprintf(stderr, "%s: %.*s\n", cosa,
               static_cast<int>(std::min<std::size_t>(dove.size(), 400)), dove.data());
  std::abort();
}

// The small scenario's picture content, read once.
const scena& scena_base() {
  static const scena s = [] {
    auto m = std::make_unique<modello>();
    m->chiave_percorso = chiave_percorso_portata;
    m->chiave_treno = chiave_treno_portata;
    m->con_tracciato = 1;
    leggi_descrizioni(*m, prova::linea_prova, prova::treno_prova, {"linea.txt", "treno.txt"});
    scena letta;
    if (m->errore_codice != esito::nessuno || !scena_da_modello(*m, letta).riuscito())
      guasto("lo scenario di prova non si legge", "");
    return letta;
  }();
  return s;
}

void come_xml(const std::string& t) {
  const std::string x = xml_testo(t);
  if (!prova::testo_xml_valido(x)) guasto("testo XML con caratteri che XML non tiene", x);
  if (x.find_first_of("<>\"") != std::string::npos) guasto("testo XML con < > o \"", x);
  try {
    const auto radice = prova::leggi_xml("<a b=\"" + x + "\">" + x + "</a>");
    if (!radice->figli.empty()) guasto("testo XML con elementi", x);
    if (xml_testo(radice->testo) != x) guasto("testo XML che non si rilegge uguale", x);
  } catch (const prova::xml_non_valido& e) {
    guasto(e.what(), x);
  }
}

void come_json(const std::string& t) {
  const nlohmann::json valore = {t, {{t, t}}};
  const std::string j = json_in_pagina(valore);
  for (std::string_view vietato : {"<", ">", "&", "\xE2\x80\xA8", "\xE2\x80\xA9"})
    if (j.find(vietato) != std::string::npos)
      guasto("JSON con un carattere vietato in uno script", j);
  const auto semplice =
      nlohmann::json::parse(valore.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
  if (nlohmann::json::parse(j) != semplice) guasto("JSON che non si rilegge uguale", j);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* dati, std::size_t n) {
  const std::string_view ingresso(reinterpret_cast<const char*>(dati), n);
  std::vector<std::string> testi;
  for (std::size_t da = 0;;) {
    const std::size_t fine = ingresso.find('|', da);
    testi.emplace_back(ingresso.substr(da, fine == std::string_view::npos ? fine : fine - da));
    if (fine == std::string_view::npos) break;
    da = fine + 1;
  }
  for (const std::string& t : testi) {
    come_xml(t);
    come_json(t);
  }

  scena s = scena_base();
  auto testo = [&](std::size_t i) { return i < testi.size() ? testi[i] : std::string(); };
  s.stazioni.front().nome = testo(0);
  s.stazioni.back().nome = testo(1);
  s.cartelli.push_back({2000, testo(2)});
  s.marcia.presente = false;
  s.marcia.perche_no = "il treno «" + testo(3) + "» non ce la fa";
  const disegno d = disegna_scena(s);
  try {
    (void)prova::leggi_xml(d.svg);
  } catch (const prova::xml_non_valido& e) {
    guasto(e.what(), d.svg);
  }
  const std::string h = pagina_html(s, d);
  if (prova::conta_in_pagina(h, "<script") != 2 || prova::conta_in_pagina(h, "</script") != 2 ||
      prova::conta_in_pagina(h, "<!--") != 0)
    guasto("pagina con elementi che non sono suoi", ingresso);
  if (!prova::testo_xml_valido(h)) guasto("pagina con caratteri che XML non tiene", ingresso);
  return 0;
}
