#include "read/lettura.h"

#include <fmt/format.h>

#include <optional>

#include "read/guasto.h"

namespace scen {

void profilo::riempi(modello& m, Byte valore, largo fino_a) {
  do {
    const auto celle = static_cast<largo>(m.celle.size());
    if (celle > 0 && riempimento >= celle) [[unlikely]]
      guasto_in(
          fmt::format("{} si scrivono nelle celle una dopo l'altra, almeno una per record, "
                      "e qui andrebbero nella cella {}, oltre l'ultima, la {}: i record vanno "
                      "in ordine crescente di posizione, senza ripeterla",
                      nome, riempimento, cella_in_parole(celle - 1)),
          luogo_record);
    cella_n(m, riempimento, [] { return uso_tabella{}; }).*campo = valore;
    ++riempimento;
  } while (riempimento < fino_a);
}

bool lettore_descrizione::leggi() {
  if (!apertura()) return false;
  for (;;) {
    passo esito_record = passo::continua;
    if (!solo_vedere_) {
      if (!chiave_record()) break;
      esito_record = record();
    } else {
      try {
        if (!chiave_record()) break;
        esito_record = record();
      } catch (const guasto_lettura&) {
        salta_il_resto();
      }
    }
    if (esito_record == passo::chiudi) break;
    if (esito_record == passo::ferma) return false;
  }
  chiusura();
  return true;
}

void lettore_descrizione::salta_il_resto() {
  if (osservatore_lettura* o = p_.osservatore) o->interrotto();
  f_.salta_riga();
}

passo lettore_descrizione::leggi_record(sezione_formato s) {
  passi_record passi(p_);
  bool letto = false;
  for (const formato_record& f : formati(s)) {
    if (!chiama(f, m_.campo) || !ammesso(f)) continue;
    letto = true;
    passi.se(true, [&] {
      corrente_ = &f;
      if (osservatore_lettura* o = p_.osservatore) o->record(chiave_vista_, f);
      return solo_vedere_ ? vedi_campi(f) : costruisci(f);
    });
  }
  if (!letto)
    ignora(s == sezione_formato::generale_linea ? parte_file::generale : parte_file::record);
  return passi.risultato();
}

passo lettore_descrizione::vedi_campi(const formato_record& f) {
  for (size_t n = 1; n <= f.numeri; ++n) numero(n);
  if (f.con_testo) {
    std::string testo_visto;
    testo(testo_visto, f.numeri + 1);
  }
  return passo::continua;
}

void lettore_descrizione::ignora(parte_file parte, bool trattino) {
  if (osservatore_lettura* o = p_.osservatore) o->ignorato(chiave_vista_, parte, trattino);
}

void lettore_descrizione::segna_generale() {
  p_.generale = p_.campo(0);
  if (osservatore_lettura* o = p_.osservatore) o->generale(chiave_vista_);
}

void lettore_descrizione::chiave() {
  try {
    f_.testo(m_.campo, "la parola chiave di un record");
  } catch (guasto_lettura& g) {
    if (f_.vuoto()) g.causa = "il file è vuoto: manca la sezione [generale]";
    throw;
  }
  chiave_vista_ = f_.ultimo();
  p_.campi[0] = f_.punto();
  p_.letti = 1;
  p_.inizio_riga_ultimo = f_.inizio_riga();
}

bool lettore_descrizione::chiave_record() {
  if (f_.fine()) return false;
  chiave();
  if (f_.fine()) return false;
  for (int i = 0; i < 2; ++i)
    if (ha_esatto("-")) {
      ignora(parte_file::record, true);
      chiave();
      if (f_.fine()) return false;
    }
  return true;
}

void lettore_descrizione::campo_fallito() {
  if (osservatore_lettura* o = p_.osservatore) {
    if (!f_.ultimo().fine_file) o->valore(f_.ultimo());
    o->interrotto();
  }
}

void lettore_descrizione::segna_valore() {
  if (osservatore_lettura* o = p_.osservatore) o->valore(f_.ultimo());
  if (p_.letti < p_.campi.size()) p_.campi[p_.letti] = f_.punto();
  ++p_.letti;
  p_.inizio_riga_ultimo = f_.inizio_riga();
}

namespace {

// A time written as a clock shows it, "7:10:00": its numbers, when the text
// is hours and minutes, and maybe seconds, separated by colons.
std::optional<std::array<long, 3>> ora_con_i_due_punti(std::string_view t) {
  std::array<long, 3> numeri{};
  size_t n = 0;
  for (;;) {
    size_t cifre = 0;
    long v = 0;
    while (cifre < t.size() && cifre < 3 && t[cifre] >= '0' && t[cifre] <= '9')
      v = v * 10 + (t[cifre++] - '0');
    if (cifre == 0 || cifre > 2 || n == numeri.size()) return std::nullopt;
    numeri[n++] = v;
    t.remove_prefix(cifre);
    if (t.empty()) break;
    if (t.front() != ':') return std::nullopt;
    t.remove_prefix(1);
  }
  if (n < 2) return std::nullopt;
  return numeri;
}

}  // namespace

// The clock and a station's time take three numbers: a time written with
// colons gets the form that the record takes.
void lettore_descrizione::consiglio_ora(guasto_lettura& g) const {
  if (!corrente_ || g.dove != guasto_lettura::luogo::punto) return;
  const bool orologio = corrente_->tipo == specie::orologio;
  if (!orologio && corrente_->tipo != specie::stazione) return;
  const std::optional<std::array<long, 3>> ora = ora_con_i_due_punti(senza_spazi_finali(g.trovato));
  if (!ora) return;
  const auto [ore, minuti, secondi] = *ora;
  g.causa += orologio ? fmt::format(
                            "; l'orologio si scrive con ore, minuti e secondi separati da "
                            "spazi, senza i due punti: {}, {} {} {}",
                            corrente_->parola, ore, minuti, secondi)
                      : fmt::format(
                            "; l'orario della stazione si scrive in tre campi, ore, "
                            "minuti e secondi separati da virgole: {}, {}, {}",
                            ore, minuti, secondi);
}

Long lettore_descrizione::numero(std::string_view cosa) {
  Long valore = 0;
  try {
    valore = f_.numero(cosa);
  } catch (guasto_lettura& g) {
    campo_fallito();
    record_interrotto(g, cosa);
    consiglio_ora(g);
    throw;
  }
  segna_valore();
  return valore;
}

void lettore_descrizione::testo(std::string& campo, std::string_view cosa) {
  try {
    f_.testo(campo, cosa);
  } catch (guasto_lettura& g) {
    campo_fallito();
    record_interrotto(g, cosa);
    throw;
  }
  segna_valore();
}

namespace {

bool cifra(char c) { return c >= '0' && c <= '9'; }

// A keyword field that ends in a number after a blank, with a word before it,
// as "curvas4   7000" when the comma after the keyword is missing: where the
// number begins in the field, and where the word before it ends.
struct coda_numerica {
  size_t inizio_numero;
  size_t fine_parola;
};

std::optional<coda_numerica> numero_in_coda(std::string_view campo) {
  size_t fine = campo.size();
  while (fine > 0 && (campo[fine - 1] == ' ' || campo[fine - 1] == '\t')) --fine;
  size_t inizio = fine;
  while (inizio > 0 && cifra(campo[inizio - 1])) --inizio;
  if (inizio == fine) return std::nullopt;
  if (inizio > 0 && campo[inizio - 1] == '-') --inizio;
  size_t parola = inizio;
  while (parola > 0 && (campo[parola - 1] == ' ' || campo[parola - 1] == '\t')) --parola;
  if (parola == inizio || parola == 0) return std::nullopt;
  return coda_numerica{inizio, parola};
}

}  // namespace

void lettore_descrizione::record_interrotto(guasto_lettura& g, std::string_view cosa) const {
  const punto_file ultimo = p_.campo(static_cast<int>(p_.letti) - 1);
  if (!g.fine_file && !(g.punto.riga > ultimo.riga && f_.a_inizio_riga())) return;
  const std::string seguito = g.fine_file
                                  ? std::string("il file finisce qui")
                                  : fmt::format(
                                        "la riga finisce qui, e il valore si prenderebbe da {}, "
                                        "all'inizio della riga {}",
                                        cita(g.trovato), g.punto.riga);
  const std::string_view chiave = m_.campo;
  if (const std::optional<coda_numerica> coda = numero_in_coda(chiave)) {
    const std::string_view numero =
        chiave.substr(coda->inizio_numero,
                      chiave.find_first_of(" \t", coda->inizio_numero) - coda->inizio_numero);
    g.causa = fmt::format(
        "manca la virgola tra {} e {}: senza, il numero resta nella parola chiave e al record "
        "manca {} ({})",
        cita(chiave.substr(0, coda->fine_parola)), cita(numero), cosa, seguito);
    const punto_file parola = p_.campo(0);
    g.punto = {parola.riga, parola.colonna + static_cast<long>(coda->inizio_numero)};
    return;
  }
  g.causa = fmt::format("al record {} manca {}: {}", cita(chiave), cosa, seguito);
  g.punto = f_.fine_riga(p_.inizio_riga_ultimo, ultimo.riga);
}

std::string lettore_descrizione::causa_esito(esito numero, std::string_view dettaglio) {
  std::string causa(descrizione_esito(numero));
  if (!dettaglio.empty()) {
    causa += ": ";
    causa += dettaglio;
  }
  return causa;
}

std::string lettore_descrizione::occupata(largo i) const {
  return fmt::format("{}, che ha già {}", cella_in_parole(i),
                     contenuto_cella(m_.celle[static_cast<size_t>(i)]));
}

void lettore_descrizione::ferma(esito numero, int campo, std::string causa) {
  ferma_in(numero, p_.campo(campo), std::move(causa));
}

void lettore_descrizione::ferma_in(esito numero, punto_file punto, std::string causa) {
  m_.errore_codice = numero;
  segna_errore(d_, p_.file, punto, std::move(causa));
}

void lettore_descrizione::ferma_a(esito numero, Long posizione, int campo, std::string causa) {
  ferma(numero, campo, std::move(causa));
  m_.errore_posizione = posizione;
}

bool lettore_descrizione::in_campo(Long posizione, largo margine) {
  if (nelle_celle(m_, posizione, margine)) return true;
  const largo massimo = static_cast<largo>(m_.ultima_cella) * metri_cella - margine;
  const Long lunghezza = m_.registri[indice_registro::generali_treno].fine;
  ferma_a(esito::fuori_dalle_celle, posizione, 1,
          causa_esito(
              esito::fuori_dalle_celle,
              fmt::format("{} m, ma con una linea di {} m {} arriva al più a {} m", posizione,
                          lunghezza, margine == margine_record ? "si" : "una stazione", massimo)));
  return false;
}

std::string nota_scambiati(const posizione_lettura& p) {
  return fmt::format(
      "{} è un record della descrizione del treno: i due file di descrizione sono forse "
      "scambiati?",
      cita(p.testo_del_treno));
}

punto_file luogo_del_guasto(const guasto_lettura& g, const posizione_lettura& p) {
  switch (g.dove) {
    case guasto_lettura::luogo::campo:
      return p.campo(g.campo);
    case guasto_lettura::luogo::punto:
      return g.punto;
    case guasto_lettura::luogo::file:
      return {};
    case guasto_lettura::luogo::lunghezza:
      return p.generale.riga != 0 ? p.generale : p.campo(0);
  }
  return {};
}

void diagnosi_del_guasto(diagnosi_lettura& d, const guasto_lettura& g, const posizione_lettura& p) {
  segna_errore(d, p.file, luogo_del_guasto(g, p), g.causa);
  if (g.dove == guasto_lettura::luogo::lunghezza && p.del_treno.riga != 0)
    aggiungi_nota(d, gravita::nota, p.file, p.del_treno, nota_scambiati(p));
}

}  // namespace scen
