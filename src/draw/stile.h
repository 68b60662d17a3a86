// The look of the picture: sizes, colours and type, in one place.
#pragma once

#include <string_view>

namespace scen::stile {

inline constexpr double larghezza = 1000;               // of the whole picture, in pixels
inline constexpr double margine = 24;                   // around everything
inline constexpr double margine_sinistro_profilo = 52;  // room for the values of each band
inline constexpr double altezza_pianta_massima = 560;

inline constexpr std::string_view carattere =
    "'Helvetica Neue', Helvetica, Arial, 'Liberation Sans', sans-serif";

inline constexpr std::string_view sfondo = "#ffffff";
inline constexpr std::string_view fondo_pannello = "#f6f7f9";
inline constexpr std::string_view inchiostro = "#2b3038";
inline constexpr std::string_view inchiostro_tenue = "#6b7280";
inline constexpr std::string_view griglia = "#e4e7eb";
inline constexpr std::string_view guida_stazione = "#d3d7dd";
inline constexpr std::string_view linea = "#34495e";
inline constexpr std::string_view segnale = "#5b7fa6";
inline constexpr std::string_view rallentamento = "#d9822b";
inline constexpr std::string_view rallentamento_fondo = "#f7dfc2";
inline constexpr std::string_view salita = "#b5694d";
inline constexpr std::string_view discesa = "#5e8c6a";
inline constexpr std::string_view quota = "#c7d2dd";
inline constexpr std::string_view quota_bordo = "#7b8fa3";
inline constexpr std::string_view velocita = "#3568a0";
inline constexpr std::string_view corsa = "#c2185b";  // the fastest run
inline constexpr std::string_view curva = "#7d8ea3";
inline constexpr std::string_view aderenza = "#80639e";
inline constexpr std::string_view montagna = "#a98f62";
inline constexpr std::string_view montagna_pianta = "#eadfc9";

// The width of a text in pixels, estimated from its letters: the picture
// cannot ask a font, and a label a little too wide only keeps a little more
// room around itself.
double larghezza_testo(std::string_view utf8, double corpo, bool grassetto = false);

}  // namespace scen::stile
