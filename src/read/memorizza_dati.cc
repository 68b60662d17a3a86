#include "read/memorizza_dati.h"

#include <fmt/format.h>

#include "model/esiti.h"
#include "platform/file.h"
#include "read/campi.h"
#include "read/guasto.h"
#include "read/lettore_linea.h"
#include "read/lettore_treno.h"
#include "read/lettura.h"

namespace scen {

namespace {

// The whole file, as a stream of fields.
campi apri(const std::string& nome) {
  std::string contenuto;
  Stato stato = leggi_file(nome, contenuto);
  if (!stato.riuscito()) guasto(stato.messaggio());
  return campi(std::move(contenuto));
}

void elimina(const std::string& nome) {
  Stato stato = elimina_file(nome);
  if (!stato.riuscito()) guasto(stato.messaggio());
}

}  // namespace

std::string testo_diagnosi(const diagnosi_lettura& d, std::string_view file) {
  return fmt::format("{}:{}: {}", file, d.riga, d.causa);
}

diagnosi_lettura memorizza_dati(modello& m, const file_descrizione& file) {
  diagnosi_lettura diagnosi;
  posizione_lettura posizione;
  try {
    m.registri[indice_registro::generali_linea].nome = m.chiave_percorso;
    m.registri[indice_registro::generali_ripetizione].nome = m.chiave_treno;
    if (!esiste(file.linea)) {
      m.errore_codice = esito::file_linea_assente;
      diagnosi = {file.linea, 0, std::string(descrizione_esito(esito::file_linea_assente))};
      return diagnosi;
    }
    posizione.file = file.linea;
    esito_linea linea;
    {
      campi campi_linea = apri(file.linea);
      linea = leggi_linea(m, campi_linea, posizione, diagnosi);
    }
    elimina(file.linea);
    if (!linea.prosegui) return diagnosi;

    posizione = {file.treno, 0};
    if (!esiste(file.treno)) guasto("file di descrizione del treno assente");
    {
      campi campi_treno = apri(file.treno);
      leggi_treno(m, campi_treno, linea.limite_cartelli, posizione, diagnosi, file.linea);
    }
    elimina(file.treno);
  } catch (const guasto_lettura& g) {
    // Reading has already failed, and its cause is what the diagnosis must
    // carry: a description file that cannot be deleted as well just stays
    // where it is.
    static_cast<void>(elimina_file(file.linea));
    static_cast<void>(elimina_file(file.treno));
    m.errore_codice = esito::errore_di_lettura;
    diagnosi = {posizione.file, g.riga != 0 ? g.riga : posizione.riga, g.causa};
  }
  return diagnosi;
}

}  // namespace scen
