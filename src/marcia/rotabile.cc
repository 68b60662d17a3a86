#include "marcia/rotabile.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>

#include "marcia/json_luoghi.h"
#include "platform/visibile.h"

namespace scen {

namespace {

using json = nlohmann::json;

class lettore_rotabile {
 public:
  lettore_rotabile(const json_con_luoghi& j, std::string_view file) : j_(j), file_(file) {}

  // The field `campo` at fault, at the place of the value at `puntatore`.
  Stato errore(const std::string& puntatore, std::string_view campo, std::string_view causa) const {
    return Stato::errore(
        messaggio_in(file_, j_.luogo(puntatore), fmt::format("campo «{}»: {}", campo, causa)));
  }

  // A number of the object `o`, at `dentro`, which must be there unless
  // `facoltativo`.
  Stato numero(const json& o, const std::string& dentro, const std::string& campo,
               std::string_view nome_pieno, double& v, bool facoltativo = false,
               bool* trovato = nullptr) const {
    const std::string puntatore = puntatore_dentro(dentro, campo);
    auto it = o.find(campo);
    if (it == o.end()) {
      if (facoltativo) return Stato::ok();
      return errore(puntatore, nome_pieno, "manca");
    }
    if (!it->is_number()) return errore(puntatore, nome_pieno, "deve essere un numero");
    v = it->get<double>();
    if (!std::isfinite(v)) return errore(puntatore, nome_pieno, "deve essere un numero finito");
    if (trovato) *trovato = true;
    return Stato::ok();
  }

  Stato leggi(rotabile& r) const {
    const json& radice = j_.valore;
    if (!radice.is_object())
      return Stato::errore(
          messaggio_in(file_, j_.luogo(""), "il file deve essere un oggetto JSON"));
    // A field of another name is a slip (a letter out, another case) that
    // would leave its value unused: said first, before the field it stands
    // for is found missing.
    if (Stato s = solo_campi_noti(radice, "", campi_rotabile); !s.riuscito()) return s;
    if (auto res = radice.find("resistenza"); res != radice.end() && res->is_object())
      if (Stato s = solo_campi_noti(*res, "/resistenza", campi_resistenza); !s.riuscito()) return s;
    auto nome = radice.find("nome");
    if (nome == radice.end()) return errore("/nome", "nome", "manca");
    if (!nome->is_string()) return errore("/nome", "nome", "deve essere un testo");
    r.nome = nome->get<std::string>();
    const struct {
      const char* campo;
      double* valore;
    } numeri[] = {
        {"massa_t", &r.massa_t},
        {"lunghezza_m", &r.lunghezza_m},
        {"velocita_massima_kmh", &r.velocita_massima_kmh},
        {"coefficiente_masse_rotanti", &r.coefficiente_masse_rotanti},
        {"decelerazione_frenatura_ms2", &r.decelerazione_frenatura_ms2},
    };
    for (const auto& n : numeri)
      if (Stato s = numero(radice, "", n.campo, n.campo, *n.valore); !s.riuscito()) return s;

    auto sforzo = radice.find("sforzo_trazione");
    if (sforzo == radice.end()) return errore("/sforzo_trazione", "sforzo_trazione", "manca");
    if (!sforzo->is_array() || sforzo->empty())
      return errore("/sforzo_trazione", "sforzo_trazione",
                    "deve essere una lista di punti [km/h, kN], almeno uno");
    for (size_t i = 0; i < sforzo->size(); ++i) {
      const json& p = (*sforzo)[i];
      if (!p.is_array() || p.size() != 2 || !p[0].is_number() || !p[1].is_number())
        return errore(fmt::format("/sforzo_trazione/{}", i), fmt::format("sforzo_trazione[{}]", i),
                      "deve essere una coppia di numeri [km/h, kN]");
      r.sforzo_trazione.emplace_back(p[0].get<double>(), p[1].get<double>());
    }

    auto res = radice.find("resistenza");
    if (res == radice.end()) return errore("/resistenza", "resistenza", "manca");
    if (!res->is_object())
      return errore(
          "/resistenza", "resistenza",
          "deve essere un oggetto {\"a_kN\": A, \"b_kN_per_kmh\": B, \"c_kN_per_kmh2\": C}");
    const struct {
      const char* campo;
      double* valore;
    } coefficienti[] = {
        {"a_kN", &r.a_kN}, {"b_kN_per_kmh", &r.b_kN_per_kmh}, {"c_kN_per_kmh2", &r.c_kN_per_kmh2}};
    for (const auto& c : coefficienti)
      if (Stato s = numero(*res, "/resistenza", c.campo, fmt::format("resistenza.{}", c.campo),
                           *c.valore);
          !s.riuscito())
        return s;

    double aderenza = 0;
    bool con_aderenza = false;
    if (Stato s = numero(radice, "", "aderenza_massima", "aderenza_massima", aderenza, true,
                         &con_aderenza);
        !s.riuscito())
      return s;
    if (con_aderenza) r.aderenza_massima = aderenza;
    double aderente = 0;
    bool con_aderente = false;
    if (Stato s = numero(radice, "", "massa_aderente_t", "massa_aderente_t", aderente, true,
                         &con_aderente);
        !s.riuscito())
      return s;
    if (con_aderente) r.massa_aderente_t = aderente;
    return Stato::ok();
  }

 private:
  static constexpr std::array<std::string_view, 10> campi_rotabile = {"nome",
                                                                      "massa_t",
                                                                      "lunghezza_m",
                                                                      "velocita_massima_kmh",
                                                                      "coefficiente_masse_rotanti",
                                                                      "sforzo_trazione",
                                                                      "resistenza",
                                                                      "decelerazione_frenatura_ms2",
                                                                      "aderenza_massima",
                                                                      "massa_aderente_t"};
  static constexpr std::array<std::string_view, 3> campi_resistenza = {"a_kN", "b_kN_per_kmh",
                                                                       "c_kN_per_kmh2"};

  template <std::size_t N>
  Stato solo_campi_noti(const json& oggetto, const std::string& dentro,
                        const std::array<std::string_view, N>& noti) const {
    for (const auto& [chiave, valore] : oggetto.items()) {
      if (std::find(noti.begin(), noti.end(), chiave) != noti.end()) continue;
      std::string elenco;
      for (std::string_view n : noti) elenco += (elenco.empty() ? "" : ", ") + std::string(n);
      const std::string nome = visibile(dentro.empty() ? chiave : dentro.substr(1) + "." + chiave);
      return errore(puntatore_dentro(dentro, chiave), nome,
                    fmt::format("non è un campo del rotabile (i campi sono: {})", elenco));
    }
    return Stato::ok();
  }

  const json_con_luoghi& j_;
  std::string_view file_;
};

// Why `v` is outside its range, in the words of the messages; nothing when
// it is within. A figure that must be `positivo` says so first.
std::optional<std::string> fuori_intervallo(double v, bool positivo, double minimo, double massimo,
                                            std::string_view unita) {
  const std::string u = unita.empty() ? std::string() : fmt::format(" {}", unita);
  if (positivo && !(v > 0)) return fmt::format("deve essere positivo, non {}", v);
  if (!(v >= minimo)) return fmt::format("deve valere almeno {}{}, non {}", minimo, u, v);
  if (!(v <= massimo)) return fmt::format("deve valere al più {}{}, non {}", massimo, u, v);
  return std::nullopt;
}

}  // namespace

double frenatura_da_massa_frenata(long massa_frenata) {
  using namespace rotabile_incorporato_dati;
  const double b = frenatura_per_cento_ms2 * static_cast<double>(massa_frenata) / 100;
  return std::clamp(b, frenatura_minima_ms2, frenatura_massima_ms2);
}

rotabile rotabile_incorporato(long vetture, long massa_frenata) {
  using namespace rotabile_incorporato_dati;
  const long n = std::max(vetture, 0L);
  rotabile r;
  r.nome = fmt::format("locomotiva elettrica e {} vetture", n);
  r.massa_t = massa_locomotiva_t + massa_vettura_t * static_cast<double>(n);
  r.lunghezza_m = lunghezza_locomotiva_m + lunghezza_vettura_m * static_cast<double>(n);
  r.velocita_massima_kmh = velocita_massima_kmh;
  r.coefficiente_masse_rotanti = coefficiente_masse_rotanti;
  // The starting effort up to the speed where the power takes over, then
  // the power over the speed, every 5 km/h.
  const double v_base = potenza_kW / sforzo_avviamento_kN * 3.6;  // km/h
  r.sforzo_trazione.emplace_back(0, sforzo_avviamento_kN);
  r.sforzo_trazione.emplace_back(v_base, sforzo_avviamento_kN);
  for (int kmh = 5 * (static_cast<int>(v_base) / 5 + 1); kmh <= velocita_massima_kmh; kmh += 5)
    r.sforzo_trazione.emplace_back(kmh, potenza_kW * 3.6 / kmh);
  const double peso_kN = r.massa_t * gravita_ms2;
  r.a_kN = resistenza_a_N_per_kN * peso_kN / 1000;
  r.c_kN_per_kmh2 = resistenza_c_N_per_kN_per_kmh2 * peso_kN / 1000;
  r.decelerazione_frenatura_ms2 = frenatura_da_massa_frenata(massa_frenata);
  r.massa_aderente_t = rotabile_incorporato_dati::massa_aderente_t;
  return r;
}

Stato rotabile_valido(const rotabile& r, std::string* puntatore) {
  using namespace limiti_rotabile;
  auto errore = [&](std::string_view campo, std::string dove, std::string_view causa) {
    if (puntatore) *puntatore = std::move(dove);
    return Stato::errore(fmt::format("campo «{}»: {}", campo, causa));
  };
  const struct {
    const char* campo;
    double valore;
    bool positivo;
    double minimo, massimo;
    const char* unita;
  } figure[] = {
      {"massa_t", r.massa_t, true, massa_minima_t, massa_massima_t, "t"},
      {"lunghezza_m", r.lunghezza_m, true, 0, lunghezza_massima_m, "m"},
      {"velocita_massima_kmh", r.velocita_massima_kmh, true, velocita_minima_kmh,
       velocita_massima_kmh, "km/h"},
      {"coefficiente_masse_rotanti", r.coefficiente_masse_rotanti, false, 1,
       coefficiente_masse_massimo, ""},
      {"decelerazione_frenatura_ms2", r.decelerazione_frenatura_ms2, true, frenatura_minima_ms2,
       frenatura_massima_ms2, "m/s²"},
  };
  for (const auto& f : figure)
    if (auto perche = fuori_intervallo(f.valore, f.positivo, f.minimo, f.massimo, f.unita))
      return errore(f.campo, puntatore_dentro("", f.campo), *perche);
  if (r.sforzo_trazione.empty())
    return errore("sforzo_trazione", "/sforzo_trazione", "non ha punti");
  for (size_t i = 0; i < r.sforzo_trazione.size(); ++i) {
    const auto& [kmh, kN] = r.sforzo_trazione[i];
    const std::string campo = fmt::format("sforzo_trazione[{}]", i);
    const std::string punto = fmt::format("/sforzo_trazione/{}", i);
    if (!std::isfinite(kmh) || !std::isfinite(kN))
      return errore(campo, punto, "deve essere di numeri finiti");
    if (kmh < 0)
      return errore(campo, punto + "/0", fmt::format("la velocità {} km/h è negativa", kmh));
    if (kmh > velocita_massima_kmh)
      return errore(
          campo, punto + "/0",
          fmt::format("la velocità {} km/h è oltre i {} km/h", kmh, velocita_massima_kmh));
    if (kN < 0) return errore(campo, punto + "/1", fmt::format("lo sforzo {} kN è negativo", kN));
    if (kN > sforzo_massimo_kN)
      return errore(campo, punto + "/1",
                    fmt::format("lo sforzo {} kN è oltre i {} kN", kN, sforzo_massimo_kN));
    if (i > 0 && !(kmh > r.sforzo_trazione[i - 1].first))
      return errore(campo, punto + "/0",
                    fmt::format("le velocità devono crescere: {} km/h viene dopo {} km/h", kmh,
                                r.sforzo_trazione[i - 1].first));
  }
  const struct {
    const char* campo;
    const char* dove;
    double valore, massimo;
    const char* unita;
  } resistenze[] = {
      {"resistenza.a_kN", "/resistenza/a_kN", r.a_kN, a_massimo_kN, "kN"},
      {"resistenza.b_kN_per_kmh", "/resistenza/b_kN_per_kmh", r.b_kN_per_kmh, b_massimo_kN_per_kmh,
       "kN per km/h"},
      {"resistenza.c_kN_per_kmh2", "/resistenza/c_kN_per_kmh2", r.c_kN_per_kmh2,
       c_massimo_kN_per_kmh2, "kN per (km/h)²"},
  };
  for (const auto& c : resistenze) {
    if (!(c.valore >= 0))
      return errore(c.campo, c.dove, fmt::format("non può essere negativo, non {}", c.valore));
    if (!(c.valore <= c.massimo))
      return errore(c.campo, c.dove,
                    fmt::format("deve valere al più {} {}, non {}", c.massimo, c.unita, c.valore));
  }
  if (r.aderenza_massima)
    if (auto perche = fuori_intervallo(*r.aderenza_massima, true, 0, aderenza_massima, ""))
      return errore("aderenza_massima", "/aderenza_massima", *perche);
  if (r.massa_aderente_t)
    if (auto perche = fuori_intervallo(*r.massa_aderente_t, true, 0, r.massa_t, "t"))
      return errore("massa_aderente_t", "/massa_aderente_t", *perche);
  return Stato::ok();
}

Stato leggi_rotabile(std::string_view testo, std::string_view nome_file, rotabile& r) {
  r = {};
  json_con_luoghi j;
  if (Stato s = leggi_json_con_luoghi(testo, nome_file, j); !s.riuscito()) return s;
  if (Stato s = lettore_rotabile(j, nome_file).leggi(r); !s.riuscito()) return s;
  std::string puntatore;
  if (Stato s = rotabile_valido(r, &puntatore); !s.riuscito())
    return Stato::errore(messaggio_in(nome_file, j.luogo(puntatore), s.messaggio()));
  return Stato::ok();
}

double sforzo_a(const rotabile& r, double kmh) {
  const auto& p = r.sforzo_trazione;
  double f = 0;
  if (kmh <= p.front().first) {
    f = p.front().second;
  } else if (kmh >= p.back().first) {
    f = p.back().second;
  } else {
    // The first point beyond `kmh`, and the one before it.
    const auto dopo = std::upper_bound(p.begin(), p.end(), kmh,
                                       [](double v, const auto& punto) { return v < punto.first; });
    const auto& [v1, f1] = *dopo;
    const auto& [v0, f0] = *(dopo - 1);
    f = f0 + (kmh - v0) / (v1 - v0) * (f1 - f0);
  }
  if (r.aderenza_massima) f = std::min(f, *r.aderenza_massima * r.massa_t * gravita_ms2);
  return f;
}

double coefficiente_aderenza(int valore) {
  return valore > 0 ? aderenza_rotaia_asciutta * valore / 100 : aderenza_rotaia_asciutta;
}

double sforzo_aderenza(const rotabile& r, int valore) {
  if (!r.massa_aderente_t) return std::numeric_limits<double>::infinity();
  return coefficiente_aderenza(valore) * *r.massa_aderente_t * gravita_ms2;
}

double resistenza_a(const rotabile& r, double kmh) {
  return r.a_kN + r.b_kN_per_kmh * kmh + r.c_kN_per_kmh2 * kmh * kmh;
}

}  // namespace scen
