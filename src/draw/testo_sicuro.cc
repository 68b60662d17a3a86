#include "draw/testo_sicuro.h"

#include <nlohmann/json.hpp>

#include "platform/windows1252.h"

namespace scen {

namespace {

constexpr std::string_view sostituto = "\xEF\xBF\xBD";  // U+FFFD

// Appends character `c` as UTF-8.
void aggiungi_utf8(std::string& t, char32_t c) {
  if (c < 0x80) {
    t += static_cast<char>(c);
  } else if (c < 0x800) {
    t += static_cast<char>(0xC0 | (c >> 6));
    t += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    t += static_cast<char>(0xE0 | (c >> 12));
    t += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    t += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    t += static_cast<char>(0xF0 | (c >> 18));
    t += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    t += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    t += static_cast<char>(0x80 | (c & 0x3F));
  }
}

template <typename J>
std::string json_sicuro(const J& valore) {
  // A text that is not UTF-8 (a file name may be anything) keeps its
  // readable part.
  const std::string testo = valore.dump(-1, ' ', false, J::error_handler_t::replace);
  std::string t;
  t.reserve(testo.size());
  for (std::size_t i = 0; i < testo.size(); ++i) {
    const char c = testo[i];
    // Outside strings JSON holds none of these: each one is in a string,
    // where the escape stands for the same character.
    if (c == '<') {
      t += "\\u003c";
    } else if (c == '>') {
      t += "\\u003e";
    } else if (c == '&') {
      t += "\\u0026";
    } else if (c == '\xE2' && i + 2 < testo.size() && testo[i + 1] == '\x80' &&
               (testo[i + 2] == '\xA8' || testo[i + 2] == '\xA9')) {
      t += testo[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
      i += 2;
    } else if (c == '\xEF' && i + 2 < testo.size() && testo[i + 1] == '\xBF' &&
               (testo[i + 2] == '\xBE' || testo[i + 2] == '\xBF')) {
      // Not characters: a page holds them only escaped.
      t += testo[i + 2] == '\xBE' ? "\\ufffe" : "\\uffff";
      i += 2;
    } else {
      t += c;
    }
  }
  return t;
}

}  // namespace

std::string xml_testo(std::string_view testo) {
  std::string t;
  t.reserve(testo.size());
  for (std::size_t i = 0; i < testo.size();) {
    const std::optional<char32_t> letto = carattere_utf8(testo, i);
    if (!letto) {
      t += sostituto;
      ++i;
      continue;
    }
    const char32_t c = *letto;
    switch (c) {
      case '&':
        t += "&amp;";
        break;
      case '<':
        t += "&lt;";
        break;
      case '>':
        t += "&gt;";
        break;
      case '"':
        t += "&quot;";
        break;
      case '\t':
      case '\n':
        t += static_cast<char>(c);
        break;
      default:
        // Control characters have no place in XML 1.0 (C0) or in a text
        // shown (DEL, C1); U+FFFE and U+FFFF none in XML.
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
          t += ' ';
        else if (c == 0xFFFE || c == 0xFFFF)
          t += sostituto;
        else
          aggiungi_utf8(t, c);
    }
  }
  return t;
}

std::string json_in_pagina(const nlohmann::json& valore) { return json_sicuro(valore); }

std::string json_in_pagina(const nlohmann::ordered_json& valore) { return json_sicuro(valore); }

}  // namespace scen
