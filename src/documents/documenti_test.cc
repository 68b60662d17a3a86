#include "documents/documenti.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "content/dati_incorporati.h"
#include "testing/cartella_temporanea.h"
#include "testing/righe_scritte.h"
#include "testing/scansione.h"

namespace scen {
namespace {

using prova::CartellaTemporanea;

// ---------------------------------------------------------------------------
// Reading the written files back.

std::string senza_bordi(const std::string& s) {
  size_t a = s.find_first_not_of(' ');
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(' ');
  return s.substr(a, b - a + 1);
}

// The fields of a line, each without its outer blanks.
std::vector<std::string> campi_di(const std::string& riga) {
  std::vector<std::string> campi = prova::campi(riga);
  for (std::string& campo : campi) campo = senza_bordi(campo);
  return campi;
}

// What the two description files say that the crew documents must agree with.
struct Progressiva {
  long inizio;
  long scostamento;
  bool decrescente;
};
struct Stazione {
  long posizione;
  int fermata;
  long orario;  // seconds of the day
  std::string nome;
};
struct Limite {
  long posizione;
  int velocita;
};
struct Rallentamento {
  long inizio;
  int velocita;
  long lunghezza;
  int intero_treno;
};

struct Descrizioni {
  std::vector<Progressiva> progressive;  // ascending start
  std::vector<Stazione> stazioni;
  std::vector<Limite> profilo;
  std::vector<Rallentamento> rallentamenti;

  // The railway's own mark, in metres, of a position of the line. At the start
  // of a progressive, `prima` gives the mark that the count reaches there
  // before it jumps.
  long marca(long posizione, bool prima = false) const {
    long m = posizione;
    for (const Progressiva& p : progressive)
      if (posizione > p.inizio || (posizione == p.inizio && !prima))
        m = p.decrescente ? p.scostamento - posizione : posizione + p.scostamento;
    return m;
  }
  // The speed limit of the profile in force at a position.
  int limite(long posizione) const {
    int v = 0;
    for (const Limite& l : profilo)
      if (l.posizione <= posizione) v = l.velocita;
    return v;
  }
  bool cambio_di_velocita(long posizione) const {
    return std::any_of(profilo.begin(), profilo.end(),
                       [&](const Limite& l) { return l.posizione == posizione; });
  }
};

Descrizioni leggi_descrizioni(const std::vector<std::string>& linea,
                              const std::vector<std::string>& treno) {
  Descrizioni d;
  for (const std::string& riga : linea) {
    if (riga.rfind("progressiva chilometrica", 0) != 0) continue;
    auto c = campi_di(riga);
    d.progressive.push_back({std::stol(c.at(1)), std::stol(c.at(2)), c.at(3) == "1"});
  }
  std::sort(d.progressive.begin(), d.progressive.end(),
            [](const Progressiva& a, const Progressiva& b) { return a.inizio < b.inizio; });
  for (const std::string& riga : treno) {
    auto c = campi_di(riga);
    if (c.at(0) == "velocita") {
      d.profilo.push_back({std::stol(c.at(1)), std::stoi(c.at(2))});
    } else if (c.at(0) == "stazione") {
      // The name runs from the 17th comma to the end of the line.
      size_t virgola = 0;
      for (int i = 0; i < 17; ++i) virgola = riga.find(',', virgola) + 1;
      d.stazioni.push_back(
          {std::stol(c.at(1)), std::stoi(c.at(13)),
           std::stol(c.at(14)) * 3600 + std::stol(c.at(15)) * 60 + std::stol(c.at(16)),
           senza_bordi(riga.substr(virgola))});
    } else if (c.at(0) == "rallentamento") {
      d.rallentamenti.push_back(
          {std::stol(c.at(1)), std::stoi(c.at(2)), std::stol(c.at(3)), std::stoi(c.at(4))});
    }
  }
  return d;
}

// ---------------------------------------------------------------------------
// The five files, written once into one folder.

struct Scritti {
  CartellaTemporanea cartella;
  std::string note, ordine, scheda;  // bytes as written
  std::vector<std::string> righe_note, righe_ordine, righe_scheda;
  Descrizioni descrizioni;
};

const Scritti& scritti() {
  static const std::unique_ptr<Scritti> scritti = [] {
    auto s = std::make_unique<Scritti>();
    modello m;
    m.chiave_percorso = "Vela_Nuro";
    m.chiave_treno = "IC 731";
    const std::string& dove = s->cartella.percorso();
    for (const Stato& st : {dati_note(m, dove), dati_rallentamenti(m, dove), dati_scheda(m, dove)})
      EXPECT_TRUE(st.riuscito()) << st.messaggio();
    s->note = prova::leggi(s->cartella.file("Vela_Nuro_IC 731_note.txt"));
    s->ordine = prova::leggi(s->cartella.file("Vela_Nuro_IC 731_rallentamenti.txt"));
    s->scheda = prova::leggi(s->cartella.file("Vela_Nuro_IC 731_scheda_treno.txt"));
    s->righe_note = prova::righe_crlf(s->note);
    s->righe_ordine = prova::righe_crlf(s->ordine);
    s->righe_scheda = prova::righe_crlf(s->scheda);
    // The descriptions as carried: the documents must agree with them.
    s->descrizioni = leggi_descrizioni(righe_incorporate("linea"), righe_incorporate("treno"));
    return s;
  }();
  return *scritti;
}

// ---------------------------------------------------------------------------
// The train card.

const std::string H1 =
    "  ___________________                                               ______________";
const std::string H5 =
    "                                                                   |______________|";
const std::string H6 = "  ___________________                ___________________";
const std::string H7 = " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ";
const std::string H8 = " |        IC         |              |      600T         |";
const std::string H9 = " |___________________|              |___________________|";
const std::string G1 =
    "  ________________________________________________________________________________";
const std::string G2 =
    " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |";
const std::string G3 =
    " | Lim.|Marc.|          |  Rs |                            |                |     |";
const std::string G4 =
    " |_____|_____|__________|_____|____________________________|________________|_____|";
const std::string riga_spaziatrice =
    " |     |     |          |     |                            |                |     |";

// First line (1-based) of each sheet's heading, and the grid rows of each sheet.
constexpr std::array<int, 4> inizio_foglio = {3, 54, 104, 153};
constexpr std::array<std::pair<int, int>, 4> righe_griglia = {
    {{17, 47}, {68, 99}, {118, 148}, {167, 197}}};

const std::string& riga_scheda(int numero) { return scritti().righe_scheda.at(numero - 1); }

enum class Tipo {
  spaziatrice,
  con_orario,
  cippo,
  deviatoio,
  protezione,
  solo_progressiva,
  altro_punto
};

struct RigaGriglia {
  int numero;  // line of the file
  int foglio;  // 1 to 4
  std::array<std::string, 7> celle;
  Tipo tipo;
};

constexpr std::array<size_t, 7> larghezze = {5, 5, 10, 5, 28, 16, 5};

std::vector<RigaGriglia> griglia() {
  std::vector<RigaGriglia> righe;
  for (int f = 0; f < 4; ++f) {
    for (int n = righe_griglia[f].first; n <= righe_griglia[f].second; ++n) {
      std::string riga = riga_scheda(n);
      // Line 99 closes sheet 2: its blanks inside the cells are underscores.
      if (n == 99) std::replace(riga.begin() + 1, riga.end(), '_', ' ');
      RigaGriglia r{n, f + 1, {}, Tipo::spaziatrice};
      size_t colonna = 2;
      for (size_t c = 0; c < 7; ++c) {
        EXPECT_EQ(riga.at(colonna - 1), '|') << "riga " << n << " cella " << c + 1;
        r.celle[c] = riga.substr(colonna, larghezze[c]);
        colonna += larghezze[c] + 1;
      }
      const std::string nome = senza_bordi(r.celle[4]);
      auto vuota = [&](int c) { return senza_bordi(r.celle[c]).empty(); };
      if (riga == riga_spaziatrice)
        r.tipo = Tipo::spaziatrice;
      else if (vuota(0) && vuota(1) && vuota(3) && vuota(4) && vuota(5) && vuota(6))
        r.tipo = Tipo::solo_progressiva;
      else if (!vuota(5))
        r.tipo = Tipo::con_orario;
      else if (nome.rfind("Cippo Km ", 0) == 0 || nome.rfind("C.C. Km ", 0) == 0)
        r.tipo = Tipo::cippo;
      else if (nome == "Dev.I." || nome == "Dev.U.")
        r.tipo = Tipo::deviatoio;
      else if (nome == "Segn.Prot.")
        r.tipo = Tipo::protezione;
      else
        r.tipo = Tipo::altro_punto;
      righe.push_back(r);
    }
  }
  return righe;
}

// A speed cell: right-aligned in four positions, the fifth blank.
std::optional<int> velocita_di(const std::string& cella) {
  if (senza_bordi(cella).empty()) return std::nullopt;
  prova::Scansione s(cella);
  s.spazi();
  const long velocita = s.cifre();
  s.testo(" ");
  EXPECT_TRUE(s.finita()) << "'" << cella << "'";
  return static_cast<int>(velocita);
}

// A kilometre mark in metres, from cell 3 ("  148.950 " or "   31.100/").
std::optional<long> marca_di(const std::string& cella) {
  prova::Scansione s(cella);
  s.spazi();
  const long km = s.cifre();
  s.testo(".");
  const long metri = s.cifre(3, 3);
  s.uno_tra(" /");
  if (!s.finita()) return std::nullopt;
  return km * 1000 + metri;
}

// A mark given in parentheses, in metres ("   (7650) ") or kilometres
// ("   (2.000)"): a reference on the connection's own marking.
std::optional<long> marca_tra_parentesi(const std::string& cella) {
  prova::Scansione s(cella);
  s.spazi();
  s.testo("(");
  long marca = s.cifre();
  if (s.forse(".")) marca = marca * 1000 + s.cifre(3, 3);
  s.testo(")");
  s.spazi();
  if (!s.finita()) return std::nullopt;
  return marca;
}

std::string marca_in_testo(long metri) {
  std::string mm = std::to_string(metri % 1000);
  return std::to_string(metri / 1000) + "." + std::string(3 - mm.size(), '0') + mm;
}

// The forms of the time cell, with times as seconds of the day.
struct Orario {
  enum Forma { sosta, singolo, partenza, arrivo } forma;
  long primo;    // arrival, the single time, or the departure at the origin
  long secondo;  // departure at a stop
};

// A time "hh.mm", or "hh.mm.ss" where `con_secondi`, in seconds of the day.
long ora(prova::Scansione& s, bool con_secondi = false) {
  long secondi = s.cifre(2, 2) * 3600;
  s.testo(".");
  secondi += s.cifre(2, 2) * 60;
  if (con_secondi && s.forse(".")) secondi += s.cifre(2, 2);
  return secondi;
}

std::optional<Orario> orario_di(const std::string& cella) {
  {
    prova::Scansione s(cella);  // " 13.16   13.18  "
    s.testo(" ");
    const long arrivo = ora(s);
    s.testo("   ");
    const long partenza = ora(s);
    s.testo("  ");
    if (s.finita()) return Orario{Orario::sosta, arrivo, partenza};
  }
  {
    prova::Scansione s(cella);  // "     13.10      " or "     13.27.30   "
    s.testo("     ");
    const long transito = ora(s, true);
    s.spazi();
    if (s.finita()) return Orario{Orario::singolo, transito, 0};
  }
  {
    prova::Scansione s(cella);  // "         13.04  "
    s.testo("         ");
    const long partenza = ora(s);
    s.testo("  ");
    if (s.finita()) return Orario{Orario::partenza, partenza, 0};
  }
  {
    prova::Scansione s(cella);  // " 16.20          "
    s.testo(" ");
    const long arrivo = ora(s);
    s.testo("          ");
    if (s.finita()) return Orario{Orario::arrivo, arrivo, 0};
  }
  return std::nullopt;
}

// A recovery cell: blank, or " 1", " 1.5" and the like, left-aligned.
bool recupero_in_forma(const std::string& cella) {
  if (cella == "     ") return true;
  prova::Scansione s(cella);
  s.testo(" ");
  s.cifre(1, 1);
  if (s.forse(".")) s.cifre(1, 1);
  s.spazi();
  return s.finita();
}

TEST(FormeCelle, ReadTheCardsCellsAndRefuseNearMisses) {
  struct Marca {
    std::string cella;
    std::optional<long> sul_palo, tra_parentesi;
  };
  const Marca marche[] = {
      {"  148.950 ", 148950, std::nullopt},       {"   31.100/", 31100, std::nullopt},
      {"   (7650) ", std::nullopt, 7650},         {"   (2.000)", std::nullopt, 2000},
      {"  148.95  ", std::nullopt, std::nullopt}, {"  148.9500", std::nullopt, std::nullopt},
      {"  148,950 ", std::nullopt, std::nullopt}, {"   (2.00) ", std::nullopt, std::nullopt},
      {"   (7650  ", std::nullopt, std::nullopt},
  };
  for (const Marca& m : marche) {
    EXPECT_EQ(marca_di(m.cella), m.sul_palo) << "'" << m.cella << "'";
    EXPECT_EQ(marca_tra_parentesi(m.cella), m.tra_parentesi) << "'" << m.cella << "'";
  }

  struct Ora {
    std::string cella;
    std::optional<Orario::Forma> forma;
    long primo, secondo;
  };
  const long h13 = 13 * 3600;
  const Ora ore[] = {
      {" 13.16   13.18  ", Orario::sosta, h13 + 16 * 60, h13 + 18 * 60},
      {"     13.10      ", Orario::singolo, h13 + 10 * 60, 0},
      {"     13.27.30   ", Orario::singolo, h13 + 27 * 60 + 30, 0},
      {"         13.04  ", Orario::partenza, h13 + 4 * 60, 0},
      {" 16.20          ", Orario::arrivo, 16 * 3600 + 20 * 60, 0},
      {" 13.16   13.18.5", std::nullopt, 0, 0},
      {" 13.16.00 13.18 ", std::nullopt, 0, 0},
      {"    13.10       ", std::nullopt, 0, 0},
      {"     1.10       ", std::nullopt, 0, 0},
      {"     13:10      ", std::nullopt, 0, 0},
  };
  for (const Ora& o : ore) {
    const auto letto = orario_di(o.cella);
    ASSERT_EQ(letto.has_value(), o.forma.has_value()) << "'" << o.cella << "'";
    if (!letto) continue;
    EXPECT_EQ(letto->forma, *o.forma) << "'" << o.cella << "'";
    EXPECT_EQ(letto->primo, o.primo) << "'" << o.cella << "'";
    EXPECT_EQ(letto->secondo, o.secondo) << "'" << o.cella << "'";
  }

  for (const char* buono : {"     ", " 1   ", " 1.5 ", " 0.5 "})
    EXPECT_TRUE(recupero_in_forma(buono)) << "'" << buono << "'";
  for (const char* cattivo : {"  1  ", " 15  ", " 1.  ", " 1.55", " x   "})
    EXPECT_FALSE(recupero_in_forma(cattivo)) << "'" << cattivo << "'";
}

TEST(SchedaTreno, HasItsLinesAndBytes) {
  const Scritti& s = scritti();
  EXPECT_EQ(s.scheda.size(), 15163u);
  ASSERT_EQ(s.righe_scheda.size(), 199u);
  EXPECT_NE(s.scheda.substr(0, 3), "\xEF\xBB\xBF");
  for (unsigned char c : s.scheda) EXPECT_LT(c, 0x80);
  EXPECT_EQ(s.scheda.find("riferimento fine del file"), std::string::npos);
  // Every line has the width of its kind: grid lines 83, the rest as listed.
  std::map<int, size_t> larghezza;
  for (int n : {1, 2, 49, 50, 52, 53, 100, 101, 103, 150, 152, 199}) larghezza[n] = 0;
  larghezza[51] = 81;
  larghezza[102] = 72;
  larghezza[151] = 72;
  for (int inizio : inizio_foglio) {
    const size_t testata[14] = {82, 83, 83, 83, 83, 56, 64, 57, 57, 0, 82, 83, 83, 83};
    for (int i = 0; i < 14; ++i) larghezza[inizio + i] = testata[i];
  }
  for (auto [primo, ultimo] : righe_griglia)
    for (int n = primo; n <= ultimo; ++n) larghezza[n] = 83;
  for (int n : {48, 149, 198}) larghezza[n] = 83;
  ASSERT_EQ(larghezza.size(), 199u);
  for (auto [n, l] : larghezza) EXPECT_EQ(riga_scheda(n).size(), l) << "riga " << n;
}

TEST(SchedaTreno, RepeatsTheFixedLinesOnEverySheet) {
  const Descrizioni& d = scritti().descrizioni;
  ASSERT_GE(d.stazioni.size(), 2u);
  const std::string origine = d.stazioni.front().nome;
  const std::string destinazione = d.stazioni.back().nome;
  std::string breve;
  for (int f = 0; f < 4; ++f) {
    const int i = inizio_foglio[f];
    EXPECT_EQ(riga_scheda(i), H1);
    EXPECT_EQ(riga_scheda(i + 1), " |                   |                    SCHEDA " +
                                      std::to_string(f + 1) + "/4               |              |");
    EXPECT_EQ(riga_scheda(i + 2), " |   TRENO n.  731   |                   da: " +
                                      (origine + std::string(22, ' ')).substr(0, 22) +
                                      "|    V200 C    |");
    const std::string& h4 = riga_scheda(i + 3);
    EXPECT_EQ(h4.substr(0, 45), " |___________________|                    a: ");
    EXPECT_EQ(h4.substr(67), "|     130%     |");
    const std::string nome = senza_bordi(h4.substr(45, 22));
    if (f == 0) {
      EXPECT_EQ(nome, destinazione);
    } else {
      EXPECT_TRUE(nome.size() > 4 && nome.substr(nome.size() - 4) == "C.le") << nome;
      if (f == 1) breve = nome;
      EXPECT_EQ(nome, breve) << "sheet " << f + 1;
    }
    for (auto [n, riga] : {std::pair{i + 4, H5},
                           {i + 5, H6},
                           {i + 6, H7},
                           {i + 7, H8},
                           {i + 8, H9},
                           {i + 9, std::string()},
                           {i + 10, G1},
                           {i + 11, G2},
                           {i + 12, G3},
                           {i + 13, G4}})
      EXPECT_EQ(riga_scheda(n), riga) << "riga " << n;
  }
  // The abbreviated destination keeps the words of the full name before "C.le".
  EXPECT_EQ(destinazione.rfind(breve.substr(0, breve.size() - 4), 0), 0u)
      << destinazione << " / " << breve;
}

TEST(SchedaTreno, SeparatesTheSheetsAsLaidOut) {
  EXPECT_EQ(riga_scheda(51), std::string(81, '.'));
  EXPECT_EQ(riga_scheda(102), std::string(72, '.'));
  EXPECT_EQ(riga_scheda(151), std::string(72, '.'));
  for (int n : {48, 149, 198}) EXPECT_EQ(riga_scheda(n), G4) << "riga " << n;
  for (int n : {1, 2, 49, 50, 52, 53, 100, 101, 103, 150, 152, 199})
    EXPECT_EQ(riga_scheda(n), "") << "riga " << n;
  // Line 99 is a grid row that also closes sheet 2: underscores for blanks.
  const std::string& chiusura = riga_scheda(99);
  EXPECT_EQ(chiusura.find(' ', 1), std::string::npos) << chiusura;
  EXPECT_NE(chiusura, G4) << "line 99 carries a point of the route";
  for (size_t c : {1, 7, 13, 24, 30, 59, 76, 82}) EXPECT_EQ(chiusura.at(c), '|');
}

TEST(SchedaTreno, HasTheKindsOfGridRowInTheirNumbers) {
  std::map<Tipo, int> quanti;
  int cc = 0, entrate = 0, uscite = 0;
  for (const RigaGriglia& r : griglia()) {
    ++quanti[r.tipo];
    const std::string nome = senza_bordi(r.celle[4]);
    if (r.tipo == Tipo::cippo) {
      const std::string prefisso = nome.rfind("C.C. Km ", 0) == 0 ? "C.C. Km " : "Cippo Km ";
      if (prefisso == "C.C. Km ") {
        ++cc;
        EXPECT_EQ(r.foglio, 4) << "riga " << r.numero;
      }
      EXPECT_EQ(nome, prefisso + senza_bordi(r.celle[2])) << "riga " << r.numero;
    }
    if (nome == "Dev.I.") ++entrate;
    if (nome == "Dev.U.") ++uscite;
  }
  EXPECT_EQ(griglia().size(), 125u);
  EXPECT_EQ(quanti[Tipo::spaziatrice], 37);
  EXPECT_EQ(quanti[Tipo::con_orario], 46);
  EXPECT_EQ(quanti[Tipo::cippo], 27);
  EXPECT_EQ(cc, 4);
  EXPECT_EQ(quanti[Tipo::deviatoio], 5);
  EXPECT_EQ(entrate, 3);
  EXPECT_EQ(uscite, 2);
  EXPECT_EQ(quanti[Tipo::protezione], 2);
  EXPECT_EQ(quanti[Tipo::solo_progressiva], 5);
  EXPECT_EQ(quanti[Tipo::altro_punto], 3);
}

TEST(SchedaTreno, WritesEveryCellInItsForm) {
  std::vector<std::string> tra_parentesi;
  int nessuna_rs = 0;
  for (const RigaGriglia& r : griglia()) {
    for (int c : {0, 1}) velocita_di(r.celle[c]);
    if (r.celle[3] == " ___ ")
      ++nessuna_rs;
    else
      velocita_di(r.celle[3]);
    const std::string& p = r.celle[2];
    if (p.find('(') != std::string::npos) {
      tra_parentesi.push_back(p);
    } else if (!senza_bordi(p).empty()) {
      EXPECT_TRUE(marca_di(p)) << "riga " << r.numero << " '" << p << "'";
    }
    if (r.tipo == Tipo::con_orario) {
      EXPECT_TRUE(orario_di(r.celle[5])) << "riga " << r.numero << " '" << r.celle[5] << "'";
    } else {
      EXPECT_EQ(senza_bordi(r.celle[5]), "") << "riga " << r.numero;
    }
    EXPECT_TRUE(recupero_in_forma(r.celle[6])) << "riga " << r.numero << " '" << r.celle[6] << "'";
    if (!senza_bordi(r.celle[4]).empty()) {
      EXPECT_NE(r.celle[4].front(), ' ') << "riga " << r.numero;
    }
  }
  EXPECT_EQ(nessuna_rs, 1);
  EXPECT_EQ(tra_parentesi, (std::vector<std::string>{"   (7650) ", "   (2.000)", "   (0.000)"}));
}

TEST(SchedaTreno, HoldsTheSampleRowsVerbatim) {
  const auto& righe = scritti().righe_scheda;
  auto conta = [&](const std::string& riga) {
    return std::count(righe.begin(), righe.end(), riga);
  };
  for (const char* campione : {
           " | 150 | 150 |   14.000 | 120 |Cippo Km 14.000             |                |     |",
           " | 105 | 105 |    6.800 | 105 |C.C. Km 6.800               |                |     |",
           " | 100 |  95 |    1.000 |     |Dev.U.                      |                |     |",
           " |     | 150 |  148.950 |     |Segn.Prot.                  |                |     |",
           " |     |     |   (0.000)|     |                            |                |     |",
       })
    EXPECT_EQ(conta(campione), 1) << campione;
  EXPECT_EQ(conta(riga_spaziatrice), 37);
  // The jump at 31,100 m: "31.100/", then the mark the count goes on from.
  auto salto = std::find_if(righe.begin(), righe.end(), [](const std::string& r) {
    return r.size() == 83 && r.substr(14, 10) == "   31.100/";
  });
  ASSERT_NE(salto, righe.end());
  EXPECT_EQ(*(salto + 1),
            " |     |     |   34.150 |     |                            |                |     |");
  // The forms of the time cell and of the recovery cell.
  std::map<std::string, int> orari, recuperi;
  for (const RigaGriglia& r : griglia()) {
    ++orari[r.celle[5]];
    ++recuperi[r.celle[6]];
  }
  for (const char* o : {" 13.16   13.18  ", "     13.10      ", "     13.27.30   ",
                        "         13.04  ", " 16.20          "})
    EXPECT_EQ(orari[o], 1) << "'" << o << "'";
  for (const char* r : {" 1.5 ", " 0.5 ", " 1   "}) EXPECT_GE(recuperi[r], 1) << "'" << r << "'";
  // The final station's row, then the mark at which the line ends.
  const auto g = griglia();
  auto ultima = std::find_if(g.rbegin(), g.rend(),
                             [](const RigaGriglia& r) { return r.tipo == Tipo::con_orario; });
  ASSERT_NE(ultima, g.rend());
  EXPECT_EQ(ultima->celle[5], " 16.20          ");
  EXPECT_EQ((ultima - 1)->celle[2], "   (0.000)");
  EXPECT_EQ((ultima - 1)->tipo, Tipo::solo_progressiva);
  // One other point names its mark on the other marking.
  EXPECT_EQ(std::count_if(g.begin(), g.end(),
                          [](const RigaGriglia& r) {
                            return r.tipo == Tipo::altro_punto &&
                                   r.celle[4].find("    (Km 2.000)") != std::string::npos;
                          }),
            1);
}

// The card's rows with the position on the line that their mark stands for,
// walking the jumps: each jump row "X/" is followed by a row that gives the
// mark the count goes on from. The first three jumps are the line's
// progressives; the fourth starts the falling marking near the destination.
struct Posto {
  RigaGriglia riga;
  std::optional<long> marca;
  std::optional<long> posizione;
};

std::vector<Posto> posti_della_scheda(const Descrizioni& d) {
  std::vector<Posto> posti;
  long ancora_posizione = 0, ancora_marca = 0;
  bool decrescente = false;
  size_t salti = 0;
  std::optional<long> salto_a;  // position of a jump row waiting for its new mark
  for (const RigaGriglia& r : griglia()) {
    Posto p{r, marca_di(r.celle[2]), std::nullopt};
    // The count may go on from a mark in parentheses.
    // The count may go on from a mark in parentheses, and the connection's
    // points without a post give their marks so.
    if (!p.marca && ((salto_a && r.tipo == Tipo::solo_progressiva) || salti == 4))
      p.marca = marca_tra_parentesi(r.celle[2]);
    if (p.marca) {
      if (salto_a && r.tipo == Tipo::solo_progressiva) {
        // The mark the count goes on from, at the jump's position.
        ancora_posizione = *salto_a;
        ancora_marca = *p.marca;
        if (salti < d.progressive.size()) {
          const Progressiva& prog = d.progressive[salti];
          EXPECT_EQ(*salto_a, prog.inizio) << "riga " << r.numero;
          EXPECT_EQ(*p.marca, d.marca(prog.inizio)) << "riga " << r.numero;
          decrescente = prog.decrescente;
        } else {
          decrescente = true;
        }
        ++salti;
        salto_a.reset();
      }
      p.posizione = decrescente ? ancora_posizione + (ancora_marca - *p.marca)
                                : ancora_posizione + (*p.marca - ancora_marca);
      if (r.celle[2].back() == '/') salto_a = p.posizione;
    }
    posti.push_back(p);
  }
  EXPECT_EQ(salti, 4u);
  EXPECT_FALSE(salto_a);
  return posti;
}

TEST(SchedaTreno, MarksFollowTheLinesProgressives) {
  const Descrizioni& d = scritti().descrizioni;
  ASSERT_EQ(d.progressive.size(), 3u);
  const auto posti = posti_della_scheda(d);
  long prima = -1;
  size_t salti = 0;
  for (const Posto& p : posti) {
    if (!p.posizione) continue;
    // Along the card the points follow one another down the line.
    EXPECT_GE(*p.posizione, prima) << "riga " << p.riga.numero;
    prima = *p.posizione;
    if (p.riga.celle[2].back() == '/') ++salti;
    // Up to the fourth jump the mark is the line's own.
    if (p.riga.celle[2].back() == '/') {
      EXPECT_EQ(*p.marca, d.marca(*p.posizione, true)) << "riga " << p.riga.numero;
    } else if (salti < 4) {
      EXPECT_EQ(*p.marca, d.marca(*p.posizione)) << "riga " << p.riga.numero;
    }
  }
  // After the fourth jump the marks fall to the line's end at "(0.000)".
  ASSERT_EQ(salti, 4u);
}

TEST(SchedaTreno, TimedRowsAreTheTrainsStationsWithTheirTimes) {
  const Descrizioni& d = scritti().descrizioni;
  ASSERT_FALSE(d.stazioni.empty());
  std::map<std::string, const Stazione*> per_nome;
  for (const Stazione& s : d.stazioni) per_nome[s.nome] = &s;
  EXPECT_EQ(per_nome.size(), d.stazioni.size()) << "station names are unique";
  const auto posti = posti_della_scheda(d);
  long ultimo_orario = 0;
  long ultima_posizione = -1;
  size_t trovate = 0;
  for (const Posto& p : posti) {
    if (p.riga.tipo != Tipo::con_orario) continue;
    const std::string nome = senza_bordi(p.riga.celle[4]);
    const auto o = orario_di(p.riga.celle[5]);
    ASSERT_TRUE(o) << "riga " << p.riga.numero;
    const long fine = o->forma == Orario::sosta ? o->secondo : o->primo;
    EXPECT_GE(o->primo, ultimo_orario) << "riga " << p.riga.numero;
    EXPECT_GE(fine, o->primo) << "riga " << p.riga.numero;
    ultimo_orario = fine;
    auto s = per_nome.find(nome);
    if (s == per_nome.end()) continue;  // a junction or a stop not in the timetable
    const Stazione& st = *s->second;
    ++trovate;
    SCOPED_TRACE(nome);
    EXPECT_GT(st.posizione, ultima_posizione);
    ultima_posizione = st.posizione;
    ASSERT_TRUE(p.posizione) << "riga " << p.riga.numero;
    EXPECT_EQ(*p.posizione, st.posizione);
    if (&st == &d.stazioni.front()) {
      EXPECT_EQ(o->forma, Orario::partenza);
      EXPECT_LE(o->primo, st.orario);
      EXPECT_LE(st.orario - o->primo, 90);
    } else if (&st == &d.stazioni.back()) {
      EXPECT_EQ(o->forma, Orario::arrivo);
      EXPECT_EQ(o->primo, st.orario);
    } else if (st.fermata != 0) {
      EXPECT_EQ(o->forma, Orario::sosta);
      EXPECT_LE(o->secondo, st.orario);
      EXPECT_LE(st.orario - o->secondo, 90);
    } else {
      EXPECT_EQ(o->forma, Orario::singolo);
      EXPECT_EQ(st.orario, 0);
    }
  }
  EXPECT_EQ(trovate, d.stazioni.size()) << "every station of the train is on the card";
}

TEST(SchedaTreno, LimitColumnFollowsTheSpeedProfile) {
  const Descrizioni& d = scritti().descrizioni;
  ASSERT_FALSE(d.profilo.empty());
  int confrontate = 0, cippi_a_cambio = 0;
  for (const Posto& p : posti_della_scheda(d)) {
    if (!p.posizione) continue;
    const auto limite = velocita_di(p.riga.celle[0]);
    if (limite) {
      EXPECT_EQ(*limite, d.limite(*p.posizione)) << "riga " << p.riga.numero;
      ++confrontate;
    }
    // A post of the line's own marking stands where the speed changes; the
    // connection's posts carry the speed in force from there on.
    if (p.riga.tipo == Tipo::cippo) {
      EXPECT_TRUE(limite) << "riga " << p.riga.numero;
      if (p.riga.celle[4].rfind("Cippo Km ", 0) == 0) {
        EXPECT_TRUE(d.cambio_di_velocita(*p.posizione)) << "riga " << p.riga.numero;
        ++cippi_a_cambio;
      }
    }
  }
  EXPECT_GT(confrontate, 80);
  EXPECT_EQ(cippi_a_cambio, 23);
}

TEST(SchedaTreno, ShowsEveryReductionOfSpeedWhereItBegins) {
  // Read row by row, the card must never allow more than the line: each
  // reduction of the profile has a row at its position.
  const Descrizioni& d = scritti().descrizioni;
  std::set<long> posizioni;
  for (const Posto& p : posti_della_scheda(d))
    if (p.posizione && velocita_di(p.riga.celle[0])) posizioni.insert(*p.posizione);
  int riduzioni = 0;
  for (size_t i = 1; i < d.profilo.size(); ++i)
    if (d.profilo[i].velocita < d.profilo[i - 1].velocita) {
      EXPECT_TRUE(posizioni.count(d.profilo[i].posizione)) << d.profilo[i].posizione;
      ++riduzioni;
    }
  EXPECT_EQ(riduzioni, 22);
}

// ---------------------------------------------------------------------------
// The slowdown order.

const std::string& riga_ordine(int numero) { return scritti().righe_ordine.at(numero - 1); }

std::vector<std::string> parole_di(const std::string& nome) {
  std::vector<std::string> parole;
  for (size_t a = 0; a < nome.size();) {
    size_t b = std::min(nome.find(' ', a), nome.size());
    parole.push_back(nome.substr(a, b - a));
    a = b + 1;
  }
  return parole;
}

// Whether `testo` is the words from `i` on, each written whole or cut to its
// initial and a full stop ("San Dorlino" as "S.Dorlino" or "S. Dorlino").
bool parole_abbreviabili(std::string_view testo, const std::vector<std::string>& parole,
                         size_t i = 0) {
  if (i == parole.size()) return testo.empty();
  const bool ultima = i + 1 == parole.size();
  // Whole, and followed by a blank unless it is the last word.
  const std::string intera = parole[i] + (ultima ? "" : " ");
  if (testo.substr(0, intera.size()) == intera &&
      parole_abbreviabili(testo.substr(intera.size()), parole, i + 1))
    return true;
  // Cut, and followed by a blank or by nothing.
  const std::string iniziale = parole[i].substr(0, 1) + ".";
  if (testo.substr(0, iniziale.size()) != iniziale) return false;
  testo.remove_prefix(iniziale.size());
  if (parole_abbreviabili(testo, parole, i + 1)) return true;
  return !ultima && !testo.empty() && testo.front() == ' ' &&
         parole_abbreviabili(testo.substr(1), parole, i + 1);
}

// Whether `testo` is "A e B", each name with its words written whole or cut.
bool tra_stazioni_abbreviate(const std::string& testo, const std::string& a, const std::string& b) {
  const std::string_view t = testo;
  for (size_t e = t.find(" e "); e != std::string_view::npos; e = t.find(" e ", e + 1))
    if (parole_abbreviabili(t.substr(0, e), parole_di(a)) &&
        parole_abbreviabili(t.substr(e + 3), parole_di(b)))
      return true;
  return false;
}

TEST(FormeCelle, NamesCutWordByWord) {
  for (const char* buono :
       {"San Dorlino e Vela", "S.Dorlino e Vela", "S. Dorlino e V.", "San D. e Vela"})
    EXPECT_TRUE(tra_stazioni_abbreviate(buono, "San Dorlino", "Vela")) << buono;
  for (const char* cattivo : {"SanDorlino e Vela", "S Dorlino e Vela", "San Dorlino e Vel",
                              "San Dorlino e V. ", "San Dorlino Vela", "D. e Vela"})
    EXPECT_FALSE(tra_stazioni_abbreviate(cattivo, "San Dorlino", "Vela")) << cattivo;
}

TEST(OrdineRallentamento, HasItsLinesAndBytes) {
  const Scritti& s = scritti();
  ASSERT_EQ(s.righe_ordine.size(), 46u);
  const std::string& linea = riga_ordine(5);
  ASSERT_EQ(linea.substr(0, 9), "  Linea  ");
  EXPECT_EQ(s.ordine.size(), 3270u + linea.size() - 9);
  for (unsigned char c : s.ordine) EXPECT_LT(c, 0x80);
  const std::map<int, std::string> fisse = {
      {1, ""},
      {2, "                               Modulo M. 3"},
      {3, "                           ORDINE DI RALLENTAMENTO"},
      {4, " ________________________________________________________________________________"},
      {6, ""},
      {7, "  Si ordina al macchinista del treno IC 731 di effettuare i seguenti rallentamenti"},
      {8, "  _______________________________________________________________________________"},
      {9, " |   |                            |Inizio dopo |          |         |            |"},
      {10, " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|"},
      {11, " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |"},
      {12, " |___|____________________________|____________|__________|_________|____________|"},
      {39, " |___|____________________________|____________|__________|_________|____________|"},
      {40, ""},
      {41, "              Prescrizioni specifiche"},
      {42, " A - Da rispettare con tutto il treno (per i treni viaggiatori)"},
      {43, " B - Interessa anche la stazione di......."},
      {44, " D - Rallentamneto N. ... e N. ...  sono contigui"},
      {45, " C - Da rispettare dalle ore ....  alle ore ..... di tutti"},
      {46, "     i giorni esclusi i seguenti:........."},
  };
  for (const auto& [n, riga] : fisse) EXPECT_EQ(riga_ordine(n), riga) << "riga " << n;
  for (int n = 15; n <= 38; ++n)
    EXPECT_EQ(riga_ordine(n),
              " |   |                            |            |          |         |            |")
        << "riga " << n;
  for (int n = 9; n <= 39; ++n) EXPECT_EQ(riga_ordine(n).size(), 82u) << "riga " << n;
}

TEST(OrdineRallentamento, NamesTheCardsRoute) {
  const Descrizioni& d = scritti().descrizioni;
  ASSERT_FALSE(d.stazioni.empty());
  const std::string breve = senza_bordi(riga_scheda(inizio_foglio[1] + 3).substr(45, 22));
  EXPECT_EQ(riga_ordine(5), "  Linea  " + d.stazioni.front().nome + "-" + breve);
}

TEST(OrdineRallentamento, RestatesTheSlowdownRecords) {
  const Descrizioni& d = scritti().descrizioni;
  ASSERT_EQ(d.rallentamenti.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    const std::string& riga = riga_ordine(13 + i);
    SCOPED_TRACE(riga);
    ASSERT_EQ(riga.size(), 82u);
    for (size_t c : {1, 5, 34, 47, 58, 68, 81}) EXPECT_EQ(riga.at(c), '|');
    EXPECT_EQ(riga.substr(2, 3), " " + std::to_string(i + 1) + " ");
    // Row 1 has no prescription; row 2 is the whole-train slowdown, "A".
    const std::string prescrizione = riga.substr(69, 12);
    const Rallentamento& r =
        *std::find_if(d.rallentamenti.begin(), d.rallentamenti.end(),
                      [&](const Rallentamento& x) { return x.intero_treno == i; });
    EXPECT_EQ(prescrizione, i == 0 ? std::string(12, ' ') : "     A      ");
    auto riempi = [](std::string s, size_t n) { return s + std::string(n - s.size(), ' '); };
    EXPECT_EQ(riga.substr(48, 10), riempi("  " + std::to_string(r.velocita) + "Km/h", 10));
    EXPECT_EQ(riga.substr(59, 9), riempi("  " + std::to_string(r.lunghezza), 9));
    // The last whole-kilometre post before the start, on the stretch that
    // restarts at 0.000.
    const long marca = d.marca(r.inizio);
    ASSERT_TRUE(std::any_of(d.progressive.begin(), d.progressive.end(), [&](const Progressiva& p) {
      return r.inizio >= p.inizio && p.scostamento == -p.inizio;
    }));
    EXPECT_EQ(riga.substr(35, 12), riempi("Km " + marca_in_testo(marca / 1000 * 1000), 12));
    // The stations between which it lies.
    auto dopo = std::find_if(d.stazioni.begin(), d.stazioni.end(),
                             [&](const Stazione& s) { return s.posizione > r.inizio; });
    ASSERT_NE(dopo, d.stazioni.begin());
    ASSERT_NE(dopo, d.stazioni.end());
    const std::string tra = riga.substr(6, 28);
    if ((dopo - 1)->nome.size() + 3 + dopo->nome.size() <= 28) {
      EXPECT_EQ(tra, riempi((dopo - 1)->nome + " e " + dopo->nome, 28));
    } else {
      // Too long for the cell: the names are shortened word by word.
      EXPECT_TRUE(tra_stazioni_abbreviate(senza_bordi(tra), (dopo - 1)->nome, dopo->nome)) << tra;
    }
  }
  EXPECT_EQ(riga_ordine(13).substr(35, 12), "Km 7.000    ");
  EXPECT_EQ(riga_ordine(14).substr(35, 12), "Km 24.000   ");
}

// ---------------------------------------------------------------------------
// The notes.

TEST(Note, HaveTheirLinesAndLengths) {
  const Scritti& s = scritti();
  ASSERT_EQ(s.righe_note.size(), 17u);
  const size_t lunghezze[17] = {437, 284, 284, 47, 256, 62, 282, 529, 70,
                                32,  21,  11,  3,  0,   66, 12,  19};
  size_t totale = 0;
  for (size_t i = 0; i < 17; ++i) {
    EXPECT_EQ(s.righe_note[i].size(), lunghezze[i]) << "riga " << i + 1;
    totale += lunghezze[i] + 2;
  }
  EXPECT_EQ(s.note.size(), totale);
  // Paragraphs open with three blanks; their continuations with a word.
  for (int i : {1, 2, 5, 6, 7, 9, 11, 12, 15, 16, 17}) {
    const std::string& r = s.righe_note[i - 1];
    EXPECT_EQ(r.substr(0, 3), "   ") << "riga " << i;
    EXPECT_NE(r.at(3), ' ') << "riga " << i;
  }
  for (int i : {3, 4, 8, 10}) EXPECT_NE(s.righe_note[i - 1].front(), ' ') << "riga " << i;
  EXPECT_EQ(s.righe_note[2].back(), ' ');
  EXPECT_EQ(s.righe_note[12], "   ");
  EXPECT_EQ(s.righe_note[13], "");
  // Signature: the author's name, the same name with a full stop, an address.
  EXPECT_EQ(s.righe_note[15], s.righe_note[11] + ".");
  const std::string& indirizzo = s.righe_note[16];
  EXPECT_EQ(indirizzo.back(), ' ');
  EXPECT_NE(indirizzo.find("@example."), std::string::npos) << indirizzo;
}

TEST(Note, WriteAccentsAsOneByteEach) {
  const std::string& note = scritti().note;
  EXPECT_NE(note.substr(0, 3), "\xEF\xBB\xBF");
  std::map<unsigned char, int> alti;
  for (unsigned char c : note)
    if (c >= 0x80) ++alti[c];
  // The accented letters of the notes are a, e and u with a grave accent, each
  // present, and no other byte above ASCII.
  for (unsigned char c : std::initializer_list<unsigned char>{0xE0, 0xE8, 0xF9})
    EXPECT_GT(alti[c], 0) << std::hex << int(c);
  for (auto [c, n] : alti) EXPECT_TRUE(c == 0xE0 || c == 0xE8 || c == 0xF9) << std::hex << int(c);
  EXPECT_EQ(note.find("riferimento fine del file"), std::string::npos);
}

TEST(Note, TellOfTheSameTrainAndStations) {
  const Scritti& s = scritti();
  const Descrizioni& d = s.descrizioni;
  ASSERT_FALSE(d.stazioni.empty());
  EXPECT_NE(s.note.find("IC 731"), std::string::npos);
  EXPECT_NE(s.note.find(d.stazioni.front().nome), std::string::npos) << d.stazioni.front().nome;
  EXPECT_NE(s.note.find(d.stazioni.back().nome), std::string::npos) << d.stazioni.back().nome;
  for (const Stazione& st : d.stazioni) {
    if (st.fermata != 0) {
      EXPECT_NE(s.note.find(st.nome), std::string::npos) << st.nome;
    }
  }
}

// ---------------------------------------------------------------------------
// All three documents.

TEST(DocumentiEquipaggio, ReplaceAnOlderFileWholeAndWriteTheSameBytesEachTime) {
  using Scrittore = Stato (*)(const modello&, const std::string&);
  const std::pair<Scrittore, const char*> documenti[] = {
      {dati_note, "Vela_Nuro_IC 731_note.txt"},
      {dati_rallentamenti, "Vela_Nuro_IC 731_rallentamenti.txt"},
      {dati_scheda, "Vela_Nuro_IC 731_scheda_treno.txt"}};
  modello m;
  m.chiave_percorso = "Vela_Nuro";
  m.chiave_treno = "IC 731";
  for (const auto& [scrivi, nome] : documenti) {
    SCOPED_TRACE(nome);
    CartellaTemporanea nuova;
    ASSERT_TRUE(scrivi(m, nuova.percorso()).riuscito());
    const std::string attesi = prova::leggi(nuova.file(nome));
    ASSERT_FALSE(attesi.empty());
    for (const std::string& vecchio : {std::string(attesi.size() + 4000, 'x'), std::string("x")}) {
      CartellaTemporanea cartella;
      prova::scrivi(cartella.file(nome), vecchio);
      ASSERT_TRUE(scrivi(m, cartella.percorso()).riuscito());
      EXPECT_EQ(prova::leggi(cartella.file(nome)), attesi);
      EXPECT_EQ(cartella.elenco(), std::vector<std::string>{nome});
    }
  }
}

}  // namespace
}  // namespace scen
