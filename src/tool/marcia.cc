#include "tool/marcia.h"

#include <fmt/format.h>

#include <array>
#include <ostream>
#include <sstream>

#include "check/verifica_letture.h"
#include "documents/segni_chilometrici.h"
#include "marcia/marcia_modello.h"
#include "marcia/rotabile_scelto.h"
#include "marcia/tabella_marcia.h"
#include "platform/file.h"
#include "platform/stati_uscita.h"
#include "platform/visibile.h"
#include "read/costruttori_linea.h"
#include "tool/descrizioni_date.h"
#include "tool/disegna.h"
#include "tool/verifica.h"

namespace scen {

namespace {

bool finisce_con(const std::string& testo, std::string_view coda) {
  return testo.size() >= coda.size() &&
         testo.compare(testo.size() - coda.size(), coda.size(), coda) == 0;
}

}  // namespace

bool leggi_margine(const std::string& testo, double& margine) {
  std::string t = testo;
  if (!t.empty() && t.back() == '%') t.pop_back();
  if (t.empty()) return false;
  for (char& c : t)
    if (c == ',') c = '.';
  size_t letti = 0;
  double v = 0;
  for (char c : t)
    if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.')) return false;
  try {
    v = std::stod(t, &letti);
  } catch (const std::exception&) {
    return false;
  }
  if (letti != t.size() || !(v >= 0 && v <= 100)) return false;
  margine = v;
  return true;
}

Stato richiesta_marcia_valida(const richiesta_marcia& r) {
  if (r.json && r.csv) return Stato::errore("marcia: --json e --csv non vanno insieme");
  double m = 0;
  if (!r.margine.empty() && !leggi_margine(r.margine, m))
    return Stato::errore(fmt::format(
        "marcia: il margine \"{}\" deve essere una percentuale da 0 a 100, come 5%", r.margine));
  if (!r.uscita.empty() && !finisce_con(r.uscita, ".svg") && !finisce_con(r.uscita, ".html"))
    return Stato::errore(
        fmt::format("marcia: il disegno \"{}\" deve finire in .svg o .html", r.uscita));
  return Stato::ok();
}

int marcia(const richiesta_marcia& richiesta, std::ostream& uscita, std::ostream& errori) {
  const nomi_verificati nomi = {richiesta.linea, richiesta.treno};
  auto fallito = [&](const std::string& messaggio) {
    errori << visibile(messaggio) << '\n' << std::flush;
    return uscita_fallita;
  };
  double margine = margine_normale;
  if (!richiesta.margine.empty()) leggi_margine(richiesta.margine, margine);

  std::array<std::string, 2> testi;
  if (Stato stato = leggi_descrizioni_date(nomi, richiesta.utf8, testi); !stato.riuscito())
    return fallito(stato.messaggio());
  rotabile_scelto scelto;
  if (Stato stato = scegli_rotabile(richiesta.rotabile, richiesta.treno, scelto); !stato.riuscito())
    return fallito(stato.messaggio());

  elenco_problemi problemi;
  std::array<std::string, 2> copie = testi;
  lettura_verificata lettura =
      leggi_e_ripeti(copie[0], copie[1], nomi, errori_massimi_verifica, problemi);
  if (problemi.errori() > 0 || !lettura.letto) {
    for (const problema& p : problemi.ordinati())
      if (p.livello == gravita::errore)
        for (const std::string& riga : righe_problema(p, nomi)) errori << riga << '\n';
    if (!lettura.interruzione.empty()) errori << visibile(lettura.interruzione) << '\n';
    errori << "marcia: le descrizioni non si leggono senza errori (scenario verifica elenca "
              "tutti i problemi)\n"
           << std::flush;
    return uscita_esito;
  }
  const modello& m = *lettura.letto;
  const descrizione_vista vista_linea = vedi_linea(testi[0]);
  const descrizione_vista vista_treno = vedi_treno(testi[1]);
  const marcia_modello corsa_fatta = marcia_del_modello(m, &vista_linea, scelto.se_dato(), margine);
  // The file beside the description is said where it does not spoil a
  // document: on the text, else on the error stream.
  if (const std::string detto = riga_rotabile_accanto(scelto); !detto.empty())
    (richiesta.json || richiesta.csv ? errori : uscita) << detto << '\n';

  // The picture, also of a run that stopped on the way: up to there.
  auto disegno = [&]() {
    if (richiesta.uscita.empty()) return uscita_riuscita;
    richiesta_disegna r;
    r.ingressi = {richiesta.linea, richiesta.treno};
    r.uscita = richiesta.uscita;
    r.utf8 = richiesta.utf8;
    r.treno = &corsa_fatta.treno;
    r.margine = margine;
    std::ostringstream detto;
    if (const int stato = disegna(r, detto, errori); stato != uscita_riuscita) return stato;
    // The standard output holds the run; the picture written is told apart.
    errori << "marcia: disegno " << detto.str() << std::flush;
    return uscita_riuscita;
  };
  if (!corsa_fatta.riuscita()) {
    errori << "marcia: " << visibile(corsa_fatta.stato.messaggio()) << '\n' << std::flush;
    if (const int stato = disegno(); stato != uscita_riuscita) return stato;
    return uscita_esito;
  }

  // The kilometre marks as the line description writes them.
  std::vector<progressiva_km> progressive;
  for (int r : {indice_registro::progressiva_uno, indice_registro::progressiva_due,
                indice_registro::progressiva_tre}) {
    const registro& p = m.registri[static_cast<size_t>(r)];
    progressive.push_back({p.inizio, scostamento_scritto(p), p.progressiva == 1});
  }
  const segni_chilometrici segni(progressive);
  const std::vector<riga_marcia> righe =
      righe_marcia(corsa_fatta, vista_treno, [&](long p) { return km(segni.segno(p)); });
  if (richiesta.json)
    uscita << json_marcia(corsa_fatta, righe);
  else if (richiesta.csv)
    uscita << csv_marcia(righe);
  else
    uscita << testo_marcia(corsa_fatta, righe);
  uscita.flush();
  return disegno();
}

}  // namespace scen
