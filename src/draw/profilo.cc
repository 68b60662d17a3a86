#include "draw/profilo.h"

#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <vector>

#include "draw/etichette.h"
#include "draw/profilo_bande.h"
#include "draw/stile.h"

namespace scen {

namespace {

using namespace bande_profilo;

constexpr double banda_nomi = 118;
constexpr double titolo = 17;  // room for a band's title above it
constexpr double spazio = 8;   // between bands
constexpr double altezza_asse = 30;
constexpr double corpo_nome = 10.5;

struct banda {
  const char* id;
  const char* titolo;
  double altezza;
  disegno_banda disegna;
};
constexpr banda bande[] = {
    {"quota", "Quota rispetto all'origine (m)", 58, banda_quota},
    {"pendenza", "Pendenza (‰)", 64, banda_pendenza},
    {"curve", "Curve (a destra in alto, a sinistra in basso; R = raggio)", 40, banda_curve},
    {"velocita", "Velocità massima e della corsa più veloce (km/h)", 70, banda_velocita},
    {"orario", "Orario della marcia (ore, in basso l'arrivo; i punti: l'orario della descrizione)",
     90, banda_orario},
    {"aderenza", "Aderenza", 38, banda_aderenza},
    {"montagna", "Zone di montagna", 14, banda_montagna},
    {"segnali", "Segnali", 12, banda_segnali},
    {"cartelli", "Cartelli indicatori", 14, banda_cartelli},
};
constexpr std::size_t banda_dell_orario = 4;
static_assert(std::string_view(bande[banda_dell_orario].id) == "orario");

// A passo for the distance axis's ticks that leaves them about 70 px apart.
long passo_km(double px_per_km) {
  for (long p : {1L, 2L, 5L, 10L, 20L, 25L, 50L, 100L, 200L, 250L, 500L})
    if (static_cast<double>(p) * px_per_km >= 60) return p;
  return 1000;
}

// Where the station names, the bands, one under the other, and the distance
// axis lie in `area`: the bands' places into `posti`.
profilo_disegnato disponi(const riquadro& area, const asse& a, std::vector<scala_y>& posti) {
  profilo_disegnato r;
  r.altezza = area.altezza();
  r.x0 = a.x0;
  r.x1 = a.x1;
  r.y_nomi = area.y0 + banda_nomi;
  r.y0 = r.y_nomi;
  double y = r.y_nomi;
  for (const banda& b : bande) {
    posti.push_back({y + titolo, y + titolo + b.altezza, 0, 1});
    y += titolo + b.altezza + spazio;
  }
  r.y1 = y - spazio;
  r.y_asse = r.y1 + 6;
  return r;
}

// Opens the profile's group, with the clip that the zoomed groups share.
void apri_profilo(scrittore_svg& w, const asse& a, const riquadro& area,
                  const profilo_disegnato& r) {
  w.apri("g",
         {{"id", "profilo"}, {"font-size", "9.5"}, {"fill", std::string(stile::inchiostro_tenue)}});
  w.apri("defs");
  w.apri("clipPath", {{"id", "ritaglio-profilo"}});
  w.vuoto("rect", {{"x", num(a.x0)},
                   {"y", num(area.y0)},
                   {"width", num(a.x1 - a.x0)},
                   {"height", num(r.y_asse - area.y0 + 1)}});
  w.chiudi();
  w.chiudi();
}

void titoli_bande(scrittore_svg& w, const asse& a, const std::vector<scala_y>& posti) {
  for (std::size_t k = 0; k < posti.size(); ++k)
    w.testo("text",
            {{"class", "titolo-banda"},
             {"x", num(a.x0)},
             {"y", num(posti[k].y0 - 5)},
             {"font-size", "10.5"},
             {"font-weight", "bold"},
             {"fill", std::string(stile::inchiostro)}},
            bande[k].titolo);
}

// Slowdowns shaded over every band, under everything else.
void fondo_rallentamenti(scrittore_svg& w, const scena& s, const asse& a,
                         const profilo_disegnato& r) {
  apri_dati(w, "profilo-rallentamenti");
  // A short one keeps a visible width from its outline, which does not
  // grow when a page zooms.
  for (const rallentamento_scena& rl : s.rallentamenti) {
    const double xa = a.x(rl.inizio), xb = std::max(a.x(rl.fine), xa);
    w.vuoto("rect", {{"x", num(xa, 2)},
                     {"y", num(r.y0)},
                     {"width", num(xb - xa, 2)},
                     {"height", num(r.y1 - r.y0)},
                     {"fill", std::string(stile::rallentamento_fondo)},
                     {"stroke", std::string(stile::rallentamento_fondo)},
                     {"stroke-width", "2.5"},
                     {"vector-effect", "non-scaling-stroke"}});
  }
  chiudi_dati(w);
}

// A vertical guide at each station, from its name down through the bands.
void guide_stazioni(scrittore_svg& w, const scena& s, const asse& a, const profilo_disegnato& r) {
  apri_dati(w, "profilo-guide");
  for (const stazione_scena& st : s.stazioni) {
    const double x = a.x(st.posizione);
    w.vuoto("line", {{"x1", num(x, 2)},
                     {"x2", num(x, 2)},
                     {"y1", num(r.y_nomi - 4)},
                     {"y2", num(r.y1)},
                     {"stroke", st.fermata ? "#aab1ba" : std::string(stile::guida_stazione)},
                     {"stroke-width", st.fermata ? "0.9" : "0.6"},
                     {"vector-effect", "non-scaling-stroke"}});
  }
  chiudi_dati(w);
}

// The distance axis at `y_asse`, in kilometres from the origin.
void asse_km(scrittore_svg& w, const scena& s, const asse& a, double y_asse) {
  const double px_km = (a.x1 - a.x0) / (static_cast<double>(s.lunghezza) / 1000);
  const long passo = passo_km(px_km);
  w.apri("g",
         {{"id", "asse-km"}, {"text-anchor", "middle"}, {"fill", std::string(stile::inchiostro)}});
  w.vuoto("line", {{"x1", num(a.x0)},
                   {"x2", num(a.x1)},
                   {"y1", num(y_asse)},
                   {"y2", num(y_asse)},
                   {"stroke", std::string(stile::inchiostro_tenue)},
                   {"stroke-width", "0.8"}});
  for (long km = 0; km * 1000 <= s.lunghezza; km += passo) {
    const double x = a.x(km * 1000);
    w.vuoto("line", {{"x1", num(x)},
                     {"x2", num(x)},
                     {"y1", num(y_asse)},
                     {"y2", num(y_asse + 4)},
                     {"stroke", std::string(stile::inchiostro_tenue)},
                     {"stroke-width", "0.8"}});
    w.testo("text", {{"x", num(x)}, {"y", num(y_asse + 15)}}, std::to_string(km));
  }
  w.testo("text",
          {{"x", num(a.x1)},
           {"y", num(y_asse + 27)},
           {"text-anchor", "end"},
           {"fill", std::string(stile::inchiostro_tenue)}},
          "km dall'origine della linea");
  w.chiudi();
}

// A station's name as it fits the band above the profile, from its base up
// to the picture's edge: a longer one is cut, whole characters, and ends in
// "…" (the group's title keeps it whole).
std::string nome_nella_banda(const std::string& nome, bool forte) {
  constexpr double posto = banda_nomi - 16;
  if (stile::larghezza_testo(nome, corpo_nome, forte) <= posto) return nome;
  std::string corto = nome;
  while (!corto.empty() && stile::larghezza_testo(corto + "…", corpo_nome, forte) > posto) {
    unsigned char tolto = 0;
    do {  // the last character, all its bytes
      tolto = static_cast<unsigned char>(corto.back());
      corto.pop_back();
    } while (!corto.empty() && (tolto & 0xC0) == 0x80);
  }
  while (!corto.empty() && corto.back() == ' ') corto.pop_back();
  return corto + "…";
}

// Station names, upright over their guides (which reach up to `y_nomi`),
// spread where they crowd.
void nomi_stazioni(scrittore_svg& w, const scena& s, const asse& a, double y_nomi) {
  std::vector<double> voluti;
  for (const stazione_scena& st : s.stazioni) voluti.push_back(a.x(st.posizione));
  const std::vector<double> posti_nomi = poni_in_fila(voluti, corpo_nome + 2, a.x0 + 5, a.x1 - 2);
  const double base = y_nomi - 16;
  w.apri("g", {{"id", "nomi-profilo"},
               {"font-size", num(corpo_nome)},
               {"fill", std::string(stile::inchiostro)}});
  for (std::size_t i = 0; i < s.stazioni.size(); ++i) {
    const stazione_scena& st = s.stazioni[i];
    const double xl = posti_nomi[i], xv = voluti[i];
    const bool forte = st.fermata || i == 0 || i + 1 == s.stazioni.size();
    w.apri("g", {{"class", "nome"}, {"data-m", attr_metro(st.posizione)}});
    const std::string nome = nome_nella_banda(st.nome, forte);
    if (nome != st.nome) w.testo("title", {}, st.nome);
    w.vuoto("path", {{"d", fmt::format("M{} {}V{}L{} {}", num(xv, 2), num(y_nomi - 4),
                                       num(y_nomi - 7), num(xl, 2), num(base + 3))},
                     {"fill", "none"},
                     {"stroke", "#aab1ba"},
                     {"stroke-width", "0.6"}});
    if (forte)
      w.testo("text",
              {{"transform", fmt::format("translate({} {}) rotate(-90)",
                                         num(xl + corpo_nome * 0.36, 2), num(base))},
               {"font-weight", "bold"}},
              nome);
    else
      w.testo("text",
              {{"transform", fmt::format("translate({} {}) rotate(-90)",
                                         num(xl + corpo_nome * 0.36, 2), num(base))}},
              nome);
    w.chiudi();
  }
  w.chiudi();
}

}  // namespace

std::vector<punto> quote(const scena& s) {
  std::vector<punto> q;
  double h = 0;
  for (std::size_t i = 0; i < s.pendenza.size(); ++i) {
    const long da = s.pendenza[i].da, a = fine_di(s.pendenza, i, s.lunghezza);
    if (i == 0) q.push_back({static_cast<double>(da), h});
    h += s.pendenza[i].valore * static_cast<double>(a - da) / 1000.0;
    q.push_back({static_cast<double>(a), h});
  }
  return q;
}

double altezza_profilo() {
  double h = banda_nomi + altezza_asse;
  for (const banda& b : bande) h += titolo + b.altezza + spazio;
  return h;
}

profilo_disegnato disegna_profilo(scrittore_svg& w, const scena& s, const riquadro& area) {
  const asse a{area.x0 + stile::margine_sinistro_profilo, area.x1 - 14, s.lunghezza};
  std::vector<scala_y> posti;
  profilo_disegnato r = disponi(area, a, posti);
  apri_profilo(w, a, area, r);
  titoli_bande(w, a, posti);
  fondo_rallentamenti(w, s, a, r);
  guide_stazioni(w, s, a, r);
  for (std::size_t k = 0; k < posti.size(); ++k) bande[k].disegna(w, s, a, posti[k]);
  r.y_orario0 = posti[banda_dell_orario].y0;
  r.y_orario1 = posti[banda_dell_orario].y1;
  asse_km(w, s, a, r.y_asse);
  nomi_stazioni(w, s, a, r.y_nomi);
  w.chiudi();
  return r;
}

}  // namespace scen
