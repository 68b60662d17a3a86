#include "documents/griglia_scheda.h"

#include <fmt/format.h>

#include "documents/segni_chilometrici.h"

namespace scen {

namespace {

using largo = std::int64_t;

std::string a_destra(std::string_view testo, size_t larghezza) {
  std::string r(testo);
  if (r.size() < larghezza) r.insert(0, larghezza - r.size(), ' ');
  return r;
}

std::string a_sinistra(std::string_view testo, size_t larghezza) {
  std::string r(testo);
  if (r.size() < larghezza) r.append(larghezza - r.size(), ' ');
  return r;
}

std::string al_centro(std::string_view testo, size_t larghezza) {
  if (testo.size() >= larghezza) return std::string(testo);
  const size_t sinistra = (larghezza - testo.size()) / 2;
  return a_sinistra(std::string(sinistra, ' ') + std::string(testo), larghezza);
}

std::string ore_minuti(largo secondi) {
  return fmt::format("{:02}.{:02}", secondi / 3600, secondi / 60 % 60);
}

// A time cell: `testo` from position `da` (from 1) of the 16.
std::string orario_da(std::string_view testo, size_t da) {
  return a_sinistra(std::string(da - 1, ' ') + std::string(testo), larghezza_orario);
}

}  // namespace

std::string cella_velocita(largo kmh) {
  return a_destra(std::to_string(kmh), larghezza_velocita - 1) + " ";
}

std::string cella_progressiva(largo metri, bool salto) {
  return a_destra(km(metri), larghezza_progressiva - 1) + (salto ? "/" : " ");
}

std::string cella_progressiva_tra_parentesi(largo metri) {
  return a_destra(fmt::format("({})", km(metri)), larghezza_progressiva);
}

std::optional<std::string> cella_testo(std::string_view testo, size_t larghezza) {
  if (testo.size() > larghezza) return std::nullopt;
  return a_sinistra(testo, larghezza);
}

std::string orario_fermata(largo arrivo, largo partenza) {
  return orario_da(ore_minuti(arrivo) + "   " + ore_minuti(partenza), 2);
}

std::string orario_transito(largo ora) {
  std::string testo = ore_minuti(ora);
  if (ora % 60 != 0) testo += fmt::format(".{:02}", ora % 60);
  return orario_da(testo, 6);
}

std::string orario_partenza(largo partenza) { return orario_da(ore_minuti(partenza), 10); }

std::string orario_arrivo(largo arrivo) { return orario_da(ore_minuti(arrivo), 2); }

std::string testo_riga(const riga_griglia& r) {
  return " |" + r.vel_limite + "|" + r.vel_marcia + "|" + r.progressiva + "|" + r.vel_no_rs + "|" +
         r.localita + "|" + r.orario + "|" + r.recupero + "|";
}

std::vector<std::string> intestazione_foglio(const intestazione_scheda& i, size_t foglio,
                                             size_t fogli) {
  const std::string scheda = fmt::format("SCHEDA {}/{}", foglio, fogli);
  const std::string& destinazione = foglio == 1 ? i.destinazione : i.destinazione_breve;
  return {
      "  ___________________                                               ______________",
      " |                   |" + a_sinistra(std::string(20, ' ') + scheda, 45) + "|              |",
      " |   TRENO n.  " + a_sinistra(i.numero, larghezza_numero) + "|" + std::string(19, ' ') +
          "da: " + a_sinistra(i.origine, larghezza_nome_intestazione) + "|" +
          al_centro(i.categoria, larghezza_categoria) + "|",
      " |___________________|" + std::string(20, ' ') +
          "a: " + a_sinistra(destinazione, larghezza_nome_intestazione) + "|" +
          al_centro(i.massa_frenata, larghezza_categoria) + "|",
      "                                                                   |______________|",
      "  ___________________                ___________________",
      " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       ",
      " |        " + a_sinistra(i.classe, larghezza_classe) + "|              |      " +
          a_sinistra(i.massa_bloccata, larghezza_massa_bloccata) + "|",
      " |___________________|              |___________________|",
      "",
  };
}

const std::vector<std::string>& intestazione_griglia() {
  static const std::vector<std::string> righe = {
      "  ________________________________________________________________________________",
      " | Vel.| Vel.| Progr Km |  No |   Localita' di  Servizio   |     Orario     | Rec |",
      " | Lim.|Marc.|          |  Rs |                            |                |     |",
      " |_____|_____|__________|_____|____________________________|________________|_____|",
  };
  return righe;
}

std::vector<std::vector<size_t>> fogli_della_scheda(const std::vector<riga_impaginata>& righe) {
  std::vector<std::vector<size_t>> fogli(1);
  size_t i = 0;
  while (i < righe.size()) {
    // The row and those tied to it go together.
    size_t fine = i + 1;
    while (fine < righe.size() && righe[fine - 1].con_la_seguente) ++fine;
    if (fogli.back().size() + (fine - i) > righe_per_foglio && !fogli.back().empty())
      fogli.emplace_back();
    for (; i < fine; ++i) {
      if (fogli.back().size() == righe_per_foglio) fogli.emplace_back();
      if (fogli.back().empty() && righe[i].spaziatura) continue;
      fogli.back().push_back(i);
    }
  }
  return fogli;
}

std::vector<std::string> componi_scheda(const intestazione_scheda& intestazione,
                                        const std::vector<riga_impaginata>& righe,
                                        const std::vector<std::vector<size_t>>& fogli) {
  std::vector<std::string> testo = {"", ""};
  for (size_t f = 0; f < fogli.size(); ++f) {
    if (f > 0) testo.insert(testo.end(), {"", "", std::string(81, '.'), "", ""});
    for (std::string& riga : intestazione_foglio(intestazione, f + 1, fogli.size()))
      testo.push_back(std::move(riga));
    for (const std::string& riga : intestazione_griglia()) testo.push_back(riga);
    for (size_t i : fogli[f]) testo.push_back(testo_riga(righe[i].riga));
    testo.push_back(intestazione_griglia().back());
  }
  testo.emplace_back();
  return testo;
}

std::string cella_recupero(std::int64_t secondi) {
  const std::int64_t mezzi = secondi / 30;
  std::string t = fmt::format(" {}{}", mezzi / 2, mezzi % 2 ? ".5" : "");
  if (t.size() < larghezza_recupero) t.resize(larghezza_recupero, ' ');
  return t;
}

}  // namespace scen
