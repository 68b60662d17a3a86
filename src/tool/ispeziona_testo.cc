// The facts of `scenario ispeziona` in words.
#include <fmt/format.h>

#include "tool/ispeziona_fatti.h"

namespace scen {

namespace {

using righe = std::vector<std::string>;

// A length in metres with one decimal, written with a decimal comma.
std::string metri(double v) {
  std::string t = fmt::format("{:.1f}", v);
  for (char& c : t)
    if (c == '.') c = ',';
  return t;
}

std::string chiavi(const fatti& c) {
  return fmt::format("percorso \"{}\", treno \"{}\"", c["percorso"].get<std::string>(),
                     c["treno"].get<std::string>());
}

// The line of a competition code: where it lies and whether it is the one
// of the name's keys.
std::string riga_codice(const char* nome, const char* dove, const fatti& c) {
  std::string riga = fmt::format("  {}: {} {}", nome, c["valore"].get<long>(), dove);
  if (c["chiavi_del_nome"].is_null())
    return riga + "; il nome non contiene le chiavi con cui confrontarlo";
  if (c["corrisponde"].get<bool>())
    return riga + ", quello delle chiavi del nome (" + chiavi(c["chiavi_del_nome"]) + ")";
  return riga + fmt::format(", ma le chiavi del nome ({}) danno {}", chiavi(c["chiavi_del_nome"]),
                            c["atteso"].get<long>());
}

righe righe_treno(const fatti& f) {
  righe r;
  r.push_back(fmt::format("{}: treno compilato, {} byte, {} registri", f["file"].get<std::string>(),
                          f["byte"].get<long>(), f["registri"].get<long>()));
  std::string chiavi_riga = "  chiavi nei registri 85 e 86: " + chiavi(f["chiavi_nei_registri"]);
  if (f["chiavi_del_nome"].is_null())
    chiavi_riga += "; il nome non contiene chiavi";
  else if (f["chiavi_concordano"].get<bool>())
    chiavi_riga += ", quelle del nome";
  else
    chiavi_riga += ", non quelle del nome (" + chiavi(f["chiavi_del_nome"]) + ")";
  r.push_back(chiavi_riga);
  r.push_back(fmt::format("  segno riservato: {} nel campo_7 del registro 85",
                          f["segno"]["valore"].get<long>()));
  r.push_back(riga_codice("codice_gara_st", "nel registro 85", f["codice_gara_st"]));
  r.push_back(fmt::format("  lunghezza della linea: {} m (registro 84)",
                          f["lunghezza_percorso"].get<long>()));
  r.push_back(fmt::format("  vetture: {}", f["numero_vetture"].get<long>()));
  r.push_back(fmt::format("  massa frenata: {} %", f["percentuale_massa_frenata"].get<long>()));
  for (const fatti& p : f["progressive"]) {
    const long decrescente = p["decrescente"].get<long>();
    r.push_back(
        fmt::format("  progressiva chilometrica {} (registro {}): da {} m, scostamento {}, {}",
                    p["nome"].get<std::string>(), p["registro"].get<long>(),
                    p["inizio"].get<long>(), p["scostamento"].get<long>(),
                    decrescente == 0   ? std::string("crescente")
                    : decrescente == 1 ? std::string("decrescente")
                                       : fmt::format("decrescente ({})", decrescente)));
  }
  const fatti& s = f["sfondi"];
  r.push_back(fmt::format("  sfondi: uno {}, due {}, tre {}", s["uno"].get<long>(),
                          s["due"].get<long>(), s["tre"].get<long>()));
  const fatti& rip = f["ripetizione_segnali"];
  if (rip["fine"].get<long>() == 0)
    r.push_back(fmt::format("  ripetizione dei segnali: nessuna (fine 0; inizio {} m, codici {})",
                            rip["inizio"].get<long>(), rip["codici"].get<long>()));
  else
    r.push_back(fmt::format("  ripetizione dei segnali: da {} m a {} m, {} codici",
                            rip["inizio"].get<long>(), rip["fine"].get<long>(),
                            rip["codici"].get<long>()));
  const fatti& o = f["orologio"];
  r.push_back(fmt::format("  orologio: {:02}:{:02}:{:02}", o["ore"].get<long>(),
                          o["minuti"].get<long>(), o["secondi"].get<long>()));
  r.push_back(fmt::format("  sabbia: {}", f["sabbia"].get<long>()));

  const fatti& stazioni = f["stazioni"];
  if (stazioni.empty()) {
    r.push_back("  stazioni: nessuna");
  } else {
    r.push_back(fmt::format("  stazioni: {}, registri 1-{}", stazioni.size(), stazioni.size()));
    r.push_back("    reg.  posizione   estensione (m)    tipo  fermata  orario    nome");
    for (const fatti& st : stazioni)
      r.push_back(fmt::format("    {:4}  {:9}  {:7} - {:7}  {:4}  {:7}  {:8}  {}",
                              st["registro"].get<long>(), st["posizione"].get<long>(),
                              st["inizio"].get<long>(), st["fine"].get<long>(),
                              st["tipo"].get<long>(), st["fermata"].get<long>(),
                              st["orario"].is_null() ? "-" : st["orario"].get<std::string>(),
                              st["nome"].get<std::string>()));
  }
  const fatti& cartelli = f["cartelli"];
  if (cartelli.empty()) {
    r.push_back("  cartelli: nessuno");
  } else {
    r.push_back(fmt::format("  cartelli: {}, registri 80-{}", cartelli.size(),
                            cartelli.back()["registro"].get<long>()));
    for (const fatti& c : cartelli) {
      const std::string testo = fmt::format("\"{}\"", c["testo"].get<std::string>());
      if (c.contains("cella"))
        r.push_back(fmt::format("    {:4}  cella {:5}, da {:6} m  {}", c["registro"].get<long>(),
                                c["cella"].get<long>(), c["metri"].get<long>(), testo));
      else
        r.push_back(fmt::format("    {:4}  {}", c["registro"].get<long>(), testo));
    }
  }
  return r;
}

std::string riga_cella(const fatti& c) {
  const long vel = c["vel_limite"].get<long>(), pendenza = c["pendenza"].get<long>();
  const std::string oggetto = c["oggetto"].get<std::string>();
  return fmt::format(
      "    cella {} da {} m: codice {}{}, valore_1 {}, valore_2 {}, valore_3 {}, valore_4 {}, "
      "valore_5 {}, avvicinamento {}, montagna {}, vel_limite {} ({} km/h), pendenza {} "
      "({:+} per mille), aderenza {}",
      c["cella"].get<long>(), c["metri"].get<long>(), c["codice"].get<long>(),
      oggetto.empty() ? "" : " (" + oggetto + ")", c["valore_1"].get<long>(),
      c["valore_2"].get<long>(), c["valore_3"].get<long>(), c["valore_4"].get<long>(),
      c["valore_5"].get<long>(), c["avvicinamento"].get<long>(), c["montagna"].get<long>(), vel,
      5 * vel, pendenza, pendenza - 100, c["aderenza"].get<long>());
}

righe righe_celle(const fatti& f) {
  righe r;
  const long ultima = f["ultima_cella"].get<long>();
  r.push_back(
      fmt::format("{}: celle compilate, {} byte, {} celle (0-{}), per una linea di circa {} m",
                  f["file"].get<std::string>(), f["byte"].get<long>(), f["celle"].get<long>(),
                  ultima, f["lunghezza_percorso_circa"].get<long>()));
  r.push_back(fmt::format("  segno riservato: {} nel valore_1 della cella 1",
                          f["segno"]["valore"].get<long>()));
  r.push_back(riga_codice("codice_gara_og", "nel valore_2 della cella 1", f["codice_gara_og"]));
  r.push_back("  codici delle celle:");
  for (const fatti& c : f["censimento"]) {
    const std::string oggetto = c["oggetto"].get<std::string>();
    r.push_back(fmt::format("    {:3}  {:<28} {:6}", c["codice"].get<long>(),
                            oggetto.empty() ? "?" : oggetto, c["celle"].get<long>()));
  }
  if (f.contains("celle_scelte")) {
    const fatti& s = f["celle_scelte"];
    const long da = s["da"].get<long>(), a = s["a"].get<long>();
    if (da > ultima)
      r.push_back(fmt::format("  celle {}-{}: nessuna, l'ultima cella è la {}", da, a, ultima));
    else if (a > ultima)
      r.push_back(fmt::format("  celle {}-{} (l'ultima cella è la {}):", da, ultima, ultima));
    else
      r.push_back(fmt::format("  celle {}-{}:", da, a));
    for (const fatti& c : s["celle"]) r.push_back(riga_cella(c));
  }
  return r;
}

righe righe_linea(const fatti& f) {
  righe r;
  const long ultimo = f["ultimo_metro"].get<long>();
  r.push_back(fmt::format(
      "{}: linea compilata, {} byte, tracciato dei metri 0-{} (una linea di {} m più 7000)",
      f["file"].get<std::string>(), f["byte"].get<long>(), ultimo,
      f["lunghezza_percorso"].get<long>()));
  const long pieni = f["metri_pieni"].get<long>(), ultimo_pieno = f["ultimo_pieno"].get<long>();
  std::string riga = fmt::format("  metri pieni: {}", pieni);
  if (ultimo_pieno >= 0 && pieni == ultimo_pieno + 1) riga += fmt::format(" (0-{})", ultimo_pieno);
  if (f["primo_vuoto"].is_null())
    riga += ", nessun metro vuoto";
  else
    riga += fmt::format(", primo metro vuoto: {}", f["primo_vuoto"].get<long>());
  r.push_back(riga);
  if (ultimo_pieno < 0) {
    r.push_back("  nessun metro pieno a partire dal metro 0: nessuna lunghezza né riquadro");
    return r;
  }
  r.push_back(fmt::format("  lunghezza in linea retta: {} m (dal metro 0 al metro {})",
                          metri(f["lunghezza_retta"].get<double>()), ultimo_pieno));
  r.push_back(fmt::format("  lunghezza lungo la linea: {} m",
                          metri(f["lunghezza_lungo_la_linea"].get<double>())));
  const fatti& q = f["riquadro"];
  const double x0 = q["x_min"].get<double>(), x1 = q["x_max"].get<double>();
  const double y0 = q["y_min"].get<double>(), y1 = q["y_max"].get<double>();
  r.push_back(
      fmt::format("  riquadro: X da {} a {} m, Y da {} a {} m (larghezza {} m, altezza {} m)",
                  metri(x0), metri(x1), metri(y0), metri(y1), metri(x1 - x0), metri(y1 - y0)));
  return r;
}

}  // namespace

std::vector<std::string> righe_fatti(const fatti& f) {
  const std::string tipo = f["tipo"].get<std::string>();
  if (tipo == "treno") return righe_treno(f);
  if (tipo == "celle") return righe_celle(f);
  return righe_linea(f);
}

}  // namespace scen
