#include "inspect/fatti_compilati.h"

#include <fmt/format.h>

#include <algorithm>
#include <memory>

#include "platform/file.h"
#include "platform/windows1252.h"

namespace scen {

namespace {

// The file's name without its folder and its ending, in Windows-1252;
// nothing when it has no Windows-1252 form.
std::optional<std::string> radice_1252(const std::string& nome, std::string_view finale) {
  std::string_view base(nome);
  const size_t barra = base.find_last_of('/');
  if (barra != std::string_view::npos) base.remove_prefix(barra + 1);
  base.remove_suffix(std::min(finale.size(), base.size()));
  return utf8_a_1252(base);
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
confronto_codice confronta_codice(Long trovato, const std::optional<chiavi_nome>& chiavi,
                                  Codice codice) {
  confronto_codice c;
  c.valore = trovato;
  c.chiavi_del_nome = chiavi;
  if (chiavi) c.atteso = codice(*chiavi);
  return c;
}

progressiva_compilata progressiva(const char* nome, int indice, const registro& r) {
  return {nome, indice, r.inizio, r.fine, r.progressiva};
}

}  // namespace

fatti_treno fatti_del_treno(const std::string& nome, std::uint64_t byte, const modello& m) {
  const auto& r = m.registri;
  const registro& generali = r[indice_registro::generali_treno];
  const registro& linea = r[indice_registro::generali_linea];
  const registro& ripetizione = r[indice_registro::generali_ripetizione];

  fatti_treno f;
  f.file = nome;
  f.byte = byte;
  f.registri = r.size();
  f.chiavi_nei_registri = {linea.nome, ripetizione.nome};
  f.chiavi_del_nome =
      chiavi_del_nome(radice_1252(nome, ".sim"), f.chiavi_nei_registri, codice_st_di, linea.orario);
  f.segno = linea.campo_7;
  f.codice_gara_st = confronta_codice(linea.orario, f.chiavi_del_nome, codice_st_di);
  f.lunghezza_percorso = generali.fine;
  f.numero_vetture = generali.progressiva;
  f.percentuale_massa_frenata = generali.inizio;
  f.progressive = {
      progressiva("uno", indice_registro::progressiva_uno, r[indice_registro::progressiva_uno]),
      progressiva("due", indice_registro::progressiva_due, r[indice_registro::progressiva_due]),
      progressiva("tre", indice_registro::progressiva_tre, r[indice_registro::progressiva_tre])};
  f.sfondo_uno = linea.inizio;
  f.sfondo_due = linea.progressiva;
  f.sfondo_tre = linea.fine;
  f.ripetizione_inizio = ripetizione.inizio;
  f.ripetizione_fine = ripetizione.fine;
  f.ripetizione_codici = ripetizione.progressiva;
  f.ore = ripetizione.campo_10;
  f.minuti = ripetizione.campo_11;
  f.secondi = ripetizione.campo_12;
  f.sabbia = ripetizione.campo_7;

  const parti_registri p = parti(r);
  for (int i = 1; i <= p.stazioni; ++i) f.stazioni.push_back({i, r[static_cast<size_t>(i)]});
  for (int i = indice_registro::primo_cartello; i >= p.primo_cartello; --i)
    f.cartelli.push_back({i, r[static_cast<size_t>(i)].nome, std::nullopt});
  return f;
}

fatti_celle fatti_delle_celle(const std::string& nome, std::uint64_t byte, const modello& m,
                              const std::optional<intervallo_celle>& scelte) {
  const std::vector<cella>& celle = m.celle;
  const Integer og = celle[1].valore_2;

  fatti_celle f;
  f.file = nome;
  f.byte = byte;
  f.celle = celle.size();
  f.ultima_cella = m.ultima_cella;
  f.chiavi_del_nome = chiavi_del_nome(radice_1252(nome, ".dat"), std::nullopt, codice_og_di, og);
  f.segno = celle[1].valore_1;
  f.codice_gara_og = confronta_codice(og, f.chiavi_del_nome, codice_og_di);
  const std::array<size_t, 256> conteggio = censimento_codici(celle);
  for (size_t codice = 0; codice < conteggio.size(); ++codice)
    if (conteggio[codice] > 0) f.censimento.push_back({codice, conteggio[codice]});
  for (size_t i = 0; i < celle.size(); ++i)
    if (celle[i].codice == codice_cella::cartello) f.cartelli.push_back({i, celle[i].valore_1});
  if (scelte) {
    celle_scelte s{*scelte, {}};
    for (Long i = scelte->da; i <= std::min(scelte->a, m.ultima_cella); ++i)
      s.celle.push_back({static_cast<size_t>(i), celle[static_cast<size_t>(i)]});
    f.scelte = std::move(s);
  }
  return f;
}

fatti_linea fatti_della_linea(const std::string& nome, std::uint64_t byte, const modello& m) {
  return {nome, byte, esamina_tracciato(m.tracciato)};
}

fatti_file esamina_file(const std::string& nome, const std::optional<intervallo_celle>& scelte) {
  if (e_cartella(nome)) return file_illeggibile{nome, nome + ": è una cartella, non un file"};
  const std::optional<tipo_compilato> tipo = tipo_dal_nome(nome);
  if (!tipo)
    return file_illeggibile{
        nome, fmt::format("{}: dal nome non si sa che file compilato sia: i nomi sono P_linea.dat "
                          "(la linea), P_T.sim (il treno) e P_T.dat (le celle)",
                          nome)};
  auto m = std::make_unique<modello>();
  Stato stato = leggi_compilato(nome, *tipo, *m);
  if (!stato.riuscito()) return file_illeggibile{nome, stato.messaggio()};
  std::uint64_t byte = 0;
  stato = dimensione_file(nome, byte);
  if (!stato.riuscito()) return file_illeggibile{nome, stato.messaggio()};
  switch (*tipo) {
    case tipo_compilato::treno:
      return fatti_del_treno(nome, byte, *m);
    case tipo_compilato::celle:
      return fatti_delle_celle(nome, byte, *m, scelte);
    case tipo_compilato::linea:
      break;
  }
  return fatti_della_linea(nome, byte, *m);
}

bool concorda_col_nome(const fatti_file& f) {
  if (const fatti_treno* t = std::get_if<fatti_treno>(&f))
    return t->chiavi_concordano() && t->codice_gara_st.corrisponde();
  if (const fatti_celle* c = std::get_if<fatti_celle>(&f)) return c->codice_gara_og.corrisponde();
  return true;
}

}  // namespace scen
