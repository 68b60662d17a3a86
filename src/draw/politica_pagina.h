// The Content-Security-Policy of a page: nothing from outside, and of the
// scripts only the page's own, named by its SHA-256 digest, so that a script
// that some text could slip into the page would not run.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace scen {

// The SHA-256 digest of `byte`.
std::array<std::uint8_t, 32> sha256(std::string_view byte);

// `byte` in base64 (with padding).
std::string base64(std::string_view byte);

// The policy for a page whose one script is `script` (the exact text between
// <script> and </script>). A page served (`servita`) may also ask its own
// origin for data, and may not be framed; a page written to a file gives
// its policy in a <meta> element, where framing is not said.
std::string politica_pagina(std::string_view script, bool servita);

}  // namespace scen
