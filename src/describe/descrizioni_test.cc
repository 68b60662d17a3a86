// The carried description files, read back from disk: counts, ranges,
// orders, sample lines and bytes, and the compiled scenario they give.
#include "describe/descrizioni.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "testing/cartella_temporanea.h"
#include "testing/file_compilati_letti.h"
#include "testing/processo.h"
#include "testing/righe_scritte.h"
#include "testing/scansione.h"

namespace scen {
namespace {

using prova::campi;
using prova::CartellaTemporanea;
using prova::righe_crlf;

modello chiavi() {
  modello m;
  m.chiave_percorso = "Vela_Nuro";
  m.chiave_treno = "IC 731";
  return m;
}

std::string senza_blank_iniziali(const std::string& s) {
  size_t i = s.find_first_not_of(' ');
  return i == std::string::npos ? "" : s.substr(i);
}

// A value field as the readers take it: leading blanks skipped, blanks only is 0.
long numero(const std::string& campo) {
  std::string t = senza_blank_iniziali(campo);
  return t.empty() ? 0 : std::stol(t);
}

std::vector<long> numeri(const std::string& riga, size_t primo, size_t quanti) {
  std::vector<std::string> c = campi(riga);
  std::vector<long> out;
  for (size_t i = primo; i < primo + quanti && i < c.size(); ++i) out.push_back(numero(c[i]));
  return out;
}

bool inizia(const std::string& s, const std::string& prefisso) { return s.rfind(prefisso, 0) == 0; }

// Kilometre marks of the railway, in metres: the three progressives of the
// line description.
long progressiva(long p) {
  if (p < 31100) return p;
  if (p < 284500) return p + 3050;
  if (p < 315950) return p - 284500;
  return 412050 - p;
}

long cella_dopo(long p) { return p / 50 + 1; }  // positions are multiples of 50

// The section of a file: the lines between its header and the next header.
struct Sezioni {
  std::vector<std::string> nomi;
  std::map<std::string, std::vector<std::string>> righe;
};

Sezioni sezioni(const std::vector<std::string>& righe) {
  Sezioni s;
  std::string corrente;
  for (const std::string& r : righe) {
    if (!r.empty() && r.front() == '[') {
      corrente = r;
      s.nomi.push_back(r);
      s.righe[r];
    } else {
      s.righe[corrente].push_back(r);
    }
  }
  return s;
}

// How many lines each section holds.
std::map<std::string, size_t> conteggi(const Sezioni& s) {
  std::map<std::string, size_t> n;
  for (const auto& [nome, righe] : s.righe) n[nome] = righe.size();
  return n;
}

template <class T>
std::set<T> insieme(const std::vector<T>& v) {
  return std::set<T>(v.begin(), v.end());
}

class DescrizioniScritte : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    CartellaTemporanea cartella;
    modello m = chiavi();
    ASSERT_TRUE(dati_linea(m, cartella.percorso()).riuscito());
    ASSERT_TRUE(dati_treno(m, cartella.percorso()).riuscito());
    byte_linea_ = new std::string(prova::leggi(cartella.file("Vela_Nuro_linea.txt")));
    byte_treno_ = new std::string(prova::leggi(cartella.file("Vela_Nuro_IC 731-.txt")));
  }
  static void TearDownTestSuite() {
    delete byte_linea_;
    delete byte_treno_;
  }
  static std::vector<std::string> linea() { return righe_crlf(*byte_linea_); }
  static std::vector<std::string> treno() { return righe_crlf(*byte_treno_); }

  static std::string* byte_linea_;
  static std::string* byte_treno_;
};
std::string* DescrizioniScritte::byte_linea_ = nullptr;
std::string* DescrizioniScritte::byte_treno_ = nullptr;

// ------------------------------------------------------------ line file

TEST_F(DescrizioniScritte, LineFileHas537AsciiLinesIn16209Bytes) {
  EXPECT_EQ(byte_linea_->size(), 16209u);
  std::vector<std::string> r = linea();
  ASSERT_EQ(r.size(), 537u);
  EXPECT_EQ(r.front(), "[generale]");
  EXPECT_EQ(r.back(), "[fine]");
  for (unsigned char c : *byte_linea_) EXPECT_TRUE(c == '\r' || c == '\n' || (c >= 32 && c < 127));
  EXPECT_EQ(byte_linea_->find("riferimento fine del file"), std::string::npos);
}

TEST_F(DescrizioniScritte, LineFileSectionsInOrderWithTheirCounts) {
  Sezioni s = sezioni(linea());
  EXPECT_EQ(s.nomi, (std::vector<std::string>{"[generale]", "[curve]", "[pendenze]", "[montagne]",
                                              "[cartelli]", "[indicazioni]", "[fine]"}));
  EXPECT_EQ(s.righe["[generale]"],
            (std::vector<std::string>{"lunghezza percorso,    334000",
                                      "progressiva chilometrica uno,    31100,    3050,    0",
                                      "progressiva chilometrica due,    284500,    -284500,    0",
                                      "progressiva chilometrica tre,    315950,    412050,    1",
                                      "sfondo uno,    1", "sfondo due,    0", "sfondo tre,    0",
                                      "ripetizione segnali 9 codici,    8000,    330700"}));
  EXPECT_EQ(conteggi(s), (std::map<std::string, size_t>{{"[generale]", 8},
                                                        {"[curve]", 173},
                                                        {"[pendenze]", 251},
                                                        {"[montagne]", 15},
                                                        {"[cartelli]", 64},
                                                        {"[indicazioni]", 19},
                                                        {"[fine]", 0}}));
}

// The form of each kind of line record, blanks included.
bool forma_curva(const std::string& riga) {
  prova::Scansione s(riga);
  s.testo("curva");
  s.uno_tra("sd");
  s.uno_tra("123456");
  s.testo(",  ");
  s.cifre();
  s.testo(",  ");
  s.cifre();
  return s.finita();
}

bool forma_pendenza(const std::string& riga) {  // the value may be "-4,5"
  prova::Scansione s(riga);
  s.testo("pendenza,  ");
  s.cifre();
  s.testo(",   ");
  s.forse("-");
  s.cifre();
  s.forse(",5");
  return s.finita();
}

bool forma_montagna(const std::string& riga) {
  prova::Scansione s(riga);
  s.testo("montagna,   ");
  for (int i = 0; i < 3; ++i) {
    if (i > 0) s.testo(",  ");
    s.cifre();
  }
  return s.finita();
}

bool forma_indicatore(const std::string& riga) {  // nine fields, each may be empty
  prova::Scansione s(riga);
  s.testo("indicatori_vmax");
  for (int i = 0; i < 9; ++i) {
    s.testo(",  ");
    s.cifre(0);
  }
  return s.finita();
}

bool forma_cartello(const std::string& riga) {  // one or two texts in parentheses
  prova::Scansione s(riga);
  s.testo("cartello_indicatore,  ");
  s.cifre();
  s.testo(",   (");
  s.tranne("(),");
  s.testo(")");
  if (s.forse("(")) {
    s.tranne("(),");
    s.testo(")");
  }
  return s.finita();
}

struct FormaRiga {
  std::string sezione;
  bool (*ammessa)(const std::string&);
};
const FormaRiga forme_linea[] = {
    {"[curve]", forma_curva},          {"[pendenze]", forma_pendenza},
    {"[montagne]", forma_montagna},    {"[cartelli]", forma_indicatore},
    {"[indicazioni]", forma_cartello},
};

TEST(FormeRighe, TellALineOfTheirKindFromANearMiss) {
  struct Caso {
    bool (*ammessa)(const std::string&);
    std::string riga;
    bool attesa;
  };
  const Caso casi[] = {
      {forma_curva, "curvas1,  1350,  150", true},
      {forma_curva, "curvax1,  1350,  150", false},
      {forma_curva, "curvas7,  1350,  150", false},
      {forma_curva, "curvas1, 1350,  150", false},
      {forma_curva, "curvas1,  1350,  150 ", false},
      {forma_pendenza, "pendenza,  600,   -11", true},
      {forma_pendenza, "pendenza,  1250,   -4,5", true},
      {forma_pendenza, "pendenza,  1250,   4,6", false},
      {forma_pendenza, "pendenza,  1250,  4", false},
      {forma_pendenza, "pendenza,  -50,   4", false},
      {forma_montagna, "montagna,   8750,  11150,  12", true},
      {forma_montagna, "montagna,   8750,  11150", false},
      {forma_montagna, "montagna,  8750,  11150,  12", false},
      {forma_indicatore, "indicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0", true},
      {forma_indicatore, "indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0", true},
      {forma_indicatore, "indicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  0", false},
      {forma_indicatore, "indicatori_vmax,  1000,  90,  95,  100,  0,  ,  , ,  0", false},
      {forma_cartello, "cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)", true},
      {forma_cartello, "cartello_indicatore,  2950,   (Vela)", true},
      {forma_cartello, "cartello_indicatore,  2950,   (Vela", false},
      {forma_cartello, "cartello_indicatore,  2950,   (Ve,la)", false},
      {forma_cartello, "cartello_indicatore,  2950,   (a)(b)(c)", false},
  };
  for (const Caso& c : casi) EXPECT_EQ(c.ammessa(c.riga), c.attesa) << c.riga;
}

TEST_F(DescrizioniScritte, LineFileSpacingPerKind) {
  Sezioni s = sezioni(linea());
  for (const FormaRiga& f : forme_linea)
    for (const std::string& r : s.righe[f.sezione]) EXPECT_TRUE(f.ammessa(r)) << r;
  // Only one gradient is written with a decimal comma.
  int decimali = 0;
  for (const std::string& r : s.righe["[pendenze]"]) decimali += campi(r).size() == 4;
  EXPECT_EQ(decimali, 1);
}

TEST_F(DescrizioniScritte, CurvesBySideClassAndPlace) {
  std::vector<std::string> r = sezioni(linea()).righe["[curve]"];
  ASSERT_EQ(r.size(), 173u);
  EXPECT_EQ(r.front(), "curvas1,  1350,  150");
  std::map<char, int> lati;
  std::map<char, int> classi;
  long fine_prec = -1, abbutte = 0, inizio_min = 1 << 30, inizio_max = 0, l_min = 1 << 30,
       l_max = 0;
  for (const std::string& riga : r) {
    lati[riga[5]]++;
    classi[riga[6]]++;
    std::vector<long> v = numeri(riga, 1, 2);
    long inizio = v[0], lunghezza = v[1];
    EXPECT_EQ(inizio % 50, 0);
    EXPECT_EQ(lunghezza % 50, 0);
    EXPECT_GE(inizio, fine_prec) << riga;  // ascending, none overlapping
    abbutte += inizio == fine_prec;
    fine_prec = inizio + lunghezza;
    inizio_min = std::min(inizio_min, inizio);
    inizio_max = std::max(inizio_max, inizio);
    l_min = std::min(l_min, lunghezza);
    l_max = std::max(l_max, lunghezza);
  }
  EXPECT_EQ(lati, (std::map<char, int>{{'d', 77}, {'s', 96}}));
  EXPECT_EQ(classi,
            (std::map<char, int>{{'1', 21}, {'2', 26}, {'3', 47}, {'4', 50}, {'5', 25}, {'6', 4}}));
  EXPECT_EQ(abbutte, 21);
  EXPECT_EQ(inizio_min, 1350);
  EXPECT_EQ(inizio_max, 332050);
  EXPECT_EQ(l_min, 50);
  EXPECT_EQ(l_max, 1900);
  EXPECT_LE(fine_prec, 334000);
}

TEST_F(DescrizioniScritte, GradientsAscendFrom0To317750WithinPlusMinus11) {
  std::vector<std::string> r = sezioni(linea()).righe["[pendenze]"];
  ASSERT_EQ(r.size(), 251u);
  EXPECT_EQ(r[1], "pendenza,  600,   -11");
  EXPECT_EQ(r[2], "pendenza,  1250,   -4,5");
  long prec = -1, v_min = 100, v_max = -100;
  for (const std::string& riga : r) {
    std::vector<long> v = numeri(riga, 1, 2);
    EXPECT_GT(v[0], prec) << riga;
    EXPECT_EQ(v[0] % 50, 0);
    prec = v[0];
    v_min = std::min(v_min, v[1]);
    v_max = std::max(v_max, v[1]);
  }
  EXPECT_EQ(numeri(r.front(), 1, 1)[0], 0);
  EXPECT_EQ(prec, 317750);
  EXPECT_EQ(v_min, -11);
  EXPECT_EQ(v_max, 11);
}

TEST_F(DescrizioniScritte, MountainZonesNineWithMarkersSixWithoutAtLeast200Apart) {
  std::vector<std::string> r = sezioni(linea()).righe["[montagne]"];
  ASSERT_EQ(r.size(), 15u);
  EXPECT_EQ(r.front(), "montagna,   8750,  11150,  12");
  std::map<long, int> valori;
  long fine_prec = -1000;
  for (const std::string& riga : r) {
    std::vector<long> v = numeri(riga, 1, 3);
    EXPECT_GE(v[0] - fine_prec, 200) << riga;
    EXPECT_GT(v[1], v[0]);
    fine_prec = v[1];
    valori[v[2]]++;
  }
  EXPECT_EQ(valori, (std::map<long, int>{{2, 6}, {12, 9}}));
}

struct Indicatore {
  long posizione;
  std::vector<long> primo;
  long codice_primo;
  std::vector<std::string> secondo;  // the three speed fields as written
  long codice_secondo;
};

std::vector<Indicatore> indicatori(const std::vector<std::string>& righe) {
  std::vector<Indicatore> out;
  for (const std::string& r : righe) {
    std::vector<std::string> c = campi(r);
    if (c.size() != 10) {
      ADD_FAILURE() << r;
      continue;
    }
    out.push_back(
        {numero(c[1]),
         {numero(c[2]), numero(c[3]), numero(c[4])},
         numero(c[5]),
         {senza_blank_iniziali(c[6]), senza_blank_iniziali(c[7]), senza_blank_iniziali(c[8])},
         numero(c[9])});
  }
  return out;
}

TEST_F(DescrizioniScritte, SpeedIndicatorsRangesCodesAndCells) {
  Sezioni s = sezioni(linea());
  std::vector<std::string> r = s.righe["[cartelli]"];
  ASSERT_EQ(r.size(), 64u);
  EXPECT_EQ(r.front(), "indicatori_vmax,  1000,  90,  95,  100,  0,  ,  ,  ,  0");
  EXPECT_NE(
      std::find(r.begin(), r.end(), "indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0"),
      r.end());
  std::vector<Indicatore> ind = indicatori(r);
  std::set<long> velocita, codici;
  std::set<long> celle;
  int vuoti = 0;
  long prec = -1;
  for (const Indicatore& i : ind) {
    EXPECT_GT(i.posizione, prec);
    prec = i.posizione;
    EXPECT_EQ(i.posizione % 50, 0);
    EXPECT_TRUE(celle.insert(cella_dopo(i.posizione)).second)
        << "two indicators in cell of " << i.posizione;
    EXPECT_LE(i.primo[0], i.primo[1]);
    EXPECT_LE(i.primo[1], i.primo[2]);
    velocita.insert(i.primo.begin(), i.primo.end());
    codici.insert(i.codice_primo);
    codici.insert(i.codice_secondo);
    bool vuoto = i.secondo == std::vector<std::string>{"", "", ""};
    vuoti += vuoto;
    if (!vuoto)
      for (const std::string& v : i.secondo) velocita.insert(std::stol(v));
  }
  EXPECT_EQ(ind.front().posizione, 1000);
  EXPECT_EQ(ind.back().posizione, 329800);
  EXPECT_EQ(vuoti, 18);
  EXPECT_EQ(codici, (std::set<long>{0, 1, 2}));
  EXPECT_EQ(*velocita.begin(), 75);
  EXPECT_EQ(*velocita.rbegin(), 170);
  for (long v : velocita) EXPECT_EQ(v % 5, 0) << v;
  for (const std::string& c : s.righe["[indicazioni]"])
    EXPECT_EQ(celle.count(cella_dopo(numero(campi(c)[1]))), 0u)
        << "indicator and signpost share a cell: " << c;
}

// The kilometre marks "Km K+MMM" in a signpost's text, in metres.
std::vector<long> marche_km(const std::string& testo) {
  std::vector<long> marche;
  for (size_t da = testo.find("Km "); da != std::string::npos; da = testo.find("Km ", da + 1)) {
    prova::Scansione s(std::string_view(testo).substr(da + 3));
    const long km = s.cifre();
    s.testo("+");
    const long metri = s.cifre(3, 3);
    if (s.riuscita()) marche.push_back(km * 1000 + metri);
  }
  return marche;
}

TEST_F(DescrizioniScritte, SignpostTextsFollowTheKilometreMarks) {
  std::vector<std::string> r = sezioni(linea()).righe["[indicazioni]"];
  ASSERT_EQ(r.size(), 19u);
  EXPECT_NE(std::find(r.begin(), r.end(), "cartello_indicatore,  27950,   (  Cippo  )(Km 28+000)"),
            r.end());
  long prec = -1;
  int chilometrici = 0;
  size_t piu_lungo = 0;
  for (const std::string& riga : r) {
    std::vector<std::string> c = campi(riga);
    ASSERT_EQ(c.size(), 3u) << riga;
    long p = numero(c[1]);
    EXPECT_GT(p, prec);
    prec = p;
    std::string testo = senza_blank_iniziali(c[2]);
    EXPECT_LE(testo.size(), 24u) << testo;
    piu_lungo = std::max(piu_lungo, testo.size());
    // A sign stands in the cell after its position: its post is 50 m on.
    long palo = p + 50;
    std::vector<long> letti = marche_km(testo);
    if (letti.size() == 1) {
      EXPECT_EQ(letti[0], progressiva(palo)) << riga;
    } else if (letti.size() == 2) {  // a jump of the marks: before and after it
      EXPECT_EQ(letti[0], progressiva(palo - 1) + 1) << riga;
      EXPECT_EQ(letti[1], progressiva(palo)) << riga;
      EXPECT_NE(progressiva(palo - 1) + 1, progressiva(palo)) << riga;
    }
    chilometrici += !letti.empty();
  }
  EXPECT_EQ(numero(campi(r.front())[1]), 7950);
  EXPECT_EQ(prec, 330750);
  EXPECT_GE(chilometrici, 15);
  EXPECT_EQ(piu_lungo, 24u);  // sign texts run to 24 characters, and the longest reaches it
}

// ------------------------------------------------------------ train file

TEST_F(DescrizioniScritte, TrainFileHas364LinesWithTheEmptyOneAtEntry68) {
  std::vector<std::string> r = treno();
  ASSERT_EQ(r.size(), 364u);
  for (unsigned char c : *byte_treno_) EXPECT_TRUE(c == '\r' || c == '\n' || (c >= 32 && c < 127));
  EXPECT_EQ(r[68], "");
  EXPECT_EQ(std::count(r.begin(), r.end(), ""), 1);
  const std::map<size_t, std::string> intestazioni = {
      {0, "[generale]"},        {5, "[aderenze]"},  {10, "[vel_limite]"}, {54, "[stazioni]"},
      {101, "[rallentamenti]"}, {104, "[segnali]"}, {284, "[codici]"},    {363, "[fine]"}};
  for (const auto& [i, testo] : intestazioni) EXPECT_EQ(r[i], testo) << "entry " << i;
  EXPECT_EQ(r[1], "numero vetture,  10");
  EXPECT_EQ(r[2], "percentuale massa frenata,  130");
  EXPECT_EQ(r[3], "sabbia,  220");
  EXPECT_EQ(r[4], "orologio,  13 4 30 ");
  EXPECT_EQ(r[102], "rallentamento,  291850,    60,  500, 0,  1,  60");
  EXPECT_EQ(r[103], "rallentamento,  308700,    30,  200, 1,  1,  30");
}

TEST_F(DescrizioniScritte, AdhesionAndSpeedProfiles) {
  Sezioni s = sezioni(treno());
  std::vector<std::string> a = s.righe["[aderenze]"];
  ASSERT_EQ(a.size(), 4u);
  std::vector<long> pos, val;
  for (const std::string& r : a) {
    ASSERT_TRUE(inizia(r, "aderenza,")) << r;
    std::vector<long> v = numeri(r, 1, 2);
    pos.push_back(v[0]);
    val.push_back(v[1]);
  }
  EXPECT_TRUE(std::is_sorted(pos.begin(), pos.end()));
  EXPECT_EQ(pos.front(), 0);
  EXPECT_EQ(pos.back(), 325950);
  EXPECT_EQ(*std::min_element(val.begin(), val.end()), 87);
  EXPECT_EQ(*std::max_element(val.begin(), val.end()), 96);

  std::vector<std::string> v = s.righe["[vel_limite]"];
  ASSERT_EQ(v.size(), 43u);
  EXPECT_EQ(v[0], "velocita,   0,    30");
  EXPECT_EQ(v[1], "velocita,    1000,   100");
  long prec = -1, l_min = 10000, l_max = 0;
  for (const std::string& r : v) {
    ASSERT_TRUE(inizia(r, "velocita,")) << r;
    std::vector<long> n = numeri(r, 1, 2);
    EXPECT_GT(n[0], prec);
    EXPECT_EQ(n[1] % 5, 0);
    prec = n[0];
    l_min = std::min(l_min, n[1]);
    l_max = std::max(l_max, n[1]);
  }
  EXPECT_EQ(prec, 330750);
  EXPECT_EQ(l_min, 30);
  EXPECT_EQ(l_max, 170);
}

TEST_F(DescrizioniScritte, EverySpeedChangeFrom75UpHasItsBoard) {
  // The speed boards stand where the limit changes, their third speed of
  // the first group being the limit from there on.
  std::vector<Indicatore> ind = indicatori(sezioni(linea()).righe["[cartelli]"]);
  std::map<long, long> terza;
  for (const Indicatore& i : ind) terza[i.posizione] = i.primo[2];
  Sezioni t = sezioni(treno());
  for (const std::string& r : t.righe["[vel_limite]"]) {
    std::vector<long> n = numeri(r, 1, 2);
    if (n[1] < 75) continue;
    ASSERT_TRUE(terza.count(n[0])) << r;
    EXPECT_EQ(terza[n[0]], n[1]) << r;
  }
}

struct Stazione {
  std::vector<long> campo;  // fields 1 to 16, campo[0] unused
  std::string nome;
  long inizio, fine;
};

std::vector<Stazione> stazioni(const std::vector<std::string>& righe) {
  std::vector<Stazione> out;
  for (const std::string& r : righe) {
    if (r.empty()) continue;
    std::vector<std::string> c = campi(r);
    EXPECT_EQ(c.size(), 18u) << r;
    if (c.size() != 18) continue;
    Stazione s;
    s.campo.push_back(0);
    for (size_t i = 1; i <= 16; ++i) s.campo.push_back(numero(c[i]));
    s.nome = senza_blank_iniziali(c[17]);
    long p = s.campo[1], tipo = s.campo[2], l = s.campo[3];
    if (tipo == 7 || tipo == 8) {
      s.inizio = p - l;
      s.fine = p + l;
    } else {
      s.inizio = p - l / 2;
      s.fine = p + l / 2 + (s.campo[6] && !out.empty() ? 50 : 0);
    }
    out.push_back(s);
  }
  return out;
}

TEST_F(DescrizioniScritte, StationsFieldsTimesAndSpacing) {
  std::vector<std::string> righe = sezioni(treno()).righe["[stazioni]"];
  ASSERT_EQ(righe.size(), 46u);
  EXPECT_EQ(righe[0], "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  13, 4,30, " +
                          stazioni(righe)[0].nome);
  std::vector<Stazione> s = stazioni(righe);
  ASSERT_EQ(s.size(), 45u);
  // The values that the station type and fields 7 to 12 take, and the range
  // of the lengths; the other fields are checked station by station below.
  std::map<int, std::set<long>> valori;
  std::set<long> lunghezze;
  for (const Stazione& st : s) {
    for (int f : {2, 7, 8, 9, 10, 11, 12}) valori[f].insert(st.campo[f]);
    lunghezze.insert(st.campo[3]);
  }
  EXPECT_EQ(valori, (std::map<int, std::set<long>>{{2, {2, 4, 8, 12, 21, 22, 27, 28}},
                                                   {7, {0, 1, 4}},
                                                   {8, {0, 1}},
                                                   {9, {0}},
                                                   {10, {0, 2, 4, 5}},
                                                   {11, {0, 1}},
                                                   {12, {0, 1}}}));
  EXPECT_EQ(*lunghezze.begin(), 200);
  EXPECT_EQ(*lunghezze.rbegin(), 600);

  EXPECT_EQ(s.front().campo[1], 0);
  EXPECT_EQ(s.back().campo[1], 332750);
  int tipo4 = 0, campo5 = 0, campo6 = 0, fermate = 0;
  std::set<long> valori_fermata;
  for (size_t i = 0; i < s.size(); ++i) {
    const Stazione& st = s[i];
    const std::vector<long>& f = st.campo;
    SCOPED_TRACE(st.nome);
    EXPECT_EQ(f[1] % 50, 0);
    EXPECT_EQ(f[3] % 100, 0);
    EXPECT_EQ(f[2] == 8, i == 0);
    tipo4 += f[2] == 4;
    EXPECT_EQ(f[4], (i == 0 || f[2] == 4) ? 1 : 0);
    if (f[5]) {
      ++campo5;
      EXPECT_EQ(f[3], 600);
      EXPECT_NE(i, 0u);
    }
    campo6 += f[6] == 1;
    EXPECT_LE(f[5], 1);
    EXPECT_LE(f[6], 1);
    EXPECT_LE(st.nome.size(), 22u);
    EXPECT_EQ(st.nome.find(','), std::string::npos);
    if (i > 0) {
      EXPECT_GT(f[1], s[i - 1].campo[1]);
      EXPECT_GE(st.inizio - 350, s[i - 1].fine);
    }
    long orario = (f[14] * 60 + f[15]) * 60 + f[16];
    if (i == 0) {
      EXPECT_EQ(f[13], 1);
      EXPECT_EQ(orario, (13 * 60 + 4) * 60 + 30);
    } else if (i + 1 == s.size()) {
      EXPECT_EQ(f[13], 0);
      EXPECT_EQ(orario, (16 * 60 + 20) * 60);
    } else if (f[13]) {
      ++fermate;
      valori_fermata.insert(f[13]);
      EXPECT_GT(orario, (13 * 60 + 4) * 60 + 30);
      EXPECT_LT(orario, 16 * 3600 + 20 * 60);
    } else {
      EXPECT_EQ(orario, 0);
    }
  }
  EXPECT_EQ(tipo4, 1);
  EXPECT_EQ(campo5, 3);
  EXPECT_EQ(campo6, 3);
  EXPECT_EQ(fermate, 6);
  EXPECT_EQ(valori_fermata, (std::set<long>{60, 99}));
  // Scheduled times grow along the line.
  long prec = 0;
  for (const Stazione& st : s) {
    long orario = (st.campo[14] * 60 + st.campo[15]) * 60 + st.campo[16];
    if (orario == 0) continue;
    EXPECT_GT(orario, prec) << st.nome;
    prec = orario;
  }
}

TEST_F(DescrizioniScritte, EachSlowdownLiesBetweenTwoStations) {
  Sezioni t = sezioni(treno());
  std::vector<Stazione> s = stazioni(t.righe["[stazioni]"]);
  for (const std::string& r : t.righe["[rallentamenti]"]) {
    std::vector<long> g = numeri(r, 1, 6);
    int tra = 0;
    for (size_t i = 0; i + 1 < s.size(); ++i)
      tra += s[i].fine <= g[0] - 1200 - 200 && g[0] + g[2] <= s[i + 1].inizio;
    EXPECT_EQ(tra, 1) << r;
  }
}

TEST_F(DescrizioniScritte, SignalsFieldsAndPlaces) {
  std::vector<std::string> r = sezioni(treno()).righe["[segnali]"];
  ASSERT_EQ(r.size(), 179u);
  EXPECT_EQ(r.front(), "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0");
  EXPECT_NE(std::find(r.begin(), r.end(), "segnale,   76150,   2, 3, 1,  1, 0,    2,  2,1,1, 115"),
            r.end());
  std::map<int, std::set<long>> valori;
  std::map<long, int> extra;
  long prec = -1;
  for (const std::string& riga : r) {
    ASSERT_TRUE(inizia(riga, "segnale,")) << riga;
    std::vector<long> f = numeri(riga, 1, 11);
    ASSERT_EQ(f.size(), 11u) << riga;
    EXPECT_GT(f[0], prec);
    EXPECT_EQ(f[0] % 50, 0);
    prec = f[0];
    for (int i = 2; i <= 10; ++i) valori[i].insert(f[i - 1]);
    extra[f[10]]++;
  }
  EXPECT_EQ(numeri(r.front(), 1, 1)[0], 1050);
  EXPECT_EQ(prec, 331100);
  EXPECT_EQ(valori, (std::map<int, std::set<long>>{{2, {2}},
                                                   {3, {2, 3, 4, 5}},
                                                   {4, {0, 1, 3, 6}},
                                                   {5, {0, 1}},
                                                   {6, {0, 1}},
                                                   {7, {0, 1, 2}},
                                                   {8, {0, 1, 2, 3}},
                                                   {9, {0, 1}},
                                                   {10, {0, 1}}}));
  EXPECT_EQ(extra, (std::map<long, int>{{0, 175}, {115, 1}, {118, 1}, {125, 1}, {245, 1}}));
}

TEST_F(DescrizioniScritte, CodeReductionsAllAt270) {
  std::vector<std::string> r = sezioni(treno()).righe["[codici]"];
  ASSERT_EQ(r.size(), 78u);
  EXPECT_EQ(r.front(), "abbattimento,    7050,   270");
  long prec = -1;
  for (const std::string& riga : r) {
    ASSERT_TRUE(inizia(riga, "abbattimento,")) << riga;
    std::vector<long> v = numeri(riga, 1, 2);
    EXPECT_GT(v[0], prec);
    prec = v[0];
    EXPECT_EQ(v[1], 270);
  }
  EXPECT_EQ(prec, 327450);
}

TEST_F(DescrizioniScritte, ClockIsTheOriginsScheduledTime) {
  std::vector<std::string> r = treno();
  std::vector<Stazione> s = stazioni(sezioni(r).righe["[stazioni]"]);
  ASSERT_FALSE(s.empty());
  EXPECT_EQ(r[4], "orologio,  " + std::to_string(s[0].campo[14]) + " " +
                      std::to_string(s[0].campo[15]) + " " + std::to_string(s[0].campo[16]) + " ");
}

// ------------------------------------------------------------ the build run

const std::vector<std::string> kSeiFile = {"Vela_Nuro_IC 731.dat",
                                           "Vela_Nuro_IC 731.sim",
                                           "Vela_Nuro_IC 731_note.txt",
                                           "Vela_Nuro_IC 731_rallentamenti.txt",
                                           "Vela_Nuro_IC 731_scheda_treno.txt",
                                           "Vela_Nuro_linea.dat"};

std::map<std::string, std::string> esegui_compilatore(CartellaTemporanea& cartella) {
  prova::copia_programma(SCEN_COMPILATORE, cartella.percorso());
  prova::Esito esito = prova::esegui("./compilatore", cartella.percorso());
  EXPECT_EQ(esito.stato, 0) << esito.errori;
  EXPECT_EQ(esito.uscita, "Attendere\n");
  EXPECT_EQ(esito.errori, "");
  std::vector<std::string> attesi = kSeiFile;
  attesi.push_back("compilatore");
  std::sort(attesi.begin(), attesi.end());
  EXPECT_EQ(cartella.elenco(), attesi);
  std::map<std::string, std::string> file;
  for (const std::string& nome : kSeiFile) file[nome] = prova::leggi(cartella.file(nome));
  return file;
}

// Two runs of the build program, each in a fresh folder; run once for all tests.
struct Compilazione {
  std::map<std::string, std::string> prima, seconda;
};
const Compilazione& compilazione() {
  static const Compilazione c = [] {
    CartellaTemporanea a, b;
    return Compilazione{esegui_compilatore(a), esegui_compilatore(b)};
  }();
  return c;
}

// The compiled cells of the first run; empty if the file is not whole cells.
const std::vector<cella>& celle_compilate() {
  static const std::vector<cella> celle =
      prova::celle_lette(compilazione().prima.at("Vela_Nuro_IC 731.dat"))
          .value_or(std::vector<cella>{});
  return celle;
}

TEST_F(DescrizioniScritte, TheBuildRunEndsCleanlyWithSixFilesAndTwoRunsAgree) {
  const Compilazione& c = compilazione();
  for (const std::string& nome : kSeiFile) {
    ASSERT_TRUE(c.prima.count(nome) && c.seconda.count(nome)) << nome;
    EXPECT_FALSE(c.prima.at(nome).empty()) << nome;
    EXPECT_TRUE(c.prima.at(nome) == c.seconda.at(nome)) << nome << " differs between runs";
  }
  EXPECT_EQ(c.prima.at("Vela_Nuro_IC 731.dat").size(), 102315u);
  EXPECT_EQ(c.prima.at("Vela_Nuro_linea.dat").size(), 6819964u);
}

TEST_F(DescrizioniScritte, CompiledCellsHoldEverySignalSlowdownAndCodeReduction) {
  const std::vector<cella>& celle = celle_compilate();
  ASSERT_EQ(celle.size(), 6821u);
  Sezioni t = sezioni(treno());
  Sezioni l = sezioni(linea());

  // Every signal in the cell after its position.
  for (const std::string& r : t.righe["[segnali]"])
    EXPECT_EQ(celle[cella_dopo(numero(campi(r)[1]))].codice, 1) << r;
  // Every code reduction with its value in the cell of its position.
  for (const std::string& r : t.righe["[codici]"]) {
    const cella& c = celle[numero(campi(r)[1]) / 50];
    EXPECT_EQ(c.codice, 12) << r;
    EXPECT_EQ(c.valore_1, 270) << r;
  }
  // Indicators, signposts and stop marks all stand.
  for (const std::string& r : l.righe["[cartelli]"])
    EXPECT_EQ(celle[cella_dopo(numero(campi(r)[1]))].codice, 6) << r;
  for (const std::string& r : l.righe["[indicazioni]"])
    EXPECT_EQ(celle[cella_dopo(numero(campi(r)[1]))].codice, 14) << r;
  std::vector<Stazione> s = stazioni(t.righe["[stazioni]"]);
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i].campo[2] >= 25) continue;
    const cella& c = celle[s[i].fine / 50 - 1];
    EXPECT_EQ(c.codice, 10) << s[i].nome;
    EXPECT_EQ(c.valore_1, static_cast<int>(i + 1)) << s[i].nome;
  }

  // Both slowdowns: warning, start, end and the four approach cells before the warning.
  std::vector<std::pair<long, long>> zone;
  for (const std::string& r : t.righe["[rallentamenti]"]) {
    std::vector<long> g = numeri(r, 1, 6);
    long w = cella_dopo(g[0] - 1200), inizio = cella_dopo(g[0]), fine = cella_dopo(g[0] + g[2]);
    EXPECT_EQ(celle[w].codice, 4) << r;
    EXPECT_EQ(celle[w].valore_1, g[1]) << r;
    EXPECT_EQ(celle[inizio].codice, 3) << r;
    EXPECT_EQ(celle[inizio].valore_1, g[1]) << r;
    EXPECT_EQ(celle[fine].codice, 2) << r;
    for (int d = 0; d < 4; ++d) {
      EXPECT_EQ(celle[w - 1 - d].codice, 5) << r;
      EXPECT_EQ(celle[w - 1 - d].valore_1, d + 1) << r;
    }
    // One code reduction of the pass in each of the three groups before the start.
    for (int g0 : {5, 11, 18}) {
      int nel_gruppo = 0;
      for (int d = g0; d < g0 + 3; ++d)
        nel_gruppo += celle[inizio - d].codice == 12 && celle[inizio - d].valore_1 == 180;
      EXPECT_EQ(nel_gruppo, 1) << r << " group from " << g0;
    }
    zone.push_back({w - 22, fine + 12});
  }
  ASSERT_EQ(zone.size(), 2u);

  std::map<int, int> codici;
  int a270 = 0, a180 = 0;
  for (size_t i = 0; i < celle.size(); ++i) {
    codici[celle[i].codice]++;
    if (celle[i].codice != 12) continue;
    if (celle[i].valore_1 == 270) ++a270;
    if (celle[i].valore_1 == 180) {
      ++a180;
      bool vicino = std::any_of(zone.begin(), zone.end(), [&](auto z) {
        return static_cast<long>(i) >= z.first && static_cast<long>(i) <= z.second;
      });
      EXPECT_TRUE(vicino) << "code reduction of the pass far from a slowdown, cell " << i;
    }
  }
  EXPECT_EQ(a270, 78);
  EXPECT_GE(a180, 7);  // three groups before each start, the walk through the first
  // How many cells carry each code; no code reduction without its value.
  for (int libero : {0, 11}) codici.erase(libero);
  EXPECT_EQ(codici, (std::map<int, int>{{1, 179},
                                        {2, 2},
                                        {3, 2},
                                        {4, 2},
                                        {5, 8},
                                        {6, 64},
                                        {10, 41},
                                        {12, a270 + a180},
                                        {14, 19}}));
}

TEST_F(DescrizioniScritte, CompiledRecordsHoldTheStationsSignpostsAndHeaders) {
  const auto registri = prova::registri_letti(compilazione().prima.at("Vela_Nuro_IC 731.sim"));
  ASSERT_TRUE(registri) << "the compiled train file is not 87 whole records";
  const Sezioni t = sezioni(treno());
  const Sezioni l = sezioni(linea());
  // Stations from record 1 upward, in the order of the train file.
  const std::vector<Stazione> s = stazioni(t.righe.at("[stazioni]"));
  for (size_t i = 0; i < s.size(); ++i) {
    const registro& r = (*registri)[i + 1];
    const std::vector<long>& f = s[i].campo;
    SCOPED_TRACE(s[i].nome);
    EXPECT_EQ(r.nome, s[i].nome);
    EXPECT_EQ(
        (std::vector<long>{r.tipo, r.progressiva, r.inizio, r.fine, r.campo_4, r.campo_5,
                           r.prolungamento, r.campo_7, r.campo_8, r.campo_9, r.campo_10, r.campo_11,
                           r.campo_12, r.fermata, r.orario}),
        (std::vector<long>{f[2], f[1], s[i].inizio, s[i].fine, f[4], f[5], f[6], f[7], f[8], f[9],
                           f[10], f[11], f[12], f[13], (f[14] * 60 + f[15]) * 60 + f[16]}));
  }
  // Signposts from record 80 downward, only their text.
  const std::vector<std::string>& cartelli = l.righe.at("[indicazioni]");
  for (size_t i = 0; i < cartelli.size(); ++i)
    EXPECT_EQ((*registri)[80 - i].nome, senza_blank_iniziali(campi(cartelli[i])[2])) << i;
  // Between them, records that no reader filled.
  for (size_t i = s.size() + 1; i <= 80 - cartelli.size(); ++i)
    EXPECT_EQ((*registri)[i], registro{}) << "record " << i;
  EXPECT_EQ((*registri)[0], registro{});
  // The header records: progressives, line length and train values, keys,
  // the mark 610 and codice_gara_st.
  struct Intestazione {
    size_t indice;
    std::vector<long> numeri;  // inizio, fine, progressiva, campo_7, campo_10 to 12, orario
    std::string nome;
  };
  const Intestazione intestazioni[] = {
      {81, {315950, 412150, 1, 0, 0, 0, 0, 0}, ""},
      {82, {284500, -284500, 0, 0, 0, 0, 0, 0}, ""},
      {83, {31100, 3050, 0, 0, 0, 0, 0, 0}, ""},
      {84, {130, 334000, 10, 0, 0, 0, 0, 0}, ""},
      {85, {1, 0, 0, 610, 0, 0, 0, 32226}, "Vela_Nuro"},
      {86, {8000, 330700, 9, 220, 13, 4, 30, 0}, "IC 731"},
  };
  for (const Intestazione& i : intestazioni) {
    const registro& r = (*registri)[i.indice];
    EXPECT_EQ((std::vector<long>{r.inizio, r.fine, r.progressiva, r.campo_7, r.campo_10, r.campo_11,
                                 r.campo_12, r.orario}),
              i.numeri)
        << "record " << i.indice;
    EXPECT_EQ(r.nome, i.nome) << "record " << i.indice;
  }
}

// The value of a cell's field, by the field's name.
int campo_di(const cella& c, std::string_view campo) {
  const std::pair<std::string_view, int> campi[] = {{"codice", c.codice},
                                                    {"valore_1", c.valore_1},
                                                    {"valore_2", c.valore_2},
                                                    {"valore_3", c.valore_3},
                                                    {"valore_4", c.valore_4},
                                                    {"valore_5", c.valore_5},
                                                    {"avvicinamento", c.avvicinamento},
                                                    {"montagna", c.montagna},
                                                    {"vel_limite", c.vel_limite},
                                                    {"pendenza", c.pendenza},
                                                    {"aderenza", c.aderenza}};
  for (const auto& [nome, valore] : campi)
    if (nome == campo) return valore;
  ADD_FAILURE() << "no cell field " << campo;
  return -1;
}

TEST_F(DescrizioniScritte, CompiledCellsShowTheReadersWorkedExamples) {
  const std::vector<cella>& c = celle_compilate();
  ASSERT_EQ(c.size(), 6821u);
  struct Atteso {
    size_t cella;
    const char* campo;
    int valore;
  };
  const Atteso attesi[] = {
      // The speed board at 7300 m: cell 147, speed pairs 75/75, 80/80, 85/85.
      {147, "codice", 6},
      {147, "valore_1", 1515},
      {147, "valore_2", 1616},
      {147, "valore_3", 1717},
      {147, "valore_4", 0},
      // The board at 1000 m with an empty second group: 20 times the first.
      {21, "codice", 6},
      {21, "valore_1", 1800},
      {21, "valore_2", 1900},
      {21, "valore_3", 2000},
      // The first signal: cell 22.
      {22, "codice", 1},
      {22, "valore_1", 42},
      {22, "valore_2", 11},
      {22, "valore_3", 11},
      {22, "valore_4", 8},
      {22, "valore_5", 0},
      // The signal at 76150 m carries its extra value.
      {1524, "codice", 1},
      {1524, "valore_1", 32},
      {1524, "valore_5", 115},
      // The origin: stop mark in cell 9.
      {9, "codice", 10},
      {9, "valore_1", 1},
      // The first code reduction.
      {141, "codice", 12},
      {141, "valore_1", 270},
      // 30 km/h up to 1000 m, then 100; "-4,5" gives -4 from cell 25.
      {20, "vel_limite", 20},
      {11, "pendenza", 100},
      {12, "pendenza", 89},
      {24, "pendenza", 89},
      {25, "pendenza", 96},
      // The first slowdown: warning 5814, start 5838, end 5848.
      {5814, "codice", 4},
      {5838, "codice", 3},
      {5848, "codice", 2},
      {5838, "valore_3", 0},
      // Profiles fill up to three cells before the end.
      {6817, "vel_limite", 6},
      {6818, "vel_limite", 0},
      {6817, "aderenza", 90},
      // The reserved marks of cell 1.
      {1, "valore_1", 5121},
      {1, "valore_2", 2352},
  };
  for (const Atteso& a : attesi)
    EXPECT_EQ(campo_di(c[a.cella], a.campo), a.valore) << "cell " << a.cella << " " << a.campo;
  // Approach marks 81 to 84 before the first signal (every other cell) and
  // before the origin's stop mark.
  for (int k = 1; k <= 4; ++k) {
    EXPECT_EQ(c[22 - 2 * k].avvicinamento, 80 + k);
    EXPECT_EQ(c[9 - k].avvicinamento, 80 + k);
  }
  for (int i = 0; i < 20; ++i) EXPECT_EQ(c[i].vel_limite, 6) << i;
  // The slowdown's speed in its warning, start and end; its four approach cells.
  for (int i : {5814, 5838, 5848}) {
    EXPECT_EQ(c[i].valore_1, 60) << i;
    EXPECT_EQ(c[i].valore_2, 60) << i;
  }
  for (int d = 0; d < 4; ++d) EXPECT_EQ(c[5813 - d].codice, 5);
}

}  // namespace
}  // namespace scen
