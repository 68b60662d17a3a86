#include "read/formato.h"

#include <fmt/format.h>

#include <stdexcept>

namespace scen {

namespace {

using sezione = sezione_formato;
using nomi_campi = std::array<std::string_view, campi_massimi_record>;

// The three progressives name their fields alike.
constexpr nomi_campi nomi_progressiva = {"l'inizio", "lo scostamento", "il segno di decrescenza"};
constexpr nomi_campi nomi_pieni_progressiva = {"l'inizio della progressiva chilometrica",
                                               "lo scostamento della progressiva chilometrica",
                                               "il segno di progressiva decrescente"};

// The table itself, one part of the files after the other, each in the order
// the readers test its kinds.
constexpr formato_record tabella[] = {
    // The line's general section.
    {specie::lunghezza,
     0,
     sezione::generale_linea,
     "lunghezza percorso",
     "percorso",
     "lunghezza",
     false,
     1,
     false,
     {"la lunghezza"},
     {"la lunghezza della linea"}},
    {specie::progressiva, 3, sezione::generale_linea, "progressiva chilometrica tre", "tre",
     "progressiva", true, 3, false, nomi_progressiva, nomi_pieni_progressiva},
    {specie::progressiva, 2, sezione::generale_linea, "progressiva chilometrica due", "due",
     "progressiva", true, 3, false, nomi_progressiva, nomi_pieni_progressiva},
    {specie::progressiva, 1, sezione::generale_linea, "progressiva chilometrica uno", "uno",
     "progressiva", true, 3, false, nomi_progressiva, nomi_pieni_progressiva},
    {specie::sfondo,
     1,
     sezione::generale_linea,
     "sfondo uno",
     "sfondo",
     "uno",
     true,
     1,
     false,
     {"il valore"},
     {"il valore di «sfondo uno»"}},
    {specie::sfondo,
     2,
     sezione::generale_linea,
     "sfondo due",
     "sfondo",
     "due",
     true,
     1,
     false,
     {"il valore"},
     {"il valore di «sfondo due»"}},
    {specie::sfondo,
     3,
     sezione::generale_linea,
     "sfondo tre",
     "sfondo",
     "tre",
     true,
     1,
     false,
     {"il valore"},
     {"il valore di «sfondo tre»"}},
    {specie::ripetizione,
     0,
     sezione::generale_linea,
     "ripetizione segnali",
     "segnali",
     "ripetizione",
     true,
     2,
     false,
     {"l'inizio", "la fine"},
     {"l'inizio della ripetizione segnali", "la fine della ripetizione segnali"}},
    // The line's records.
    {specie::pendenza,
     0,
     sezione::record_linea,
     "pendenza",
     "pendenza",
     "",
     false,
     2,
     false,
     {"la posizione", "la pendenza"},
     {"la posizione della pendenza", "il valore della pendenza"}},
    {specie::curva,
     0,
     sezione::record_linea,
     "curva",
     "curva",
     "",
     false,
     2,
     false,
     {"l'inizio", "la lunghezza"},
     {"l'inizio della curva", "la lunghezza della curva"}},
    {specie::montagna,
     0,
     sezione::record_linea,
     "montagna",
     "montagna",
     "",
     false,
     3,
     false,
     {"l'inizio", "la fine", "il valore della zona"},
     {"l'inizio della zona di montagna", "la fine della zona di montagna",
      "il valore della zona di montagna"}},
    {specie::indicatore,
     0,
     sezione::record_linea,
     "indicatori_vmax",
     "indicatori_v",
     "",
     false,
     9,
     false,
     {"la posizione", "la prima velocità del primo gruppo", "la seconda velocità del primo gruppo",
      "la terza velocità del primo gruppo", "il codice del primo gruppo",
      "la prima velocità del secondo gruppo", "la seconda velocità del secondo gruppo",
      "la terza velocità del secondo gruppo", "il codice del secondo gruppo"},
     {"la posizione dell'indicatore", "la prima velocità del primo gruppo",
      "la seconda velocità del primo gruppo", "la terza velocità del primo gruppo",
      "il codice del primo gruppo", "la prima velocità del secondo gruppo",
      "la seconda velocità del secondo gruppo", "la terza velocità del secondo gruppo",
      "il codice del secondo gruppo"}},
    {specie::cartello,
     0,
     sezione::record_linea,
     "cartello_indicatore",
     "indicat",
     "cartello",
     false,
     1,
     true,
     {"la posizione", "il testo"},
     {"la posizione del cartello", "il testo del cartello"}},
    // The train.
    {specie::massa_frenata,
     0,
     sezione::treno,
     "percentuale massa frenata",
     "frenata",
     "massa",
     false,
     1,
     false,
     {"il valore"},
     {"la percentuale di massa frenata"}},
    {specie::vetture,
     0,
     sezione::treno,
     "numero vetture",
     "vetture",
     "",
     false,
     1,
     false,
     {"il valore"},
     {"il numero delle vetture"}},
    {specie::velocita,
     0,
     sezione::treno,
     "velocita",
     "velocit",
     "",
     false,
     2,
     false,
     {"la posizione", "la velocità"},
     {"la posizione della velocità", "la velocità"}},
    {specie::aderenza,
     0,
     sezione::treno,
     "aderenza",
     "aderenza",
     "",
     false,
     2,
     false,
     {"la posizione", "l'aderenza"},
     {"la posizione dell'aderenza", "l'aderenza"}},
    {specie::orologio,
     0,
     sezione::treno,
     "orologio",
     "orologio",
     "",
     false,
     3,
     false,
     {"le ore", "i minuti", "i secondi"},
     {"le ore dell'orologio", "i minuti dell'orologio", "i secondi dell'orologio"}},
    {specie::sabbia,
     0,
     sezione::treno,
     "sabbia",
     "sabbia",
     "",
     false,
     1,
     false,
     {"il valore"},
     {"la sabbia"}},
    {specie::segnale,
     0,
     sezione::treno,
     "segnale",
     "segnale",
     "",
     false,
     11,
     false,
     {"la posizione", "la classe", "il campo 3", "il campo 4", "il campo 5", "il campo 6",
      "il campo 7", "il campo 8", "il campo 9", "il campo 10", "il valore extra"},
     {"la posizione del segnale", "la classe del segnale",
      "la cifra delle decine del primo valore del segnale",
      "la cifra delle decine del secondo valore del segnale",
      "la cifra delle decine del terzo valore del segnale",
      "la cifra delle decine del quarto valore del segnale", "la cifra del tipo del segnale",
      "la cifra delle unità del primo valore del segnale",
      "la cifra delle unità del secondo valore del segnale",
      "la cifra delle unità del terzo valore del segnale", "il valore extra del segnale"}},
    {specie::rallentamento,
     0,
     sezione::treno,
     "rallentamento",
     "rallentamento",
     "",
     false,
     6,
     false,
     {"l'inizio", "la velocità", "la lunghezza", "il segno di treno intero",
      "il segno delle celle di avvicinamento", "il valore mostrato"},
     {"l'inizio del rallentamento", "la velocità del rallentamento",
      "la lunghezza del rallentamento", "il segno di treno intero del rallentamento",
      "il segno delle celle di avvicinamento del rallentamento",
      "il valore mostrato del rallentamento"}},
    {specie::abbattimento,
     0,
     sezione::treno,
     "abbattimento",
     "abbattimento",
     "",
     false,
     2,
     false,
     {"la posizione", "il valore"},
     {"la posizione dell'abbattimento", "il valore dell'abbattimento"}},
    {specie::stazione,
     0,
     sezione::treno,
     "stazione",
     "stazione",
     "",
     false,
     16,
     true,
     {"la posizione", "il tipo", "l'estensione", "il campo 4", "il campo 5", "il campo 6",
      "il campo 7", "il campo 8", "il campo 9", "il campo 10", "il campo 11", "il campo 12",
      "la sosta", "le ore", "i minuti", "i secondi", "il nome"},
     {"la posizione della stazione", "il tipo della stazione", "l'estensione della stazione",
      "il campo 4 della stazione", "il campo 5 della stazione", "il campo 6 della stazione",
      "il campo 7 della stazione", "il campo 8 della stazione", "il campo 9 della stazione",
      "il campo 10 della stazione", "il campo 11 della stazione", "il campo 12 della stazione",
      "la sosta della stazione in secondi", "le ore della stazione", "i minuti della stazione",
      "i secondi della stazione", "il nome della stazione"}},
};

constexpr size_t generali_linea = 8;
constexpr size_t record_linea = 5;

constexpr std::string_view parole_linea[] = {
    "lunghezza percorso",
    "progressiva chilometrica uno",
    "progressiva chilometrica due",
    "progressiva chilometrica tre",
    "sfondo uno",
    "sfondo due",
    "sfondo tre",
    "ripetizione segnali 9 codici",
    "ripetizione segnali 4 codici",
    "curvas1",
    "curvas2",
    "curvas3",
    "curvas4",
    "curvas5",
    "curvas6",
    "curvad1",
    "curvad2",
    "curvad3",
    "curvad4",
    "curvad5",
    "curvad6",
    "pendenza",
    "montagna",
    "indicatori_vmax",
    "cartello_indicatore",
};
constexpr std::string_view parole_treno[] = {
    "numero vetture", "percentuale massa frenata",
    "sabbia",         "orologio",
    "aderenza",       "velocita",
    "stazione",       "segnale",
    "rallentamento",  "abbattimento",
};

constexpr std::string_view titoli_linea[] = {
    "[generale]", "[curve]", "[pendenze]", "[montagne]", "[cartelli]", "[indicazioni]", "[fine]",
};
constexpr std::string_view titoli_treno[] = {
    "[generale]",      "[aderenze]", "[vel_limite]", "[stazioni]",
    "[rallentamenti]", "[segnali]",  "[codici]",     "[fine]",
};

}  // namespace

std::span<const formato_record> formati(sezione_formato s) {
  const std::span<const formato_record> tutti(tabella);
  switch (s) {
    case sezione::generale_linea:
      return tutti.subspan(0, generali_linea);
    case sezione::record_linea:
      return tutti.subspan(generali_linea, record_linea);
    case sezione::treno:
      break;
  }
  return tutti.subspan(generali_linea + record_linea);
}

const formato_record& formato_di(specie tipo, int quale) {
  for (const formato_record& f : tabella)
    if (f.tipo == tipo && (f.quale == quale || quale == 0)) return f;
  throw std::out_of_range(fmt::format("nessun formato di record per la specie {} (quale {})",
                                      static_cast<int>(tipo), quale));
}

bool parola_di(sezione_formato s, std::string_view campo) {
  for (const formato_record& f : formati(s))
    if ((f.prima.empty() || contiene_maiuscole(campo, f.prima)) &&
        (f.seconda.empty() || contiene_maiuscole(campo, f.seconda)))
      return true;
  return false;
}

size_t numeri_del_record(specie tipo) { return formato_di(tipo).numeri; }

bool con_testo(specie tipo) { return formato_di(tipo).con_testo; }

std::string_view nome_record(specie tipo, int quale) {
  if (tipo == specie::progressiva && quale == 0) quale = 3;
  if (tipo == specie::sfondo && quale == 0) quale = 3;
  return formato_di(tipo, quale).parola;
}

std::string campo_in_parole(specie tipo, size_t n) {
  const formato_record& f = formato_di(tipo);
  if (n >= 1 && n <= f.nomi.size() && !f.nomi[n - 1].empty()) return std::string(f.nomi[n - 1]);
  return fmt::format("il campo {}", n);
}

std::string_view plurale(specie tipo) {
  switch (tipo) {
    case specie::pendenza:
      return "le pendenze";
    case specie::velocita:
      return "i limiti di velocità";
    case specie::aderenza:
      return "le aderenze";
    case specie::segnale:
      return "i segnali";
    case specie::rallentamento:
      return "i rallentamenti";
    case specie::abbattimento:
      return "gli abbattimenti";
    default:
      return "i record";
  }
}

bool con_posizione(specie tipo) {
  return formato_di(tipo).sezione != sezione::generale_linea && tipo != specie::massa_frenata &&
         tipo != specie::vetture && tipo != specie::orologio && tipo != specie::sabbia;
}

bool generale(specie tipo) { return !con_posizione(tipo); }

std::span<const std::string_view> parole_scritte(bool linea) {
  if (linea) return parole_linea;
  return parole_treno;
}

std::span<const std::string_view> titoli_sezione(bool linea) {
  if (linea) return titoli_linea;
  return titoli_treno;
}

int classe_curva(std::string_view campo) {
  static constexpr std::string_view cifre[] = {"1", "2", "3", "4", "5", "6"};
  for (int classe = 1; classe <= 6; ++classe)
    if (contiene_maiuscole(campo, cifre[classe - 1])) return classe;
  return 0;
}

bool curva_a_sinistra(std::string_view campo) { return contiene_maiuscole(campo, "s"); }

int codici_ripetizione(std::string_view campo) {
  if (contiene_maiuscole(campo, "4")) return 4;
  if (contiene_maiuscole(campo, "9")) return 9;
  return 0;
}

}  // namespace scen
