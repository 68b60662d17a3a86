#include "import/descrizione_importata.h"

#include <fmt/format.h>

#include "platform/windows1252.h"
#include "text/scrittore_testo.h"

namespace scen {

namespace {

// The general values a track cannot tell. The kilometre marking is the
// position itself, with no jumps: the three progressives all start at 0
// with offset 0. Background as the carried line; no signal repetition.
constexpr const char* generale[] = {
    "progressiva chilometrica uno,    0,    0,    0",
    "progressiva chilometrica due,    0,    0,    0",
    "progressiva chilometrica tre,    0,    0,    0",
    "sfondo uno,    1",
    "sfondo due,    0",
    "sfondo tre,    0",
    "ripetizione segnali 9 codici,    0,    0",
};

}  // namespace

Long passo_cartelli(Long lunghezza, size_t stazioni) {
  const Long passo =
      passo_che_sta([&](Long p) { return lunghezza / (p * 1000); }, cartelli_disponibili(stazioni));
  return passo > 0 && lunghezza >= passo * 1000 ? passo : 0;
}

std::string senza_controlli(std::string_view testo) {
  std::string pulito;
  pulito.reserve(testo.size());
  auto byte = [&](size_t i) -> unsigned char {
    return i < testo.size() ? static_cast<unsigned char>(testo[i]) : 0;
  };
  for (size_t i = 0; i < testo.size(); ++i) {
    const unsigned char c = byte(i);
    if (c < 0x20 || c == 0x7f) {
      pulito += ' ';
    } else if (c == 0xc2 && byte(i + 1) >= 0x80 && byte(i + 1) <= 0x9f) {
      pulito += ' ';
      ++i;
    } else if (c == 0xe2 && byte(i + 1) == 0x80 && (byte(i + 2) == 0xa8 || byte(i + 2) == 0xa9)) {
      pulito += ' ';
      i += 2;
    } else {
      pulito += static_cast<char>(c);
    }
  }
  return pulito;
}

std::string nome_di_stazione(std::string nome) {
  nome = senza_controlli(nome);
  for (char& c : nome)
    if (c == ',') c = ' ';
  const size_t inizio = nome.find_first_not_of(' ');
  const size_t fine = nome.find_last_not_of(' ');
  return inizio == std::string::npos ? "?" : nome.substr(inizio, fine - inizio + 1);
}

std::vector<std::string> righe_linea(const linea_importata& l) {
  std::vector<std::string> righe{"[generale]",
                                 fmt::format("lunghezza percorso,    {}", l.lunghezza)};
  if (l.progressive.size() == 3) {
    const char* nomi[] = {"uno", "due", "tre"};
    for (size_t i = 0; i < 3; ++i)
      righe.push_back(fmt::format("progressiva chilometrica {},    {},    {},    {}", nomi[i],
                                  l.progressive[i].inizio, l.progressive[i].scostamento,
                                  l.progressive[i].decrescente ? 1 : 0));
    righe.insert(righe.end(), std::begin(generale) + 3, std::end(generale));
  } else {
    righe.insert(righe.end(), std::begin(generale), std::end(generale));
  }
  righe.emplace_back("[curve]");
  for (const curva_importata& c : l.curve)
    righe.push_back(fmt::format("curva{}{},  {},  {}", c.sinistra ? 's' : 'd', c.classe, c.inizio,
                                c.lunghezza));
  righe.emplace_back("[pendenze]");
  for (const pendenza_importata& p : l.pendenze)
    righe.push_back(fmt::format("pendenza,  {},   {}", p.posizione, p.valore));
  righe.emplace_back("[montagne]");
  righe.emplace_back("[cartelli]");
  righe.emplace_back("[indicazioni]");
  if (l.cartelli)
    for (const cartello_importato& c : *l.cartelli)
      righe.push_back(fmt::format("cartello_indicatore,  {},   {}", c.posizione, c.testo));
  else if (l.passo_cartelli > 0)
    for (Long km = l.passo_cartelli; km * 1000 <= l.lunghezza; km += l.passo_cartelli)
      righe.push_back(fmt::format("cartello_indicatore,  {},   (  Cippo  )(Km {}+000)",
                                  km * 1000 - metri_cella, km));
  righe.emplace_back("[fine]");
  return righe;
}

std::vector<std::string> righe_treno(const linea_importata& l) {
  std::vector<std::string> righe{
      "[generale]",           "numero vetture,  10", "percentuale massa frenata,  100",
      "sabbia,  200",         "orologio,  8 0 0 ",   "[aderenze]",
      "aderenza,   0,    90", "[vel_limite]",
  };
  if (l.limiti.empty()) righe.emplace_back("velocita,   0,    100");
  for (const limite_importato& v : l.limiti)
    righe.push_back(fmt::format("velocita,  {:>6},    {}", v.posizione, v.velocita));
  righe.emplace_back("[stazioni]");
  for (const stazione_importata& s : l.stazioni)
    righe.push_back(
        fmt::format("stazione,  {:>6},  {},  {},  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, {}",
                    s.posizione, tipo_stazione_importata, s.estensione, s.nome));
  righe.emplace_back("[rallentamenti]");
  righe.emplace_back("[segnali]");
  for (Long p : l.segnali) righe.push_back(fmt::format("segnale,  {:>6},   {}", p, cifre_segnale));
  for (const char* r : {"[codici]", "[fine]"}) righe.emplace_back(r);
  return righe;
}

Stato testo_descrizione(const std::vector<std::string>& righe, std::string& byte) {
  // Written as the text writer writes, without its end marker and its limit
  // of lines: a description has no marker, and a long line may pass 1000.
  std::string testo;
  size_t riga = 0, dove = 0;
  if (!aggiungi_righe_1252(righe, testo, riga, dove))
    return Stato::errore(fmt::format("riga {}: \"{}\" ha un carattere senza forma in Windows-1252",
                                     riga + 1, righe[riga]));
  byte = std::move(testo);
  return Stato::ok();
}

}  // namespace scen
