// Conversion between the program's own text (UTF-8) and the single-byte
// Windows-1252 text of every file the scenario compiler reads and writes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scen {

// The UTF-8 character that starts at byte `i` of `testo`, with `i` moved past
// it; nothing, and `i` unchanged, when its bytes are not well-formed UTF-8.
std::optional<char32_t> carattere_utf8(std::string_view testo, size_t& i);

// UTF-8 to Windows-1252. Returns nothing when the text is not valid UTF-8 or
// holds a character that has no Windows-1252 byte; `posizione`, when given,
// then receives the byte offset of the offending character.
std::optional<std::string> utf8_a_1252(std::string_view testo, size_t* posizione = nullptr);

// Windows-1252 to UTF-8. The five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 controls of the same number.
std::string da_1252_a_utf8(std::string_view testo);

// Lower case as Windows-1252 defines it: A-Z, 0xC0-0xD6 and 0xD8-0xDE gain
// 0x20; 0x8A, 0x8C, 0x8E become 0x9A, 0x9C, 0x9E; 0x9F becomes 0xFF.
std::string minuscole_1252(std::string_view testo);

}  // namespace scen
