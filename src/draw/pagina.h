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

// What a page that shows a drawing holds around it, the same in every such
// page. The choice of what shows (the profile and the plan, the profile, the
// plan: three radio buttons that the page's styles follow, without a
// script), then the bar with the zoom's buttons and the readout, which says
// `aiuto` until the pointer reads. They go first in the element that then
// holds the drawing (parti_pagina), as its siblings.
std::string comandi_pagina(std::string_view aiuto);
// The drawing as a page holds it, in an element with the id "disegno": the
// profile first, then the title with the plan.
std::string parti_pagina(const disegno& d);
// The styles of the above: `sopra`, the pixels that the page's sticky bars
// take above the drawing, keeps each part within the window's height.
std::string stile_disegno(int sopra);
// For the page's head: without scripts, the zoom's buttons and the readout,
// which would do nothing, do not show.
std::string senza_script();

// The page's script (JavaScript), on its own for reading and testing.
extern const std::string_view script_pagina;

}  // namespace scen
