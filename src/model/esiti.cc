#include "model/esiti.h"

#include <fmt/format.h>

#include <ostream>

namespace scen {

namespace {

struct voce {
  esito quale;
  bool con_posizione;
  std::string_view descrizione;
};

// Every outcome once. The numbers 14 and 23 are no outcome: no check of
// reading or compiling sets them, and the numbering keeps its gaps so that
// each number keeps the one meaning that authors and the simulator know.
constexpr voce voci[] = {
    {esito::lunghezza_eccessiva, false, "lunghezza della linea oltre 1.000.000 m"},
    {esito::progressiva_non_multipla, false,
     "inizio o scostamento di una progressiva chilometrica non multiplo di 50"},
    {esito::ripetizione_inizio_non_multiplo, false,
     "inizio della ripetizione segnali non multiplo di 50"},
    {esito::ripetizione_fine_non_multipla, false,
     "fine della ripetizione segnali non multipla di 50"},
    {esito::ripetizione_senza_codici, false,
     "ripetizione segnali senza \"4\" n\xc3\xa9 \"9\" codici"},
    {esito::cartello_su_cella_occupata, true, "cartello indicatore su una cella occupata"},
    {esito::abbattimento_su_cella_occupata, true, "abbattimento su una cella occupata"},
    {esito::stazione_non_multipla, true, "posizione della stazione non multipla di 50"},
    {esito::estensione_non_multipla, true, "estensione della stazione non multipla di 100"},
    {esito::stazioni_troppe, false, "le stazioni raggiungono i registri dei cartelli"},
    {esito::riduzione_prima_di_segnale, true,
     "nessuna cella per l'abbattimento prima di un segnale che precede un avviso"},
    {esito::riduzione_prima_di_inizio, true,
     "nessuna cella per l'abbattimento prima dell'inizio di un rallentamento"},
    {esito::riduzione_nel_rallentamento, true,
     "nessuna cella per l'abbattimento nel rallentamento o dopo di esso"},
    {esito::fuori_dalle_celle, true, "posizione oltre le celle della linea"},
    {esito::segnale_su_cella_occupata, true, "segnale su una cella occupata"},
    {esito::avviso_su_cella_occupata, true,
     "punto di avviso del rallentamento su una cella occupata"},
    {esito::inizio_su_cella_occupata, true, "inizio del rallentamento su una cella occupata"},
    {esito::fine_su_cella_occupata, true, "fine del rallentamento su una cella occupata"},
    {esito::avvicinamento_su_cella_occupata, true,
     "cella di avvicinamento del rallentamento occupata"},
    {esito::indicatore_su_cella_occupata, true,
     "indicatore di velocit\xc3\xa0 su una cella occupata"},
    {esito::stazioni_troppo_vicine, true, "stazione a meno di 350 m dalla precedente"},
    {esito::fermata_su_cella_iniziale, false, "il segno di fermata cadrebbe sulla cella 0 o 1"},
    {esito::errore_di_lettura, false, "errore durante la lettura"},
    {esito::file_linea_assente, false, "file di descrizione della linea assente"},
    {esito::generale_assente, false,
     "nessun campo \"[generale]\" nel file di descrizione della linea"},
    {esito::curva_non_valida, false, "curva senza classe, o tracciato oltre il metro 1.000.000"},
};

const voce* cerca(esito e) {
  for (const voce& v : voci)
    if (v.quale == e) return &v;
  return nullptr;
}

}  // namespace

std::string_view descrizione_esito(esito e) {
  const voce* v = cerca(e);
  return v ? v->descrizione : std::string_view();
}

bool esito_con_posizione(esito e) {
  const voce* v = cerca(e);
  return v && v->con_posizione;
}

std::ostream& operator<<(std::ostream& out, esito e) { return out << numero_esito(e); }

std::string testo_esito(esito e, Long posizione) {
  if (esito_con_posizione(e))
    return fmt::format("{} alla posizione {}", numero_esito(e), posizione);
  return fmt::format("{}", numero_esito(e));
}

}  // namespace scen
