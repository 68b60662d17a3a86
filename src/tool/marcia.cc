#include "tool/marcia.h"

#include <fmt/format.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>

#include "check/verifica_letture.h"
#include "documents/segni_chilometrici.h"
#include "marcia/corsa.h"
#include "marcia/orario.h"
#include "marcia/percorso.h"
#include "marcia/rotabile.h"
#include "platform/file.h"
#include "platform/stati_uscita.h"
#include "platform/visibile.h"
#include "platform/windows1252.h"
#include "read/costruttori_linea.h"
#include "tool/descrizioni_date.h"
#include "tool/disegna.h"
#include "tool/verifica.h"

namespace scen {

namespace {

bool finisce_con(const std::string& testo, std::string_view coda) {
  return testo.size() >= coda.size() &&
         testo.compare(testo.size() - coda.size(), coda.size(), coda) == 0;
}

// A row of the timetable: a station or a kilometre post where the limit falls.
struct riga_marcia {
  bool stazione = true;
  std::string nome;  // UTF-8
  long posizione = 0;
  std::int64_t segno = 0;   // kilometre mark (m)
  double velocita = 0;      // of the fastest run (km/h)
  double limite = 0;        // the lowest in force for the train (km/h)
  double corsa_minima = 0;  // s from the departure (the arrival at a stop)
  long arrivo = 0;          // timetable, seconds of the day
  long partenza = 0;
  bool fermata = false;
  long recupero = 0;   // s
  long descritto = 0;  // the description's time, 0 for none
  long confronto = 0;  // the timetable's time it is compared with
  bool prima = false, ultima = false;
};

// Seconds as "+1:30" or "-0:45".
std::string differenza(long secondi) {
  const long a = std::labs(secondi);
  return fmt::format("{}{}:{:02}", secondi < 0 ? "-" : "+", a / 60, a % 60);
}

double decimi(double x) { return std::round(x * 10) / 10; }

std::string csv_testo(const std::string& t) {
  std::string r = "\"";
  for (char c : t) {
    if (c == '"') r += '"';
    r += c;
  }
  return r + "\"";
}

std::string virgola(double x, int decimali) {
  std::string s = fmt::format("{:.{}f}", x, decimali);
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

}  // namespace

bool leggi_margine(const std::string& testo, double& margine) {
  std::string t = testo;
  if (!t.empty() && t.back() == '%') t.pop_back();
  if (t.empty()) return false;
  for (char& c : t)
    if (c == ',') c = '.';
  size_t letti = 0;
  double v = 0;
  for (char c : t)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.')) return false;
  try {
    v = std::stod(t, &letti);
  } catch (const std::exception&) {
    return false;
  }
  if (letti != t.size() || !(v >= 0 && v <= 100)) return false;
  margine = v;
  return true;
}

Stato richiesta_marcia_valida(const richiesta_marcia& r) {
  if (r.json && r.csv) return Stato::errore("marcia: --json e --csv non vanno insieme");
  double m = 0;
  if (!r.margine.empty() && !leggi_margine(r.margine, m))
    return Stato::errore(fmt::format(
        "marcia: il margine \"{}\" deve essere una percentuale da 0 a 100, come 5%", r.margine));
  if (!r.uscita.empty() && !finisce_con(r.uscita, ".svg") && !finisce_con(r.uscita, ".html"))
    return Stato::errore(
        fmt::format("marcia: il disegno \"{}\" deve finire in .svg o .html", r.uscita));
  return Stato::ok();
}

int marcia(const richiesta_marcia& richiesta, std::ostream& uscita, std::ostream& errori) {
  const nomi_verificati nomi = {richiesta.linea, richiesta.treno};
  auto fallito = [&](const std::string& messaggio) {
    errori << visibile(messaggio) << '\n' << std::flush;
    return uscita_fallita;
  };
  double margine = margine_normale;
  if (!richiesta.margine.empty()) leggi_margine(richiesta.margine, margine);

  std::array<std::string, 2> testi;
  if (Stato stato = leggi_descrizioni_date(nomi, richiesta.utf8, testi); !stato.riuscito())
    return fallito(stato.messaggio());
  std::string json_rotabile;
  rotabile treno;
  if (!richiesta.rotabile.empty()) {
    if (Stato stato = leggi_file(richiesta.rotabile, json_rotabile, byte_massimi_rotabile);
        !stato.riuscito())
      return fallito(stato.messaggio());
    if (Stato stato = leggi_rotabile(json_rotabile, richiesta.rotabile, treno); !stato.riuscito())
      return fallito(stato.messaggio());
  }

  elenco_problemi problemi;
  std::array<std::string, 2> copie = testi;
  lettura_verificata lettura =
      leggi_e_ripeti(copie[0], copie[1], nomi, errori_massimi_verifica, problemi);
  if (problemi.errori() > 0 || !lettura.letto) {
    for (const problema& p : problemi.ordinati())
      if (p.livello == gravita::errore)
        for (const std::string& riga : righe_problema(p, nomi)) errori << riga << '\n';
    if (!lettura.interruzione.empty()) errori << visibile(lettura.interruzione) << '\n';
    errori << "marcia: le descrizioni non si leggono senza errori (scenario verifica elenca "
              "tutti i problemi)\n"
           << std::flush;
    return uscita_esito;
  }
  const modello& m = *lettura.letto;
  const descrizione_vista vista_linea = vedi_linea(testi[0]);
  const descrizione_vista vista_treno = vedi_treno(testi[1]);
  const percorso_marcia linea = percorso_da_modello(m, &vista_linea);
  if (richiesta.rotabile.empty())
    treno = rotabile_incorporato(m.registri[indice_registro::generali_treno].progressiva,
                                 m.registri[indice_registro::generali_treno].inizio);
  corsa c;
  if (Stato stato = calcola_corsa(linea, treno, c); !stato.riuscito()) {
    errori << "marcia: " << visibile(stato.messaggio()) << '\n' << std::flush;
    return uscita_esito;
  }
  const orario_marcia o = orario_da_corsa(linea, c, margine);

  // The kilometre marks as the line description writes them.
  std::vector<progressiva_km> progressive;
  for (int r : {indice_registro::progressiva_uno, indice_registro::progressiva_due,
                indice_registro::progressiva_tre}) {
    const registro& p = m.registri[static_cast<size_t>(r)];
    progressive.push_back({p.inizio, scostamento_scritto(p), p.progressiva == 1});
  }
  const segni_chilometrici segni(progressive);

  // The rows: the stations, and the posts where the line's limit falls.
  std::vector<riga_marcia> righe;
  const size_t n = linea.stazioni.size();
  for (size_t i = 0; i < n; ++i) {
    const stazione_marcia& s = linea.stazioni[i];
    const orario_stazione& os = o.stazioni[i];
    riga_marcia r;
    r.nome = s.nome;
    r.posizione = s.posizione;
    r.segno = segni.segno(s.posizione);
    const size_t j = static_cast<size_t>(s.posizione - c.da);
    r.velocita = c.stazioni[i].velocita;
    r.limite = c.limite(static_cast<long>(j));
    r.corsa_minima = c.stazioni[i].arrivo;
    r.arrivo = os.arrivo;
    r.partenza = os.partenza;
    r.fermata = c.stazioni[i].fermata;
    r.recupero = os.recupero;
    r.descritto = s.orario;
    r.prima = i == 0;
    r.ultima = i + 1 == n;
    r.confronto = r.prima || r.fermata ? os.partenza : os.arrivo;
    righe.push_back(std::move(r));
  }
  {
    std::vector<riga_marcia> cippi;
    long prima = -1;
    int valore_prima = 0;
    for (const record_visto& v : vista_treno.record) {
      if (v.tipo != specie::velocita || !v.intero) continue;
      const long p = v.valore(1);
      const int kmh = static_cast<int>(v.valore(2));
      if (prima >= 0 && kmh < valore_prima && p > c.da && p < c.a) {
        riga_marcia r;
        r.stazione = false;
        r.posizione = p;
        r.segno = segni.segno(p);
        r.nome = "Cippo Km " + km(r.segno);
        const size_t j = static_cast<size_t>(p - c.da);
        r.velocita = c.velocita_a(static_cast<long>(j));
        r.limite = c.limite(static_cast<long>(j));
        r.corsa_minima = c.tempo_a(static_cast<long>(j));
        // The recovery lumped at the stations before it.
        double recuperi = 0;
        for (size_t i = 0; i < n && linea.stazioni[i].posizione <= p; ++i)
          recuperi += static_cast<double>(o.stazioni[i].recupero);
        r.arrivo = r.partenza =
            mezzo_minuto(static_cast<double>(o.partenza) + r.corsa_minima + recuperi);
        cippi.push_back(std::move(r));
      }
      prima = p;
      valore_prima = kmh;
    }
    std::vector<riga_marcia> tutte;
    size_t k = 0;
    for (riga_marcia& r : righe) {
      while (k < cippi.size() && cippi[k].posizione < r.posizione) tutte.push_back(cippi[k++]);
      tutte.push_back(std::move(r));
    }
    while (k < cippi.size()) tutte.push_back(cippi[k++]);
    righe = std::move(tutte);
  }

  if (richiesta.json) {
    nlohmann::ordered_json j;
    j["treno"] = {{"nome", treno.nome},
                  {"massa_t", decimi(treno.massa_t)},
                  {"lunghezza_m", decimi(treno.lunghezza_m)},
                  {"velocita_massima_kmh", decimi(treno.velocita_massima_kmh)},
                  {"decelerazione_frenatura_ms2",
                   std::round(treno.decelerazione_frenatura_ms2 * 1000) / 1000}};
    j["margine_percento"] = margine;
    j["partenza_s"] = o.partenza;
    j["corsa_minima_s"] = decimi(c.totale);
    nlohmann::ordered_json stazioni = nlohmann::ordered_json::array();
    nlohmann::ordered_json cippi = nlohmann::ordered_json::array();
    for (const riga_marcia& r : righe) {
      nlohmann::ordered_json e;
      e["nome"] = r.nome;
      e["posizione_m"] = r.posizione;
      e["km"] = km(r.segno);
      e["velocita_kmh"] = decimi(r.velocita);
      e["limite_kmh"] = decimi(r.limite);
      e["corsa_minima_s"] = decimi(r.corsa_minima);
      if (r.stazione) {
        e["fermata"] = r.fermata;
        e["orario_s"] = r.prima ? r.partenza : r.arrivo;
        e["partenza_s"] =
            r.ultima ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(r.partenza);
        e["recupero_s"] = r.recupero;
        if (r.descritto != 0) {
          e["orario_descritto_s"] = r.descritto;
          e["differenza_s"] = r.descritto - r.confronto;
        } else {
          e["orario_descritto_s"] = nullptr;
          e["differenza_s"] = nullptr;
        }
        stazioni.push_back(std::move(e));
      } else {
        e["orario_s"] = r.arrivo;
        cippi.push_back(std::move(e));
      }
    }
    j["stazioni"] = std::move(stazioni);
    j["cippi"] = std::move(cippi);
    uscita << j.dump(2) << '\n';
  } else if (richiesta.csv) {
    uscita << "tipo,nome,posizione_m,km,velocita_kmh,limite_kmh,corsa_minima_s,arrivo,partenza,"
              "recupero_min,orario_descritto,differenza_s\n";
    for (const riga_marcia& r : righe) {
      const bool con_arrivo = !r.prima;
      const bool con_partenza = r.stazione && !r.ultima && (r.prima || r.fermata);
      uscita << fmt::format(
          "{},{},{},{},{:.1f},{:.0f},{:.1f},{},{},{},{},{}\n",
          r.stazione ? (r.fermata ? "fermata" : "stazione") : "cippo", csv_testo(visibile(r.nome)),
          r.posizione, km(r.segno), decimi(r.velocita), r.limite, decimi(r.corsa_minima),
          con_arrivo ? ora_testo(r.arrivo) : "", con_partenza ? ora_testo(r.partenza) : "",
          r.recupero ? fmt::format("{:g}", static_cast<double>(r.recupero) / 60) : "",
          r.descritto ? ora_testo(r.descritto) : "",
          r.descritto ? fmt::format("{}", r.descritto - r.confronto) : "");
    }
  } else {
    // The names come from the files: their control characters written out.
    uscita << fmt::format("treno: {}: {} t, {} m, {} km/h, frenatura {} m/s²\n",
                          visibile(treno.nome), virgola(treno.massa_t, 1),
                          virgola(treno.lunghezza_m, 1), virgola(treno.velocita_massima_kmh, 0),
                          virgola(treno.decelerazione_frenatura_ms2, 2));
    const long tot = std::lround(c.totale);
    uscita << fmt::format(
        "corsa più veloce: {}:{:02}:{:02} da {} a {}; margine {}%, recuperi alle fermate e "
        "all'arrivo\n",
        tot / 3600, tot / 60 % 60, tot % 60, visibile(linea.stazioni.front().nome),
        visibile(linea.stazioni.back().nome),
        virgola(margine, margine == std::floor(margine) ? 0 : 1));
    uscita << fmt::format("{:>9} {:>9} {:>4} {:>4} {:>8} {:>8} {:>8} {:>4} {:>8} {:>6}  {}\n",
                          "posizione", "km", "lim.", "vel.", "corsa", "arrivo", "partenza", "rec.",
                          "previsto", "diff.", "località");
    for (const riga_marcia& r : righe) {
      const long corsa_s = std::lround(r.corsa_minima);
      const bool con_arrivo = !r.prima;
      const bool con_partenza = r.stazione && !r.ultima && (r.prima || r.fermata);
      uscita << fmt::format(
          "{:>9} {:>9} {:>4.0f} {:>4.0f} {:>8} {:>8} {:>8} {:>4} {:>8} {:>6}  {}\n", r.posizione,
          km(r.segno), r.limite, r.velocita,
          fmt::format("{}:{:02}:{:02}", corsa_s / 3600, corsa_s / 60 % 60, corsa_s % 60),
          con_arrivo ? ora_testo(r.arrivo) : "", con_partenza ? ora_testo(r.partenza) : "",
          r.recupero ? virgola(static_cast<double>(r.recupero) / 60, 1) : "",
          r.descritto ? ora_testo(r.descritto) : "",
          r.descritto ? differenza(r.descritto - r.confronto) : "", visibile(r.nome));
    }
  }
  uscita.flush();

  if (!richiesta.uscita.empty()) {
    // The picture of disegna, with this run.
    richiesta_disegna r;
    r.ingressi = {richiesta.linea, richiesta.treno};
    r.uscita = richiesta.uscita;
    r.utf8 = richiesta.utf8;
    r.treno = richiesta.rotabile.empty() ? nullptr : &treno;
    r.margine = margine;
    std::ostringstream detto;
    if (const int stato = disegna(r, detto, errori); stato != uscita_riuscita) return stato;
    // The standard output holds the run; the picture written is told apart.
    errori << "marcia: disegno " << detto.str() << std::flush;
  }
  return uscita_riuscita;
}

}  // namespace scen
