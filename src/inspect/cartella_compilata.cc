#include "inspect/cartella_compilata.h"

#include <fmt/format.h>

#include <vector>

#include "inspect/lettura_compilati.h"
#include "model/nomi_file.h"
#include "platform/file.h"
#include "platform/windows1252.h"
#include "read/accesso.h"

namespace scen {

namespace {

// The keys from the folder's only train file.
Stato chiavi_dal_treno(const std::string& cartella, modello& m) {
  std::vector<std::string> nomi;
  Stato stato = elenca_cartella(cartella, nomi);
  if (!stato.riuscito()) return stato;
  std::vector<std::string> treni;
  for (const std::string& nome : nomi)
    if (tipo_dal_nome(nome) == tipo_compilato::treno) treni.push_back(nome);
  if (treni.empty())
    return Stato::errore(fmt::format("{}: nessun treno compilato (un file .sim)", cartella));
  if (treni.size() > 1) {
    std::string elenco;
    for (const std::string& t : treni) elenco += (elenco.empty() ? "\"" : ", \"") + t + "\"";
    return Stato::errore(fmt::format("{}: più di un treno compilato ({}): non si sa quale leggere",
                                     cartella, elenco));
  }
  modello letto;
  const std::string percorso = cartella + "/" + treni[0];
  stato = leggi_compilato(percorso, tipo_compilato::treno, letto);
  if (!stato.riuscito()) return stato;
  if (da_1252_a_utf8(nome_treno_compilato(letto)) != treni[0])
    return Stato::errore(fmt::format(
        "{}: il treno compilato porta le chiavi \"{}\" (percorso) e \"{}\" (treno), che non "
        "fanno il suo nome",
        percorso, da_1252_a_utf8(letto.chiave_percorso), da_1252_a_utf8(letto.chiave_treno)));
  m.chiave_percorso = letto.chiave_percorso;
  m.chiave_treno = letto.chiave_treno;
  return Stato::ok();
}

}  // namespace

Stato leggi_cartella_compilata(const std::string& cartella, modello& m) {
  if (!e_cartella(cartella))
    return Stato::errore(fmt::format(
        "{}: {}", cartella, esiste(cartella) ? "non è una cartella" : "la cartella non esiste"));
  if (m.chiave_percorso.empty() || m.chiave_treno.empty()) {
    Stato stato = chiavi_dal_treno(cartella, m);
    if (!stato.riuscito()) return stato;
  }
  const std::string chiave_percorso = m.chiave_percorso, chiave_treno = m.chiave_treno;
  const std::string treno = percorso_in(cartella, nome_treno_compilato(m));
  const std::string celle = percorso_in(cartella, nome_celle_compilate(m));
  const std::string linea = percorso_in(cartella, nome_linea_compilata(m));

  Stato stato = leggi_compilato(treno, tipo_compilato::treno, m);
  if (!stato.riuscito()) return stato;
  stato = leggi_compilato(celle, tipo_compilato::celle, m);
  if (!stato.riuscito()) return stato;
  const bool con_linea = esiste(linea);
  if (con_linea) {
    stato = leggi_compilato(linea, tipo_compilato::linea, m);
    if (!stato.riuscito()) return stato;
  }
  // The keys stay those of the names.
  m.chiave_percorso = chiave_percorso;
  m.chiave_treno = chiave_treno;

  const Long lunghezza = m.registri[indice_registro::generali_treno].fine;
  if (lunghezza < -metri_oltre_la_linea || lunghezza > metri_estesi_massimi - metri_oltre_la_linea)
    return Stato::errore(
        fmt::format("{}: la lunghezza della linea (registro 84) vale {} m, fuori da {} a "
                    "1.000.000 m",
                    treno, lunghezza, -metri_oltre_la_linea));
  const Long estesa = lunghezza + metri_oltre_la_linea;
  const auto ultima = static_cast<Long>(cella_di(estesa));
  if (m.ultima_cella != ultima)
    return Stato::errore(
        fmt::format("{}: {} celle, ma la linea di {} m del treno compilato ne ha {}: i due file "
                    "non vengono dalla stessa compilazione",
                    celle, m.celle.size(), lunghezza, ultima + 1));
  if (con_linea && m.lunghezza_estesa != estesa)
    return Stato::errore(
        fmt::format("{}: il tracciato arriva al metro {}, ma la linea di {} m del treno compilato "
                    "arriva al metro {}: i due file non vengono dalla stessa compilazione",
                    linea, m.lunghezza_estesa, lunghezza, estesa));
  if (!con_linea)
    for (auto& componente : m.tracciato) componente.clear();
  m.con_tracciato = con_linea ? 1 : 0;
  m.lunghezza_estesa = estesa;
  m.ultima_cella = ultima;
  return Stato::ok();
}

}  // namespace scen
