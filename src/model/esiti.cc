#include "model/esiti.h"

namespace scen {

namespace {

struct Voce {
  Long numero;
  bool con_posizione;
  std::string_view descrizione;
};

constexpr Voce voci[] = {
    {1, false, "lunghezza della linea oltre 1.000.000 m"},
    {2, false, "inizio o scostamento di una progressiva chilometrica non multiplo di 50"},
    {3, false, "inizio della ripetizione segnali non multiplo di 50"},
    {4, false, "fine della ripetizione segnali non multipla di 50"},
    {5, false, "ripetizione segnali senza \"4\" n\xc3\xa9 \"9\" codici"},
    {6, true, "cartello indicatore su una cella occupata"},
    {7, true, "abbattimento su una cella occupata"},
    {8, true, "posizione della stazione non multipla di 50"},
    {9, true, "estensione della stazione non multipla di 100"},
    {10, false, "le stazioni raggiungono i registri dei cartelli"},
    {11, true, "nessuna cella per l'abbattimento prima di un segnale che precede un avviso"},
    {12, true, "nessuna cella per l'abbattimento prima dell'inizio di un rallentamento"},
    {13, true, "nessuna cella per l'abbattimento nel rallentamento o dopo di esso"},
    {15, true, "posizione oltre le celle della linea"},
    {16, true, "segnale su una cella occupata"},
    {17, true, "punto di avviso del rallentamento su una cella occupata"},
    {18, true, "inizio del rallentamento su una cella occupata"},
    {19, true, "fine del rallentamento su una cella occupata"},
    {20, true, "cella di avvicinamento del rallentamento occupata"},
    {21, true, "indicatore di velocit\xc3\xa0 su una cella occupata"},
    {22, true, "stazione a meno di 350 m dalla precedente"},
    {24, false, "il segno di fermata cadrebbe sulla cella 0 o 1"},
    {25, false, "errore durante la lettura"},
    {101, false, "file di descrizione della linea assente"},
    {102, false, "nessun campo \"[generale]\" nel file di descrizione della linea"},
    {103, false, "curva senza classe, o tracciato oltre il metro 1.000.000"},
};

const Voce* cerca(Long numero) {
  for (const Voce& voce : voci)
    if (voce.numero == numero) return &voce;
  return nullptr;
}

}  // namespace

std::string_view descrizione_esito(Long numero) {
  const Voce* voce = cerca(numero);
  return voce ? voce->descrizione : std::string_view();
}

bool esito_con_posizione(Long numero) {
  const Voce* voce = cerca(numero);
  return voce && voce->con_posizione;
}

}  // namespace scen
