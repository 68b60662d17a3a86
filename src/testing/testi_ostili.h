// For tests: texts that a shared description, a file name or a rolling
// stock may carry to break a page that shows them: they would open a comment
// or a script, close the element they stand in, or add an element with a
// handler, if any page wrote them as they are. None holds a comma, so that
// each can be a station's name or a signpost's text.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace scen::prova {

inline const std::vector<std::string>& testi_ostili() {
  static const std::vector<std::string> testi = {
      "<!--<script>",
      "</script><script>document.body.dataset.preso='si'</script>",
      "\"><img src=x onerror=document.body.dataset.preso='si'>",
      "'><svg onload=document.body.dataset.preso='si'>",
      "a\xE2\x80\xA8"
      "b\xE2\x80\xA9"
      "c </SCRIPT >",
      "]]></text></svg><script>document.body.dataset.preso='si'</script>",
      "&amp; &lt; &#x3c; \\u003c {{x}} ${x}",
  };
  return testi;
}

// How many times `cosa` (in small letters) stands in `testo`, whatever the
// case there: "<SCRIPT" opens a script as "<script" does.
inline std::size_t conta_in_pagina(std::string testo, std::string_view cosa) {
  std::transform(testo.begin(), testo.end(), testo.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::size_t n = 0;
  for (std::size_t da = testo.find(cosa); da != std::string::npos; da = testo.find(cosa, da + 1))
    ++n;
  return n;
}

// Whether `t` is UTF-8 that XML 1.0 can hold: no control character but tab,
// line feed and carriage return, no U+FFFE or U+FFFF.
inline bool testo_xml_valido(std::string_view t) {
  for (std::size_t i = 0; i < t.size();) {
    const auto b = static_cast<unsigned char>(t[i]);
    std::size_t n = b < 0x80             ? 1
                    : (b & 0xE0) == 0xC0 ? 2
                    : (b & 0xF0) == 0xE0 ? 3
                    : (b & 0xF8) == 0xF0 ? 4
                                         : 0;
    if (n == 0 || i + n > t.size()) return false;
    char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
    for (std::size_t k = 1; k < n; ++k) {
      const auto s = static_cast<unsigned char>(t[i + k]);
      if ((s & 0xC0) != 0x80) return false;
      c = (c << 6) | (s & 0x3F);
    }
    static constexpr char32_t minimi[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < minimi[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
    if (c == 0xFFFE || c == 0xFFFF) return false;
    i += n;
  }
  return true;
}

}  // namespace scen::prova
