#include "inspect/lettura_compilati.h"

#include <fmt/format.h>

#include <cstdint>
#include <cstring>

#include "compile/file_compilati.h"
#include "platform/file.h"

namespace scen {

namespace {

// Takes little-endian numbers and texts off the front of a file's bytes.
// Every read first checks that its bytes are there (`restano`).
class lettore_byte {
 public:
  explicit lettore_byte(std::string_view byte) : tutto_(byte), resto_(byte) {}

  bool restano(size_t n) const { return n <= resto_.size(); }
  size_t letti() const { return tutto_.size() - resto_.size(); }
  size_t rimasti() const { return resto_.size(); }

  Byte un_byte() { return static_cast<Byte>(senza_segno(1)); }
  Integer un_integer() { return static_cast<Integer>(static_cast<std::uint16_t>(senza_segno(2))); }
  Long un_long() { return static_cast<Long>(static_cast<std::uint32_t>(senza_segno(4))); }
  double un_double() {
    const std::uint64_t u = senza_segno(8);
    double v;
    std::memcpy(&v, &u, sizeof v);
    return v;
  }
  std::string testo(size_t n) {
    std::string t(resto_.substr(0, n));
    resto_.remove_prefix(n);
    return t;
  }

 private:
  std::uint64_t senza_segno(size_t n) {
    std::uint64_t v = 0;
    for (size_t i = n; i-- > 0;) v = v << 8 | static_cast<std::uint8_t>(resto_[i]);
    resto_.remove_prefix(n);
    return v;
  }

  std::string_view tutto_;
  std::string_view resto_;
};

bool codice_noto(Byte codice) { return codice <= 6 || (codice >= 10 && codice <= 14); }

// Tags of the trace's variants.
constexpr std::uint16_t tag_vuoto = 0;
constexpr std::uint16_t tag_integer = 2;
constexpr std::uint16_t tag_double = 5;

size_t byte_valore(std::uint16_t tag) { return tag == tag_integer ? 2 : tag == tag_double ? 8 : 0; }

// The most bytes a file of each kind can have.
constexpr std::uint64_t massimo_celle = std::uint64_t{byte_per_cella} * celle_massime;

}  // namespace

std::string_view nome_tipo(tipo_compilato tipo) {
  switch (tipo) {
    case tipo_compilato::linea:
      return "linea compilata";
    case tipo_compilato::treno:
      return "treno compilato";
    case tipo_compilato::celle:
      return "celle compilate";
  }
  return "";
}

std::optional<tipo_compilato> tipo_dal_nome(std::string_view nome) {
  const size_t barra = nome.find_last_of('/');
  if (barra != std::string_view::npos) nome.remove_prefix(barra + 1);
  if (nome.ends_with("_linea.dat")) return tipo_compilato::linea;
  if (nome.ends_with(".sim") && nome.size() > 4) return tipo_compilato::treno;
  if (nome.ends_with(".dat") && nome.size() > 4) return tipo_compilato::celle;
  return std::nullopt;
}

Stato leggi_celle_compilate(std::string_view byte, std::string_view nome,
                            std::vector<cella>& celle) {
  if (byte.size() % byte_per_cella != 0)
    return Stato::errore(fmt::format(
        "{}: {} byte non fanno un numero intero di celle da 15 byte: il file è troncato o non "
        "contiene celle compilate",
        nome, byte.size()));
  const size_t numero = byte.size() / byte_per_cella;
  if (numero < celle_minime)
    return Stato::errore(fmt::format(
        "{}: {} celle, meno delle 2 che ha ogni file di celle compilate (la cella 1 porta il "
        "segno): il file è troncato",
        nome, numero));
  if (numero > celle_massime)
    return Stato::errore(
        fmt::format("{}: {} celle, più delle 20141 di una linea di 1.000.000 m: il file non "
                    "contiene celle compilate",
                    nome, numero));
  lettore_byte l(byte);
  std::vector<cella> lette(numero);
  for (cella& c : lette) {
    c.codice = l.un_byte();
    c.valore_1 = l.un_integer();
    c.valore_2 = l.un_integer();
    c.valore_3 = l.un_integer();
    c.valore_4 = l.un_integer();
    c.valore_5 = l.un_byte();
    c.avvicinamento = l.un_byte();
    c.montagna = l.un_byte();
    c.vel_limite = l.un_byte();
    c.pendenza = l.un_byte();
    c.aderenza = l.un_byte();
  }
  if (lette[1].valore_1 != segno_celle)
    return Stato::errore(
        fmt::format("{}: la cella 1 non porta il segno 5121 (valore_1 vale {}): il file non "
                    "contiene celle compilate",
                    nome, lette[1].valore_1));
  for (size_t i = 0; i < lette.size(); ++i)
    if (!codice_noto(lette[i].codice))
      return Stato::errore(
          fmt::format("{}: la cella {} ha il codice {}, che nessuna cella compilata porta: il "
                      "file non contiene celle compilate",
                      nome, i, int{lette[i].codice}));
  celle = std::move(lette);
  return Stato::ok();
}

Stato leggi_treno_compilato(std::string_view byte, std::string_view nome,
                            std::array<registro, indice_registro::numero>& registri) {
  lettore_byte l(byte);
  std::array<registro, indice_registro::numero> letti{};
  for (size_t i = 0; i < letti.size(); ++i) {
    registro& r = letti[i];
    auto troncato = [&] {
      return Stato::errore(
          fmt::format("{}: il file finisce dentro il registro {}, dopo {} byte: è troncato o non "
                      "è un treno compilato",
                      nome, i, byte.size()));
    };
    if (!l.restano(1 + 4 + 4 + 4 + 1 + 2)) return troncato();
    r.tipo = l.un_byte();
    r.inizio = l.un_long();
    r.fine = l.un_long();
    r.progressiva = l.un_long();
    r.campo_4 = l.un_byte();
    const auto n = static_cast<std::uint16_t>(l.un_integer());
    if (!l.restano(size_t{n} + 5 * 2 + 4 + 4)) return troncato();
    r.nome = l.testo(n);
    r.campo_7 = l.un_integer();
    r.campo_8 = l.un_integer();
    r.campo_10 = l.un_integer();
    r.campo_11 = l.un_integer();
    r.campo_12 = l.un_integer();
    r.campo_9 = l.un_byte();
    r.fermata = l.un_byte();
    r.prolungamento = l.un_byte();
    r.campo_5 = l.un_byte();
    r.orario = l.un_long();
  }
  if (l.rimasti() != 0)
    return Stato::errore(fmt::format(
        "{}: {} byte dopo l'ultimo registro (l'86, che finisce al byte {}): il file non è un "
        "treno compilato",
        nome, l.rimasti(), l.letti()));
  const Integer segno = letti[indice_registro::generali_linea].campo_7;
  if (segno != segno_registri)
    return Stato::errore(fmt::format(
        "{}: il registro 85 non porta il segno 610 (campo_7 vale {}): il file non è un treno "
        "compilato",
        nome, segno));
  registri = std::move(letti);
  return Stato::ok();
}

Stato leggi_linea_compilata(std::string_view byte, std::string_view nome,
                            std::array<componente_tracciato, 2>& tracciato) {
  // First the tags alone: how many elements, each of a known type, none cut.
  size_t elementi = 0;
  for (size_t o = 0; o < byte.size(); ++elementi) {
    if (o + 2 > byte.size())
      return Stato::errore(fmt::format(
          "{}: il file finisce dentro un elemento del tracciato, al byte {}: è troncato", nome, o));
    const auto tag = static_cast<std::uint16_t>(static_cast<std::uint8_t>(byte[o]) |
                                                static_cast<std::uint8_t>(byte[o + 1]) << 8);
    if (tag != tag_vuoto && tag != tag_integer && tag != tag_double)
      return Stato::errore(
          fmt::format("{}: al byte {} un elemento di tipo {}, ma il tracciato ha solo i tipi 0 "
                      "(vuoto), 2 (Integer) e 5 (Double): il file non è una linea compilata",
                      nome, o, tag));
    const size_t fine = o + 2 + byte_valore(tag);
    if (fine > byte.size())
      return Stato::errore(fmt::format(
          "{}: il file finisce dentro un elemento del tracciato, al byte {}: è troncato", nome, o));
    o = fine;
  }
  if (elementi % 2 != 0)
    return Stato::errore(fmt::format(
        "{}: {} elementi, che non si dividono in due componenti uguali (X e Y): il file è "
        "troncato o non è una linea compilata",
        nome, elementi));
  const size_t metri = elementi / 2;
  if (metri < metri_minimi || metri > size_t{metri_estesi_massimi} + 1)
    return Stato::errore(
        fmt::format("{}: {} metri per componente, fuori dai 2 a 1007001 di una linea "
                    "compilata: il file è troncato o non è una linea compilata",
                    nome, metri));

  lettore_byte l(byte);
  std::array<componente_tracciato, 2> letto;
  for (size_t k = 0; k < 2; ++k) {
    const char* asse = k == 0 ? "X" : "Y";
    letto[k].resize(metri);
    for (size_t metro = 0; metro < metri; ++metro) {
      const auto tag = static_cast<std::uint16_t>(l.un_integer());
      if (tag == tag_double) {
        letto[k][metro] = l.un_double();
      } else if (tag == tag_integer) {
        const Integer v = l.un_integer();
        if (metro > 1)
          return Stato::errore(
              fmt::format("{}: il metro {} della componente {} è un Integer, che il tracciato "
                          "ha solo ai metri 0 e 1: il file non è una linea compilata",
                          nome, metro, asse));
        const Integer atteso = k == 1 && metro == 1 ? 1 : 0;
        if (v != atteso)
          return Stato::errore(
              fmt::format("{}: il metro {} della componente {} vale {} invece di {}: il file "
                          "non è una linea compilata",
                          nome, metro, asse, v, atteso));
        letto[k][metro] = v;
      }
    }
  }
  tracciato = std::move(letto);
  return Stato::ok();
}

Stato leggi_compilato(const std::string& percorso, tipo_compilato tipo, modello& m) {
  if (e_cartella(percorso))
    return Stato::errore(fmt::format("{}: è una cartella, non un file", percorso));
  if (!esiste(percorso)) return Stato::errore(fmt::format("{}: il file non esiste", percorso));
  std::uint64_t dimensione = 0;
  Stato stato = dimensione_file(percorso, dimensione);
  if (!stato.riuscito()) return stato;
  if (dimensione == 0) return Stato::errore(fmt::format("{}: il file è vuoto", percorso));
  const std::uint64_t massimo =
      tipo == tipo_compilato::celle ? massimo_celle
      : tipo == tipo_compilato::treno
          ? std::uint64_t{indice_registro::numero} * (byte_per_registro + 65535)
          : 2 * 10 * std::uint64_t{metri_estesi_massimi + 1};
  if (dimensione > massimo)
    return Stato::errore(fmt::format("{}: {} byte, più di quanti ne abbia ogni file di {}",
                                     percorso, dimensione, nome_tipo(tipo)));
  std::string byte;
  stato = leggi_file(percorso, byte);
  if (!stato.riuscito()) return stato;

  switch (tipo) {
    case tipo_compilato::celle:
      stato = leggi_celle_compilate(byte, percorso, m.celle);
      if (stato.riuscito()) m.ultima_cella = static_cast<Long>(m.celle.size() - 1);
      return stato;
    case tipo_compilato::treno:
      stato = leggi_treno_compilato(byte, percorso, m.registri);
      if (stato.riuscito()) {
        m.chiave_percorso = m.registri[indice_registro::generali_linea].nome;
        m.chiave_treno = m.registri[indice_registro::generali_ripetizione].nome;
      }
      return stato;
    case tipo_compilato::linea:
      stato = leggi_linea_compilata(byte, percorso, m.tracciato);
      if (stato.riuscito()) {
        m.lunghezza_estesa = static_cast<Long>(m.tracciato[0].size() - 1);
        m.con_tracciato = 1;
      }
      return stato;
  }
  return stato;
}

}  // namespace scen
