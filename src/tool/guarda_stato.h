// What the page of `scenario guarda` shows, gathered from the two files at
// each reading: the problems as `verifica` finds them, and the drawing as
// `disegna` makes it, kept from the last reading that could draw it.
#pragma once

#include <string>
#include <string_view>

namespace scen {

struct richiesta_guarda;

struct stato_guarda {
  long lettura = 0;              // how many readings made it, counting from 1
  long disegno = 0;              // the reading whose drawing is shown; 0 none yet
  bool disegno_attuale = false;  // the drawing is of the files as they are now
  // The errors and the warnings of the list of problems, counted there.
  long errori = 0;
  long avvisi = 0;
  long millisecondi = 0;  // how long the reading took
  std::string ora;        // when the reading ended, local time "12:03:04"
  std::string guasto;     // why a file could not be read at all ("" when both were)
  // The state as one JSON object on one line: the counts, the reading's
  // time ("ora"), the problems as `verifica --json` lists them (each with
  // "testo", its line as `verifica` writes it, and "metro", the position of
  // its record, or null; a file that cannot be read is one of them, with
  // line 0), where reading stopped, and which drawing stands.
  std::string json;
  // The drawing, as one JSON object: {"disegno": N, "svg": "...", "dati": {...}},
  // the data being those that the page's script reads.
  std::string disegno_json;
  // The same drawing as the page holds it: its parts (SVG), and the data
  // that its script reads (JSON safe inside a script element).
  std::string disegno_svg;
  std::string disegno_dati;
};

// The local time now, "12:03:04".
std::string ora_locale();

// Reads the two files again and gives the new state: `prima` is the last one
// (its drawing stays when this reading cannot draw).
stato_guarda leggi_stato(const richiesta_guarda& richiesta, const stato_guarda& prima);

// Whether a request's Host header names this program: the loopback address
// (127.0.0.1, [::1] or localhost) with the port it serves on. A page from
// elsewhere that reaches the port through a name of its own (a rebound name)
// sends that name, and is refused.
bool host_ammesso(std::string_view host, long porta);

// Whether a request comes from this program's own page, or from no page at
// all: its Origin header (`origine`, "" when absent) is absent or names the
// loopback with the port served (http://127.0.0.1:P, http://[::1]:P,
// http://localhost:P), and its Sec-Fetch-Site (`sito`) does not say
// "cross-site" or "same-site" (another port of this machine is another
// origin, of the same site). A page of another origin that reaches the port
// by its own address is refused, its event streams included.
bool origine_ammessa(std::string_view origine, std::string_view sito, long porta);

// The page of the state `s`, whole without its script: the counts, the
// reading's time, the drawing with its controls, the problems beside it,
// and the script that then follows the state.
std::string pagina_guarda(const stato_guarda& s);

// The Content-Security-Policy that the page is served with: nothing from
// elsewhere, its own origin for the state, and no script but its own.
std::string politica_guarda();

}  // namespace scen
