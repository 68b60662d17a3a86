// The text helpers of the warnings of `scenario verifica`: how they compare,
// quote and test the fields, and how they name the fields and records in
// words.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "read/formato.h"
#include "read/vista.h"

namespace scen {

// `testo` with its ASCII capitals made small.
std::string minuscolo(std::string_view testo);

// Edit distance, a swap of two neighbouring letters counting as one edit.
size_t distanza(std::string_view a, std::string_view b);
// The same, counted no further than `limite`: `limite` + 1 for any
// distance beyond it, found at once when the lengths alone differ by more.
size_t distanza_entro(std::string_view a, std::string_view b, size_t limite);

// The word of `parole` nearest to `campo` (its blanks at the end and letter
// case aside) by edit distance, when it is near enough to be what was meant
// and is not `campo` itself; empty when none is.
std::string piu_vicina(std::string_view campo, std::span<const std::string_view> parole);

// A text as its UTF-8 bytes mean it, quoted like the file's own text: cut
// after 40 characters, control bytes, quotes and backslashes escaped.
std::string cita_utf8(std::string_view testo);

// Whether `testo` is a whole number: digits, with a minus sign at most.
bool solo_cifre(std::string_view testo);

// Whether `testo` holds a control byte.
bool con_controlli(std::string_view testo);

}  // namespace scen
