// The texts of `scenario --help` and of each command's `--help`.
#pragma once

#include <string_view>

namespace scen {

inline constexpr std::string_view aiuto_scenario =
    "scenario: strumenti per chi scrive scenari. Il comando compila trasforma i\n"
    "due file di descrizione di uno scenario (la linea e il treno) nei file\n"
    "compilati che il simulatore carica; il comando descrivi scrive i file di\n"
    "descrizione e i documenti per il personale dello scenario portato, da cui\n"
    "partire; il comando verifica elenca in una volta tutti i problemi di una\n"
    "coppia di file di descrizione, senza scrivere nulla; il comando ispeziona\n"
    "dice che cosa contengono i file compilati.\n";

inline constexpr std::string_view aiuto_compila =
    "compila le descrizioni di linea e treno nei file dello scenario";

// What `compila` does, what it prints and how it ends.
inline constexpr std::string_view aiuto_compila_piede =
    "scenario compila LINEA TRENO CARTELLA [--chiave-percorso K] [--chiave-treno K] "
    "[--senza-linea] [--utf8]\n"
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
    "LINEA e TRENO si scrivono in Windows-1252 con le righe chiuse da CR LF. Con\n"
    "--utf8 si leggono invece in UTF-8, con le righe chiuse da LF, CR LF o CR (e un\n"
    "eventuale segno di ordine dei byte all'inizio), come li salva un editor\n"
    "comune: le copie lette sono in Windows-1252 con CR LF. Un carattere che non\n"
    "ha una forma in Windows-1252, o dei byte che non sono UTF-8, si segnalano\n"
    "come un file che non si può leggere, con il file, la riga e la colonna:\n"
    "  linea.txt:12:18: errore: il carattere «→» (U+2192) non ha una forma in\n"
    "  Windows-1252\n"
    "\n"
    "Uscita standard: quando la lettura c'è stata, l'ultima riga è\n"
    "  esito errore_codice=N errore_posizione=P\n"
    "con l'esito della lettura e della compilazione (N = 0: nessun errore) e la\n"
    "posizione in metri che lo accompagna, anche quando poi il modello non si può\n"
    "scrivere o un file compilato non si può scrivere; non c'è dopo gli errori\n"
    "1250 e 1251. Se LINEA, TRENO o CARTELLA non si possono usare, una chiave non\n"
    "è valida (vuota, con \"/\" o \"\\\", senza forma in Windows-1252) o la riga di\n"
    "comando non è valida, non si legge nulla e la riga esito non c'è.\n"
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

inline constexpr std::string_view aiuto_descrivi =
    "scrive i file di descrizione e i documenti dello scenario portato";

// What `descrivi` writes and how it ends.
inline constexpr std::string_view aiuto_descrivi_piede =
    "scenario descrivi CARTELLA [--utf8]\n"
    "Scrive in CARTELLA, che deve esistere, i file di descrizione della linea e del\n"
    "treno dello scenario portato e i tre documenti per il personale, con gli\n"
    "stessi nomi e gli stessi byte dei file che scrive il compilatore: un punto di\n"
    "partenza per un nuovo scenario.\n"
    "\n"
    "File scritti in CARTELLA:\n"
    "  Vela_Nuro_linea.txt                   la descrizione della linea\n"
    "  Vela_Nuro_IC 731-.txt                 la descrizione del treno\n"
    "  Vela_Nuro_IC 731_note.txt             le note\n"
    "  Vela_Nuro_IC 731_rallentamenti.txt    l'ordine dei rallentamenti\n"
    "  Vela_Nuro_IC 731_scheda_treno.txt     la scheda del treno\n"
    "I file già presenti con questi nomi vengono sostituiti.\n"
    "\n"
    "I file di descrizione sono in Windows-1252 con le righe chiuse da CR LF, come\n"
    "li legge scenario compila; con --utf8 sono in UTF-8 con le righe chiuse da LF,\n"
    "per un editor comune, e si compilano con scenario compila --utf8. I documenti\n"
    "sono sempre in Windows-1252 con CR LF.\n"
    "\n"
    "Stato di uscita:\n"
    "  0  file scritti\n"
    "  2  CARTELLA che non esiste o un file che non si può scrivere (con il suo\n"
    "     nome e il motivo); uso non valido\n";

inline constexpr std::string_view aiuto_verifica =
    "elenca tutti i problemi delle descrizioni di linea e treno, senza scrivere nulla";

// What `verifica` reports, in which form, and how it ends.
inline constexpr std::string_view aiuto_verifica_piede =
    "scenario verifica LINEA TRENO [--utf8] [--json] [--rigoroso]\n"
    "Legge il file di descrizione della linea LINEA e quello del treno TRENO e ne\n"
    "elenca tutti i problemi in una volta. Non scrive nessun file: solo l'uscita\n"
    "standard e, per un file che non si può leggere, l'errore standard.\n"
    "\n"
    "Ogni problema sta su una riga:\n"
    "  FILE:RIGA:COLONNA: errore: causa\n"
    "  FILE:RIGA:COLONNA: avviso: causa\n"
    "FILE è il file come lo si è dato, RIGA e COLONNA (contate da 1, la colonna in\n"
    "byte) il punto del campo sbagliato; la causa nomina il campo, dice che cosa vi\n"
    "si è trovato e che cosa ci si attendeva. I testi presi dal file sono tra\n"
    "virgolette, tagliati dopo 40 caratteri, con i caratteri di controllo scritti\n"
    "come \\t o \\x01. Le righe sono in ordine di file (prima LINEA), riga e\n"
    "colonna; dopo un errore, una riga \"FILE:RIGA:COLONNA: nota: ...\" indica un\n"
    "secondo punto che lo spiega. L'ultima riga conta i problemi:\n"
    "  N errori, M avvisi\n"
    "\n"
    "Errori: quello che ferma la lettura o la compilazione, cioè ogni esito della\n"
    "lettura (con il suo numero: \"(esito 15)\"), ogni errore di lettura\n"
    "(esito 25), gli esiti 11, 12 e 13 della riduzione dei codici, per ogni\n"
    "rallentamento, e gli errori 1250 e 1251 della cella riservata. Dopo un errore\n"
    "di lettura la riga del record sbagliato viene messa da parte, come se fosse\n"
    "vuota, e la lettura riparte da capo: una verifica trova così gli errori che\n"
    "non dipendono l'uno dall'altro.\n"
    "La descrizione del treno si legge quando quella della linea non ha più errori.\n"
    "Dopo 50 errori la verifica si ferma, e lo dice in una riga prima dell'ultima;\n"
    "si ferma anche dopo un errore oltre il quale non si può leggere (manca\n"
    "[generale] o la lunghezza della linea, o una lunghezza oltre 1.000.000 m).\n"
    "\n"
    "Avvisi: quello che la lettura accetta senza dire nulla ma è quasi sempre uno\n"
    "sbaglio. Tra gli altri: una parola chiave che non è di nessun record (con la\n"
    "più vicina: \"forse curvad4?\"), campi in più dopo l'ultimo di un record (la\n"
    "virgola decimale di \"-4,5\"), posizioni oltre la lunghezza della linea,\n"
    "record fuori ordine o due nello stesso punto, valori che la lettura tronca o\n"
    "non registra, campi fuori dai valori ammessi, testi che sembrano scritti in\n"
    "UTF-8, un treno senza [generale] o senza record. Gli avvisi si elencano tutti.\n"
    "\n"
    "Con --utf8 LINEA e TRENO sono in UTF-8, con le righe chiuse da LF, CR LF o CR,\n"
    "e si convertono come fa scenario compila --utf8: un carattere che non ha una\n"
    "forma in Windows-1252 è un errore, con il suo punto, e la verifica esce con lo\n"
    "stato 2. Con --json gli stessi problemi sono un solo documento JSON\n"
    "sull'uscita standard:\n"
    "  {\"problemi\": [{\"file\", \"riga\", \"colonna\", \"gravita\", \"causa\"}, ...],\n"
    "   \"errori\": N, \"avvisi\": M, \"interrotta\": false}\n"
    "con \"gravita\" \"errore\" o \"avviso\", \"note\" dopo la causa di un errore che\n"
    "ne ha, e \"motivo_interruzione\" quando \"interrotta\" è true. Con --rigoroso\n"
    "anche gli avvisi fanno fallire la verifica.\n"
    "\n"
    "Stato di uscita:\n"
    "  0  nessun errore (gli avvisi non contano, senza --rigoroso)\n"
    "  1  errori, o avvisi con --rigoroso\n"
    "  2  un file che non si può leggere (con il suo nome e il motivo) o, con\n"
    "     --utf8, convertire; uso non valido\n";

inline constexpr std::string_view aiuto_ispeziona =
    "dice che cosa contengono i file compilati di uno scenario";

// What `ispeziona` shows, of which files, and how it ends.
inline constexpr std::string_view aiuto_ispeziona_piede =
    "scenario ispeziona FILE... [--json] [--celle DA-A]\n"
    "Legge i file compilati FILE e dice che cosa contengono. Non scrive nessun\n"
    "file. Il tipo di ogni file si riconosce dal nome (P = chiave del percorso,\n"
    "T = chiave del treno):\n"
    "  P_linea.dat   la linea compilata: quanti metri del tracciato sono pieni e\n"
    "                il primo vuoto, la lunghezza in linea retta e lungo la\n"
    "                linea, il riquadro che la contiene\n"
    "  P_T.sim       il treno compilato: la lunghezza della linea, le tre\n"
    "                progressive chilometriche, gli sfondi, la ripetizione dei\n"
    "                segnali, l'orologio, la sabbia, le vetture, la massa\n"
    "                frenata, il segno riservato e il codice di gara, le stazioni\n"
    "                con estensione, fermata e orario, i cartelli con il testo\n"
    "  P_T.dat       le celle compilate: quante sono, quante per ogni codice,\n"
    "                il segno riservato e il codice di gara\n"
    "Il codice di gara si confronta con quello delle chiavi del nome del file;\n"
    "del treno si dice anche se le chiavi nei registri 85 e 86 sono quelle del\n"
    "nome. I testi sono mostrati in UTF-8.\n"
    "\n"
    "Prima di dirne qualcosa, di ogni file si controllano la dimensione e la\n"
    "struttura: un file che non esiste, una cartella, un file vuoto, troncato o\n"
    "che non è un file compilato del suo tipo si segnala sull'errore standard con\n"
    "il suo nome e che cosa non va, e gli altri file si mostrano lo stesso:\n"
    "  uscita/x.sim: il file finisce dentro il registro 86, dopo 3851 byte: è\n"
    "  troncato o non è un treno compilato\n"
    "\n"
    "Con --celle DA-A (o --celle N, la sola cella N) si mostrano anche, campo per\n"
    "campo, le celle da DA ad A di ogni file di celle, ciascuna con i metri da cui\n"
    "comincia (50 per il suo numero). Con --json tutto è un solo documento JSON\n"
    "sull'uscita standard:\n"
    "  {\"file\": [{\"file\", \"tipo\", \"byte\", ...}, ...], \"errori\": N}\n"
    "con \"tipo\" \"linea\", \"treno\" o \"celle\", e per un file che non si\n"
    "legge {\"file\", \"errore\"}.\n"
    "\n"
    "Stato di uscita:\n"
    "  0  ogni file letto, con il codice di gara delle chiavi del suo nome\n"
    "  1  ogni file letto, ma un codice di gara (o le chiavi nei registri del\n"
    "     treno) non è quello delle chiavi del nome\n"
    "  2  un file che non si legge come file compilato (con il suo nome e il\n"
    "     motivo); uso non valido\n";

inline constexpr std::string_view aiuto_scenario_piede = aiuto_compila_piede;

}  // namespace scen
