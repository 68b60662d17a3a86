#include "tool/controlli_avvisi.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <optional>

#include "read/accesso.h"
#include "read/campi.h"
#include "read/guasto.h"

namespace scen {

namespace {

// The keywords of each description file, as the formats write them.
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

std::string minuscolo(std::string_view testo) {
  std::string r(testo);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  return r;
}

std::string_view senza_spazi_finali(std::string_view testo) {
  while (!testo.empty() && (testo.back() == ' ' || testo.back() == '\t')) testo.remove_suffix(1);
  return testo;
}

// Edit distance, a swap of two neighbouring letters counting as one edit.
size_t distanza(std::string_view a, std::string_view b) {
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t diversa = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + diversa});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

// A text as its UTF-8 bytes mean it, quoted like the file's own text: cut
// after 40 characters, control bytes, quotes and backslashes escaped.
std::string cita_utf8(std::string_view testo) {
  constexpr size_t massimo = 40;
  std::string r = "\"";
  size_t caratteri = 0;
  size_t i = 0;
  for (; i < testo.size() && caratteri < massimo; ++caratteri) {
    const auto b = static_cast<unsigned char>(testo[i]);
    size_t lunghezza = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    lunghezza = std::min(lunghezza, testo.size() - i);
    if (b == '"' || b == '\\')
      r += fmt::format("\\{}", static_cast<char>(b));
    else if (b == '\t')
      r += "\\t";
    else if (b < 0x20 || b == 0x7F)
      r += fmt::format("\\x{:02x}", b);
    else
      r += testo.substr(i, lunghezza);
    i += lunghezza;
  }
  if (i < testo.size()) r += "…";
  return r + "\"";
}

bool solo_cifre(std::string_view testo) {
  if (!testo.empty() && testo.front() == '-') testo.remove_prefix(1);
  return !testo.empty() &&
         std::all_of(testo.begin(), testo.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool con_controlli(std::string_view testo) {
  return std::any_of(testo.begin(), testo.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F;
  });
}

// The value field of a record named as the reference names it, with its
// article: "la posizione", "il campo 7".
std::string campo_in_parole(specie tipo, size_t n) {
  static constexpr std::string_view gruppo_indicatore[] = {
      "la prima velocità", "la seconda velocità", "la terza velocità", "il codice"};
  switch (tipo) {
    case specie::lunghezza:
      return "la lunghezza";
    case specie::progressiva:
      return n == 1 ? "l'inizio" : n == 2 ? "lo scostamento" : "il segno di decrescenza";
    case specie::sfondo:
    case specie::massa_frenata:
    case specie::vetture:
    case specie::sabbia:
      return "il valore";
    case specie::ripetizione:
      return n == 1 ? "l'inizio" : "la fine";
    case specie::curva:
      return n == 1 ? "l'inizio" : "la lunghezza";
    case specie::pendenza:
      return n == 1 ? "la posizione" : "la pendenza";
    case specie::montagna:
      return n == 1 ? "l'inizio" : n == 2 ? "la fine" : "il valore della zona";
    case specie::indicatore:
      if (n == 1) return "la posizione";
      return fmt::format("{} del {} gruppo", gruppo_indicatore[(n - 2) % 4],
                         n <= 5 ? "primo" : "secondo");
    case specie::cartello:
      return n == 1 ? "la posizione" : "il testo";
    case specie::velocita:
      return n == 1 ? "la posizione" : "la velocità";
    case specie::aderenza:
      return n == 1 ? "la posizione" : "l'aderenza";
    case specie::orologio:
      return n == 1 ? "le ore" : n == 2 ? "i minuti" : "i secondi";
    case specie::segnale:
      return n == 1    ? "la posizione"
             : n == 2  ? "la classe"
             : n == 11 ? "il valore extra"
                       : fmt::format("il campo {}", n);
    case specie::rallentamento: {
      static constexpr std::string_view nomi[] = {"l'inizio",           "la velocità",
                                                  "la lunghezza",       "il segno di treno intero",
                                                  "il segno di avviso", "il valore mostrato"};
      return std::string(nomi[n - 1]);
    }
    case specie::abbattimento:
      return n == 1 ? "la posizione" : "il valore";
    case specie::stazione:
      if (n == 1) return "la posizione";
      if (n == 2) return "il tipo";
      if (n == 3) return "l'estensione";
      if (n == 14) return "le ore";
      if (n == 15) return "i minuti";
      if (n == 16) return "i secondi";
      if (n == 17) return "il nome";
      return fmt::format("il campo {}", n);
  }
  return fmt::format("il campo {}", n);
}

// How the warnings name the records of a kind, all together.
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

// The first field of a record: its position (or start), where it has one.
bool con_posizione(specie tipo) {
  switch (tipo) {
    case specie::curva:
    case specie::pendenza:
    case specie::montagna:
    case specie::indicatore:
    case specie::cartello:
    case specie::velocita:
    case specie::aderenza:
    case specie::segnale:
    case specie::rallentamento:
    case specie::abbattimento:
    case specie::stazione:
      return true;
    default:
      return false;
  }
}

// The value a station extent ends at, as the train reader computes it.
largo fine_stazione(const record_visto& r) {
  const largo p = r.valore(1);
  const Long tipo = r.valore(2);
  const Long estensione = r.valore(3);
  if (tipo == 5 || tipo == 6) return p + 150;
  if (tipo == 7 || tipo == 8) return p + estensione;
  return p + estensione / 2 + (r.valore(6) != 0 ? 50 : 0);
}

class controlli {
 public:
  controlli(const descrizione_vista* linea, const descrizione_vista* treno, bool utf8,
            elenco_problemi& problemi)
      : linea_(linea), treno_(treno), utf8_(utf8), p_(problemi) {}

  void esegui() {
    if (linea_) {
      for (const record_visto& r : linea_->record)
        if (r.tipo == specie::lunghezza && r.intero) lunghezza_ = r.valore(1);
      descrizione(*linea_, file_verificato::linea);
      generale_linea(*linea_);
    }
    if (treno_) {
      descrizione(*treno_, file_verificato::treno);
      generale_treno(*treno_);
      segni_di_fermata();
    }
  }

 private:
  void avviso(file_verificato f, const campo_visto& c, std::string causa) {
    p_.avviso(f, c.riga, c.colonna, std::move(causa));
  }
  void avviso(file_verificato f, const record_visto& r, size_t n, std::string causa) {
    avviso(f, n == 0 ? r.chiave : r.campo(n), std::move(causa));
  }

  // What every description has: its fields passed over, its records each by
  // itself, and each kind's order.
  void descrizione(const descrizione_vista& d, file_verificato f) {
    campi_ignorati(d, f);
    for (size_t i = 0; i < d.record.size(); ++i) {
      const record_visto& r = d.record[i];
      if (i > 0 && d.record[i - 1].chiave.inizio == r.chiave.inizio) continue;
      record_con_piu_parole(d, i, f);
      disposizione(d, r, f);
    }
    for (const record_visto& r : d.record)
      if (letto(r)) {
        record(r, f);
        migliaia(d, r, f);
      }
    for (specie tipo : {specie::pendenza, specie::velocita, specie::aderenza})
      ordine_profilo(d, tipo, f);
    for (specie tipo : {specie::segnale, specie::rallentamento, specie::abbattimento})
      ordine_semplice(d, tipo, f);
    ordine_curve(d, f);
    ordine_montagne(d, f);
  }

  // ---- Fields passed over ----

  void campi_ignorati(const descrizione_vista& d, file_verificato f) {
    const auto& g = d.ignorati;
    for (size_t i = 0; i < g.size(); ++i) {
      if (g[i].posto == posto_ignorato::inizio_riga && !g[i].trattino) riga_ignorata(d, g[i], f);
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

  // Which keyword test of the line's general section a field passes when
  // letter case is ignored.
  static bool parola_generale(std::string_view campo) {
    auto ha = [&](std::string_view p) { return contiene_maiuscole(campo, p); };
    return (ha("lunghezza") && ha("percorso")) ||
           (ha("progressiva") && (ha("uno") || ha("due") || ha("tre"))) ||
           (ha("sfondo") && (ha("uno") || ha("due") || ha("tre"))) ||
           (ha("segnali") && ha("ripetizione"));
  }
  static bool parola_record_linea(std::string_view campo) {
    auto ha = [&](std::string_view p) { return contiene_maiuscole(campo, p); };
    return ha("pendenza") || ha("curva") || ha("montagna") || ha("indicatori_v") ||
           (ha("indicat") && ha("cartello"));
  }
  static bool parola_treno(std::string_view campo) {
    auto ha = [&](std::string_view p) { return contiene_maiuscole(campo, p); };
    return (ha("frenata") && ha("massa")) || ha("vetture") || ha("velocit") || ha("aderenza") ||
           ha("orologio") || ha("sabbia") || ha("segnale") || ha("rallentamento") ||
           ha("abbattimento") || ha("stazione");
  }

  // The first field of a line matches no keyword where it stands: the reader
  // passes over the whole line.
  void riga_ignorata(const descrizione_vista& d, const campo_ignorato& g, file_verificato f) {
    const std::string_view campo = senza_spazi_finali(g.campo.testo);
    if (campo.empty()) return;
    if (campo.front() == '[' && campo.back() == ']') return;  // a section header
    const std::string citato = cita(campo);
    const bool nota =
        d.linea ? parola_generale(campo) || parola_record_linea(campo) : parola_treno(campo);
    if (g.parte == parte_file::prima_di_generale) {
      // Without any "[generale]" the whole file is passed over: one warning
      // for the file says so.
      if (nota && d.con_generale)
        avviso(f, g.campo,
               fmt::format("{} prima del campo \"[generale]\": la riga viene ignorata, la lettura "
                           "comincia da \"[generale]\"",
                           citato));
      return;
    }
    if (d.linea && g.parte == parte_file::generale) {
      if (parola_generale(campo)) {
        avviso(f, g.campo,
               fmt::format("{} non viene letto: nella sezione [generale] questa parola chiave va "
                           "scritta in minuscolo ({})",
                           citato, cita(minuscolo(campo))));
        return;
      }
      if (parola_record_linea(campo)) {
        avviso(f, g.campo,
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
      avviso(f, g.campo,
             fmt::format("{} fuori dalla sezione [generale]{}: la riga viene ignorata", citato,
                         chiusa));
      return;
    }
    if (d.linea ? parola_treno(campo) : parola_generale(campo) || parola_record_linea(campo)) {
      avviso(f, g.campo,
             fmt::format("{} è un record della descrizione {}, non di questa: la riga viene "
                         "ignorata",
                         citato, d.linea ? "del treno" : "della linea"));
      return;
    }
    if (solo_cifre(campo)) {
      avviso(f, g.campo,
             fmt::format("la riga comincia con il numero {} invece che con una parola chiave: "
                         "viene ignorata",
                         citato));
      return;
    }
    const std::string vicina = parola_vicina(campo, d.linea);
    avviso(f, g.campo,
           fmt::format("parola chiave sconosciuta {}: la riga viene ignorata{}", citato,
                       vicina.empty() ? std::string() : fmt::format(" (forse {}?)", vicina)));
  }

  // Fields after the last field of a record, on its line: the reader takes
  // each as a keyword field, which matches nothing.
  void campi_in_piu(const descrizione_vista& d, const std::vector<const campo_ignorato*>& gruppo,
                    file_verificato f) {
    const campo_ignorato* primo = nullptr;
    for (const campo_ignorato* g : gruppo)
      if (!senza_spazi_finali(g->campo.testo).empty()) {
        primo = g;
        break;
      }
    if (!primo) return;  // a comma at the end of the line, nothing after it
    const record_visto& r = d.record[gruppo.front()->record];
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

  // ---- Records ----

  // A keyword field with the words of more than one kind reads them all.
  void record_con_piu_parole(const descrizione_vista& d, size_t i, file_verificato f) {
    std::vector<std::string> nomi;
    for (size_t j = i;
         j < d.record.size() && d.record[j].chiave.inizio == d.record[i].chiave.inizio; ++j)
      nomi.emplace_back(nome_record(d.record[j].tipo, d.record[j].quale));
    if (nomi.size() < 2) return;
    avviso(f, d.record[i].chiave,
           fmt::format("il campo {} contiene le parole chiave di {} record ({}): si leggono tutti, "
                       "uno dopo l'altro, con i valori che seguono",
                       cita(d.record[i].chiave.testo), nomi.size(), fmt::join(nomi, ", ")));
  }

  // Where a record stands in its lines: one record per line.
  void disposizione(const descrizione_vista& d, const record_visto& r, file_verificato f) {
    const std::string nome(nome_record(r.tipo, r.quale));
    if (r.a_meta_riga) {
      const record_visto& prima = d.record[r.record_prima];
      avviso(
          f, r.chiave,
          fmt::format("un record {} comincia a metà riga, dopo i campi del record {}{}: ogni "
                      "record va su una riga sua",
                      nome, nome_record(prima.tipo, prima.quale),
                      con_testo(prima.tipo) && !prima.valori.empty() && prima.valori.back().virgola
                          ? " (una virgola nel suo testo lo ha spezzato)"
                          : ""));
      return;
    }
    size_t sulla_riga = 0;
    const campo_visto* altrove = nullptr;
    for (const campo_visto& c : r.valori) {
      if (c.riga == r.chiave.riga)
        ++sulla_riga;
      else if (!altrove)
        altrove = &c;
    }
    if (!altrove || !r.intero) return;
    const size_t servono = numeri_del_record(r.tipo) + (con_testo(r.tipo) ? 1 : 0);
    avviso(f, r.chiave,
           fmt::format("{}: {} {} sulla sua riga, ne servono {}: {} si prende dalla riga {}", nome,
                       sulla_riga, sulla_riga == 1 ? "valore" : "valori", servono,
                       campo_in_parole(r.tipo, sulla_riga + 1), altrove->riga));
  }

  // The rules of each record by itself.
  void record(const record_visto& r, file_verificato f) {
    const std::string nome(nome_record(r.tipo, r.quale));
    if (con_posizione(r.tipo)) posizione(r, nome, f);
    switch (r.tipo) {
      case specie::lunghezza:
        if (r.valore(1) <= 0)
          avviso(f, r, 1,
                 fmt::format("{}: la lunghezza vale {}: si attende la lunghezza della linea in "
                             "metri, maggiore di 0",
                             nome, r.valore(1)));
        break;
      case specie::progressiva:
        segno_0_1(r, 3, nome, f, ": solo 1 fa decrescere la progressiva");
        break;
      case specie::ripetizione:
        ripetizione(r, nome, f);
        break;
      case specie::curva:
        curva(r, f);
        break;
      case specie::montagna:
        valore_montagna(r, f);
        break;
      case specie::indicatore:
        indicatore(r, f);
        break;
      case specie::cartello:
        testo_cartello(r, f);
        break;
      case specie::vetture:
      case specie::massa_frenata:
        if (r.valore(1) <= 0)
          avviso(f, r, 1,
                 fmt::format("{}: {} vale {}: si attende un numero maggiore di 0", nome,
                             campo_in_parole(r.tipo, 1), r.valore(1)));
        break;
      case specie::orologio:
        ora(r, 1, nome, f);
        break;
      case specie::velocita:
        velocita(r, f);
        break;
      case specie::aderenza:
        if (r.valore(2) < 0 || r.valore(2) > 255)
          avviso(f, r, 2,
                 fmt::format("aderenza: l'aderenza vale {}: le celle ne tengono solo gli 8 bit "
                             "bassi, {}; si attende da 0 a 255",
                             r.valore(2), otto_bit(r.valore(2))));
        break;
      case specie::segnale:
        segnale(r, f);
        break;
      case specie::rallentamento:
        rallentamento(r, f);
        break;
      case specie::stazione:
        stazione(r, f);
        break;
      default:
        break;
    }
  }

  // Whether the reader takes the record: all its values read and, with a
  // length known, its position within the range test. Those it does not
  // take are errors of the reading, not ours to warn about.
  bool letto(const record_visto& r) const {
    if (!r.intero) return false;
    if (!con_posizione(r.tipo) || !lunghezza_) return true;
    const largo margine = r.tipo == specie::stazione ? 800 : 100;
    return static_cast<largo>(r.valore(1)) + margine <=
           cella_di(static_cast<largo>(*lunghezza_) + 7000) * 50;
  }

  // A number written with a blank between its thousands, "10 000": the
  // number ends at the blank and the rest becomes the next field.
  void migliaia(const descrizione_vista& d, const record_visto& r, file_verificato f) {
    for (size_t n = 1; n <= r.valori.size(); ++n) {
      const campo_visto& c = r.campo(n);
      if (!c.spezzato) continue;
      std::string_view resto = d.testo.substr(c.inizio + c.testo.size());
      resto = resto.substr(0, resto.find_first_of(",\r\n"));
      const std::string_view scritto =
          senza_spazi_finali(d.testo.substr(c.inizio, c.testo.size() + resto.size()));
      while (!resto.empty() && resto.front() == ' ') resto.remove_prefix(1);
      const std::string_view gruppo = resto.substr(0, resto.find(' '));
      if (gruppo.size() != 3 || !solo_cifre(gruppo)) continue;
      avviso(f, c,
             fmt::format("{}: {} {} ha uno spazio tra le cifre: si legge {}, e {} passa al campo "
                         "dopo; i numeri si scrivono senza separatori delle migliaia",
                         nome_record(r.tipo, r.quale), campo_in_parole(r.tipo, n), cita(scritto),
                         c.valore, cita(gruppo)));
    }
  }

  void posizione(const record_visto& r, const std::string& nome, file_verificato f) {
    const Long p = r.valore(1);
    if (p < 0) {
      avviso(f, r, 1,
             fmt::format("{}: {} vale {}: le posizioni si contano in metri dall'origine della "
                         "linea, da 0",
                         nome, campo_in_parole(r.tipo, 1), p));
      return;
    }
    if (lunghezza_ && p > *lunghezza_)
      avviso(f, r, 1,
             fmt::format("{}: {} {} è oltre la fine della linea, lunga {} m", nome,
                         campo_in_parole(r.tipo, 1), p, *lunghezza_));
  }

  void segno_0_1(const record_visto& r, size_t n, const std::string& nome, file_verificato f,
                 std::string_view perche = "") {
    const Long v = r.valore(n);
    if (v != 0 && v != 1)
      avviso(f, r, n,
             fmt::format("{}: {} vale {}: si attende 0 o 1{}", nome, campo_in_parole(r.tipo, n), v,
                         perche));
  }

  void ora(const record_visto& r, size_t n, const std::string& nome, file_verificato f) {
    static constexpr std::array<std::pair<Long, std::string_view>, 3> limiti = {
        {{23, "da 0 a 23"}, {59, "da 0 a 59"}, {59, "da 0 a 59"}}};
    for (size_t k = 0; k < 3; ++k) {
      const Long v = r.valore(n + k);
      if (v < 0 || v > limiti[k].first)
        avviso(f, r, n + k,
               fmt::format("{}: {} valgono {}: si attende {}", nome, campo_in_parole(r.tipo, n + k),
                           v, limiti[k].second));
    }
  }

  void ripetizione(const record_visto& r, const std::string& nome, file_verificato f) {
    if (contiene(r.chiave.testo, "4") && contiene(r.chiave.testo, "9"))
      avviso(f, r, 0,
             fmt::format("{}: la parola chiave {} contiene sia \"4\" sia \"9\": vale 4 codici; "
                         "si scrive \"ripetizione segnali 4 codici\" o \"ripetizione segnali 9 "
                         "codici\"",
                         nome, cita(r.chiave.testo)));
    if (r.valore(2) != 0 && r.valore(2) < r.valore(1))
      avviso(f, r, 2,
             fmt::format("{}: la fine {} viene prima dell'inizio {} (una fine 0 vuol dire "
                         "nessuna ripetizione)",
                         nome, r.valore(2), r.valore(1)));
  }

  void curva(const record_visto& r, file_verificato f) {
    const std::string parola = minuscolo(senza_spazi_finali(r.chiave.testo));
    char classe = 0;
    for (char c : {'1', '2', '3', '4', '5', '6'})
      if (parola.find(c) != std::string::npos) {
        classe = c;
        break;
      }
    const char lato = contiene_maiuscole(r.chiave.testo, "s") ? 's' : 'd';
    const bool esatta = parola.size() == 7 && parola.starts_with("curva") &&
                        (parola[5] == 's' || parola[5] == 'd') && parola[6] >= '1' &&
                        parola[6] <= '6';
    if (!esatta && classe != 0)
      avviso(f, r, 0,
             fmt::format("curva: la parola chiave {} si legge come curva{}{} (a {}, classe {}): "
                         "a sinistra se contiene una \"s\" in qualunque punto, e la classe è la "
                         "più bassa delle cifre da 1 a 6 che contiene; si scrive curvas1…6 o "
                         "curvad1…6",
                         cita(r.chiave.testo), lato, classe, lato == 's' ? "sinistra" : "destra",
                         classe));
    if (r.valore(2) <= 0)
      avviso(f, r, 2,
             fmt::format("curva: la lunghezza vale {}: la curva non viene tracciata", r.valore(2)));
  }

  void valore_montagna(const record_visto& r, file_verificato f) {
    const Long v = r.valore(3);
    const Long tenuto = v > 10 ? v - 10 : v;
    if (tenuto < 0 || tenuto > 255)
      avviso(f, r, 3,
             fmt::format("montagna: il valore della zona {} dà {}, di cui le celle tengono solo "
                         "gli 8 bit bassi, {}; si attende da 0 a 255 (da 11 a 265 con i segnali "
                         "di zona)",
                         v, tenuto, otto_bit(tenuto)));
    if (cella_di(static_cast<largo>(r.valore(2)) - 50) < cella_di(r.valore(1)))
      avviso(f, r, 2,
             fmt::format("montagna: la fine {} non supera di 50 m l'inizio {}: la zona non copre "
                         "nessuna cella",
                         r.valore(2), r.valore(1)));
  }

  void indicatore(const record_visto& r, file_verificato f) {
    for (size_t n : {2, 3, 4, 6, 7, 8}) {
      const Long v = r.valore(n);
      if (v < 0)
        avviso(f, r, n,
               fmt::format("indicatori_vmax: {} vale {}: si attende una velocità in km/h, da 0",
                           campo_in_parole(r.tipo, n), v));
      else if (v % 5 != 0)
        avviso(f, r, n,
               fmt::format("indicatori_vmax: {} vale {}: si scrivono velocità a passi di 5 km/h, "
                           "perché le due velocità di una coppia si possano rileggere",
                           campo_in_parole(r.tipo, n), v));
    }
    for (size_t n : {5, 9}) {
      const Long v = r.valore(n);
      if (v < 0 || v > 9)
        avviso(f, r, n,
               fmt::format("indicatori_vmax: {} vale {}: si attende una cifra da 0 a 9, perché i "
                           "due codici si tengono come 10 × il primo + il secondo",
                           campo_in_parole(r.tipo, n), v));
    }
  }

  void testo_utf8(const record_visto& r, size_t n, const std::string& nome, file_verificato f) {
    const std::string_view testo = r.campo(n).testo;
    if (!utf8_ && sembra_utf8(testo))
      avviso(f, r, n,
             fmt::format("{}: {} {} sembra scritto in UTF-8 ({}): il file va scritto in "
                         "Windows-1252, oppure letto con --utf8",
                         nome, campo_in_parole(r.tipo, n), cita(testo), cita_utf8(testo)));
    if (con_controlli(testo))
      avviso(f, r, n,
             fmt::format("{}: {} {} contiene un carattere di controllo, che passa così nei file "
                         "compilati",
                         nome, campo_in_parole(r.tipo, n), cita(testo)));
  }

  void testo_cartello(const record_visto& r, file_verificato f) {
    testo_utf8(r, 2, "cartello_indicatore", f);
    const std::string_view testo = senza_spazi_finali(r.campo(2).testo);
    // One or two parts, each in parentheses.
    size_t parti = 0;
    size_t i = 0;
    bool forma = true;
    while (forma && i < testo.size()) {
      const size_t chiusa = testo[i] == '(' ? testo.find(')', i) : std::string_view::npos;
      if (chiusa == std::string_view::npos ||
          testo.substr(i + 1, chiusa - i - 1).find('(') != std::string_view::npos) {
        forma = false;
        break;
      }
      ++parti;
      i = chiusa + 1;
    }
    if (!forma || parti == 0 || parti > 2)
      avviso(f, r, 2,
             fmt::format("cartello_indicatore: il testo {} non è fatto di una o due parti tra "
                         "parentesi, una per riga del cartello, come \"(  Cippo  )(Km 28+000)\"",
                         cita(testo)));
  }

  void velocita(const record_visto& r, file_verificato f) {
    const Long v = r.valore(2);
    if (v == 0)
      avviso(f, r, 2,
             "velocita: la velocità vale 0 km/h: si attende il limite di velocità della linea, "
             "in km/h");
    else if (v > 0 && v % 5 != 0)
      avviso(f, r, 2,
             fmt::format("velocita: la velocità {} non è un multiplo di 5: le celle la tengono "
                         "come {} km/h; si scrivono limiti a passi di 5",
                         v, 5 * static_cast<Long>(std::nearbyint(static_cast<double>(v) / 5.0))));
  }

  void segnale(const record_visto& r, file_verificato f) {
    for (size_t n = 3; n <= 10; ++n) {
      const Long v = r.valore(n);
      if (v < 0 || v > 9)
        avviso(f, r, n,
               fmt::format("segnale: {} vale {}: si attende una cifra da 0 a 9",
                           campo_in_parole(r.tipo, n), v));
    }
    const largo tipo = 3 * static_cast<largo>(r.valore(2)) + r.valore(7);
    if (tipo > 9 && tipo <= 25)
      avviso(f, r, 2,
             fmt::format("segnale: il tipo del segnale, 3 × la classe + il campo 7, vale {}: si "
                         "attende da 0 a 9, perché si tiene come cifra delle unità accanto al "
                         "campo 6",
                         tipo));
    const Long extra = r.valore(11);
    if (r.valore(2) == 2 && extra >= 1 && extra <= 100)
      avviso(f, r, 11,
             fmt::format("segnale: il valore extra {} si legge come 101: si attende 0 (nessuno) "
                         "oppure da 101 a 255",
                         extra));
    if (r.valore(2) != 2 && extra != 0)
      avviso(f, r, 11,
             fmt::format("segnale: il valore extra {} non viene letto: vale solo per la classe 2, "
                         "e questo segnale è di classe {}",
                         extra, r.valore(2)));
  }

  void rallentamento(const record_visto& r, file_verificato f) {
    const std::string nome = "rallentamento";
    if (r.valore(2) <= 0)
      avviso(f, r, 2,
             fmt::format("rallentamento: la velocità vale {}: si attende la velocità da tenere, in "
                         "km/h, maggiore di 0",
                         r.valore(2)));
    const Long lunghezza = r.valore(3);
    if (lunghezza <= 0)
      avviso(f, r, 3,
             fmt::format("rallentamento: la lunghezza vale {}: si attende una lunghezza in metri, "
                         "maggiore di 0",
                         lunghezza));
    else if (cella_dopo(r.valore(1)) == cella_dopo(static_cast<largo>(r.valore(1)) + lunghezza))
      avviso(f, r, 3,
             fmt::format("rallentamento: la lunghezza {} m è troppo breve: inizio e fine cadono "
                         "nella stessa cella di 50 m, che resta un inizio senza fine",
                         lunghezza));
    segno_0_1(r, 4, nome, f);
    if (r.valore(5) != 0 && r.valore(1) <= 1500)
      avviso(f, r, 5,
             fmt::format("rallentamento: il segno di avviso vale {} ma non ha effetto: un "
                         "rallentamento che inizia a 1500 m o meno non ha punto di avviso né "
                         "celle di avvicinamento",
                         r.valore(5)));
  }

  void stazione(const record_visto& r, file_verificato f) {
    const std::string nome = "stazione";
    const bool prima = !prima_stazione_trovata_;
    prima_stazione_trovata_ = true;
    for (size_t n : {4, 5, 6}) segno_0_1(r, n, nome, f);
    const Long tipo = r.valore(2);
    const Long estensione = r.valore(3);
    if (estensione <= 0)
      avviso(f, r, 3,
             fmt::format("stazione: l'estensione vale {}: si attende una lunghezza in metri, "
                         "multipla di 100, maggiore di 0",
                         estensione));
    if (r.valore(5) != 0 && (estensione < 600 || prima))
      avviso(f, r, 5,
             fmt::format("stazione: il campo 5 vale {} ma non viene registrato: vale solo con "
                         "un'estensione di 600 m o più, e non per la prima stazione",
                         r.valore(5)));
    if (r.valore(6) != 0 && tipo >= 5 && tipo <= 8)
      avviso(f, r, 6,
             fmt::format("stazione: il campo 6 (prolungamento) vale {} ma non ha effetto per il "
                         "tipo {}: vale solo per i tipi diversi da 5, 6, 7 e 8",
                         r.valore(6), tipo));
    if (r.valore(14) != 0 || r.valore(15) != 0 || r.valore(16) != 0) ora(r, 14, nome, f);
    if (senza_spazi_finali(r.campo(17).testo).empty())
      avviso(f, r, 17, "stazione: il nome è vuoto");
    testo_utf8(r, 17, nome, f);
  }

  // ---- The order of the records of a kind ----

  // A profile (gradient, speed, adhesion): ascending positions, one record
  // per 50 m cell; speed and adhesion from position 0.
  void ordine_profilo(const descrizione_vista& d, specie tipo, file_verificato f) {
    const record_visto* prima = nullptr;
    const std::string nome(nome_record(tipo));
    for (const record_visto& r : d.record) {
      if (r.tipo != tipo || !letto(r)) continue;
      const Long p = r.valore(1);
      if (!prima && tipo != specie::pendenza && cella_di(p) > 0)
        avviso(f, r, 1,
               fmt::format("{}: il primo record è alla posizione {}: prima, dalla posizione 0, "
                           "le celle hanno {} 0; si attende un primo record alla posizione 0",
                           nome, p, tipo == specie::velocita ? "la velocità" : "l'aderenza"));
      if (prima) {
        const Long q = prima->valore(1);
        if (p < q)
          avviso(f, r, 1,
                 fmt::format("{}: la posizione {} viene prima di quella della riga {}, {}: {} "
                             "vanno in ordine crescente di posizione",
                             nome, p, prima->chiave.riga, q, plurale(tipo)));
        else if (p == q)
          avviso(f, r, 1,
                 fmt::format("{}: due record alla posizione {} (l'altro alla riga {}): se ne "
                             "scrive uno per posizione",
                             nome, p, prima->chiave.riga));
        else if (cella_di(p) == cella_di(q))
          avviso(f, r, 1,
                 fmt::format("{}: la posizione {} cade nella stessa cella di 50 m di quella della "
                             "riga {}, {}: le celle tengono un valore ciascuna, e uno dei due non "
                             "vale dove è scritto",
                             nome, p, prima->chiave.riga, q));
      }
      prima = &r;
    }
  }

  // Signals, slowdowns, code reductions: ascending, as the formats list them.
  void ordine_semplice(const descrizione_vista& d, specie tipo, file_verificato f) {
    const record_visto* prima = nullptr;
    for (const record_visto& r : d.record) {
      if (r.tipo != tipo || !letto(r)) continue;
      if (prima && r.valore(1) < prima->valore(1))
        avviso(f, r, 1,
               fmt::format("{}: la posizione {} viene prima di quella della riga {}, {}: {} vanno "
                           "in ordine crescente di posizione",
                           nome_record(tipo), r.valore(1), prima->chiave.riga, prima->valore(1),
                           plurale(tipo)));
      prima = &r;
    }
  }

  // Curves in ascending order of start, none inside the one before: the plan
  // is drawn forward only.
  void ordine_curve(const descrizione_vista& d, file_verificato f) {
    const record_visto* prima = nullptr;
    largo raggiunto = 0;  // the last metre the curves before have drawn
    for (const record_visto& r : d.record) {
      if (r.tipo != specie::curva || !letto(r)) continue;
      const largo inizio = r.valore(1);
      const largo fine = inizio + r.valore(2);
      if (prima) {
        const largo inizio_prima = prima->valore(1);
        if (inizio < inizio_prima)
          avviso(f, r, 1,
                 fmt::format("curva: l'inizio {} viene prima di quello della curva della riga {}, "
                             "{}: le curve vanno in ordine crescente di inizio, e il tracciato non "
                             "torna indietro",
                             inizio, prima->chiave.riga, inizio_prima));
        else if (inizio < raggiunto)
          avviso(f, r, 1,
                 fmt::format("curva: l'inizio {} cade dentro la curva della riga {}, che arriva al "
                             "metro {}: {}",
                             inizio, prima->chiave.riga, raggiunto,
                             fine <= raggiunto
                                 ? std::string("questa curva non viene tracciata")
                                 : fmt::format("il tracciato la disegna da lì, {} m più corta",
                                               raggiunto - inizio)));
      }
      raggiunto = std::max(raggiunto, fine);
      prima = &r;
    }
  }

  // Mountain zones in ascending order, each more than 150 m after the end of
  // the one before, or it takes the value 3.
  void ordine_montagne(const descrizione_vista& d, file_verificato f) {
    const record_visto* prima = nullptr;
    for (const record_visto& r : d.record) {
      if (r.tipo != specie::montagna || !letto(r)) continue;
      if (prima) {
        const largo inizio = r.valore(1);
        const largo distacco = inizio - prima->valore(2);
        const Long v = r.valore(3);
        const Long tenuto = v > 10 ? v - 10 : v;
        const std::string valore_3 =
            tenuto == 3 ? std::string()
                        : fmt::format("; la lettura le dà il valore 3 invece di {}", tenuto);
        if (inizio < prima->valore(1))
          avviso(f, r, 1,
                 fmt::format("montagna: l'inizio {} viene prima di quello della zona della riga "
                             "{}, {}: le zone vanno in ordine crescente{}",
                             inizio, prima->chiave.riga, prima->valore(1), valore_3));
        else if (distacco <= 150 && tenuto != 3)
          avviso(f, r, 1,
                 fmt::format("montagna: la zona inizia {} la fine della zona della riga {}, a "
                             "{} m: a 150 m o meno dalla zona prima la lettura le dà il valore 3 "
                             "invece di {}",
                             distacco < 0 ? fmt::format("{} m prima del", -distacco)
                                          : fmt::format("{} m dopo", distacco),
                             prima->chiave.riga, prima->valore(2), tenuto));
      }
      prima = &r;
    }
  }

  // ---- What needs the whole file ----

  // Whether a line set aside for an error passes `prova`.
  template <class Prova>
  static bool da_parte(const descrizione_vista& d, Prova&& prova) {
    return std::any_of(d.messe_da_parte.begin(), d.messe_da_parte.end(),
                       [&](const std::string& riga) { return prova(riga); });
  }

  // The line's general section: each record once, all three progressives,
  // and progressives that the ordering keeps.
  void generale_linea(const descrizione_vista& d) {
    const file_verificato f = file_verificato::linea;
    doppioni(d, f);
    std::array<const record_visto*, 3> progressive{};
    for (const record_visto& r : d.record)
      if (r.tipo == specie::progressiva && r.intero)
        progressive[static_cast<size_t>(r.quale - 1)] = &r;
    if (!d.con_generale) return;
    static constexpr std::string_view nomi[] = {"uno", "due", "tre"};
    for (size_t i = 0; i < 3; ++i)
      if (!progressive[i] && !da_parte(d, [&](std::string_view riga) {
            return contiene(riga, "progressiva") && contiene(riga, nomi[i]);
          }))
        avviso(f, d.generale,
               fmt::format("manca la progressiva chilometrica {}: vale 0, 0, 0; si scrivono "
                           "tutte e tre",
                           nomi[i]));
    azzeramento_progressive(progressive);
  }

  // The ordering of the progressives stores all three as 0, 0, 0 when no
  // start is the latest alone (or, with starts that add up to 0, when no
  // offset is above 0).
  void azzeramento_progressive(const std::array<const record_visto*, 3>& pr) {
    std::array<largo, 3> inizio{}, scostamento{}, segno{};
    const record_visto* primo = nullptr;
    for (size_t i = 0; i < 3; ++i) {
      if (!pr[i]) continue;
      inizio[i] = pr[i]->valore(1);
      scostamento[i] = pr[i]->valore(2);
      segno[i] = pr[i]->valore(3);
      if (!primo || pr[i]->chiave.riga < primo->chiave.riga) primo = pr[i];
    }
    if (!primo) return;
    const largo somma = inizio[0] + inizio[1] + inizio[2];
    const largo massimo = std::max({inizio[0], inizio[1], inizio[2]});
    const auto col_massimo = std::count(inizio.begin(), inizio.end(), massimo);
    // Told at the last of those that share the latest start.
    const record_visto* ultimo = nullptr;
    for (size_t i = 0; i < 3; ++i)
      if (pr[i] && inizio[i] == massimo && (!ultimo || pr[i]->chiave.riga > ultimo->chiave.riga))
        ultimo = pr[i];
    const bool tutte_zero =
        std::all_of(inizio.begin(), inizio.end(), [](largo v) { return v == 0; }) &&
        std::all_of(scostamento.begin(), scostamento.end(), [](largo v) { return v == 0; }) &&
        std::all_of(segno.begin(), segno.end(), [](largo v) { return v == 0; });
    if (tutte_zero) return;
    if (somma != 0 && col_massimo > 1 && ultimo)
      avviso(file_verificato::linea, *ultimo, 1,
             fmt::format("{} progressive hanno lo stesso inizio, {}, il più avanti: tutte e tre "
                         "vengono registrate come 0, 0, 0; si attendono tre inizi diversi",
                         col_massimo == 3 ? "tre" : "due", massimo));
    else if (somma == 0 &&
             std::none_of(scostamento.begin(), scostamento.end(), [](largo v) { return v > 0; }))
      avviso(file_verificato::linea, *primo, 1,
             "gli inizi delle progressive sommano a 0 e nessuno scostamento è maggiore di 0: "
             "tutte e tre vengono registrate come 0, 0, 0");
  }

  // A general record given twice: the last one counts.
  void doppioni(const descrizione_vista& d, file_verificato f) {
    std::map<std::pair<specie, int>, const record_visto*> visti;
    for (const record_visto& r : d.record) {
      switch (r.tipo) {
        case specie::lunghezza:
        case specie::progressiva:
        case specie::sfondo:
        case specie::ripetizione:
        case specie::massa_frenata:
        case specie::vetture:
        case specie::orologio:
        case specie::sabbia:
          break;
        default:
          continue;
      }
      auto [voce, nuovo] = visti.try_emplace({r.tipo, r.quale}, &r);
      if (!nuovo)
        avviso(f, r, 0,
               fmt::format("{} è già alla riga {}: vale quest'ultimo", nome_record(r.tipo, r.quale),
                           voce->second->chiave.riga));
      voce->second = &r;
    }
  }

  // The train: its "[generale]", some records, and the values without which
  // the train makes no sense.
  void generale_treno(const descrizione_vista& d) {
    const file_verificato f = file_verificato::treno;
    doppioni(d, f);
    if (!d.con_generale) {
      p_.avviso(f, 1, 1,
                "nessun campo \"[generale]\": il treno viene letto vuoto, e si compila senza "
                "alcun esito; il file comincia con [generale]");
      return;
    }
    if (d.record.empty()) {
      if (d.messe_da_parte.empty())
        avviso(f, d.generale, "nessun record dopo [generale]: il treno è vuoto");
      return;
    }
    // A kind of which no record is read, nor set aside for an error.
    auto manca = [&](specie tipo, std::string_view parola, std::string_view altra = {}) {
      auto ha = [&](std::string_view campo) {
        return contiene_maiuscole(campo, parola) &&
               (altra.empty() || contiene_maiuscole(campo, altra));
      };
      return std::none_of(d.record.begin(), d.record.end(),
                          [&](const record_visto& r) { return r.tipo == tipo; }) &&
             !da_parte(d, ha);
    };
    if (manca(specie::vetture, "vetture"))
      avviso(f, d.generale, "manca il record numero vetture: il treno ha 0 vetture");
    if (manca(specie::massa_frenata, "massa", "frenata"))
      avviso(f, d.generale,
             "manca il record percentuale massa frenata: la percentuale di massa frenata è 0");
    if (manca(specie::velocita, "velocit"))
      avviso(f, d.generale, "nessun record velocita: il limite di velocità è 0 su tutta la linea");
    if (manca(specie::aderenza, "aderenza"))
      avviso(f, d.generale, "nessun record aderenza: l'aderenza è 0 su tutta la linea");
  }

  // A station's stop mark takes its cell whatever the cell holds: an object
  // read before it there (a signpost or speed indicator of the line, a
  // signal, slowdown or code reduction earlier in the train) is lost.
  void segni_di_fermata() {
    std::map<largo, std::string> occupate;
    auto occupa = [&](largo cella, std::string cosa) { occupate.insert_or_assign(cella, cosa); };
    if (linea_)
      for (const record_visto& r : linea_->record) {
        if (!letto(r)) continue;
        if (r.tipo == specie::indicatore)
          occupa(cella_dopo(r.valore(1)),
                 fmt::format("l'indicatore di velocità della riga {}", r.chiave.riga));
        if (r.tipo == specie::cartello)
          occupa(cella_dopo(r.valore(1)),
                 fmt::format("il cartello indicatore della riga {}", r.chiave.riga));
      }
    for (const record_visto& r : treno_->record) {
      if (!letto(r)) continue;
      const largo p = r.valore(1);
      switch (r.tipo) {
        case specie::segnale:
          occupa(cella_dopo(p), fmt::format("il segnale della riga {}", r.chiave.riga));
          break;
        case specie::abbattimento:
          occupa(cella_di(p), fmt::format("l'abbattimento della riga {}", r.chiave.riga));
          break;
        case specie::rallentamento: {
          const std::string cosa = fmt::format("il rallentamento della riga {}", r.chiave.riga);
          occupa(cella_dopo(p), cosa);
          occupa(cella_dopo(p + r.valore(3)), cosa);
          if (p > 1500) {
            occupa(cella_dopo(p - 1200), cosa);
            if (r.valore(5) != 0)
              for (largo k = 0; k <= 3; ++k) occupa(cella_di(p - 1200) - k, cosa);
          }
          break;
        }
        case specie::stazione: {
          if (r.valore(2) >= 25) break;
          const largo t = cella_di(fine_stazione(r) - 50);
          if (t <= 1) break;
          if (auto c = occupate.find(t); c != occupate.end())
            avviso(file_verificato::treno, r, 1,
                   fmt::format("stazione: il segno di fermata cade nella {}, dove c'è {}, e lo "
                               "cancella",
                               cella_in_parole(t), c->second));
          occupa(t, fmt::format("il segno di fermata della stazione della riga {}", r.chiave.riga));
          break;
        }
        default:
          break;
      }
    }
  }

  const descrizione_vista* linea_;
  const descrizione_vista* treno_;
  const bool utf8_;
  elenco_problemi& p_;
  std::optional<Long> lunghezza_;
  bool prima_stazione_trovata_ = false;
};

}  // namespace

void controlla_avvisi(const descrizione_vista* linea, const descrizione_vista* treno, bool utf8,
                      elenco_problemi& problemi) {
  controlli(linea, treno, utf8, problemi).esegui();
}

std::string parola_vicina(std::string_view campo, bool linea) {
  const std::string cercata = minuscolo(senza_spazi_finali(campo));
  std::string_view migliore;
  size_t minima = SIZE_MAX;
  auto prova = [&](std::string_view parola) {
    const size_t d = distanza(cercata, parola);
    if (d < minima) {
      minima = d;
      migliore = parola;
    }
  };
  if (linea)
    for (std::string_view p : parole_linea) prova(p);
  else
    for (std::string_view p : parole_treno) prova(p);
  // Near enough: one edit in a short word, two in a longer one, three in a
  // keyword of several words.
  const size_t ammessa = migliore.size() <= 5 ? 1 : migliore.size() <= 12 ? 2 : 3;
  if (minima == 0 || minima > ammessa) return {};
  return std::string(migliore);
}

bool sembra_utf8(std::string_view testo) {
  bool multibyte = false;
  for (size_t i = 0; i < testo.size();) {
    const auto b = static_cast<unsigned char>(testo[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    size_t seguito;
    unsigned char minimo = 0x80, massimo = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      seguito = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      seguito = 2;
      if (b == 0xE0) minimo = 0xA0;
      if (b == 0xED) massimo = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      seguito = 3;
      if (b == 0xF0) minimo = 0x90;
      if (b == 0xF4) massimo = 0x8F;
    } else {
      return false;
    }
    for (size_t k = 1; k <= seguito; ++k) {
      if (i + k >= testo.size()) return false;
      const auto c = static_cast<unsigned char>(testo[i + k]);
      const unsigned char da = k == 1 ? minimo : 0x80;
      const unsigned char a = k == 1 ? massimo : 0xBF;
      if (c < da || c > a) return false;
    }
    multibyte = true;
    i += seguito + 1;
  }
  return multibyte;
}

}  // namespace scen
