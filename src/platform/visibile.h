// Text that came from a file (a name, a value, a path) on its way to the
// terminal: control characters there would move the cursor, recolour the
// screen or end a line that is not the message's own.
#pragma once

#include <string>
#include <string_view>

namespace scen {

// `testo` with every control character written out: line ends and tabs as
// \n, \r and \t, the other C0 controls and DEL as \xHH, the C1 controls
// and the line and paragraph separators (U+0085, U+2028, U+2029), in UTF-8,
// as \uHHHH. A backslash stays as it is; anything else is kept byte for byte.
std::string visibile(std::string_view testo);

}  // namespace scen
