#include "tool/ispeziona_fatti.h"

#include <algorithm>

#include "inspect/esame_compilati.h"
#include "inspect/lettura_compilati.h"
#include "platform/windows1252.h"

namespace scen {

namespace {

std::string utf8(std::string_view testo_1252) { return da_1252_a_utf8(testo_1252); }

// The file's name without its folder and its ending, in Windows-1252;
// nothing when it has no Windows-1252 form.
std::optional<std::string> radice_1252(const std::string& nome, std::string_view finale) {
  std::string_view base(nome);
  const size_t barra = base.find_last_of('/');
  if (barra != std::string_view::npos) base.remove_prefix(barra + 1);
  base.remove_suffix(std::min(finale.size(), base.size()));
  return utf8_a_1252(base);
}

fatti chiavi_json(const chiavi_nome& c) {
  return {{"percorso", utf8(c.percorso)}, {"treno", utf8(c.treno)}};
}

// The keys of the name that go with a stored code: `preferite` when the name
// divides into them, else the last division that gives the stored code, else
// the last division; nothing when the name has no "_".
template <typename Codice>
std::optional<chiavi_nome> chiavi_del_nome(const std::optional<std::string>& radice,
                                           const std::optional<chiavi_nome>& preferite,
                                           Codice codice, Long trovato) {
  if (!radice) return std::nullopt;
  const std::vector<chiavi_nome> divisioni = divisioni_nome(*radice);
  if (divisioni.empty()) return std::nullopt;
  if (preferite && std::find(divisioni.begin(), divisioni.end(), *preferite) != divisioni.end())
    return preferite;
  for (auto d = divisioni.rbegin(); d != divisioni.rend(); ++d)
    if (codice(*d) == trovato) return *d;
  return divisioni.back();
}

// The competition code stored in a file beside the one the name's keys give.
template <typename Codice>
fatti confronto_codice(Long trovato, const std::optional<chiavi_nome>& chiavi, Codice codice) {
  fatti f = {{"valore", trovato}};
  if (chiavi) {
    const Long atteso = codice(*chiavi);
    f["chiavi_del_nome"] = chiavi_json(*chiavi);
    f["atteso"] = atteso;
    f["corrisponde"] = atteso == trovato;
  } else {
    f["chiavi_del_nome"] = nullptr;
    f["atteso"] = nullptr;
    f["corrisponde"] = false;
  }
  return f;
}

fatti progressiva(const char* nome, int indice, const registro& r) {
  return {{"nome", nome},
          {"registro", indice},
          {"inizio", r.inizio},
          {"scostamento", r.fine},
          {"decrescente", r.progressiva}};
}

fatti stazione(int indice, const registro& r) {
  return {{"registro", indice},
          {"nome", utf8(r.nome)},
          {"tipo", r.tipo},
          {"posizione", r.progressiva},
          {"inizio", r.inizio},
          {"fine", r.fine},
          {"fermata", r.fermata},
          {"orario", r.orario == 0 ? fatti(nullptr) : fatti(ora(r.orario))},
          {"orario_secondi", r.orario},
          {"prolungamento", r.prolungamento},
          {"campo_4", r.campo_4},
          {"campo_5", r.campo_5},
          {"campo_7", r.campo_7},
          {"campo_8", r.campo_8},
          {"campo_9", r.campo_9},
          {"campo_10", r.campo_10},
          {"campo_11", r.campo_11},
          {"campo_12", r.campo_12}};
}

fatti cella_json(size_t i, const cella& c) {
  return {{"cella", i},
          {"metri", 50 * i},
          {"codice", c.codice},
          {"oggetto", oggetto_cella(c.codice)},
          {"valore_1", c.valore_1},
          {"valore_2", c.valore_2},
          {"valore_3", c.valore_3},
          {"valore_4", c.valore_4},
          {"valore_5", c.valore_5},
          {"avvicinamento", c.avvicinamento},
          {"montagna", c.montagna},
          {"vel_limite", c.vel_limite},
          {"pendenza", c.pendenza},
          {"aderenza", c.aderenza}};
}

}  // namespace

fatti fatti_treno(const std::string& nome, std::uint64_t byte, const modello& m) {
  const auto& r = m.registri;
  const registro& generali = r[indice_registro::generali_treno];
  const registro& linea = r[indice_registro::generali_linea];
  const registro& ripetizione = r[indice_registro::generali_ripetizione];
  const chiavi_nome nei_registri{linea.nome, ripetizione.nome};
  const std::optional<chiavi_nome> del_nome =
      chiavi_del_nome(radice_1252(nome, ".sim"), nei_registri, codice_st_di, linea.orario);

  fatti f = {{"file", nome}, {"tipo", "treno"}, {"byte", byte}, {"registri", r.size()}};
  f["chiavi_nei_registri"] = chiavi_json(nei_registri);
  f["chiavi_del_nome"] = del_nome ? chiavi_json(*del_nome) : fatti(nullptr);
  f["chiavi_concordano"] = del_nome == nei_registri;
  f["segno"] = {{"registro", indice_registro::generali_linea},
                {"campo", "campo_7"},
                {"valore", linea.campo_7}};
  f["codice_gara_st"] = confronto_codice(linea.orario, del_nome, codice_st_di);
  f["lunghezza_percorso"] = generali.fine;
  f["numero_vetture"] = generali.progressiva;
  f["percentuale_massa_frenata"] = generali.inizio;
  f["progressive"] = {
      progressiva("uno", indice_registro::progressiva_uno, r[indice_registro::progressiva_uno]),
      progressiva("due", indice_registro::progressiva_due, r[indice_registro::progressiva_due]),
      progressiva("tre", indice_registro::progressiva_tre, r[indice_registro::progressiva_tre])};
  f["sfondi"] = {{"uno", linea.inizio}, {"due", linea.progressiva}, {"tre", linea.fine}};
  f["ripetizione_segnali"] = {{"inizio", ripetizione.inizio},
                              {"fine", ripetizione.fine},
                              {"codici", ripetizione.progressiva}};
  f["orologio"] = {{"ore", ripetizione.campo_10},
                   {"minuti", ripetizione.campo_11},
                   {"secondi", ripetizione.campo_12}};
  f["sabbia"] = ripetizione.campo_7;

  const parti_registri p = parti(r);
  fatti stazioni = fatti::array();
  for (int i = 1; i <= p.stazioni; ++i) stazioni.push_back(stazione(i, r[static_cast<size_t>(i)]));
  f["stazioni"] = std::move(stazioni);
  fatti cartelli = fatti::array();
  for (int i = indice_registro::primo_cartello; i >= p.primo_cartello; --i)
    cartelli.push_back({{"registro", i}, {"testo", utf8(r[static_cast<size_t>(i)].nome)}});
  f["cartelli"] = std::move(cartelli);
  return f;
}

fatti fatti_celle(const std::string& nome, std::uint64_t byte, const modello& m,
                  const std::optional<intervallo_celle>& scelte) {
  const std::vector<cella>& celle = m.celle;
  const Integer og = celle[1].valore_2;
  const std::optional<chiavi_nome> del_nome =
      chiavi_del_nome(radice_1252(nome, ".dat"), std::nullopt, codice_og_di, og);

  fatti f = {{"file", nome}, {"tipo", "celle"}, {"byte", byte}, {"celle", celle.size()}};
  f["ultima_cella"] = m.ultima_cella;
  f["lunghezza_percorso_circa"] = 50 * m.ultima_cella - metri_oltre_la_linea;
  f["chiavi_del_nome"] = del_nome ? chiavi_json(*del_nome) : fatti(nullptr);
  f["segno"] = {{"cella", 1}, {"campo", "valore_1"}, {"valore", celle[1].valore_1}};
  f["codice_gara_og"] = confronto_codice(og, del_nome, codice_og_di);
  const std::array<size_t, 256> conteggio = censimento_codici(celle);
  fatti censimento = fatti::array();
  for (size_t codice = 0; codice < conteggio.size(); ++codice)
    if (conteggio[codice] > 0)
      censimento.push_back({{"codice", codice},
                            {"oggetto", oggetto_cella(static_cast<Byte>(codice))},
                            {"celle", conteggio[codice]}});
  f["censimento"] = std::move(censimento);
  fatti cartelli = fatti::array();
  for (size_t i = 0; i < celle.size(); ++i)
    if (celle[i].codice == codice_cella::cartello)
      cartelli.push_back({{"cella", i}, {"metri", 50 * i}, {"registro", celle[i].valore_1}});
  f["cartelli"] = std::move(cartelli);
  if (scelte) {
    fatti elenco = fatti::array();
    for (Long i = scelte->da; i <= std::min(scelte->a, m.ultima_cella); ++i)
      elenco.push_back(cella_json(static_cast<size_t>(i), celle[static_cast<size_t>(i)]));
    f["celle_scelte"] = {{"da", scelte->da}, {"a", scelte->a}, {"celle", std::move(elenco)}};
  }
  return f;
}

fatti fatti_linea(const std::string& nome, std::uint64_t byte, const modello& m) {
  const esame_tracciato e = esamina_tracciato(m.tracciato);
  fatti f = {{"file", nome}, {"tipo", "linea"}, {"byte", byte}};
  f["metri"] = e.ultimo_metro + 1;
  f["ultimo_metro"] = e.ultimo_metro;
  f["lunghezza_percorso"] = e.ultimo_metro - metri_oltre_la_linea;
  f["metri_pieni"] = e.metri_pieni;
  f["primo_vuoto"] = e.primo_vuoto ? fatti(*e.primo_vuoto) : fatti(nullptr);
  f["ultimo_pieno"] = e.ultimo_pieno;
  if (e.ultimo_pieno < 0) {
    f["lunghezza_retta"] = nullptr;
    f["lunghezza_lungo_la_linea"] = nullptr;
    f["riquadro"] = nullptr;
    return f;
  }
  f["lunghezza_retta"] = e.lunghezza_retta;
  f["lunghezza_lungo_la_linea"] = e.lunghezza_lungo;
  f["riquadro"] = {{"x_min", e.x_min}, {"x_max", e.x_max}, {"y_min", e.y_min}, {"y_max", e.y_max}};
  return f;
}

bool concorda_col_nome(const fatti& f) {
  if (f.contains("chiavi_concordano") && !f["chiavi_concordano"].get<bool>()) return false;
  for (const char* codice : {"codice_gara_st", "codice_gara_og"})
    if (f.contains(codice) && !f[codice]["corrisponde"].get<bool>()) return false;
  return true;
}

}  // namespace scen
