#include "import/importa.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <ostream>

#include "import/curve_strette.h"
#include "import/importa_osm.h"
#include "import/quote_tessere.h"
#include "import/resoconto_importa.h"
#include "import/traccia.h"
#include "platform/file.h"
#include "platform/stati_uscita.h"
#include "platform/visibile.h"
#include "read/passo_tracciato.h"

namespace scen {

namespace {

// The track's direction at metre m, over this many metres either side.
constexpr long base_direzione = 25;
// A point of the track against the plan this far (m) either side of its metre.
constexpr long ricerca_punti = 100;

// The plan against the track's nearest points, metre by metre, up to where
// the plan or the line ends.
figure_adattamento misura(const sagoma_traccia& s, const linea_importata& l,
                          const std::vector<long>& corrispondenze, std::vector<double>& scarti) {
  const std::vector<curva_importata>& curve = l.curve;
  figure_adattamento f;
  f.lunghezza_traccia = s.lunghezza;
  const long ultimo = static_cast<long>(s.punti.size()) - 1;
  const long fine =
      std::min(static_cast<long>(corrispondenze.size()) - 1, static_cast<long>(l.lunghezza));
  const std::vector<punto_piano> piano = ridisegna(curve, static_cast<Long>(fine));
  double somma = 0;
  for (long m = 0; m <= fine; ++m) {
    const long j = corrispondenze[static_cast<size_t>(m)];
    const punto_piano a = piano[static_cast<size_t>(m)], b = s.punti[static_cast<size_t>(j)];
    const double d = distanza(a, b);
    scarti.push_back(d);
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
  // The points as given against the plan about their own metre.
  f.lunghezza_punti = s.lunghezza_punti;
  for (size_t k = 0; k < s.punti_percorso.size(); ++k) {
    const long m = std::lround(s.lungo_percorso[k]);
    double d = INFINITY;
    for (long n = std::max(0L, m - ricerca_punti); n <= std::min(fine, m + ricerca_punti); ++n) {
      const punto_piano a = piano[static_cast<size_t>(n)], b = s.punti_percorso[k];
      d = std::min(d, distanza(a, b));
    }
    if (std::isfinite(d)) f.distanza_punti = std::max(f.distanza_punti, d);
  }
  return f;
}

// Whether the track's points about the stretch `c` lie close enough together
// to show its radius: between points far apart, the smoothed track turns
// sharply at the points, whatever the real one did.
bool punti_fitti(const std::vector<double>& lungo, const tratto_stretto& c) {
  // Points further apart than this, within this reach of the stretch (the
  // radius is measured over chords of 100 m either side), say nothing of it.
  constexpr double passo_massimo = 100;
  constexpr double portata = 250;
  const double da = static_cast<double>(c.inizio) - portata;
  const double a = static_cast<double>(c.fine) + portata;
  // The points lie in order along the track: only those about the stretch
  // are looked at, so that a line of many stretches is not read whole for
  // each.
  const size_t primo =
      static_cast<size_t>(std::upper_bound(lungo.begin(), lungo.end(), da) - lungo.begin());
  for (size_t k = std::max<size_t>(primo, 1); k < lungo.size() && lungo[k - 1] < a; ++k)
    if (lungo[k] - lungo[k - 1] > passo_massimo) return false;
  return true;
}

// A place along the line in kilometres, as written to the user: "12,345".
std::string chilometri(long metri) { return fmt::format("{},{:03}", metri / 1000, metri % 1000); }

}  // namespace

Stato importa_traccia(std::string_view byte, const std::string& nome, importazione& i,
                      const std::vector<std::string>& quote) {
  traccia t;
  if (Stato s = leggi_traccia(byte, nome, t); !s.riuscito()) return s;
  if (!quote.empty())
    if (Stato s = quote_della_traccia(quote, nome, t); !s.riuscito()) return s;
  return adatta_traccia(t, nome, i);
}

Stato adatta_traccia(const traccia& t, const std::string& nome, importazione& i) {
  sagoma_traccia s;
  if (Stato stato = prepara_sagoma(t, nome, s); !stato.riuscito()) return stato;
  i.punti = static_cast<long>(t.punti.size());
  i.senza_quota = s.senza_quota;
  i.avvisi = s.avvisi;
  linea_importata& l = i.linea;
  std::vector<long> corrispondenze;
  l.curve = adatta_curve(s.punti, corrispondenze);
  // The track's metres are the line's: its length, its heights and where
  // the named points fall. The plan keeps to them (see adatta_curve); it
  // ends with the line.
  l.lunghezza = std::max<Long>(arrotonda_50(s.lunghezza), 50);
  std::erase_if(l.curve, [&](const curva_importata& c) { return c.inizio + 1 > l.lunghezza; });
  for (curva_importata& c : l.curve) c.lunghezza = std::min(c.lunghezza, l.lunghezza - c.inizio);
  l.pendenze = adatta_pendenze(s.quote, t.correlazione_quote, s.quote_viste);
  i.metri_punti = s.lungo_punti;
  i.metri_riferiti = s.lungo_riferiti;
  i.nominati.clear();
  l.stazioni.clear();
  for (const punto_lungo_linea& p : s.nominati) {
    const Long dove = std::min(arrotonda_50(p.posizione), l.lunghezza);
    i.nominati.push_back({p.nome, static_cast<double>(dove)});
    l.stazioni.push_back({nome_di_stazione(p.nome), dove});
  }
  if (l.stazioni.size() > stazioni_massime)
    return Stato::errore(
        messaggio_punto(nome, 0,
                        fmt::format("{} punti con nome: le stazioni di un treno sono al più {}",
                                    l.stazioni.size(), stazioni_massime)));
  l.passo_cartelli = passo_cartelli(l.lunghezza, l.stazioni.size());
  std::vector<double> scarti;
  i.figure = misura(s, l, corrispondenze, scarti);
  for (const tratto_stretto& c :
       tratti_stretti(raggi_del_percorso(s.punti_percorso, s.lungo_percorso), scarti))
    if (punti_fitti(s.lungo_percorso, c))
      i.avvisi.push_back(fmt::format(
          "dal km {} al km {} la traccia curva con raggio fino a {:.0f} m, più stretto della curva "
          "più stretta ({:.0f} m): lì il piano ridisegnato se ne scosta fino a {:.0f} m (la "
          "lunghezza e i posti lungo la linea restano quelli della traccia)",
          chilometri(c.inizio), chilometri(c.fine), c.raggio, 1 / *curvatura_classe(6), c.scarto));
  return Stato::ok();
}

namespace {

// An extract needs its line: a relation, or the two stations. (A file
// given with either is read as an extract; --quote fits any file.)
std::string opzioni_sbagliate(const richiesta_importa& r, bool estratto) {
  const bool stazioni = !r.da.empty() || !r.a.empty();
  if (!estratto) return "";
  if (r.relazione != 0 && stazioni)
    return "--relazione e --da/--a sono due modi di dare la linea: se ne usa uno solo";
  if (r.relazione == 0 && !stazioni)
    return fmt::format(
        "{}: di un estratto OpenStreetMap serve la linea: --relazione ID, o --da STAZIONE --a "
        "STAZIONE",
        r.traccia);
  if (r.relazione == 0 && (r.da.empty() || r.a.empty())) return "--da e --a vanno date insieme";
  return "";
}

}  // namespace

int importa(const richiesta_importa& richiesta, std::ostream& uscita, std::ostream& errori,
            bool avanzamento) {
  auto fallito = [&](const std::string& messaggio) {
    errori << "scenario importa: " << visibile(messaggio) << '\n' << std::flush;
    return uscita_fallita;
  };
  const bool estratto = nome_di_estratto(richiesta.traccia) || richiesta.relazione != 0 ||
                        !richiesta.da.empty() || !richiesta.a.empty();
  if (const std::string m = opzioni_sbagliate(richiesta, estratto); !m.empty()) return fallito(m);
  importazione i;
  resoconto_osm osm;
  if (estratto) {
    std::function<void(const std::string&)> riga_avanzamento;
    if (avanzamento)
      riga_avanzamento = [&errori](const std::string& riga) {
        errori << visibile(riga) << '\n' << std::flush;
      };
    if (Stato s = importa_estratto(richiesta, i, osm, riga_avanzamento); !s.riuscito())
      return fallito(s.messaggio());
  } else {
    std::string byte;
    if (Stato s = leggi_file(richiesta.traccia, byte); !s.riuscito()) return fallito(s.messaggio());
    if (Stato s = importa_traccia(byte, richiesta.traccia, i, richiesta.quote); !s.riuscito())
      return fallito(s.messaggio());
  }

  const esito_importa esito{richiesta, estratto, i, osm};
  const std::vector<std::string> avvisi = avvisi_importa(esito);
  std::string testo;
  if (Stato s = testo_descrizione(righe_linea(i.linea), testo); !s.riuscito())
    return fallito(richiesta.uscita + ": " + s.messaggio());
  std::string testo_treno;
  if (!richiesta.treno.empty())
    if (Stato s = testo_descrizione(righe_treno(i.linea), testo_treno); !s.riuscito())
      return fallito(richiesta.treno + ": " + s.messaggio());
  if (Stato s = sostituisci_file(richiesta.uscita, testo); !s.riuscito())
    return fallito(s.messaggio());
  if (!richiesta.treno.empty())
    if (Stato s = sostituisci_file(richiesta.treno, testo_treno); !s.riuscito())
      return fallito(s.messaggio());

  if (richiesta.json)
    scrivi_resoconto_json(esito, avvisi, uscita);
  else
    scrivi_resoconto_testo(esito, avvisi, uscita, errori);
  uscita << std::flush;
  return uscita_riuscita;
}

}  // namespace scen
