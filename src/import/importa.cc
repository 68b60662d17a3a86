#include "import/importa.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <numbers>
#include <ostream>

#include "import/traccia.h"
#include "platform/file.h"
#include "platform/stati_uscita.h"

namespace scen {

namespace {

// The track's direction at metre m, over this many metres either side.
constexpr long base_direzione = 25;

Long arrotonda_50(double metri) { return static_cast<Long>(std::llround(metri / 50) * 50); }

// The plan against the track's nearest points, metre by metre.
figure_adattamento misura(const sagoma_traccia& s, const std::vector<curva_importata>& curve,
                          const std::vector<long>& corrispondenze) {
  figure_adattamento f;
  f.lunghezza_traccia = s.lunghezza;
  const long ultimo = static_cast<long>(s.punti.size()) - 1;
  const long fine = static_cast<long>(corrispondenze.size()) - 1;
  const std::vector<punto_piano> piano = ridisegna(curve, static_cast<Long>(fine));
  double somma = 0;
  for (long m = 0; m <= fine; ++m) {
    const long j = corrispondenze[static_cast<size_t>(m)];
    const punto_piano a = piano[static_cast<size_t>(m)], b = s.punti[static_cast<size_t>(j)];
    const double d = std::hypot(a.x - b.x, a.y - b.y);
    f.distanza_massima = std::max(f.distanza_massima, d);
    somma += d;
    if (m == 0) continue;
    const punto_piano p0 = s.punti[static_cast<size_t>(std::max(0L, j - base_direzione))];
    const punto_piano p1 = s.punti[static_cast<size_t>(std::min(ultimo, j + base_direzione))];
    const double traccia = std::atan2(p1.x - p0.x, p1.y - p0.y);
    const punto_piano q0 = piano[static_cast<size_t>(m - 1)], q1 = piano[static_cast<size_t>(m)];
    double scarto = std::atan2(q1.x - q0.x, q1.y - q0.y) - traccia;
    scarto = std::remainder(scarto, 2 * std::numbers::pi);
    f.direzione_massima = std::max(f.direzione_massima, std::abs(scarto) * 180 / std::numbers::pi);
  }
  f.distanza_media = somma / static_cast<double>(fine + 1);
  return f;
}

std::string nome_pulito(std::string nome) {
  for (char& c : nome)
    if (c == ',' || c == '\r' || c == '\n' || c == '\t') c = ' ';
  const size_t inizio = nome.find_first_not_of(' ');
  const size_t fine = nome.find_last_not_of(' ');
  return inizio == std::string::npos ? "?" : nome.substr(inizio, fine - inizio + 1);
}

}  // namespace

Stato importa_traccia(std::string_view byte, const std::string& nome, importazione& i) {
  traccia t;
  if (Stato s = leggi_traccia(byte, nome, t); !s.riuscito()) return s;
  sagoma_traccia s;
  if (Stato stato = prepara_sagoma(t, nome, s); !stato.riuscito()) return stato;
  i.punti = static_cast<long>(t.punti.size());
  i.senza_quota = s.senza_quota;
  linea_importata& l = i.linea;
  std::vector<long> corrispondenze;
  l.curve = adatta_curve(s.punti, corrispondenze);
  // The plan's metres are the line's: its length, and the heights and named
  // points carried over to them from the track's.
  l.lunghezza = arrotonda_50(static_cast<double>(corrispondenze.size() - 1));
  if (l.lunghezza < 50) l.lunghezza = 50;
  std::vector<double> quote;
  if (!s.quote.empty())
    for (long j : corrispondenze) quote.push_back(s.quote[static_cast<size_t>(j)]);
  l.pendenze = adatta_pendenze(quote);
  i.nominati.clear();
  l.stazioni.clear();
  for (const punto_lungo_linea& p : s.nominati) {
    const auto dopo = std::lower_bound(corrispondenze.begin(), corrispondenze.end(),
                                       static_cast<long>(std::llround(p.posizione)));
    const double metro = static_cast<double>(dopo - corrispondenze.begin());
    const Long dove = std::min(arrotonda_50(metro), l.lunghezza);
    i.nominati.push_back({p.nome, static_cast<double>(dove)});
    l.stazioni.push_back({nome_pulito(p.nome), dove});
  }
  if (l.stazioni.size() > 79)
    return Stato::errore(
        messaggio_punto(nome, 0,
                        fmt::format("{} punti con nome: le stazioni di un treno sono al più 79",
                                    l.stazioni.size())));
  l.passo_cartelli = passo_cartelli(l.lunghezza, l.stazioni.size());
  i.figure = misura(s, l.curve, corrispondenze);
  return Stato::ok();
}

int importa(const richiesta_importa& richiesta, std::ostream& uscita, std::ostream& errori) {
  auto fallito = [&](const std::string& messaggio) {
    errori << "scenario importa: " << messaggio << '\n' << std::flush;
    return uscita_fallita;
  };
  std::string byte;
  if (Stato s = leggi_file(richiesta.traccia, byte); !s.riuscito()) return fallito(s.messaggio());
  importazione i;
  if (Stato s = importa_traccia(byte, richiesta.traccia, i); !s.riuscito())
    return fallito(s.messaggio());

  std::string avviso;
  if (i.senza_quota > 0)
    avviso = fmt::format("{}: avviso: {} punti su {} senza quota: le pendenze sono tutte 0",
                         richiesta.traccia, i.senza_quota, i.punti);
  std::string testo;
  if (Stato s = testo_descrizione(righe_linea(i.linea), testo); !s.riuscito())
    return fallito(richiesta.uscita + ": " + s.messaggio());
  if (Stato s = sostituisci_file(richiesta.uscita, testo); !s.riuscito())
    return fallito(s.messaggio());
  if (!richiesta.treno.empty()) {
    if (Stato s = testo_descrizione(righe_treno(i.linea), testo); !s.riuscito())
      return fallito(richiesta.treno + ": " + s.messaggio());
    if (Stato s = sostituisci_file(richiesta.treno, testo); !s.riuscito())
      return fallito(s.messaggio());
  }

  const figure_adattamento& f = i.figure;
  const Long cartelli =
      i.linea.passo_cartelli > 0 ? i.linea.lunghezza / (i.linea.passo_cartelli * 1000) : 0;
  if (richiesta.json) {
    nlohmann::json d = {
        {"linea", richiesta.uscita},
        {"lunghezza", i.linea.lunghezza},
        {"lunghezza_traccia", std::round(f.lunghezza_traccia * 10) / 10},
        {"distanza_massima", std::round(f.distanza_massima * 100) / 100},
        {"distanza_media", std::round(f.distanza_media * 100) / 100},
        {"errore_direzione_massimo", std::round(f.direzione_massima * 1000) / 1000},
        {"curve", i.linea.curve.size()},
        {"pendenze", i.linea.pendenze.size()},
        {"cartelli", cartelli},
        {"punti_con_nome", nlohmann::json::array()},
        {"avvisi", nlohmann::json::array()},
    };
    if (!richiesta.treno.empty()) d["treno"] = richiesta.treno;
    for (const punto_lungo_linea& p : i.nominati)
      d["punti_con_nome"].push_back({{"nome", p.nome}, {"posizione", std::llround(p.posizione)}});
    if (!avviso.empty()) d["avvisi"].push_back(avviso);
    uscita << d.dump(2) << '\n';
  } else {
    if (!avviso.empty()) errori << avviso << '\n';
    uscita << fmt::format("{}: linea di {} m, dalla traccia lunga {:.1f} m\n", richiesta.uscita,
                          i.linea.lunghezza, f.lunghezza_traccia);
    uscita << fmt::format(
        "piano ridisegnato: dalla traccia al più {:.2f} m, in media {:.2f} m; direzione al più "
        "{:.3f} gradi\n",
        f.distanza_massima, f.distanza_media, f.direzione_massima);
    uscita << fmt::format("record: {} curve, {} pendenze, {} cartelli\n", i.linea.curve.size(),
                          i.linea.pendenze.size(), cartelli);
    uscita << fmt::format("punti con nome: {}\n", i.nominati.size());
    for (const punto_lungo_linea& p : i.nominati)
      uscita << fmt::format("  {:>7} m  {}\n", std::llround(p.posizione), p.nome);
    if (!richiesta.treno.empty())
      uscita << fmt::format("{}: treno con {} stazioni\n", richiesta.treno,
                            i.linea.stazioni.size());
  }
  uscita << std::flush;
  return uscita_riuscita;
}

}  // namespace scen
