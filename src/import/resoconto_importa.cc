#include "import/resoconto_importa.h"

#include <fmt/format.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "platform/visibile.h"

namespace scen {

namespace {

const char* nomi_progressive[] = {"uno", "due", "tre"};

// The signposts the line description holds.
Long cartelli_scritti(const linea_importata& l) {
  return l.cartelli             ? static_cast<Long>(l.cartelli->size())
         : l.passo_cartelli > 0 ? l.lunghezza / (l.passo_cartelli * 1000)
                                : 0;
}

}  // namespace

std::vector<std::string> avvisi_importa(const esito_importa& e) {
  const richiesta_importa& richiesta = e.richiesta;
  const importazione& i = e.i;
  const resoconto_osm& osm = e.osm;
  std::vector<std::string> avvisi;
  if (i.senza_quota > 0)
    avvisi.push_back(
        e.estratto ? fmt::format("{}: avviso: senza --quote, e senza ele su ogni nodo della linea, "
                                 "la linea non ha quote: le pendenze sono tutte 0",
                                 richiesta.traccia)
                   : fmt::format("{}: avviso: {} punti su {} senza quota: le pendenze sono tutte 0",
                                 richiesta.traccia, i.senza_quota, i.punti));
  if (!osm.vie_senza_limite.empty() && !richiesta.treno.empty())
    avvisi.push_back(fmt::format(
        "{}: avviso: {} vie senza maxspeed prendono il limite di quella prima: {}",
        richiesta.traccia, osm.vie_senza_limite.size(), elenco_breve(osm.vie_senza_limite)));
  for (const std::string& a : i.avvisi)
    avvisi.push_back(fmt::format("{}: avviso: {}", richiesta.traccia, a));
  for (const std::string& a : osm.avvisi)
    avvisi.push_back(fmt::format("{}: avviso: {}", richiesta.traccia, a));
  return avvisi;
}

void scrivi_resoconto_json(const esito_importa& e, const std::vector<std::string>& avvisi,
                           std::ostream& uscita) {
  const richiesta_importa& richiesta = e.richiesta;
  const importazione& i = e.i;
  const resoconto_osm& osm = e.osm;
  const bool estratto = e.estratto;
  const figure_adattamento& f = i.figure;
  const linea_importata& l = i.linea;
  const Long cartelli = cartelli_scritti(l);
  nlohmann::json d = {
      {"linea", richiesta.uscita},
      {"lunghezza", l.lunghezza},
      {"lunghezza_traccia", std::round(f.lunghezza_traccia * 10) / 10},
      {"lunghezza_punti", std::round(f.lunghezza_punti * 10) / 10},
      {"distanza_punti_massima", std::round(f.distanza_punti * 100) / 100},
      {"distanza_massima", std::round(f.distanza_massima * 100) / 100},
      {"distanza_media", std::round(f.distanza_media * 100) / 100},
      {"errore_direzione_massimo", std::round(f.direzione_massima * 1000) / 1000},
      {"curve", l.curve.size()},
      {"pendenze", l.pendenze.size()},
      {"cartelli", cartelli},
      {"punti_con_nome", nlohmann::json::array()},
      {"avvisi", nlohmann::json::array()},
  };
  if (!richiesta.treno.empty()) d["treno"] = richiesta.treno;
  for (const punto_lungo_linea& p : i.nominati)
    d["punti_con_nome"].push_back({{"nome", p.nome}, {"posizione", std::llround(p.posizione)}});
  for (const std::string& a : avvisi) d["avvisi"].push_back(a);
  if (estratto) {
    nlohmann::json o = {{"vie", osm.vie},
                        {"seguito", std::llround(osm.seguito)},
                        {"tessere", osm.tessere},
                        {"stazioni", nlohmann::json::array()},
                        {"limiti", nlohmann::json::array()},
                        {"vie_senza_limite", osm.vie_senza_limite},
                        {"segnali", l.segnali},
                        {"segnali_altro_verso", osm.segnali_altro_verso},
                        {"segnali_lasciati", osm.segnali_lasciati},
                        {"cippi", osm.cippi},
                        {"cippi_altre_linee", osm.cippi_altre_linee},
                        {"progressive", nlohmann::json::array()},
                        {"strutture", nlohmann::json::array()}};
    for (const stazione_importata& s : l.stazioni)
      o["stazioni"].push_back(
          {{"nome", s.nome}, {"posizione", s.posizione}, {"estensione", s.estensione}});
    for (const limite_importato& v : l.limiti)
      o["limiti"].push_back({{"posizione", v.posizione}, {"velocita", v.velocita}});
    for (const progressiva_importata& p : l.progressive)
      o["progressive"].push_back(
          {{"inizio", p.inizio}, {"scostamento", p.scostamento}, {"decrescente", p.decrescente}});
    for (const struttura_osm& s : osm.strutture)
      o["strutture"].push_back({{"genere", s.genere},
                                {"vie", s.vie},
                                {"nome", s.nome},
                                {"inizio", std::llround(s.inizio)},
                                {"fine", std::llround(s.fine)}});
    d["estratto"] = o;
  }
  // Names not in UTF-8 (a binary extract does not check them) are
  // written with U+FFFD where their bytes are not.
  uscita << d.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

void scrivi_resoconto_testo(const esito_importa& e, const std::vector<std::string>& avvisi,
                            std::ostream& uscita, std::ostream& errori) {
  const richiesta_importa& richiesta = e.richiesta;
  const importazione& i = e.i;
  const resoconto_osm& osm = e.osm;
  const bool estratto = e.estratto;
  const figure_adattamento& f = i.figure;
  const linea_importata& l = i.linea;
  const Long cartelli = cartelli_scritti(l);
  for (const std::string& a : avvisi) errori << visibile(a) << '\n';
  uscita << fmt::format("{}: linea di {} m, dalla traccia lunga {:.1f} m\n",
                        visibile(richiesta.uscita), l.lunghezza, f.lunghezza_traccia);
  if (estratto) {
    uscita << fmt::format("vie: {} ({}), e {:.0f} m di binario dopo l'ultima stazione\n",
                          osm.vie.size(), elenco_breve(osm.vie), osm.seguito);
    uscita << fmt::format("quote: {}\n", osm.tessere > 0 ? fmt::format("da {} tessere", osm.tessere)
                                                         : std::string("nessuna"));
    for (const struttura_osm& s : osm.strutture)
      uscita << fmt::format(
          "  {} da {:.0f} a {:.0f} m{} (vie {}): quote tra i suoi capi\n", s.genere, s.inizio,
          s.fine, s.nome.empty() ? "" : " \"" + visibile(s.nome) + "\"", elenco_breve(s.vie));
  }
  uscita << fmt::format(
      "piano ridisegnato: dalla traccia al più {:.2f} m, in media {:.2f} m; direzione al più "
      "{:.3f} gradi\n",
      f.distanza_massima, f.distanza_media, f.direzione_massima);
  uscita << fmt::format("record: {} curve, {} pendenze, {} cartelli\n", l.curve.size(),
                        l.pendenze.size(), cartelli);
  if (estratto) {
    const std::string altre_linee =
        osm.cippi_altre_linee == 0
            ? ""
            : fmt::format("; {} di altre linee lasciati", osm.cippi_altre_linee);
    if (l.progressive.empty())
      uscita << fmt::format("progressive: il conto dei chilometri è la posizione ({} cippi{})\n",
                            osm.cippi, altre_linee);
    else
      for (size_t k = 0; k < l.progressive.size(); ++k)
        uscita << fmt::format(
            "progressiva {}: da {} m, {} {} m{}\n", nomi_progressive[k], l.progressive[k].inizio,
            l.progressive[k].decrescente ? "scostamento meno la posizione,"
                                         : "posizione più scostamento,",
            l.progressive[k].scostamento,
            k == 0 ? fmt::format(" (da {} cippi{})", osm.cippi, altre_linee) : "");
  }
  uscita << fmt::format("punti con nome: {}\n", i.nominati.size());
  for (const punto_lungo_linea& p : i.nominati)
    uscita << fmt::format("  {:>7} m  {}\n", std::llround(p.posizione), visibile(p.nome));
  if (!richiesta.treno.empty()) {
    uscita << fmt::format("{}: treno con {} stazioni", visibile(richiesta.treno),
                          l.stazioni.size());
    if (estratto)
      uscita << fmt::format(
          ", {} limiti di velocità, {} segnali ({} rivolti all'altro verso "
          "lasciati)",
          l.limiti.size(), l.segnali.size(), osm.segnali_altro_verso);
    uscita << '\n';
    if (estratto && !osm.segnali_lasciati.empty()) {
      size_t lasciati = 0;
      std::string generi;
      for (const auto& [genere, quanti] : osm.segnali_lasciati) {
        lasciati += quanti;
        generi += fmt::format("{}{} {}", generi.empty() ? "" : ", ", visibile(genere), quanti);
      }
      uscita << fmt::format("  segnali non principali lasciati: {} ({})\n", lasciati, generi);
    }
  }
}

}  // namespace scen
