#include "text/da_utf8.h"

#include <fmt/format.h>

#include <optional>

#include "platform/windows1252.h"

namespace scen {

namespace {

constexpr std::string_view segno_ordine = "\xef\xbb\xbf";

bool e_seguito(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The character that starts `testo`, when its bytes are well-formed UTF-8.
std::optional<char32_t> primo_carattere(std::string_view testo) {
  size_t i = 0;
  return carattere_utf8(testo, i);
}

// Why the character at the start of `resto` cannot be converted.
std::string causa(std::string_view resto) {
  const std::optional<char32_t> c = primo_carattere(resto);
  if (!c) {
    const auto byte = static_cast<unsigned char>(resto[0]);
    // A character of Windows-1252 standing alone among plain ASCII, where a
    // UTF-8 sequence would go on: the file was likely written in
    // Windows-1252, which the readers take as it is. A sequence broken
    // further on is UTF-8 gone wrong, and gets no such hint.
    const bool indefinito = byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 ||
                            byte == 0x9D || byte == 0xA0 || byte == 0xAD;
    const bool tra_ascii = resto.size() > 1 && static_cast<unsigned char>(resto[1]) < 0x80;
    if (byte >= 0x80 && !indefinito && tra_ascii)
      return fmt::format(
          "il byte 0x{:02X} non inizia un carattere UTF-8 valido: in Windows-1252 è «{}», e il "
          "file sembra in Windows-1252: senza --utf8?",
          byte, da_1252_a_utf8(resto.substr(0, 1)));
    return fmt::format("il byte 0x{:02X} non inizia un carattere UTF-8 valido", byte);
  }
  const auto codice = static_cast<unsigned>(*c);
  // A control character is named by its number alone.
  if (codice < 0xA0)
    return fmt::format("il carattere U+{:04X} non ha una forma in Windows-1252", codice);
  size_t lunghezza = 1;
  while (lunghezza < resto.size() && e_seguito(resto[lunghezza])) ++lunghezza;
  return fmt::format("il carattere «{}» (U+{:04X}) non ha una forma in Windows-1252",
                     resto.substr(0, lunghezza), codice);
}

}  // namespace

Stato descrizione_da_utf8(std::string_view utf8, std::string_view nome_file, std::string& byte_1252,
                          guasto_utf8* guasto) {
  if (utf8.substr(0, segno_ordine.size()) == segno_ordine) utf8.remove_prefix(segno_ordine.size());
  std::string risultato;
  risultato.reserve(utf8.size() + utf8.size() / 16);
  size_t numero_riga = 1;
  while (!utf8.empty()) {
    const size_t fine = utf8.find_first_of("\r\n");
    const std::string_view riga = utf8.substr(0, fine);
    size_t dove = 0;
    const std::optional<std::string> convertita = utf8_a_1252(riga, &dove);
    if (!convertita) {
      // What comes before the character is valid UTF-8: one character for
      // every byte that is not a continuation byte.
      size_t colonna = 1;
      for (size_t i = 0; i < dove; ++i)
        if (!e_seguito(riga[i])) ++colonna;
      guasto_utf8 g{static_cast<long>(numero_riga), static_cast<long>(colonna),
                    causa(riga.substr(dove))};
      Stato stato =
          Stato::errore(fmt::format("{}:{}:{}: errore: {}", nome_file, g.riga, g.colonna, g.causa));
      if (guasto) *guasto = std::move(g);
      return stato;
    }
    risultato += *convertita;
    if (fine == std::string_view::npos) break;
    risultato += "\r\n";
    const size_t fine_a_capo = utf8.substr(fine, 2) == "\r\n" ? fine + 2 : fine + 1;
    utf8.remove_prefix(fine_a_capo);
    ++numero_riga;
  }
  byte_1252 = std::move(risultato);
  return Stato::ok();
}

std::string descrizione_in_utf8(std::string_view byte_1252) {
  std::string righe;
  righe.reserve(byte_1252.size());
  for (size_t i = 0; i < byte_1252.size(); ++i) {
    if (byte_1252[i] == '\r') {
      righe += '\n';
      if (i + 1 < byte_1252.size() && byte_1252[i + 1] == '\n') ++i;
    } else {
      righe += byte_1252[i];
    }
  }
  return da_1252_a_utf8(righe);
}

}  // namespace scen
