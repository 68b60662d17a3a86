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
  Stato stato = leggi_descrizione(nome, contenuto);
  if (!stato.riuscito()) guasto_file(stato.messaggio());
  return campi(std::move(contenuto));
}

void elimina(const std::string& nome) {
  Stato stato = elimina_file(nome);
  if (!stato.riuscito()) guasto_file(stato.messaggio());
}

}  // namespace

Stato leggi_descrizione(const std::string& nome, std::string& byte) {
  return leggi_file(nome, byte, byte_massimi_descrizione);
}

diagnosi_lettura memorizza_dati(modello& m, const file_descrizione& file) {
  diagnosi_lettura diagnosi;
  posizione_lettura posizione;
  try {
    m.registri[indice_registro::generali_linea].nome = m.chiave_percorso;
    m.registri[indice_registro::generali_ripetizione].nome = m.chiave_treno;
    if (!esiste(file.linea)) {
      m.errore_codice = esito::file_linea_assente;
      segna_errore(diagnosi, file.linea, {},
                   std::string(descrizione_esito(esito::file_linea_assente)));
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

    posizione = {};
    posizione.file = file.treno;
    if (!esiste(file.treno)) guasto_file("file di descrizione del treno assente");
    {
      campi campi_treno = apri(file.treno);
      leggi_treno(m, campi_treno, linea, posizione, diagnosi);
    }
    elimina(file.treno);
  } catch (const guasto_lettura& g) {
    // Reading has already failed, and its cause is what the diagnosis must
    // carry: a description file that cannot be deleted as well just stays
    // where it is.
    static_cast<void>(elimina_file(file.linea));
    static_cast<void>(elimina_file(file.treno));
    m.errore_codice = esito::errore_di_lettura;
    diagnosi_del_guasto(diagnosi, g, posizione);
  }
  return diagnosi;
}

diagnosi_lettura leggi_descrizioni(modello& m, std::string linea, std::string treno,
                                   const file_descrizione& nomi) {
  diagnosi_lettura diagnosi;
  posizione_lettura posizione;
  m.registri[indice_registro::generali_linea].nome = m.chiave_percorso;
  m.registri[indice_registro::generali_ripetizione].nome = m.chiave_treno;
  try {
    posizione.file = nomi.linea;
    campi campi_linea(std::move(linea));
    const esito_linea della_linea = leggi_linea(m, campi_linea, posizione, diagnosi);
    if (!della_linea.prosegui) return diagnosi;
    posizione = {};
    posizione.file = nomi.treno;
    campi campi_treno(std::move(treno));
    leggi_treno(m, campi_treno, della_linea, posizione, diagnosi);
  } catch (const guasto_lettura& g) {
    m.errore_codice = esito::errore_di_lettura;
    diagnosi_del_guasto(diagnosi, g, posizione);
  }
  return diagnosi;
}

}  // namespace scen
