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
  if (!stato.riuscito()) guasto_file(stato.messaggio());
  return campi(std::move(contenuto));
}

void elimina(const std::string& nome) {
  Stato stato = elimina_file(nome);
  if (!stato.riuscito()) guasto_file(stato.messaggio());
}

// Where in the file being read a failure lies.
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

// A read failure as the diagnosis tells it. Without a line length the two
// files may have been swapped: a general record of a train description in
// the line's general section says so.
void diagnosi_del_guasto(diagnosi_lettura& d, const guasto_lettura& g, const posizione_lettura& p) {
  segna_errore(d, p.file, luogo_del_guasto(g, p), g.causa);
  if (g.dove == guasto_lettura::luogo::lunghezza && p.del_treno.riga != 0)
    aggiungi_nota(d, gravita::nota, p.file, p.del_treno,
                  fmt::format("{} è un record della descrizione del treno: i due file di "
                              "descrizione sono forse scambiati?",
                              cita(p.testo_del_treno)));
}

}  // namespace

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

}  // namespace scen
