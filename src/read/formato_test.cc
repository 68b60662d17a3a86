// The authors' reference (doc/descrizioni.md) held against the format table:
// every record kind has its keyword there and every section header its
// line, the example of each kind's section
// has the kind's fields, and each kind's table of fields numbers exactly its
// fields; the general values' tables give each keyword its count of values;
// the ranges it states are the readers' own.
// The table in code holds; the reference follows it.
#include "read/formato.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "model/modello.h"
#include "read/accesso.h"
#include "read/costruttori_linea.h"
#include "read/costruttori_treno.h"

namespace scen {
namespace {

// The reference, beside the sources of this test.
std::string riferimento() {
  std::filesystem::path sorgente(__FILE__);
  if (sorgente.is_relative())
    sorgente = std::filesystem::path(SCEN_COMPILATORE).parent_path() / sorgente;
  std::ifstream in(sorgente.parent_path() / ".." / ".." / "doc" / "descrizioni.md",
                   std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> righe_di(const std::string& testo) {
  std::vector<std::string> righe;
  std::istringstream in(testo);
  for (std::string riga; std::getline(in, riga);) righe.push_back(riga);
  return righe;
}

std::string senza_spazi(std::string_view t) {
  while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
  while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r'))
    t.remove_suffix(1);
  return std::string(t);
}

// The cells of a table row "| a | b | c |".
std::vector<std::string> celle_di(std::string_view riga) {
  std::vector<std::string> celle;
  riga.remove_prefix(1);
  for (size_t barra; (barra = riga.find('|')) != std::string_view::npos;) {
    celle.push_back(senza_spazi(riga.substr(0, barra)));
    riga.remove_prefix(barra + 1);
  }
  return celle;
}

// The field numbers that a table's first cell names: "7", "7, 8", "3–6".
std::set<size_t> numeri_nominati(const std::string& cella) {
  std::set<size_t> numeri;
  size_t i = 0;
  auto numero = [&]() -> size_t {
    size_t n = 0;
    while (i < cella.size() && cella[i] >= '0' && cella[i] <= '9') n = 10 * n + (cella[i++] - '0');
    return n;
  };
  while (i < cella.size()) {
    if (cella[i] < '0' || cella[i] > '9') {
      ++i;
      continue;
    }
    const size_t primo = numero();
    size_t ultimo = primo;
    if (cella.compare(i, 3, "–") == 0) {  // an en dash: a range
      i += 3;
      ultimo = numero();
    }
    for (size_t n = primo; n <= ultimo; ++n) numeri.insert(n);
  }
  return numeri;
}

// Every kind of record, in table order.
std::vector<const formato_record*> tutti_i_formati() {
  std::vector<const formato_record*> tutti;
  for (sezione_formato s :
       {sezione_formato::generale_linea, sezione_formato::record_linea, sezione_formato::treno})
    for (const formato_record& f : formati(s)) tutti.push_back(&f);
  return tutti;
}

TEST(FormatoERiferimento, EveryKeywordIsWrittenInTheReference) {
  const std::string doc = riferimento();
  ASSERT_FALSE(doc.empty());
  for (const formato_record* f : tutti_i_formati()) {
    // "`sfondo due`", or "`… due`" after the first of the three.
    const std::string parola(f->parola);
    const std::string ultima = parola.substr(parola.rfind(' ') + 1);
    EXPECT_TRUE(doc.find("`" + parola + "`") != std::string::npos ||
                (f->quale > 1 && doc.find("`… " + ultima + "`") != std::string::npos))
        << parola;
  }
  // The section headers, each at the start of a line of a file's layout.
  for (bool linea : {true, false})
    for (std::string_view titolo : titoli_sezione(linea))
      EXPECT_NE(doc.find("\n" + std::string(titolo)), std::string::npos) << titolo;
}

// A kind's own section ("### 2.4 Gradients `pendenza`"): its example lines
// have the kind's fields, and its table of fields, if any, numbers them all.
TEST(FormatoERiferimento, EachKindsSectionGivesItsFields) {
  const std::vector<std::string> righe = righe_di(riferimento());
  std::set<specie> con_sezione;
  for (size_t i = 0; i < righe.size(); ++i) {
    const std::string& titolo = righe[i];
    if (!titolo.starts_with("### ") || !titolo.ends_with("`")) continue;
    const size_t apice = titolo.rfind('`', titolo.size() - 2);
    const std::string parola = titolo.substr(apice + 1, titolo.size() - apice - 2);
    const formato_record* formato = nullptr;
    for (const formato_record* f : tutti_i_formati())
      if (f->parola == parola) formato = f;
    if (formato == nullptr) continue;
    SCOPED_TRACE(titolo);
    con_sezione.insert(formato->tipo);
    const size_t campi = formato->numeri + (formato->con_testo ? 1 : 0);

    bool in_esempio = false, esempi_finiti = false, tabella = false;
    size_t esempi = 0;
    std::set<size_t> numerati;
    bool testo_nominato = false;
    for (size_t j = i + 1; j < righe.size() && !righe[j].starts_with("#"); ++j) {
      const std::string& r = righe[j];
      if (r.starts_with("```")) {
        esempi_finiti = esempi_finiti || in_esempio;
        in_esempio = !in_esempio;
        continue;
      }
      if (in_esempio && !esempi_finiti) {
        const size_t virgola = r.find(',');
        if (virgola == std::string::npos) continue;
        ASSERT_TRUE(chiama(*formato, r.substr(0, virgola))) << r;
        size_t virgole = 0;
        for (char c : r) virgole += c == ',';
        EXPECT_EQ(virgole, campi) << r;
        ++esempi;
      }
      if (r.starts_with("| # |")) {
        tabella = true;
        continue;
      }
      if (tabella && r.starts_with("|")) {
        const std::vector<std::string> celle = celle_di(r);
        if (celle.empty() || celle[0].starts_with("---")) continue;
        if (celle[0] == "name" || celle[0] == "text")
          testo_nominato = true;
        else
          for (size_t n : numeri_nominati(celle[0])) numerati.insert(n);
      } else if (tabella) {
        tabella = false;
        std::set<size_t> attesi;
        for (size_t n = 1; n <= formato->numeri; ++n) attesi.insert(n);
        EXPECT_EQ(numerati, attesi);
        EXPECT_EQ(testo_nominato, formato->con_testo);
      }
    }
    EXPECT_GT(esempi, 0u);
  }
  for (const formato_record& f : formati(sezione_formato::record_linea))
    EXPECT_TRUE(con_sezione.count(f.tipo)) << f.parola;
  for (specie tipo :
       {specie::stazione, specie::rallentamento, specie::segnale, specie::abbattimento})
    EXPECT_TRUE(con_sezione.count(tipo)) << nome_record(tipo);
}

// The tables of the general values: "| `numero vetture` | 1 | …" in the
// train's, "| `sfondo uno`, … | one number | …" or "start (m); end (m)" in
// the line's; a keyword counts for the kind it calls for.
TEST(FormatoERiferimento, TheGeneralValuesTablesCountEachKeywordsValues) {
  size_t visti = 0;
  bool generali_in_sezione = false;
  for (const std::string& r : righe_di(riferimento())) {
    if (r.starts_with("#"))
      generali_in_sezione = r.starts_with("### ") && (r.find("general") != std::string::npos ||
                                                      r.find("General") != std::string::npos);
    if (!generali_in_sezione || !r.starts_with("| `")) continue;
    const std::vector<std::string> celle = celle_di(r);
    if (celle.size() < 3) continue;
    const size_t fine = celle[0].find('`', 1);
    const std::string parola = celle[0].substr(1, fine - 1);
    for (const formato_record* f : tutti_i_formati()) {
      if (!chiama(*f, parola) || !generale(f->tipo)) continue;
      SCOPED_TRACE(r);
      const std::string& valori = celle[1];
      size_t contati = 0;
      if (valori == "one number")
        contati = 1;
      else if (valori[0] >= '1' && valori[0] <= '9')
        contati = static_cast<size_t>(valori[0] - '0');
      else
        for (char c : valori + ";") contati += c == ';';
      EXPECT_EQ(contati, f->numeri);
      ++visti;
    }
  }
  size_t generali = 0;
  for (const formato_record* f : tutti_i_formati())
    generali += generale(f->tipo) && f->quale <= 1 ? 1 : 0;
  EXPECT_EQ(visti, generali);
}

// The ranges and distances that the reference states, each as the rule
// that the readers apply gives it.
TEST(FormatoERiferimento, TheRangesTheReferenceStatesAreTheReadersOwn) {
  const std::string doc = riferimento();
  auto migliaia = [](Long n) {
    return fmt::format("{},{:03},{:03}", n / 1000000, n / 1000 % 1000, n % 1000);
  };
  const std::string frasi[] = {
      fmt::format("le celle tengono: va da {} a {}`", pendenza_minima_cella,
                  pendenza_massima_cella),
      fmt::format("va oltre {} km/h, la più alta che le celle tengono (in quinti di km/h, fino a "
                  "255)",
                  velocita_massima_cella_kmh),
      fmt::format("limits as multiples of {}, at most {}", kmh_per_quinto,
                  velocita_massima_cella_kmh),
      fmt::format("| length | {} m |", migliaia(lunghezza_massima)),
      fmt::format("else {} to 255; 1 to {} are taken as {}. Kept only for class {}", extra_alzato,
                  extra_alzato - 1, extra_alzato, classe_con_extra),
      fmt::format("kept only when L ≥ {} and not for the first station", estensione_con_campo_5),
      fmt::format("| 5, 6 | p − L | p + {} |", coda_stazione_di_testa),
      fmt::format("| {} and above |", tipo_senza_segni),
      fmt::format("begin at least **{} m after the end", distanza_stazioni),
      fmt::format("| warning point, {} m before the start | the cell after (start − {}) |",
                  distanza_avviso, distanza_avviso),
  };
  for (const std::string& frase : frasi) EXPECT_NE(doc.find(frase), std::string::npos) << frase;
}

TEST(Formato, AKindOrOrdinalTheTableHasNotIsAFaultNotTheFirstEntry) {
  EXPECT_EQ(formato_di(specie::progressiva, 2).quale, 2);
  EXPECT_EQ(formato_di(specie::stazione).tipo, specie::stazione);
  EXPECT_THROW(formato_di(specie::progressiva, 4), std::out_of_range);
  EXPECT_THROW(formato_di(static_cast<specie>(999)), std::out_of_range);
}

}  // namespace
}  // namespace scen
