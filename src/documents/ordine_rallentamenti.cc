#include "documents/ordine_rallentamenti.h"

#include <fmt/format.h>

#include "documents/griglia_scheda.h"
#include "documents/scheda_generata.h"
#include "platform/windows1252.h"

namespace scen {

namespace {

using largo = std::int64_t;

// Widths of the cells of a slowdown row, after the number.
constexpr size_t larghezza_stazioni = 28;
constexpr size_t larghezza_cippo = 12;
constexpr size_t larghezza_velocita_ordine = 10;
constexpr size_t larghezza_lunghezza = 9;

const std::string riga_vuota =
    " |   |                            |            |          |         |            |";
const std::string righello =
    " |___|____________________________|____________|__________|_________|____________|";

}  // namespace

std::string stazioni_del_rallentamento(const std::vector<stazione_descritta>& stazioni,
                                       largo inizio) {
  const stazione_descritta* prima = nullptr;
  const stazione_descritta* dopo = nullptr;
  for (const stazione_descritta& s : stazioni) {
    if (s.inizio <= inizio && inizio <= s.fine) return s.nome;
    if (s.posizione <= inizio) prima = &s;
    if (s.posizione > inizio && dopo == nullptr) dopo = &s;
  }
  if (prima != nullptr && dopo != nullptr) return prima->nome + " e " + dopo->nome;
  if (prima != nullptr) return prima->nome;
  return dopo != nullptr ? dopo->nome : std::string();
}

namespace {

// The row of slowdown `i` (from 0), or the cause why the order cannot show it.
std::optional<std::string> riga_rallentamento(const descrizioni_documenti& d,
                                              const segni_chilometrici& segni, size_t i,
                                              std::string& causa) {
  const rallentamento_descritto& r = d.rallentamenti[i];
  const std::optional<segni_chilometrici::cippo> cippo = segni.cippo_prima(r.inizio);
  if (!cippo) {
    causa = fmt::format(
        "rallentamento a {} m: prima del suo inizio la linea non ha un "
        "cippo chilometrico da cui l'ordine di rallentamento lo possa "
        "contare (la progressiva vi vale {})",
        r.inizio, km(segni.segno(r.inizio)));
    return std::nullopt;
  }
  const std::string stazioni = stazioni_del_rallentamento(d.stazioni, r.inizio);
  const std::optional<std::string> cella_stazioni = cella_testo(stazioni, larghezza_stazioni);
  const std::optional<std::string> cella_cippo =
      cella_testo("Km " + km(cippo->segno), larghezza_cippo);
  const std::optional<std::string> cella_velocita =
      cella_testo(fmt::format("  {}Km/h", r.velocita), larghezza_velocita_ordine);
  const std::optional<std::string> cella_lunghezza =
      cella_testo(fmt::format("  {}", r.lunghezza), larghezza_lunghezza);
  if (!cella_stazioni) {
    causa = fmt::format(
        "rallentamento a {} m: «{}» ha {} caratteri, ma l'ordine di "
        "rallentamento ne mostra al più {} per le stazioni",
        r.inizio, da_1252_a_utf8(stazioni), stazioni.size(), larghezza_stazioni);
    return std::nullopt;
  }
  if (!cella_cippo || !cella_velocita || !cella_lunghezza) {
    causa = fmt::format(
        "rallentamento a {} m: la velocità {} o la lunghezza {} non "
        "stanno nelle celle dell'ordine di rallentamento",
        r.inizio, r.velocita, r.lunghezza);
    return std::nullopt;
  }
  const std::string numero = i + 1 < 10 ? fmt::format(" {} ", i + 1) : fmt::format("{} ", i + 1);
  return " |" + numero + "|" + *cella_stazioni + "|" + *cella_cippo + "|" + *cella_velocita + "|" +
         *cella_lunghezza + "|" + (r.tutto_il_treno ? "     A      " : "            ") + "|";
}

// The order's form about its rows.
std::vector<std::string> modulo_ordine(const descrizioni_documenti& d,
                                       const std::string& chiave_treno,
                                       const std::vector<std::string>& righe) {
  std::string origine, destinazione;
  if (!d.stazioni.empty()) {
    origine = d.stazioni.front().nome;
    destinazione = nome_breve(d.stazioni.back().nome);
  }
  std::vector<std::string> testo = {
      "",
      "                               Modulo M. 3",
      "                           ORDINE DI RALLENTAMENTO",
      " ________________________________________________________________________________",
      "  Linea  " + origine + "-" + destinazione,
      "",
      "  Si ordina al macchinista del treno " + chiave_treno +
          " di effettuare i seguenti rallentamenti",
      "  _______________________________________________________________________________",
      " |   |                            |Inizio dopo |          |         |            |",
      " | N.|      FRA LE STAZIONI       | il cippo   | Velocita'|Lunghezza|Prescrizioni|",
      " |   |   (o nelle Stazioni di)    |chilometrico|          |   metri | specifiche |",
      righello,
  };
  for (size_t i = 0; i < righe_rallentamenti; ++i)
    testo.push_back(i < righe.size() ? righe[i] : riga_vuota);
  testo.insert(testo.end(), {righello, "", "              Prescrizioni specifiche",
                             " A - Da rispettare con tutto il treno (per i treni viaggiatori)",
                             " B - Interessa anche la stazione di.......",
                             " D - Rallentamneto N. ... e N. ...  sono contigui",
                             " C - Da rispettare dalle ore ....  alle ore ..... di tutti",
                             "     i giorni esclusi i seguenti:........."});
  return testo;
}

}  // namespace

std::vector<std::string> ordine_rallentamenti(const descrizioni_documenti& d,
                                              const std::string& chiave_treno,
                                              std::vector<diagnostica>& problemi) {
  const segni_chilometrici segni(d.progressive);
  std::vector<std::string> righe;
  bool con_errori = false;
  auto errore = [&](const rallentamento_descritto& r, std::string causa) {
    problemi.push_back(problema_di(true, r.riga, r.colonna, true, std::move(causa)));
    con_errori = true;
  };
  for (size_t i = 0; i < d.rallentamenti.size(); ++i) {
    const rallentamento_descritto& r = d.rallentamenti[i];
    if (i == righe_rallentamenti) {
      errore(r, fmt::format("l'ordine di rallentamento ha posto per {} rallentamenti: "
                            "questo è il {}°",
                            righe_rallentamenti, i + 1));
      break;
    }
    std::string causa;
    if (std::optional<std::string> riga = riga_rallentamento(d, segni, i, causa))
      righe.push_back(std::move(*riga));
    else
      errore(r, std::move(causa));
  }
  if (con_errori) return {};
  return modulo_ordine(d, chiave_treno, righe);
}

}  // namespace scen
