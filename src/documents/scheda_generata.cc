#include "documents/scheda_generata.h"

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

#include "platform/windows1252.h"

namespace scen {

namespace {

using largo = std::int64_t;

// The limit in force at `p`: the last speed record at or before it.
std::optional<largo> velocita_a(const descrizioni_documenti& d, largo p) {
  std::optional<largo> v;
  for (const velocita_descritta& r : d.velocita)
    if (r.posizione <= p) v = r.kmh;
  return v;
}

constexpr largo giorno = 24 * 3600;

enum class tipo_punto { salto, cippo, stazione };

struct punto {
  largo posizione = 0;
  int ordine = 0;  // at one position: the jump, then the post, then the station
  tipo_punto tipo = tipo_punto::stazione;
  size_t indice = 0;  // into the stations, the speeds or the jumps
};

// The time cell of station `i` of `n` from the timetable, moved by
// `scarto` (the description's time less the timetable's at the last station
// that has one).
std::string orario_da_marcia(const marcia_documenti& m, size_t i, size_t n, largo scarto) {
  auto del_giorno = [](largo t) { return (t % giorno + giorno) % giorno; };
  const largo arrivo = del_giorno(m.arrivo[i] + scarto);
  const largo partenza = del_giorno(m.partenza[i] + scarto);
  if (i == 0) return orario_partenza(partenza);
  if (i + 1 == n) return orario_arrivo(arrivo);
  if (partenza != arrivo) return orario_fermata(arrivo, partenza);
  return orario_transito(arrivo);
}

// The time cell of station `i` of `n`.
std::string orario_stazione(const stazione_descritta& s, size_t i, size_t n,
                            std::vector<diagnostica>& problemi, const marcia_documenti* marcia,
                            largo scarto) {
  const bool con_orario = s.orario != 0;
  if (!con_orario && marcia) return orario_da_marcia(*marcia, i, n, scarto);
  auto senza = [&](std::string_view cosa) {
    problemi.push_back(
        problema_di(true, s.riga, s.colonna_orario, false,
                    fmt::format("stazione «{}»: {} senza orario (campi 14, 15 e 16 a 0): la "
                                "scheda treno lascia vuota la sua cella dell'orario",
                                da_1252_a_utf8(s.nome), cosa)));
    return std::string(larghezza_orario, ' ');
  };
  if (con_orario && (s.orario < 0 || s.orario >= giorno)) {
    problemi.push_back(
        problema_di(true, s.riga, s.colonna_orario, true,
                    fmt::format("stazione «{}»: l'orario {}:{:02}:{:02} non è un'ora del "
                                "giorno: la scheda treno scrive le ore da 00.00 a 23.59.59",
                                da_1252_a_utf8(s.nome), s.orario / 3600,
                                std::abs(s.orario) / 60 % 60, std::abs(s.orario) % 60)));
    return std::string(larghezza_orario, ' ');
  }
  if (i == 0) return con_orario ? orario_partenza(s.orario) : senza("l'origine è");
  if (i + 1 == n) return con_orario ? orario_arrivo(s.orario) : senza("la destinazione è");
  // The stop value is the dwell in seconds: the train arrives that much
  // before the time the description gives, which is its departure.
  if (s.fermata != 0)
    return con_orario ? orario_fermata((s.orario - s.fermata + giorno) % giorno, s.orario)
                      : senza("una fermata (sosta non 0) è");
  return con_orario ? orario_transito(s.orario) : std::string(larghezza_orario, ' ');
}

// Whether every cell has its width; an error at `riga_treno` (or at the
// progressives) for the first that has not.
void controlla_larghezze(const riga_generata& g, const descrizioni_documenti& d,
                         std::vector<diagnostica>& problemi) {
  const riga_griglia& r = g.riga.riga;
  const struct {
    const std::string* testo;
    size_t larghezza;
    const char* nome;
  } celle[] = {
      {&r.vel_limite, larghezza_velocita, "della velocità limite"},
      {&r.vel_marcia, larghezza_velocita, "della velocità di marcia"},
      {&r.progressiva, larghezza_progressiva, "della progressiva"},
      {&r.vel_no_rs, larghezza_velocita, "della velocità senza ripetizione segnali"},
      {&r.localita, larghezza_localita, "della località"},
      {&r.orario, larghezza_orario, "dell'orario"},
      {&r.recupero, larghezza_recupero, "del recupero"},
  };
  for (const auto& c : celle) {
    if (c.testo->size() == c.larghezza) continue;
    problemi.push_back(
        problema_di(g.riga_treno != 0, g.riga_treno != 0 ? g.riga_treno : d.riga_progressive,
                    g.riga_treno != 0 ? g.colonna_treno : d.colonna_progressive, true,
                    fmt::format("la scheda treno non può mostrare «{}»: la cella {} ha {} "
                                "caratteri",
                                da_1252_a_utf8(*c.testo), c.nome, c.larghezza)));
    return;
  }
}

}  // namespace

std::string nome_breve(std::string_view nome) {
  std::string r(nome);
  const std::string parola = "Centrale";
  for (size_t i = r.find(parola); i != std::string::npos; i = r.find(parola, i)) {
    const bool inizio = i == 0 || r[i - 1] == ' ';
    const bool fine = i + parola.size() == r.size() || r[i + parola.size()] == ' ';
    if (inizio && fine) {
      r.replace(i, parola.size(), "C.le");
      i += 4;
    } else {
      i += parola.size();
    }
  }
  return r;
}

namespace {

// The rows' points: the stations, the lower limits between the origin and
// the destination (as kilometre posts) and the jumps of the count, in
// order along the line.
std::vector<punto> punti_della_scheda(const descrizioni_documenti& d,
                                      const std::vector<salto_km>& salti) {
  const largo origine = d.stazioni.front().posizione;
  const largo destinazione = d.stazioni.back().posizione;
  std::vector<punto> punti;
  for (size_t i = 0; i < d.stazioni.size(); ++i)
    punti.push_back({d.stazioni[i].posizione, 2, tipo_punto::stazione, i});
  for (size_t k = 1; k < d.velocita.size(); ++k) {
    const velocita_descritta& v = d.velocita[k];
    if (v.kmh < d.velocita[k - 1].kmh && v.posizione > origine && v.posizione <= destinazione)
      punti.push_back({v.posizione, 1, tipo_punto::cippo, k});
  }
  for (size_t j = 0; j < salti.size(); ++j) {
    // A station at the jump carries the jump mark itself.
    auto stazione = std::find_if(punti.begin(), punti.end(), [&](const punto& p) {
      return p.tipo == tipo_punto::stazione && p.posizione == salti[j].posizione;
    });
    if (stazione != punti.end())
      stazione->ordine = 0;
    else
      punti.push_back({salti[j].posizione, 0, tipo_punto::salto, j});
  }
  std::stable_sort(punti.begin(), punti.end(), [](const punto& a, const punto& b) {
    return a.posizione != b.posizione ? a.posizione < b.posizione : a.ordine < b.ordine;
  });
  return punti;
}

// The card's rows, point by point.
class righe_scheda {
 public:
  righe_scheda(const descrizioni_documenti& d, std::vector<diagnostica>& problemi)
      : d_(d),
        problemi_(problemi),
        segni_(d.progressive),
        salti_(segni_.salti(d.stazioni.front().posizione, d.stazioni.back().posizione)),
        punti_(punti_della_scheda(d, salti_)),
        marcia_(d.marcia.presente && d.marcia.arrivo.size() == d.stazioni.size() ? &d.marcia
                                                                                 : nullptr) {}

  std::vector<riga_generata> righe() {
    for (size_t k = 0; k < punti_.size(); ++k) {
      const punto& p = punti_[k];
      if (p.tipo == tipo_punto::salto)
        riga_salto(k, salti_[p.indice]);
      else if (p.tipo == tipo_punto::cippo)
        riga_cippo(k, d_.velocita[p.indice]);
      else
        riga_stazione(k, p);
    }
    return std::move(righe_);
  }

 private:
  // A row from the train description's line `dove.first`, column `dove.second`.
  void aggiungi(riga_griglia r, std::pair<long, long> dove, bool con_la_seguente = false,
                bool spaziatura = false) {
    righe_.push_back({{std::move(r), con_la_seguente, spaziatura}, dove.first, dove.second});
    controlla_larghezze(righe_.back(), d_, problemi_);
  }

  void riga_dopo_salto(const salto_km& s, std::pair<long, long> dove) {
    riga_griglia r;
    r.progressiva = cella_progressiva(s.dopo);
    aggiungi(std::move(r), dove);
  }

  // With the timetable: the running speed of a row is the highest of the
  // fastest run from it to the next row, within the limit, to 5 km/h.
  std::optional<largo> in_marcia(size_t k, const std::optional<largo>& limite) const {
    if (!limite || !marcia_ || marcia_->velocita.empty() || k + 1 == punti_.size()) return limite;
    const largo ultimo = static_cast<largo>(marcia_->velocita.size()) - 1;
    const largo passo = marcia_->campione;
    const largo da = std::clamp<largo>((punti_[k].posizione - marcia_->da) / passo, 0, ultimo);
    const largo a =
        std::clamp<largo>((punti_[k + 1].posizione - marcia_->da + passo - 1) / passo, da, ultimo);
    double massima = 0;
    for (largo x = da; x <= a; ++x)
      massima = std::max(massima, marcia_->velocita[static_cast<size_t>(x)]);
    const largo v = 5 * static_cast<largo>(std::lround(massima / 5));
    return std::min(*limite, v);
  }

  void riga_salto(size_t k, const salto_km& s) {
    riga_griglia r;
    const std::optional<largo> v = velocita_a(d_, punti_[k].posizione);
    const std::optional<largo> v_marcia = in_marcia(k, v);
    if (v) r.vel_limite = cella_velocita(*v);
    if (v_marcia) r.vel_marcia = cella_velocita(*v_marcia);
    r.progressiva = cella_progressiva(s.prima, true);
    aggiungi(std::move(r), {0, 0}, true);
    riga_dopo_salto(s, {0, 0});
  }

  void riga_cippo(size_t k, const velocita_descritta& vel) {
    riga_griglia r;
    const largo segno = segni_.segno(vel.posizione);
    r.vel_limite = cella_velocita(vel.kmh);
    r.vel_marcia = cella_velocita(marcia_ ? *in_marcia(k, vel.kmh) : vel.kmh);
    r.progressiva = cella_progressiva(segno);
    r.vel_no_rs = cella_velocita(std::min(vel.kmh, velocita_senza_ripetizione));
    r.localita = *cella_testo("Cippo Km " + km(segno), larghezza_localita);
    aggiungi(std::move(r), {vel.riga, vel.colonna});
  }

  // A station without a time of its own takes the timetable's, moved with
  // the description's times at the stations before it (`scarto_`).
  void riga_stazione(size_t k, const punto& p) {
    const size_t n = d_.stazioni.size();
    const stazione_descritta& s = d_.stazioni[p.indice];
    const bool ultima = p.indice + 1 == n;
    riga_griglia r;
    const std::optional<largo> v = velocita_a(d_, p.posizione);
    const std::optional<largo> v_marcia = in_marcia(k, v);
    if (v) r.vel_limite = cella_velocita(*v);
    if (v_marcia) r.vel_marcia = cella_velocita(*v_marcia);
    const auto salto =
        p.ordine == 0 ? std::find_if(salti_.begin(), salti_.end(),
                                     [&](const salto_km& x) { return x.posizione == s.posizione; })
                      : salti_.end();
    r.progressiva = salto != salti_.end() ? cella_progressiva(salto->prima, true)
                                          : cella_progressiva(segni_.segno(s.posizione));
    if (std::optional<std::string> nome = cella_testo(s.nome, larghezza_localita)) {
      r.localita = std::move(*nome);
    } else {
      problemi_.push_back(
          problema_di(true, s.riga, s.colonna_nome, true,
                      fmt::format("stazione: il nome «{}» ha {} caratteri, ma la scheda "
                                  "treno ne mostra al più {}",
                                  da_1252_a_utf8(s.nome), s.nome.size(), larghezza_localita)));
    }
    r.orario = orario_stazione(s, p.indice, n, problemi_, marcia_, scarto_);
    if (marcia_) {
      // The description's time is the departure at the origin and at a
      // stop, the passing elsewhere.
      if (s.orario != 0) scarto_ = s.orario - marcia_->partenza[p.indice];
      if (marcia_->recupero[p.indice] > 0) r.recupero = cella_recupero(marcia_->recupero[p.indice]);
    }
    const std::pair<long, long> dove = {s.riga, s.colonna_nome};
    aggiungi(std::move(r), dove, salto != salti_.end() || ultima);
    if (salto != salti_.end()) riga_dopo_salto(*salto, dove);
    if (ultima) {
      riga_griglia fine;
      fine.progressiva = cella_progressiva_tra_parentesi(0);
      aggiungi(std::move(fine), dove);
    } else {
      aggiungi(riga_griglia{}, dove, false, true);
    }
  }

  const descrizioni_documenti& d_;
  std::vector<diagnostica>& problemi_;
  const segni_chilometrici segni_;
  const std::vector<salto_km> salti_;
  const std::vector<punto> punti_;
  const marcia_documenti* marcia_;
  largo scarto_ = 0;
  std::vector<riga_generata> righe_;
};

}  // namespace

std::vector<riga_generata> righe_della_scheda(const descrizioni_documenti& d,
                                              std::vector<diagnostica>& problemi) {
  if (d.stazioni.empty()) return {};
  return righe_scheda(d, problemi).righe();
}

std::vector<std::string> scheda_generata(const descrizioni_documenti& d,
                                         intestazione_scheda intestazione,
                                         std::vector<diagnostica>& problemi,
                                         size_t* fogli_scritti) {
  const size_t errori_prima =
      static_cast<size_t>(std::count_if(problemi.begin(), problemi.end(), [](const auto& p) {
        return p.livello == gravita::errore;
      }));
  if (d.stazioni.empty()) {
    problemi.push_back(
        problema_di(true, 0, 0, true,
                    "nessuna stazione: la scheda treno ha almeno l'origine e la destinazione"));
    return {};
  }
  const stazione_descritta& origine = d.stazioni.front();
  const stazione_descritta& destinazione = d.stazioni.back();
  for (const stazione_descritta* s : {&origine, &destinazione})
    if (s->nome.size() > larghezza_nome_intestazione)
      problemi.push_back(problema_di(
          true, s->riga, s->colonna_nome, true,
          fmt::format("stazione: il nome «{}» ha {} caratteri, ma l'intestazione della scheda "
                      "treno ne mostra al più {} per {}",
                      da_1252_a_utf8(s->nome), s->nome.size(), larghezza_nome_intestazione,
                      s == &origine ? "l'origine" : "la destinazione")));
  intestazione.origine = origine.nome;
  intestazione.destinazione = destinazione.nome;
  intestazione.destinazione_breve = nome_breve(destinazione.nome);

  const std::vector<riga_generata> generate = righe_della_scheda(d, problemi);
  std::vector<riga_impaginata> righe;
  for (const riga_generata& g : generate) righe.push_back(g.riga);
  const std::vector<std::vector<size_t>> fogli = fogli_della_scheda(righe);
  if (fogli.size() > fogli_massimi) {
    const riga_generata& prima_fuori = generate[fogli[fogli_massimi].front()];
    problemi.push_back(problema_di(
        prima_fuori.riga_treno != 0,
        prima_fuori.riga_treno != 0 ? prima_fuori.riga_treno : d.riga_progressive,
        prima_fuori.riga_treno != 0 ? prima_fuori.colonna_treno : d.colonna_progressive, true,
        fmt::format("la scheda treno ha posto per {} fogli di {} righe: da qui "
                    "le righe della scheda ({} in tutto) non ci stanno più",
                    fogli_massimi, righe_per_foglio, righe.size())));
  }
  const size_t errori =
      static_cast<size_t>(std::count_if(problemi.begin(), problemi.end(), [](const auto& p) {
        return p.livello == gravita::errore;
      }));
  if (errori > errori_prima) return {};
  if (fogli_scritti) *fogli_scritti = fogli.size();
  return componi_scheda(intestazione, righe, fogli);
}

}  // namespace scen
