// Text from a file made safe for each place a page or a picture puts it: one
// function per place, and every page writes through these. Whatever bytes a
// description, a file name or a rolling stock holds, the result is well-formed
// UTF-8 that the place reads as text, never as markup or code.
#pragma once

#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>

namespace scen {

// Text for XML and HTML content, and for attribute values between double
// quotes: "&", "<", ">" and '"' written as references; bytes that are not
// UTF-8, and the characters that XML 1.0 cannot hold (U+FFFE, U+FFFF),
// become U+FFFD; control characters (but tab and line feed) become blanks.
std::string xml_testo(std::string_view testo);

// A JSON value as text that may stand inside an HTML script element, be
// read by JSON.parse and be evaluated as JavaScript alike: "<", ">" and "&"
// (which could open or close an element, or a comment, inside the script),
// U+2028, U+2029 (line ends to older JavaScript) and U+FFFE, U+FFFF (not
// characters) written as \u escapes; bytes that are not UTF-8 become U+FFFD.
std::string json_in_pagina(const nlohmann::json& valore);
std::string json_in_pagina(const nlohmann::ordered_json& valore);

}  // namespace scen
