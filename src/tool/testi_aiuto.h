// The texts of `scenario --help` and `scenario compila --help`.
#pragma once

#include <string_view>

namespace scen {

inline constexpr std::string_view aiuto_scenario =
    "scenario: strumenti per chi scrive scenari. Il comando compila trasforma i\n"
    "due file di descrizione di uno scenario (la linea e il treno) nei file\n"
    "compilati che il simulatore carica.\n";

inline constexpr std::string_view aiuto_compila =
    "compila le descrizioni di linea e treno nei file dello scenario";

// What `compila` does, what it prints and how it ends.
inline constexpr std::string_view aiuto_compila_piede =
    "scenario compila LINEA TRENO CARTELLA [--chiave-percorso K] [--chiave-treno K] "
    "[--senza-linea]\n"
    "Compila il file di descrizione della linea LINEA e quello del treno TRENO e\n"
    "scrive in CARTELLA, che deve esistere, i file compilati dello scenario.\n"
    "\n"
    "File scritti in CARTELLA (P = chiave del percorso, T = chiave del treno):\n"
    "  P_linea.dat   la linea compilata (il tracciato); non con --senza-linea,\n"
    "                che lascia com'è una linea compilata già presente\n"
    "  P_T.sim       il treno compilato (la tabella dei registri)\n"
    "  P_T.dat       le celle compilate\n"
    "Le chiavi sono \"Vela_Nuro\" e \"IC 731\" se non se ne danno altre; una chiave\n"
    "data si scrive in UTF-8, deve avere una forma in Windows-1252 e non può\n"
    "contenere \"/\" né \"\\\". Un file compilato viene sostituito solo quando il nuovo\n"
    "è completo.\n"
    "\n"
    "LINEA e TRENO non vengono toccati: la lettura avviene su copie in una cartella\n"
    "temporanea privata, eliminata alla fine.\n"
    "\n"
    "Uscita standard: l'ultima riga è sempre\n"
    "  esito errore_codice=N errore_posizione=P\n"
    "con l'esito della lettura e della compilazione (N = 0: nessun errore) e la\n"
    "posizione in metri che lo accompagna, tranne dopo gli errori 1250 e 1251.\n"
    "Se LINEA, TRENO o CARTELLA non si possono usare non si legge nulla e la riga\n"
    "riporta 0 e 0.\n"
    "\n"
    "Errore standard: se N non è 0, la riga \" Errore n. N\" (seguita da\n"
    "\" alla posizione P\" per gli esiti che hanno una posizione) e, se la lettura si\n"
    "è fermata in un file, la riga \"FILE:RIGA: causa\". Gli errori 1250 e 1251\n"
    "(una casella riservata già occupata dopo la lettura) si segnalano con\n"
    "\" Errore n. 1250\" o \" Errore n. 1251\" e nessun file compilato viene scritto.\n"
    "Un file che non si può leggere o scrivere si segnala con il suo nome e il\n"
    "motivo.\n"
    "\n"
    "Stato di uscita:\n"
    "  0  file compilati scritti, esito 0\n"
    "  1  file compilati scritti, esito diverso da 0\n"
    "  2  errore 1250 o 1251; un file che non si può leggere o scrivere; un\n"
    "     modello che non si può scrivere (nessuna linea letta, o un testo oltre\n"
    "     65.535 byte: nessun file compilato scritto); uso non valido\n";

inline constexpr std::string_view aiuto_scenario_piede = aiuto_compila_piede;

}  // namespace scen
