// The facts of `scenario ispeziona` in words.
#include <fmt/format.h>

#include <string_view>
#include <variant>

#include "inspect/esame_compilati.h"
#include "platform/windows1252.h"
#include "tool/ispeziona_uscita.h"

namespace scen {

namespace {

using righe = std::vector<std::string>;

// A text of the compiled files for a terminal: its control bytes (a NUL, a
// tab, an escape ...) and the bytes that Windows-1252 leaves without a
// character are shown as \xNN, so that they can be seen and do nothing.
std::string utf8(std::string_view testo_1252) {
  std::string testo;
  size_t da = 0;
  for (size_t i = 0; i < testo_1252.size(); ++i) {
    const auto b = static_cast<unsigned char>(testo_1252[i]);
    const bool senza_forma = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    if (b >= 0x20 && b != 0x7F && !senza_forma) continue;
    testo += da_1252_a_utf8(testo_1252.substr(da, i - da));
    testo += fmt::format("\\x{:02X}", b);
    da = i + 1;
  }
  return testo + da_1252_a_utf8(testo_1252.substr(da));
}

// A length in metres with one decimal, written with a decimal comma.
std::string metri(double v) {
  std::string t = fmt::format("{:.1f}", v);
  for (char& c : t)
    if (c == '.') c = ',';
  return t;
}

std::string chiavi(const chiavi_nome& c) {
  return fmt::format("percorso \"{}\", treno \"{}\"", utf8(c.percorso), utf8(c.treno));
}

// The line of a competition code: where it lies and whether it is the one
// of the name's keys.
std::string riga_codice(const char* nome, const char* dove, const confronto_codice& c) {
  std::string riga = fmt::format("  {}: {} {}", nome, c.valore, dove);
  if (!c.chiavi_del_nome) return riga + "; il nome non contiene le chiavi con cui confrontarlo";
  if (c.corrisponde())
    return riga + ", quello delle chiavi del nome (" + chiavi(*c.chiavi_del_nome) + ")";
  return riga +
         fmt::format(", ma le chiavi del nome ({}) danno {}", chiavi(*c.chiavi_del_nome), c.atteso);
}

std::string riga_progressiva(const progressiva_compilata& p) {
  const long decrescente = p.decrescente;
  return fmt::format("  progressiva chilometrica {} (registro {}): da {} m, scostamento {}, {}",
                     p.nome, p.registro, p.inizio, p.scostamento,
                     decrescente == 0   ? std::string("crescente")
                     : decrescente == 1 ? std::string("decrescente")
                                        : fmt::format("decrescente ({})", decrescente));
}

righe stazioni(const std::vector<stazione_compilata>& elenco) {
  if (elenco.empty()) return {"  stazioni: nessuna"};
  righe r;
  r.push_back(fmt::format("  stazioni: {}, registri 1-{}", elenco.size(), elenco.size()));
  r.push_back("    reg.  posizione   estensione (m)    tipo  fermata  orario    nome");
  for (const stazione_compilata& st : elenco) {
    const registro& d = st.dati;
    r.push_back(fmt::format("    {:4}  {:9}  {:7} - {:7}  {:4}  {:7}  {:8}  {}", st.indice,
                            d.progressiva, d.inizio, d.fine, long{d.tipo}, long{d.fermata},
                            d.orario == 0 ? std::string("-") : ora(d.orario), utf8(d.nome)));
  }
  return r;
}

righe cartelli(const std::vector<cartello_compilato>& elenco) {
  if (elenco.empty()) return {"  cartelli: nessuno"};
  righe r;
  r.push_back(fmt::format("  cartelli: {}, registri {}-{}", elenco.size(),
                          indice_registro::primo_cartello, elenco.back().registro));
  for (const cartello_compilato& c : elenco) {
    const std::string testo = fmt::format("\"{}\"", utf8(c.testo));
    if (c.cella)
      r.push_back(fmt::format("    {:4}  cella {:5}, da {:6} m  {}", c.registro, *c.cella,
                              metri_cella * *c.cella, testo));
    else
      r.push_back(fmt::format("    {:4}  {}", c.registro, testo));
  }
  return r;
}

righe righe_di(const fatti_treno& f) {
  righe r;
  r.push_back(fmt::format("{}: treno compilato, {} byte, {} registri", f.file, f.byte, f.registri));
  std::string chiavi_riga = "  chiavi nei registri 85 e 86: " + chiavi(f.chiavi_nei_registri);
  if (!f.chiavi_del_nome)
    chiavi_riga += "; il nome non contiene chiavi";
  else if (f.chiavi_concordano())
    chiavi_riga += ", quelle del nome";
  else
    chiavi_riga += ", non quelle del nome (" + chiavi(*f.chiavi_del_nome) + ")";
  r.push_back(chiavi_riga);
  r.push_back(fmt::format("  segno riservato: {} nel campo_7 del registro 85", f.segno));
  r.push_back(riga_codice("codice_gara_st", "nel registro 85", f.codice_gara_st));
  r.push_back(fmt::format("  lunghezza della linea: {} m (registro 84)", f.lunghezza_percorso));
  r.push_back(fmt::format("  vetture: {}", f.numero_vetture));
  r.push_back(fmt::format("  massa frenata: {} %", f.percentuale_massa_frenata));
  for (const progressiva_compilata& p : f.progressive) r.push_back(riga_progressiva(p));
  r.push_back(
      fmt::format("  sfondi: uno {}, due {}, tre {}", f.sfondo_uno, f.sfondo_due, f.sfondo_tre));
  if (f.ripetizione_fine == 0)
    r.push_back(fmt::format("  ripetizione dei segnali: nessuna (fine 0; inizio {} m, codici {})",
                            f.ripetizione_inizio, f.ripetizione_codici));
  else
    r.push_back(fmt::format("  ripetizione dei segnali: da {} m a {} m, {} codici",
                            f.ripetizione_inizio, f.ripetizione_fine, f.ripetizione_codici));
  r.push_back(fmt::format("  orologio: {:02}:{:02}:{:02}", f.ore, f.minuti, f.secondi));
  r.push_back(fmt::format("  sabbia: {}", f.sabbia));
  for (std::string& riga : stazioni(f.stazioni)) r.push_back(std::move(riga));
  for (std::string& riga : cartelli(f.cartelli)) r.push_back(std::move(riga));
  return r;
}

// What a cell code stands for, "" for a code that no cell carries.
std::string oggetto(std::size_t codice) {
  return std::string(oggetto_cella(static_cast<Byte>(codice)));
}

std::string riga_cella(const cella_scelta& s) {
  const cella& c = s.dati;
  const long vel = c.vel_limite, pendenza = c.pendenza;
  const std::string o = oggetto(c.codice);
  return fmt::format(
      "    cella {} da {} m: codice {}{}, valore_1 {}, valore_2 {}, valore_3 {}, valore_4 {}, "
      "valore_5 {}, avvicinamento {}, montagna {}, vel_limite {} ({} km/h), pendenza {} "
      "({:+} per mille), aderenza {}",
      s.indice, metri_cella * s.indice, long{c.codice}, o.empty() ? "" : " (" + o + ")", c.valore_1,
      c.valore_2, c.valore_3, c.valore_4, long{c.valore_5}, long{c.avvicinamento}, long{c.montagna},
      vel, 5 * vel, pendenza, pendenza - 100, long{c.aderenza});
}

righe righe_di(const fatti_celle& f) {
  righe r;
  const long ultima = f.ultima_cella;
  r.push_back(
      fmt::format("{}: celle compilate, {} byte, {} celle (0-{}), per una linea di circa {} m",
                  f.file, f.byte, f.celle, ultima, f.lunghezza_percorso_circa()));
  r.push_back(fmt::format("  segno riservato: {} nel valore_1 della cella 1", f.segno));
  r.push_back(riga_codice("codice_gara_og", "nel valore_2 della cella 1", f.codice_gara_og));
  r.push_back("  codici delle celle:");
  for (const conteggio_codice& c : f.censimento) {
    const std::string o = oggetto(c.codice);
    r.push_back(fmt::format("    {:3}  {:<28} {:6}", c.codice, o.empty() ? "?" : o, c.celle));
  }
  if (f.scelte) {
    const long da = f.scelte->chieste.da, a = f.scelte->chieste.a;
    if (da > ultima)
      r.push_back(fmt::format("  celle {}-{}: nessuna, l'ultima cella è la {}", da, a, ultima));
    else if (a > ultima)
      r.push_back(fmt::format("  celle {}-{} (l'ultima cella è la {}):", da, ultima, ultima));
    else
      r.push_back(fmt::format("  celle {}-{}:", da, a));
    for (const cella_scelta& c : f.scelte->celle) r.push_back(riga_cella(c));
  }
  return r;
}

righe righe_di(const fatti_linea& f) {
  const esame_tracciato& e = f.tracciato;
  righe r;
  r.push_back(fmt::format(
      "{}: linea compilata, {} byte, tracciato dei metri 0-{} (una linea di {} m più {})", f.file,
      f.byte, e.ultimo_metro, f.lunghezza_percorso(), metri_oltre_la_linea));
  std::string riga = fmt::format("  metri pieni: {}", e.metri_pieni);
  if (e.ultimo_pieno >= 0 && e.metri_pieni == e.ultimo_pieno + 1)
    riga += fmt::format(" (0-{})", e.ultimo_pieno);
  if (!e.primo_vuoto)
    riga += ", nessun metro vuoto";
  else
    riga += fmt::format(", primo metro vuoto: {}", *e.primo_vuoto);
  r.push_back(riga);
  if (e.ultimo_pieno < 0) {
    r.push_back("  nessun metro pieno a partire dal metro 0: nessuna lunghezza né riquadro");
    return r;
  }
  r.push_back(fmt::format("  lunghezza in linea retta: {} m (dal metro 0 al metro {})",
                          metri(e.lunghezza_retta), e.ultimo_pieno));
  r.push_back(fmt::format("  lunghezza lungo la linea: {} m", metri(e.lunghezza_lungo)));
  r.push_back(
      fmt::format("  riquadro: X da {} a {} m, Y da {} a {} m (larghezza {} m, altezza {} m)",
                  metri(e.x_min), metri(e.x_max), metri(e.y_min), metri(e.y_max),
                  metri(e.x_max - e.x_min), metri(e.y_max - e.y_min)));
  return r;
}

righe righe_di(const file_illeggibile&) { return {}; }

}  // namespace

std::vector<std::string> righe_fatti(const fatti_file& f) {
  return std::visit([](const auto& fatti) { return righe_di(fatti); }, f);
}

std::string testo_incoerenza(const incoerenza& i) {
  if (i.tipo == incoerenza::genere::celle)
    return fmt::format(
        "{}: {} celle, ma la linea di {} m di {} ne ha {}: i due file non vengono dalla stessa "
        "compilazione",
        i.file, i.trovato, i.lunghezza_linea, i.treno, i.atteso);
  return fmt::format(
      "{}: il tracciato arriva al metro {}, ma la linea di {} m di {} arriva al metro {}: i due "
      "file non vengono dalla stessa compilazione",
      i.file, i.trovato, i.lunghezza_linea, i.treno, i.atteso);
}

}  // namespace scen
