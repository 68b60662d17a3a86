// The fields the readers pass over: whole lines that begin with no keyword,
// and fields after the last one of a record.
#include <fmt/format.h>

#include <algorithm>
#include <string>
#include <vector>

#include "check/avvisi_stato.h"
#include "check/controlli_avvisi.h"
#include "check/verifica_testi.h"
#include "read/campi.h"
#include "read/guasto.h"

namespace scen {

void controlli::campi_ignorati(const descrizione_vista& d, file_verificato f) {
  const auto& g = d.ignorati;
  for (size_t i = 0; i < g.size(); ++i) {
    if (g[i].posto == posto_ignorato::inizio_riga && !g[i].trattino) riga_ignorata(d, g[i], f);
    if (g[i].posto == posto_ignorato::inizio_riga && g[i].trattino &&
        g[i].parte != parte_file::prima_di_generale && comincia_come_commento(g[i].campo.testo))
      commento_ignorato(d, g[i], f);
    if (g[i].posto != posto_ignorato::dopo_record) continue;
    // The stray fields of one line: this one and those after it.
    std::vector<const campo_ignorato*> gruppo = {&g[i]};
    for (size_t j = i + 1; j < g.size() && g[j].posto == posto_ignorato::seguito &&
                           g[j].campo.riga == g[i].campo.riga;
         ++j)
      gruppo.push_back(&g[j]);
    campi_in_piu(d, gruppo, f);
  }
}

// What other formats take for a comment: the descriptions have none.
bool controlli::comincia_come_commento(std::string_view campo) {
  for (std::string_view inizio : {"#", ";", "//", "--", "'"})
    if (campo.starts_with(inizio)) return true;
  return false;
}

// A line that starts like a comment and that the reader passes over: said
// so, lest the author take the next one that it reads for a comment too.
void controlli::commento_ignorato(const descrizione_vista& d, const campo_ignorato& g,
                                  file_verificato f) {
  // The records stand in the order of their lines: the first one not
  // before this line tells whether one is on it.
  const auto dopo =
      std::partition_point(d.record.begin(), d.record.end(),
                           [&](const record_visto& r) { return r.chiave.riga < g.campo.riga; });
  const bool letto_dopo = dopo != d.record.end() && dopo->chiave.riga == g.campo.riga;
  avviso(f, g.campo,
         fmt::format("{} comincia come un commento, ma le descrizioni non hanno commenti: {}",
                     cita(senza_spazi_finali(g.campo.testo)),
                     letto_dopo ? "il campo viene ignorato, e la riga si legge dal campo dopo"
                     : g.trattino
                         ? "la riga viene ignorata perché il campo contiene \"-\", non perché è "
                           "un commento"
                         : "la riga viene ignorata perché il campo non contiene una parola chiave, "
                           "non perché è un commento"));
}

// A section header that is none of its file's.
void controlli::titolo_sconosciuto(const descrizione_vista& d, const campo_ignorato& g,
                                   std::string_view campo, file_verificato f) {
  const auto titoli = titoli_sezione(d.linea);
  if (std::find(titoli.begin(), titoli.end(), minuscolo(campo)) != titoli.end()) return;
  const std::string_view effetto = d.linea && g.parte == parte_file::generale
                                       ? "chiude comunque la sezione [generale], come ogni titolo"
                                       : "la riga viene ignorata";
  const auto altri = titoli_sezione(!d.linea);
  if (std::find(altri.begin(), altri.end(), minuscolo(campo)) != altri.end()) {
    avviso(f, g.campo,
           fmt::format("il titolo {} è della descrizione {}, non di questa: {}", cita(campo),
                       d.linea ? "del treno" : "della linea", effetto));
    return;
  }
  const std::string vicino = piu_vicina(campo, titoli);
  avviso(
      f, g.campo,
      fmt::format("il titolo {} non è uno di quelli della descrizione {}{}: {}", cita(campo),
                  d.linea ? "della linea" : "del treno",
                  vicino.empty() ? std::string() : fmt::format(" (forse {}?)", vicino), effetto));
}

// Which keyword tests a field passes when letter case is ignored.
bool controlli::parola_generale(std::string_view campo) {
  return parola_di(sezione_formato::generale_linea, campo);
}

bool controlli::parola_record_linea(std::string_view campo) {
  return parola_di(sezione_formato::record_linea, campo);
}

bool controlli::parola_treno(std::string_view campo) {
  return parola_di(sezione_formato::treno, campo);
}

// The first field of a line matches no keyword where it stands: the reader
// passes over the whole line.
void controlli::riga_ignorata(const descrizione_vista& d, const campo_ignorato& g,
                              file_verificato f) {
  const std::string_view campo = senza_spazi_finali(g.campo.testo);
  if (campo.empty()) return;
  if (campo.front() == '[' && campo.back() == ']') {
    titolo_sconosciuto(d, g, campo, f);
    return;
  }
  const std::string citato = cita(campo);
  // A line that starts like a comment says so whatever else it says.
  const bool commento = comincia_come_commento(campo);
  auto avviso_riga = [&](std::string causa) {
    if (commento) causa += " (comincia come un commento, ma le descrizioni non hanno commenti)";
    avviso(f, g.campo, std::move(causa));
  };
  const bool nota =
      d.linea ? parola_generale(campo) || parola_record_linea(campo) : parola_treno(campo);
  if (g.parte == parte_file::prima_di_generale) {
    // Without any "[generale]" the whole file is passed over: one warning
    // for the file says so.
    if (nota && d.con_generale)
      avviso_riga(
          fmt::format("{} prima del campo \"[generale]\": la riga viene ignorata, la lettura "
                      "comincia da \"[generale]\"",
                      citato));
    return;
  }
  if (d.linea && g.parte == parte_file::generale) {
    if (parola_generale(campo)) {
      avviso_riga(
          fmt::format("{} non viene letto: nella sezione [generale] questa parola chiave va "
                      "scritta in minuscolo ({})",
                      citato, cita(minuscolo(campo))));
      return;
    }
    if (parola_record_linea(campo)) {
      avviso_riga(
          fmt::format("{} nella sezione [generale]: la riga viene ignorata; curve, "
                      "pendenze, montagne, indicatori e cartelli vanno dopo la sezione "
                      "[generale], chiusa da un titolo come \"[curve]\"",
                      citato));
      return;
    }
  }
  if (d.linea && g.parte == parte_file::record && parola_generale(campo)) {
    const std::string chiusa =
        d.generale_chiusa ? fmt::format(", chiusa alla riga {} da {}", d.chiusura_generale.riga,
                                        cita(d.chiusura_generale.testo))
                          : std::string();
    avviso_riga(
        fmt::format("{} fuori dalla sezione [generale]{}: la riga viene ignorata", citato, chiusa));
    return;
  }
  if (d.linea ? parola_treno(campo) : parola_generale(campo) || parola_record_linea(campo)) {
    avviso_riga(
        fmt::format("{} è un record della descrizione {}, non di questa: la riga viene "
                    "ignorata",
                    citato, d.linea ? "del treno" : "della linea"));
    return;
  }
  if (solo_cifre(campo)) {
    avviso_riga(
        fmt::format("la riga comincia con il numero {} invece che con una parola chiave: "
                    "viene ignorata",
                    citato));
    return;
  }
  if (commento) {
    commento_ignorato(d, g, f);
    return;
  }
  const std::string vicina = parola_vicina(campo, d.linea);
  avviso_riga(fmt::format("parola chiave sconosciuta {}: la riga viene ignorata{}", citato,
                          vicina.empty() ? std::string() : fmt::format(" (forse {}?)", vicina)));
}

// Fields after the last field of a record, on its line: the reader takes
// each as a keyword field, which matches nothing.
void controlli::campi_in_piu(const descrizione_vista& d,
                             const std::vector<const campo_ignorato*>& gruppo, file_verificato f) {
  const campo_ignorato* primo = nullptr;
  for (const campo_ignorato* g : gruppo)
    if (!senza_spazi_finali(g->campo.testo).empty()) {
      primo = g;
      break;
    }
  if (!primo) return;  // a comma at the end of the line, nothing after it
  const record_visto& r = d.record[gruppo.front()->record];
  if (con_migliaia(d, r)) return;
  const std::string nome(nome_record(r.tipo, r.quale));
  const campo_visto& ultimo = r.valori.empty() ? r.chiave : r.valori.back();
  const std::string_view testo = senza_spazi_finali(primo->campo.testo);

  if (!r.valori.empty() && con_testo(r.tipo) && &ultimo == &r.valori.back() && ultimo.virgola) {
    avviso(f, ultimo,
           fmt::format("{}: una virgola chiude {} a {}, e {} viene ignorato; un testo non può "
                       "contenere virgole",
                       nome, campo_in_parole(r.tipo, r.valori.size()), cita(ultimo.testo),
                       cita(testo)));
    return;
  }
  if (ultimo.numero && ultimo.valido && ultimo.virgola && !ultimo.testo.empty() &&
      primo == gruppo.front() && primo->campo.inizio == ultimo.inizio + ultimo.testo.size() + 1 &&
      solo_cifre(testo) && testo.front() != '-') {
    avviso(f, ultimo,
           fmt::format("{}: virgola decimale in \"{},{}\": {} si legge {} e {} viene ignorato; "
                       "i decimali non si possono scrivere",
                       nome, ultimo.testo, testo, campo_in_parole(r.tipo, r.valori.size()),
                       ultimo.valore, cita(testo)));
    return;
  }
  size_t quanti = 0;
  for (const campo_ignorato* g : gruppo)
    if (!senza_spazi_finali(g->campo.testo).empty()) ++quanti;
  avviso(f, primo->campo,
         quanti == 1 ? fmt::format("{}: un campo in più dopo l'ultimo, {}, che viene ignorato "
                                   "(il record ha {} valori)",
                                   nome, cita(testo), r.valori.size())
                     : fmt::format("{}: {} campi in più dopo l'ultimo, da {}, che vengono "
                                   "ignorati (il record ha {} valori)",
                                   nome, quanti, cita(testo), r.valori.size()));
}
}  // namespace scen
