// The picture as one self-contained HTML page: the same SVG inline, the
// scenario's profiles as data, and a script that zooms and pans the profile
// along the distance axis and reads out, under the pointer, the position,
// gradient, speed limit and adhesion there. Nothing comes from outside the
// page.
#pragma once

#include <string>
#include <string_view>

#include "draw/disegno.h"
#include "draw/scena.h"

namespace scen {

std::string pagina_html(const scena& s, const disegno& d);

// The data that the page's script reads (JSON, safe inside a script
// element), for a page that holds the drawing otherwise.
std::string dati_pagina(const scena& s, const disegno& d);

// The page's script (JavaScript), on its own for reading and testing.
extern const std::string_view script_pagina;

}  // namespace scen
