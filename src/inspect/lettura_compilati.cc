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

  // One field of a compiled record, by its type, if its bytes are all
  // there (a text's length and then its bytes); false, and nothing read
  // past the end, when they are not.
  bool campo(Byte& v) {
    return prendi(v, [&] { return un_byte(); });
  }
  bool campo(Integer& v) {
    return prendi(v, [&] { return un_integer(); });
  }
  bool campo(Long& v) {
    return prendi(v, [&] { return un_long(); });
  }
  bool campo(std::string& v) {
    if (!restano(byte_fissi_campo<std::string>)) return false;
    const auto n = static_cast<std::uint16_t>(un_integer());
    if (!restano(n)) return false;
    v = testo(n);
    return true;
  }

  // A cell or a record, field by field in file order, as far as its bytes go.
  template <typename Oggetto>
  bool campi(Oggetto& oggetto) {
    bool interi = true;
    per_ogni_campo(oggetto, [&](auto& c) { interi = interi && campo(c); });
    return interi;
  }

 private:
  template <typename Numero, typename Leggi>
  bool prendi(Numero& v, Leggi leggi) {
    if (!restano(sizeof(Numero))) return false;
    v = leggi();
    return true;
  }

  std::uint64_t senza_segno(size_t n) {
    std::uint64_t v = 0;
    for (size_t i = n; i-- > 0;) v = v << 8 | static_cast<std::uint8_t>(resto_[i]);
    resto_.remove_prefix(n);
    return v;
  }

  std::string_view tutto_;
  std::string_view resto_;
};

// A positive number with a dot between thousands: "1.000.000".
std::string con_punti(Long numero) {
  const std::string cifre = std::to_string(numero);
  std::string testo;
  for (size_t i = 0; i < cifre.size(); ++i) {
    if (i > 0 && (cifre.size() - i) % 3 == 0) testo += '.';
    testo += cifre[i];
  }
  return testo;
}

bool codice_noto(Byte codice) { return codice <= 6 || (codice >= 10 && codice <= 14); }

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
        "{}: {} byte non fanno un numero intero di celle da {} byte: il file è troncato o non "
        "contiene celle compilate",
        nome, byte.size(), byte_per_cella));
  const size_t numero = byte.size() / byte_per_cella;
  if (numero < celle_minime)
    return Stato::errore(fmt::format(
        "{}: {} celle, meno delle {} che ha ogni file di celle compilate (la cella {} porta il "
        "segno): il file è troncato",
        nome, numero, celle_minime, cella_segnata));
  if (numero > celle_massime)
    return Stato::errore(
        fmt::format("{}: {} celle, più delle {} di una linea di {} m: il file non "
                    "contiene celle compilate",
                    nome, numero, celle_massime, con_punti(lunghezza_massima)));
  lettore_byte l(byte);
  std::vector<cella> lette(numero);
  // The size was checked: every cell is whole.
  for (cella& c : lette) static_cast<void>(l.campi(c));
  const Integer segno = lette[cella_segnata].*campo_segno_celle;
  if (segno != segno_celle)
    return Stato::errore(
        fmt::format("{}: la cella {} non porta il segno {} (valore_1 vale {}): il file non "
                    "contiene celle compilate",
                    nome, cella_segnata, segno_celle, segno));
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
    if (!l.campi(r)) return troncato();
  }
  if (l.rimasti() != 0)
    return Stato::errore(fmt::format(
        "{}: {} byte dopo l'ultimo registro (l'{}, che finisce al byte {}): il file non è un "
        "treno compilato",
        nome, l.rimasti(), letti.size() - 1, l.letti()));
  const Integer segno = letti[registro_segnato].*campo_segno_registri;
  if (segno != segno_registri)
    return Stato::errore(fmt::format(
        "{}: il registro {} non porta il segno {} (campo_7 vale {}): il file non è un treno "
        "compilato",
        nome, registro_segnato, segno_registri, segno));
  registri = std::move(letti);
  return Stato::ok();
}

Stato leggi_linea_compilata(std::string_view byte, std::string_view nome,
                            std::array<componente_tracciato, 2>& tracciato) {
  // First the tags alone: how many elements, each of a known type, none cut.
  size_t elementi = 0;
  for (size_t o = 0; o < byte.size(); ++elementi) {
    if (o + byte_tag_variante > byte.size())
      return Stato::errore(fmt::format(
          "{}: il file finisce dentro un elemento del tracciato, al byte {}: è troncato", nome, o));
    const auto tag = static_cast<std::uint16_t>(static_cast<std::uint8_t>(byte[o]) |
                                                static_cast<std::uint8_t>(byte[o + 1]) << 8);
    if (tag != tag_variante::vuoto && tag != tag_variante::integer && tag != tag_variante::double_)
      return Stato::errore(fmt::format(
          "{}: al byte {} un elemento di tipo {}, ma il tracciato ha solo i tipi {} "
          "(vuoto), {} (Integer) e {} (Double): il file non è una linea compilata",
          nome, o, tag, tag_variante::vuoto, tag_variante::integer, tag_variante::double_));
    const size_t fine = o + byte_tag_variante + byte_valore_variante(tag);
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
        fmt::format("{}: {} metri per componente, fuori dai {} a {} di una linea "
                    "compilata: il file è troncato o non è una linea compilata",
                    nome, metri, metri_minimi, metri_estesi_massimi + 1));

  lettore_byte l(byte);
  std::array<componente_tracciato, 2> letto;
  for (size_t k = 0; k < 2; ++k) {
    const char* asse = k == 0 ? "X" : "Y";
    letto[k].resize(metri);
    for (size_t metro = 0; metro < metri; ++metro) {
      const auto tag = static_cast<std::uint16_t>(l.un_integer());
      if (tag == tag_variante::double_) {
        letto[k][metro] = l.un_double();
      } else if (tag == tag_variante::integer) {
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
          ? std::uint64_t{indice_registro::numero} * (byte_per_registro + lunghezza_testo_massima)
          : 2 * byte_massimi_variante * std::uint64_t{metri_estesi_massimi + 1};
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
