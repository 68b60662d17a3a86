#include "marcia/rotabile.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

namespace scen {

namespace {

using json = nlohmann::json;

// Line and column (from 1) of byte `byte` (from 0) of `testo`.
std::pair<long, long> riga_colonna(std::string_view testo, size_t byte) {
  long riga = 1, colonna = 1;
  for (size_t i = 0; i < byte && i < testo.size(); ++i) {
    if (testo[i] == '\n') {
      ++riga;
      colonna = 1;
    } else {
      ++colonna;
    }
  }
  return {riga, colonna};
}

class lettore_rotabile {
 public:
  lettore_rotabile(const json& j, std::string_view file) : j_(j), file_(file) {}

  Stato errore(std::string_view campo, std::string_view causa) const {
    return Stato::errore(fmt::format("{}: campo «{}»: {}", file_, campo, causa));
  }

  // A number of the object `o`, which must be there unless `facoltativo`.
  Stato numero(const json& o, const std::string& campo, std::string_view nome_pieno, double& v,
               bool facoltativo = false, bool* trovato = nullptr) const {
    auto it = o.find(campo);
    if (it == o.end()) {
      if (facoltativo) return Stato::ok();
      return errore(nome_pieno, "manca");
    }
    if (!it->is_number()) return errore(nome_pieno, "deve essere un numero");
    v = it->get<double>();
    if (!std::isfinite(v)) return errore(nome_pieno, "deve essere un numero finito");
    if (trovato) *trovato = true;
    return Stato::ok();
  }

  Stato leggi(rotabile& r) const {
    if (!j_.is_object())
      return Stato::errore(fmt::format("{}: il file deve essere un oggetto JSON", file_));
    auto nome = j_.find("nome");
    if (nome == j_.end()) return errore("nome", "manca");
    if (!nome->is_string()) return errore("nome", "deve essere un testo");
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
      if (Stato s = numero(j_, n.campo, n.campo, *n.valore); !s.riuscito()) return s;

    auto sforzo = j_.find("sforzo_trazione");
    if (sforzo == j_.end()) return errore("sforzo_trazione", "manca");
    if (!sforzo->is_array() || sforzo->empty())
      return errore("sforzo_trazione", "deve essere una lista di punti [km/h, kN], almeno uno");
    for (size_t i = 0; i < sforzo->size(); ++i) {
      const json& p = (*sforzo)[i];
      if (!p.is_array() || p.size() != 2 || !p[0].is_number() || !p[1].is_number())
        return errore(fmt::format("sforzo_trazione[{}]", i),
                      "deve essere una coppia di numeri [km/h, kN]");
      r.sforzo_trazione.emplace_back(p[0].get<double>(), p[1].get<double>());
    }

    auto res = j_.find("resistenza");
    if (res == j_.end()) return errore("resistenza", "manca");
    if (!res->is_object())
      return errore(
          "resistenza",
          "deve essere un oggetto {\"a_kN\": A, \"b_kN_per_kmh\": B, \"c_kN_per_kmh2\": C}");
    const struct {
      const char* campo;
      double* valore;
    } coefficienti[] = {
        {"a_kN", &r.a_kN}, {"b_kN_per_kmh", &r.b_kN_per_kmh}, {"c_kN_per_kmh2", &r.c_kN_per_kmh2}};
    for (const auto& c : coefficienti)
      if (Stato s = numero(*res, c.campo, fmt::format("resistenza.{}", c.campo), *c.valore);
          !s.riuscito())
        return s;

    double aderenza = 0;
    bool con_aderenza = false;
    if (Stato s = numero(j_, "aderenza_massima", "aderenza_massima", aderenza, true, &con_aderenza);
        !s.riuscito())
      return s;
    if (con_aderenza) r.aderenza_massima = aderenza;
    return Stato::ok();
  }

 private:
  const json& j_;
  std::string_view file_;
};

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
  r.aderenza_massima = massa_locomotiva_t / r.massa_t * aderenza_locomotiva;
  return r;
}

Stato rotabile_valido(const rotabile& r) {
  auto errore = [](std::string_view campo, std::string_view causa) {
    return Stato::errore(fmt::format("campo «{}»: {}", campo, causa));
  };
  if (!(r.massa_t > 0))
    return errore("massa_t", fmt::format("deve essere positivo, non {}", r.massa_t));
  if (!(r.lunghezza_m > 0))
    return errore("lunghezza_m", fmt::format("deve essere positivo, non {}", r.lunghezza_m));
  if (!(r.velocita_massima_kmh > 0))
    return errore("velocita_massima_kmh",
                  fmt::format("deve essere positivo, non {}", r.velocita_massima_kmh));
  if (!(r.coefficiente_masse_rotanti >= 1))
    return errore("coefficiente_masse_rotanti",
                  fmt::format("deve valere almeno 1, non {}", r.coefficiente_masse_rotanti));
  if (!(r.decelerazione_frenatura_ms2 > 0))
    return errore("decelerazione_frenatura_ms2",
                  fmt::format("deve essere positivo, non {}", r.decelerazione_frenatura_ms2));
  if (r.sforzo_trazione.empty()) return errore("sforzo_trazione", "non ha punti");
  for (size_t i = 0; i < r.sforzo_trazione.size(); ++i) {
    const auto& [kmh, kN] = r.sforzo_trazione[i];
    if (!std::isfinite(kmh) || !std::isfinite(kN))
      return errore(fmt::format("sforzo_trazione[{}]", i), "deve essere di numeri finiti");
    if (kmh < 0)
      return errore(fmt::format("sforzo_trazione[{}]", i),
                    fmt::format("la velocità {} km/h è negativa", kmh));
    if (kN < 0)
      return errore(fmt::format("sforzo_trazione[{}]", i),
                    fmt::format("lo sforzo {} kN è negativo", kN));
    if (i > 0 && !(kmh > r.sforzo_trazione[i - 1].first))
      return errore(fmt::format("sforzo_trazione[{}]", i),
                    fmt::format("le velocità devono crescere: {} km/h viene dopo {} km/h", kmh,
                                r.sforzo_trazione[i - 1].first));
  }
  const struct {
    const char* campo;
    double valore;
  } resistenze[] = {{"resistenza.a_kN", r.a_kN},
                    {"resistenza.b_kN_per_kmh", r.b_kN_per_kmh},
                    {"resistenza.c_kN_per_kmh2", r.c_kN_per_kmh2}};
  for (const auto& c : resistenze)
    if (c.valore < 0)
      return errore(c.campo, fmt::format("non può essere negativo, non {}", c.valore));
  if (r.aderenza_massima && !(*r.aderenza_massima > 0))
    return errore("aderenza_massima",
                  fmt::format("deve essere positivo, non {}", *r.aderenza_massima));
  return Stato::ok();
}

Stato leggi_rotabile(std::string_view testo, std::string_view nome_file, rotabile& r) {
  r = {};
  json j;
  try {
    j = json::parse(testo);
  } catch (const json::parse_error& e) {
    const auto [riga, colonna] = riga_colonna(testo, e.byte > 0 ? e.byte - 1 : 0);
    return Stato::errore(
        fmt::format("{}:{}:{}: non è un JSON che si legge", nome_file, riga, colonna));
  }
  if (Stato s = lettore_rotabile(j, nome_file).leggi(r); !s.riuscito()) return s;
  if (Stato s = rotabile_valido(r); !s.riuscito())
    return Stato::errore(fmt::format("{}: {}", nome_file, s.messaggio()));
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

double resistenza_a(const rotabile& r, double kmh) {
  return r.a_kN + r.b_kN_per_kmh * kmh + r.c_kN_per_kmh2 * kmh * kmh;
}

}  // namespace scen
