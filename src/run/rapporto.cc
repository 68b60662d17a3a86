#include "run/rapporto.h"

namespace scen {

namespace {

// The outcome of reading and compiling, and where reading stopped.
void esito_e_diagnosi(const risultato_build& r, rapporto_build& out) {
  if (r.errore_codice != esito::nessuno)
    out.errore = testo_esito(r.errore_codice, r.errore_posizione);
  for (std::string& riga : righe_diagnosi(r.percorso.diagnosi))
    out.righe.push_back(std::move(riga));
}

}  // namespace

rapporto_build rapporto(const risultato_build& r) {
  rapporto_build out;
  out.stato = 1;
  switch (r.percorso.esito) {
    case esito_percorso::errore_1250:
      out.errore = "1250";
      out.termina = true;
      return out;
    case esito_percorso::errore_1251:
      out.errore = "1251";
      out.termina = true;
      return out;
    case esito_percorso::guasto_file:
      out.righe.push_back(r.percorso.messaggio);
      return out;
    case esito_percorso::non_scrivibile:
      esito_e_diagnosi(r, out);
      out.righe.push_back("nessun file compilato scritto: " + r.percorso.messaggio);
      return out;
    case esito_percorso::scritti:
      break;
  }
  esito_e_diagnosi(r, out);
  if (r.errore_codice == esito::nessuno) out.stato = 0;
  return out;
}

}  // namespace scen
