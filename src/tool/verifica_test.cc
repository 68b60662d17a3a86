// `scenario verifica`: the warnings, the
// errors gathered over repeated readings, the report; and the program as its
// users run it.
#include "tool/verifica.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "check/controlli_avvisi.h"
#include "check/verifica_letture.h"
#include "check/verifica_problemi.h"
#include "content/dati_incorporati.h"
#include "read/vista.h"
#include "testing/cartella_temporanea.h"
#include "testing/descrizioni_prova.h"
#include "testing/processo.h"
#include "testing/riga_comando.h"
#include "tool/testi_aiuto.h"

namespace scen {
namespace {

using prova::righe;

// A 10 km line and a train over it in which nothing is wrong.
const std::string linea_pulita = righe({
    "[generale]",                                                    // 1
    "lunghezza percorso,    10000",                                  // 2
    "progressiva chilometrica uno,    0,    0,    0",                // 3
    "progressiva chilometrica due,    5000,    0,    0",             // 4
    "progressiva chilometrica tre,    8000,    0,    0",             // 5
    "sfondo uno,    1",                                              // 6
    "sfondo due,    0",                                              // 7
    "sfondo tre,    0",                                              // 8
    "ripetizione segnali 9 codici,    1000,    9000",                // 9
    "[curve]",                                                       // 10
    "curvas1,  1350,  150",                                          // 11
    "curvad3,  4000,  200",                                          // 12
    "[pendenze]",                                                    // 13
    "pendenza,  0,   2",                                             // 14
    "pendenza,  1250,   -4",                                         // 15
    "pendenza,  6000,   5",                                          // 16
    "[montagne]",                                                    // 17
    "montagna,   2000,  3000,  12",                                  // 18
    "[cartelli]",                                                    // 19
    "indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0",  // 20
    "[indicazioni]",                                                 // 21
    "cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)",           // 22
    "[fine]",                                                        // 23
});

const std::string treno_pulito = righe({
    "[generale]",                                                                    // 1
    "numero vetture,  10",                                                           // 2
    "percentuale massa frenata,  130",                                               // 3
    "sabbia,  220",                                                                  // 4
    "orologio,  13 4 30 ",                                                           // 5
    "[aderenze]",                                                                    // 6
    "aderenza,  0,  90",                                                             // 7
    "[vel_limite]",                                                                  // 8
    "velocita,  0,  100",                                                            // 9
    "velocita,  5000,  60",                                                          // 10
    "[stazioni]",                                                                    // 11
    "stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  13, 4,30, Vela",  // 12
    "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro",  // 13
    "[rallentamenti]",                                                               // 14
    "rallentamento,  4000,    60,  500, 0,  1,  60",                                 // 15
    "[segnali]",                                                                     // 16
    "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0",                           // 17
    "segnale,    2500,   2, 3, 1,  1, 0,    2,  2,1,1, 115",                         // 18
    "segnale,    4900,   2, 3, 0,  0, 0,    1,  1,0,0, 0",                           // 19
    "[codici]",                                                                      // 20
    "abbattimento,    6050,   270",                                                  // 21
    "[fine]",                                                                        // 22
});

// A change of a description: the line `vecchia` (whole, without its line
// end) becomes `nuova`, which may hold several lines joined by "\r\n", or
// none at all when empty.
struct modifica {
  std::string vecchia;
  std::string nuova;
};

std::string modificato(std::string testo, const std::vector<modifica>& modifiche) {
  for (const modifica& m : modifiche) {
    const std::string cercata = m.vecchia + "\r\n";
    const size_t dove = testo.find(cercata);
    if (dove == std::string::npos) {
      ADD_FAILURE() << "nessuna riga \"" << m.vecchia << "\"";
      continue;
    }
    testo.replace(dove, cercata.size(), m.nuova.empty() ? std::string() : m.nuova + "\r\n");
  }
  return testo;
}

struct esito_verifica {
  int stato = -1;
  std::string uscita;
  std::string errori;
};

// Runs the check on two descriptions written as linea.txt and treno.txt,
// the problem lines naming them so.
esito_verifica verifica_di(const std::string& linea, const std::string& treno,
                           richiesta_verifica richiesta = {}) {
  prova::CartellaTemporanea cartella;
  prova::scrivi(cartella.file("linea.txt"), linea);
  prova::scrivi(cartella.file("treno.txt"), treno);
  richiesta.linea = cartella.file("linea.txt");
  richiesta.treno = cartella.file("treno.txt");
  std::ostringstream uscita, errori;
  esito_verifica e;
  e.stato = verifica(richiesta, uscita, errori);
  e.uscita = uscita.str();
  e.errori = errori.str();
  const std::string cartella_nome = cartella.percorso() + "/";
  for (std::string* testo : {&e.uscita, &e.errori})
    for (size_t dove; (dove = testo->find(cartella_nome)) != std::string::npos;)
      testo->erase(dove, cartella_nome.size());
  EXPECT_EQ(prova::leggi(cartella.file("linea.txt")), linea);
  EXPECT_EQ(prova::leggi(cartella.file("treno.txt")), treno);
  EXPECT_EQ(cartella.elenco(), (std::vector<std::string>{"linea.txt", "treno.txt"}));
  return e;
}

// The lines of `testo` that report a problem or a note, the summary left out.
std::vector<std::string> problemi_di(const std::string& testo) {
  std::vector<std::string> r;
  std::istringstream in(testo);
  for (std::string riga; std::getline(in, riga);)
    if (riga.find(": errore: ") != std::string::npos ||
        riga.find(": avviso: ") != std::string::npos || riga.find(": nota: ") != std::string::npos)
      r.push_back(riga);
  return r;
}

TEST(Verifica, LaCoppiaDiProvaNonHaProblemi) {
  const esito_verifica e = verifica_di(linea_pulita, treno_pulito);
  EXPECT_EQ(e.stato, 0);
  EXPECT_EQ(e.uscita, "0 errori, 0 avvisi\n");
  EXPECT_EQ(e.errori, "");
}

// ---- Warnings: one change each, and the exact lines it gives ----

struct caso_avviso {
  const char* nome;
  std::vector<modifica> linea;
  std::vector<modifica> treno;
  std::vector<std::string> attese;
};

// Each case changes the clean pair as it says: the problems are exactly the
// warnings expected, and warnings alone leave the exit status 0.
template <size_t N>
void controlla_avvisi(const caso_avviso (&casi)[N]) {
  for (const caso_avviso& c : casi) {
    SCOPED_TRACE(c.nome);
    const esito_verifica e =
        verifica_di(modificato(linea_pulita, c.linea), modificato(treno_pulito, c.treno));
    EXPECT_EQ(problemi_di(e.uscita), c.attese);
    EXPECT_EQ(e.stato, 0);
  }
}

TEST(Verifica, AvvisiDellaLinea) {
  const caso_avviso casi[] = {
      {"parola chiave con due lettere scambiate",
       {{"curvad3,  4000,  200", "cruvad3,  4000,  200"}},
       {},
       {"linea.txt:12:1: avviso: parola chiave sconosciuta \"cruvad3\": la riga viene ignorata "
        "(forse curvad3?)"}},
      {"parola chiave lontana da tutte",
       {{"[fine]", "ponte,  300,  400\r\n[fine]"}},
       {},
       {"linea.txt:23:1: avviso: parola chiave sconosciuta \"ponte\": la riga viene ignorata"}},
      {"virgola decimale",
       {{"pendenza,  1250,   -4", "pendenza,  1250,   -4,5"}},
       {},
       {"linea.txt:15:20: avviso: pendenza: virgola decimale in \"-4,5\": la pendenza si legge -4 "
        "e \"5\" viene ignorato; i decimali non si possono scrivere"}},
      {"un campo in più",
       {{"pendenza,  6000,   5", "pendenza,  6000,   5,  7"}},
       {},
       {"linea.txt:16:24: avviso: pendenza: un campo in più dopo l'ultimo, \"7\", che viene "
        "ignorato (il record ha 2 valori)"}},
      {"più campi in più",
       {{"pendenza,  6000,   5", "pendenza,  6000,   5,  7,  8"}},
       {},
       {"linea.txt:16:24: avviso: pendenza: 2 campi in più dopo l'ultimo, da \"7\", che vengono "
        "ignorati (il record ha 2 valori)"}},
      {"una virgola sola in fondo non è un campo",
       {{"pendenza,  6000,   5", "pendenza,  6000,   5,"}},
       {},
       {}},
      {"un numero che continua dopo uno spazio",
       {{"pendenza,  6000,   5", "pendenza,  6000,   5 000"}},
       {},
       {"linea.txt:16:20: avviso: pendenza: la pendenza \"5 000\" ha uno spazio tra le cifre: si "
        "legge 5, e \"000\" passa al campo dopo; i numeri si scrivono senza separatori delle "
        "migliaia"}},
      {"oltre la lunghezza della linea",
       {{"pendenza,  6000,   5", "pendenza,  12000,   5"}},
       {},
       {"linea.txt:16:12: avviso: pendenza: la posizione 12000 è oltre la fine della linea, "
        "lunga 10000 m"}},
      {"pendenze fuori ordine",
       {{"pendenza,  1250,   -4", "pendenza,  7000,   -4"}},
       {},
       {"linea.txt:16:12: avviso: pendenza: la posizione 6000 viene prima di quella della riga "
        "15, 7000: le pendenze vanno in ordine crescente di posizione"}},
      {"due pendenze alla stessa posizione",
       {{"pendenza,  6000,   5", "pendenza,  1250,   5"}},
       {},
       {"linea.txt:16:12: avviso: pendenza: due record alla posizione 1250 (l'altro alla riga "
        "15): se ne scrive uno per posizione"}},
      {"due pendenze nella stessa cella",
       {{"pendenza,  6000,   5", "pendenza,  1260,   5"}},
       {},
       {"linea.txt:16:12: avviso: pendenza: la posizione 1260 cade nella stessa cella di 50 m di "
        "quella della riga 15, 1250: le celle tengono un valore ciascuna, e uno dei due non vale "
        "dove è scritto"}},
      {"una posizione negativa",
       {{"pendenza,  6000,   5", "pendenza,  -100,   5"}},
       {},
       {"linea.txt:16:12: avviso: pendenza: la posizione vale -100: le posizioni si contano in "
        "metri dall'origine della linea, da 0",
        "linea.txt:16:12: avviso: pendenza: la posizione -100 viene prima di quella della riga 15, "
        "1250: le pendenze vanno in ordine crescente di posizione"}},
      {"parola chiave generale in maiuscolo",
       {{"sfondo uno,    1", "Sfondo uno,    1"}},
       {},
       {"linea.txt:6:1: avviso: \"Sfondo uno\" non viene letto: nella sezione [generale] questa "
        "parola chiave va scritta in minuscolo (\"sfondo uno\")"}},
      {"record generale dopo la sezione generale",
       {{"curvad3,  4000,  200", "curvad3,  4000,  200\r\nsfondo due,    3"}},
       {},
       {"linea.txt:13:1: avviso: \"sfondo due\" fuori dalla sezione [generale], chiusa alla riga "
        "10 da \"[curve]\": la riga viene ignorata"}},
      {"pendenza nella sezione generale",
       {{"sfondo tre,    0", "sfondo tre,    0\r\npendenza,  0,   2"}},
       {},
       {"linea.txt:9:1: avviso: \"pendenza\" nella sezione [generale]: la riga viene ignorata; "
        "curve, pendenze, montagne, indicatori e cartelli vanno dopo la sezione [generale], "
        "chiusa da un titolo come \"[curve]\""}},
      {"riga che comincia con un numero",
       {{"pendenza,  6000,   5", "pendenza,  6000,   5\r\n300,  400"}},
       {},
       {"linea.txt:17:1: avviso: la riga comincia con il numero \"300\" invece che con una parola "
        "chiave: viene ignorata"}},
      {"segno di decrescenza fuori dai valori",
       {{"progressiva chilometrica tre,    8000,    0,    0",
         "progressiva chilometrica tre,    8000,    0,    2"}},
       {},
       {"linea.txt:5:49: avviso: progressiva chilometrica tre: il segno di decrescenza vale 2: si "
        "attende 0 o 1: solo 1 fa decrescere la progressiva"}},
      {"una progressiva mancante",
       {{"progressiva chilometrica tre,    8000,    0,    0", ""}},
       {},
       {"linea.txt:1:1: avviso: manca la progressiva chilometrica tre: vale 0, 0, 0; si scrivono "
        "tutte e tre"}},
      {"due progressive con l'inizio più avanti",
       {{"progressiva chilometrica tre,    8000,    0,    0",
         "progressiva chilometrica tre,    5000,    0,    0"}},
       {},
       {"linea.txt:5:34: avviso: due progressive hanno lo stesso inizio, 5000, il più avanti: "
        "tutte e tre vengono registrate come 0, 0, 0; si attendono tre inizi diversi"}},
      {"un record generale due volte",
       {{"sfondo tre,    0", "sfondo tre,    0\r\nsfondo uno,    2"}},
       {},
       {"linea.txt:9:1: avviso: sfondo uno è già alla riga 6: vale quest'ultimo"}},
      {"ripetizione con 4 e 9",
       {{"ripetizione segnali 9 codici,    1000,    9000",
         "ripetizione segnali 4 o 9 codici,    1000,    9000"}},
       {},
       {"linea.txt:9:1: avviso: ripetizione segnali: la parola chiave \"ripetizione segnali 4 o "
        "9 codici\" contiene sia \"4\" sia \"9\": vale 4 codici; si scrive \"ripetizione "
        "segnali 4 codici\" o \"ripetizione segnali 9 codici\""}},
      {"ripetizione che finisce prima di cominciare",
       {{"ripetizione segnali 9 codici,    1000,    9000",
         "ripetizione segnali 9 codici,    9000,    1000"}},
       {},
       {"linea.txt:9:43: avviso: ripetizione segnali: la fine 1000 viene prima dell'inizio 9000 "
        "(una fine 0 vuol dire nessuna ripetizione)"}},
      {"curva scritta per esteso",
       {{"curvad3,  4000,  200", "curva destra 3,  4000,  200"}},
       {},
       {"linea.txt:12:1: avviso: curva: la parola chiave \"curva destra 3\" si legge come curvas3 "
        "(a sinistra, classe 3): a sinistra se contiene una \"s\" in qualunque punto, e la "
        "classe è la più bassa delle cifre da 1 a 6 che contiene; si scrive curvas1…6 o "
        "curvad1…6"}},
      {"curva dentro la precedente",
       {{"curvad3,  4000,  200", "curvad3,  1400,  200"}},
       {},
       {"linea.txt:12:11: avviso: curva: l'inizio 1400 cade dentro la curva della riga 11, che "
        "arriva al metro 1500: il tracciato la disegna da lì, 100 m più corta"}},
      {"curva fuori ordine",
       {{"curvad3,  4000,  200", "curvad3,  1000,  200"}},
       {},
       {"linea.txt:12:11: avviso: curva: l'inizio 1000 viene prima di quello della curva della "
        "riga 11, 1350: le curve vanno in ordine crescente di inizio, e il tracciato non torna "
        "indietro"}},
      {"curva di lunghezza 0",
       {{"curvad3,  4000,  200", "curvad3,  4000,  0"}},
       {},
       {"linea.txt:12:18: avviso: curva: la lunghezza vale 0: la curva non viene tracciata"}},
      {"zona di montagna troppo vicina alla precedente",
       {{"montagna,   2000,  3000,  12",
         "montagna,   2000,  3000,  12\r\nmontagna,   3100,  4000,  2"}},
       {},
       {"linea.txt:19:13: avviso: montagna: la zona inizia 100 m dopo la fine della zona della "
        "riga 18, a 3000 m: a 150 m o meno dalla zona prima la lettura le dà il valore 3 invece "
        "di 2"}},
      {"valore della zona oltre gli 8 bit",
       {{"montagna,   2000,  3000,  12", "montagna,   2000,  3000,  300"}},
       {},
       {"linea.txt:18:27: avviso: montagna: il valore della zona 300 dà 290, di cui le celle "
        "tengono solo gli 8 bit bassi, 34; si attende da 0 a 255 (da 11 a 265 con i segnali di "
        "zona)"}},
      {"zona che non copre celle",
       {{"montagna,   2000,  3000,  12", "montagna,   2000,  2000,  12"}},
       {},
       {"linea.txt:18:20: avviso: montagna: la fine 2000 non supera di 50 m l'inizio 2000: la "
        "zona non copre nessuna cella"}},
      {"velocità dell'indicatore non a passi di 5",
       {{"indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0",
         "indicatori_vmax,  7300,  75,  80,  83,  0,  75,  80,  85,  0"}},
       {},
       {"linea.txt:20:36: avviso: indicatori_vmax: la terza velocità del primo gruppo vale 83: si "
        "scrivono velocità a passi di 5 km/h, perché le due velocità di una coppia si possano "
        "rileggere"}},
      {"codice dell'indicatore oltre una cifra",
       {{"indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0",
         "indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  12"}},
       {},
       {"linea.txt:20:60: avviso: indicatori_vmax: il codice del secondo gruppo vale 12: si "
        "attende una cifra da 0 a 9, perché i due codici si tengono come 10 × il primo + il "
        "secondo"}},
      {"testo del cartello senza parentesi",
       {{"cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)",
         "cartello_indicatore,  2950,   Km 3"}},
       {},
       {"linea.txt:22:31: avviso: cartello_indicatore: il testo \"Km 3\" non è fatto di una o "
        "due parti tra parentesi, una per riga del cartello, come \"(  Cippo  )(Km 28+000)\""}},
      {"virgola nel testo del cartello",
       {{"cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)",
         "cartello_indicatore,  2950,   (Km 3,5)"}},
       {},
       {"linea.txt:22:31: avviso: cartello_indicatore: una virgola chiude il testo a \"(Km 3\", e "
        "\"5)\" viene ignorato; un testo non può contenere virgole",
        "linea.txt:22:31: avviso: cartello_indicatore: il testo \"(Km 3\" non è fatto di una o "
        "due parti tra parentesi, una per riga del cartello, come \"(  Cippo  )(Km 28+000)\""}},
      {"testo del cartello in UTF-8",
       {{"cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)",
         "cartello_indicatore,  2950,   (Citt\xc3\xa0)"}},
       {},
       {"linea.txt:22:31: avviso: cartello_indicatore: il testo \"(Citt\xc3\x83\xc2\xa0)\" "
        "sembra scritto in UTF-8 (\"(Citt\xc3\xa0)\"): il file va scritto in Windows-1252, "
        "oppure letto con --utf8"}},
      {"carattere di controllo nel testo",
       {{"cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)",
         "cartello_indicatore,  2950,   (Km\t3)"}},
       {},
       {"linea.txt:22:31: avviso: cartello_indicatore: il testo \"(Km\\t3)\" contiene un "
        "carattere di controllo, che passa così nei file compilati"}},
      {"valori presi dalla riga dopo",
       {{"pendenza,  6000,   5", "pendenza,  6000\r\n   5"}},
       {},
       {"linea.txt:16:1: avviso: pendenza: 1 valore sulla sua riga, ne servono 2: la pendenza si "
        "prende dalla riga 17"}},
      {"un record a metà riga",
       {{"pendenza,  6000,   5", "pendenza,  6000,   5, pendenza, 7000, 6"}},
       {},
       {"linea.txt:16:23: avviso: un record pendenza comincia a metà riga, dopo i campi del "
        "record pendenza: ogni record va su una riga sua"}},
  };
  controlla_avvisi(casi);
}

TEST(Verifica, AvvisiDelTreno) {
  const std::string stazione_13 =
      "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro";
  const caso_avviso casi[] = {
      {"nessun limite di velocità",
       {},
       {{"velocita,  0,  100", ""}, {"velocita,  5000,  60", ""}},
       {"treno.txt:1:1: avviso: nessun record velocita: il limite di velocità è 0 su tutta la "
        "linea, e la marcia va alla velocità massima del treno"}},
      {"nessuna aderenza e nessuna vettura",
       {},
       {{"aderenza,  0,  90", ""}, {"numero vetture,  10", ""}},
       {"treno.txt:1:1: avviso: manca il record numero vetture: il treno ha 0 vetture",
        "treno.txt:1:1: avviso: nessun record aderenza: l'aderenza è 0 su tutta la linea, e la "
        "marcia la prende per rotaia asciutta"}},
      {"una sola stazione",
       {},
       {{stazione_13, ""}},
       {"treno.txt:1:1: avviso: una sola stazione: il treno non ha orario, che va da una "
        "stazione di partenza a una di arrivo; servono almeno due stazioni"}},
      // Said once, by the documents' check.
      {"nessuna stazione",
       {},
       {{stazione_13, ""},
        {"stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  13, 4,30, Vela", ""}},
       {"treno.txt: avviso: nessuna stazione: la scheda treno ha almeno l'origine e la "
        "destinazione; scenario documenti non scrive i documenti"}},
      {"primo limite di velocità dopo l'origine",
       {},
       {{"velocita,  0,  100", "velocita,  1000,  100"}},
       {"treno.txt:9:12: avviso: velocita: il primo record è alla posizione 1000: prima, dalla "
        "posizione 0, le celle hanno la velocità 0; si attende un primo record alla posizione "
        "0"}},
      {"limite di velocità non a passi di 5",
       {},
       {{"velocita,  5000,  60", "velocita,  5000,  63"}},
       {"treno.txt:10:19: avviso: velocita: la velocità 63 non è un multiplo di 5: le celle la "
        "tengono come 65 km/h; si scrivono limiti a passi di 5"}},
      {"limite di velocità 0",
       {},
       {{"velocita,  5000,  60", "velocita,  5000,  0"}},
       {"treno.txt:10:19: avviso: velocita: la velocità vale 0 km/h: si attende il limite di "
        "velocità della linea, in km/h"}},
      {"limiti di velocità fuori ordine",
       {},
       {{"velocita,  5000,  60", "velocita,  5000,  60\r\nvelocita,  4000,  80"}},
       {"treno.txt:11:12: avviso: velocita: la posizione 4000 viene prima di quella della riga "
        "10, 5000: i limiti di velocità vanno in ordine crescente di posizione"}},
      {"aderenza oltre gli 8 bit",
       {},
       {{"aderenza,  0,  90", "aderenza,  0,  300"}},
       {"treno.txt:7:16: avviso: aderenza: l'aderenza vale 300: le celle ne tengono solo gli 8 "
        "bit bassi, 44; si attende da 0 a 255"}},
      {"orologio fuori dai valori",
       {},
       {{"orologio,  13 4 30 ", "orologio,  25 4 70 "}},
       {"treno.txt:5:12: avviso: orologio: le ore valgono 25: si attende da 0 a 23",
        "treno.txt:5:17: avviso: orologio: i secondi valgono 70: si attende da 0 a 59"}},
      {"vetture 0",
       {},
       {{"numero vetture,  10", "numero vetture,  0"}},
       {"treno.txt:2:18: avviso: numero vetture: il valore vale 0: si attende un numero maggiore "
        "di 0"}},
      {"segno della stazione fuori dai valori",
       {},
       {{stazione_13,
         "stazione,    9000,  2,  400,  3, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, "
         "Nuro"}},
       {"treno.txt:13:31: avviso: stazione: il campo 4 vale 3: si attende 0 o 1"}},
      {"campo 5 che non viene registrato",
       {},
       {{stazione_13,
         "stazione,    9000,  2,  400,  0, 1, 0,  0,0,0,  0,0,0,    0,  13,20, 0, "
         "Nuro"}},
       {"treno.txt:13:34: avviso: stazione: il campo 5 vale 1 ma non viene registrato: vale solo "
        "con un'estensione di 600 m o più, e non per la prima stazione"}},
      {"prolungamento di una stazione di tipo 8",
       {},
       {{"stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  13, 4,30, Vela",
         "stazione,       0,  8,  500,  1, 0, 1,  4,1,0,  2,1,1,    1,  13, 4,30, Vela"}},
       {"treno.txt:12:37: avviso: stazione: il campo 6 (prolungamento) vale 1 ma non ha effetto "
        "per il tipo 8: vale solo per i tipi diversi da 5, 6, 7 e 8"}},
      {"orario della stazione fuori dai valori",
       {},
       {{stazione_13,
         "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,60, 0, "
         "Nuro"}},
       {"treno.txt:13:66: avviso: stazione: i minuti valgono 60: si attende da 0 a 59"}},
      {"stazione senza nome",
       {},
       {{stazione_13, "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, "}},
       {"treno.txt:13:73: avviso: stazione: il nome è vuoto"}},
      {"nome della stazione in UTF-8",
       {},
       {{stazione_13,
         "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, "
         "Citt\xc3\xa0"}},
       {"treno.txt:13:73: avviso: stazione: il nome \"Citt\xc3\x83\xc2\xa0\" sembra scritto in "
        "UTF-8 (\"Citt\xc3\xa0\"): il file va scritto in Windows-1252, oppure letto con "
        "--utf8"}},
      {"segno di fermata sul cartello della linea",
       {},
       {{stazione_13,
         "stazione,    3000,  2,  100,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, "
         "Mezzo\r\n" +
             stazione_13}},
       {"treno.txt:13:14: avviso: stazione: il segno di fermata cade nella cella 60 (da 3000 a "
        "3050 m), dove c'è il cartello indicatore della riga 22, e lo cancella"}},
      {"segno di fermata su un segnale letto prima",
       {},
       {{stazione_13, ""},
        {"segnale,    4900,   2, 3, 0,  0, 0,    1,  1,0,0, 0",
         "segnale,    4900,   2, 3, 0,  0, 0,    1,  1,0,0, 0\r\nsegnale,    9100,   2, 3, 0,  "
         "0, 0,    1,  1,0,0, 0\r\n" +
             stazione_13}},
       {"treno.txt:20:14: avviso: stazione: il segno di fermata cade nella cella 183 (da 9150 a "
        "9200 m), dove c'è il segnale della riga 19, e lo cancella"}},
      {"rallentamento troppo breve",
       {},
       {{"rallentamento,  4000,    60,  500, 0,  1,  60",
         "rallentamento,  4000,    60,  20, 0,  1,  60"}},
       {"treno.txt:15:31: avviso: rallentamento: la lunghezza 20 m è troppo breve: inizio e fine "
        "cadono nella stessa cella di 50 m, che resta un inizio senza fine"}},
      {"rallentamento con velocità 0 e segno di treno intero 2",
       {},
       {{"rallentamento,  4000,    60,  500, 0,  1,  60",
         "rallentamento,  4000,    0,  500, 2,  1,  60"}},
       {"treno.txt:15:26: avviso: rallentamento: la velocità vale 0: si attende la velocità da "
        "tenere, in km/h, maggiore di 0",
        "treno.txt:15:35: avviso: rallentamento: il segno di treno intero vale 2: si attende 0 o "
        "1"}},
      {"rallentamento vicino all'origine con il segno di avviso",
       {},
       {{"rallentamento,  4000,    60,  500, 0,  1,  60",
         "rallentamento,  1400,    60,  500, 0,  1,  60"}},
       {"treno.txt:15:40: avviso: rallentamento: il segno delle celle di avvicinamento vale 1 ma "
        "non ha effetto: un "
        "rallentamento che inizia a 1500 m o meno non ha punto di avviso né celle di "
        "avvicinamento"}},
      {"cifra del segnale oltre il 9",
       {},
       {{"segnale,    4900,   2, 3, 0,  0, 0,    1,  1,0,0, 0",
         "segnale,    4900,   2, 13, 0,  0, 0,    1,  1,0,0, 0"}},
       {"treno.txt:19:24: avviso: segnale: il campo 3 vale 13: si attende una cifra da 0 a 9"}},
      {"tipo di segnale oltre il 9",
       {},
       {{"segnale,    4900,   2, 3, 0,  0, 0,    1,  1,0,0, 0",
         "segnale,    4900,   3, 3, 0,  0, 1,    1,  1,0,0, 0"}},
       {"treno.txt:19:21: avviso: segnale: il tipo del segnale, 3 × la classe + il campo 7, vale "
        "10: si attende da 0 a 9, perché si tiene come cifra delle unità accanto al campo 6"}},
      {"valore extra letto come 101",
       {},
       {{"segnale,    2500,   2, 3, 1,  1, 0,    2,  2,1,1, 115",
         "segnale,    2500,   2, 3, 1,  1, 0,    2,  2,1,1, 50"}},
       {"treno.txt:18:51: avviso: segnale: il valore extra 50 si legge come 101: si attende 0 "
        "(nessuno) oppure da 101 a 255"}},
      {"valore extra di un segnale non di classe 2",
       {},
       {{"segnale,    2500,   2, 3, 1,  1, 0,    2,  2,1,1, 115",
         "segnale,    2500,   1, 3, 1,  1, 0,    2,  2,1,1, 115"}},
       {"treno.txt:18:51: avviso: segnale: il valore extra 115 non viene letto: vale solo per la "
        "classe 2, e questo segnale è di classe 1"}},
      {"segnali fuori ordine",
       {},
       {{"segnale,    4900,   2, 3, 0,  0, 0,    1,  1,0,0, 0",
         "segnale,    2000,   2, 3, 0,  0, 0,    1,  1,0,0, 0"}},
       {"treno.txt:19:13: avviso: segnale: la posizione 2000 viene prima di quella della riga 18, "
        "2500: i segnali vanno in ordine crescente di posizione"}},
      {"abbattimento oltre la fine della linea",
       {},
       {{"abbattimento,    6050,   270", "abbattimento,    12050,   270"}},
       {"treno.txt:21:18: avviso: abbattimento: la posizione 12050 è oltre la fine della linea, "
        "lunga 10000 m"}},
      {"un numero con lo spazio delle migliaia",
       {},
       {{"abbattimento,    6050,   270", "abbattimento,    6 050,   270"}},
       {"treno.txt:21:18: avviso: abbattimento: la posizione \"6 050\" ha uno spazio tra le "
        "cifre: si legge 6, e \"050\" passa al campo dopo; i numeri si scrivono senza "
        "separatori delle migliaia"}},
      {"un campo con due parole chiave",
       {},
       {{"aderenza,  0,  90", "aderenza velocita,  0,  100,  0,  90"}, {"velocita,  0,  100", ""}},
       {"treno.txt:7:1: avviso: il campo \"aderenza velocita\" contiene le parole chiave di 2 "
        "record (velocita, aderenza): si leggono tutti, uno dopo l'altro, con i valori che "
        "seguono"}},
      {"record della linea nel treno",
       {},
       {{"sabbia,  220", "sabbia,  220\r\npendenza,  0,  3"}},
       {"treno.txt:5:1: avviso: \"pendenza\" è un record della descrizione della linea, non di "
        "questa: la riga viene ignorata"}},
      {"record prima di [generale]",
       {},
       {{"[generale]", "sabbia,  100\r\n[generale]"}},
       {"treno.txt:1:1: avviso: \"sabbia\" prima del campo \"[generale]\": la riga viene "
        "ignorata, la lettura comincia da \"[generale]\""}},
  };
  controlla_avvisi(casi);
}

// ---- What a new author gets wrong: one mistake a row, the exact lines ----

struct caso_sbaglio {
  const char* nome;
  std::vector<modifica> linea;
  std::vector<modifica> treno;
  int stato;
  std::vector<std::string> attese;
  bool treno_e_linea = false;  // the line description given for the train too
};

TEST(Verifica, GliSbagliDiChiScriveDaCapo) {
  const std::string stazione_13 =
      "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro";
  const caso_sbaglio casi[] = {
      {"un record messo in commento con #, che si legge",
       {{"pendenza,  6000,   5", "#pendenza,  6000,   5"}},
       {},
       0,
       {"linea.txt:16:1: avviso: \"#pendenza\" comincia come un commento, ma le "
        "descrizioni non hanno commenti: il campo contiene la parola chiave, e il "
        "record pendenza viene letto"}},
      {"un record messo in commento con --, che si salta",
       {{"pendenza,  6000,   5", "-- pendenza,  6000,   5"}},
       {},
       0,
       {"linea.txt:16:1: avviso: \"-- pendenza\" comincia come un commento, ma le "
        "descrizioni non hanno commenti: la riga viene ignorata perché il campo "
        "contiene \"-\", non perché è un commento"}},
      {"un record messo in commento con ;, che si legge",
       {},
       {{"rallentamento,  4000,    60,  500, 0,  1,  60",
         ";rallentamento,  4000,    60,  500, 0,  1,  60"}},
       0,
       {"treno.txt:15:1: avviso: \";rallentamento\" comincia come un commento, ma le "
        "descrizioni non hanno commenti: il campo contiene la parola chiave, e il "
        "record rallentamento viene letto"}},
      {"una riga di commento con //",
       {{"[curve]", "[curve]\r\n// curve della linea"}},
       {},
       0,
       {"linea.txt:11:1: avviso: \"// curve della linea\" comincia come un commento, "
        "ma le descrizioni non hanno commenti: la riga viene ignorata perché il campo "
        "non contiene una parola chiave, non perché è un commento"}},
      {"un record vecchio tenuto accanto al nuovo",
       {},
       {{"velocita,  5000,  60", "velocita vecchia,  5000,  60"}},
       0,
       {"treno.txt:10:1: avviso: il campo \"velocita vecchia\" non è la sola parola "
        "chiave \"velocita\", ma la contiene: il record viene letto; le descrizioni "
        "non hanno commenti, e la parola chiave si scrive sola nel suo campo"}},
      {"un titolo di sezione sbagliato che chiude la sezione [generale]",
       {{"[curve]", "[curvee]"}},
       {},
       0,
       {"linea.txt:10:1: avviso: il titolo \"[curvee]\" non è uno di quelli della "
        "descrizione della linea (forse [curve]?): chiude comunque la sezione "
        "[generale], come ogni titolo"}},
      {"un titolo di sezione sbagliato più avanti",
       {{"[pendenze]", "[pendenzee]"}},
       {},
       0,
       {"linea.txt:13:1: avviso: il titolo \"[pendenzee]\" non è uno di quelli della "
        "descrizione della linea (forse [pendenze]?): la riga viene ignorata"}},
      {"un titolo del treno nella linea",
       {{"[cartelli]", "[stazioni]"}},
       {},
       0,
       {"linea.txt:19:1: avviso: il titolo \"[stazioni]\" è della descrizione del treno, non di "
        "questa: la riga viene ignorata"}},
      {"[generale] del treno scritto male",
       {},
       {{"[generale]", "[Generali]"}},
       1,
       {"treno.txt:1:1: errore: nessun campo \"[generale]\": il treno viene letto "
        "vuoto, senza stazioni né limiti di velocità; il file comincia con [generale]",
        "treno.txt:1:1: avviso: il titolo \"[Generali]\" non è uno di quelli della "
        "descrizione del treno (forse [generale]?): la riga viene ignorata"}},
      {"[generale] del treno con gli spazi",
       {},
       {{"[generale]", "[ generale ]"}},
       1,
       {"treno.txt:1:1: errore: nessun campo \"[generale]\": il treno viene letto "
        "vuoto, senza stazioni né limiti di velocità; il file comincia con [generale]",
        "treno.txt:1:1: avviso: il titolo \"[ generale ]\" non è uno di quelli della "
        "descrizione del treno (forse [generale]?): la riga viene ignorata"}},
      {"nessun [generale]",
       {},
       {{"[generale]", "[generali]"}},
       1,
       {"treno.txt:1:1: errore: nessun campo \"[generale]\": il treno viene letto vuoto, senza "
        "stazioni né limiti di velocità; il file comincia con [generale]",
        "treno.txt:1:1: avviso: il titolo \"[generali]\" non è uno di quelli della descrizione "
        "del treno (forse [generale]?): la riga viene ignorata"}},
      {"nessun record",
       {},
       {{"numero vetture,  10", ""},
        {"percentuale massa frenata,  130", ""},
        {"sabbia,  220", ""},
        {"orologio,  13 4 30 ", ""},
        {"aderenza,  0,  90", ""},
        {"velocita,  0,  100", ""},
        {"velocita,  5000,  60", ""},
        {"stazione,       0,  8,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  13, 4,30, Vela", ""},
        {stazione_13, ""},
        {"rallentamento,  4000,    60,  500, 0,  1,  60", ""},
        {"segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0", ""},
        {"segnale,    2500,   2, 3, 1,  1, 0,    2,  2,1,1, 115", ""},
        {"segnale,    4900,   2, 3, 0,  0, 0,    1,  1,0,0, 0", ""},
        {"abbattimento,    6050,   270", ""}},
       1,
       {"treno.txt:1:1: errore: nessun record dopo [generale]: il treno viene letto vuoto, senza "
        "stazioni né limiti di velocità"}},
      {"il file della linea dato anche per il treno",
       {},
       {},
       1,
       {"treno.txt:1:1: errore: il file ha il testo della descrizione della linea: il "
        "treno viene letto vuoto, senza stazioni né limiti di velocità"},
       true},
      {"rallentamenti che si sovrappongono",
       {},
       {{"rallentamento,  4000,    60,  500, 0,  1,  60",
         "rallentamento,  4000,    60,  500, 0,  0,  60\r\n"
         "rallentamento,  4200,    30,  800, 0,  0,  30"}},
       0,
       {"treno.txt:16:17: avviso: rallentamento: l'inizio 4200 cade dentro il "
        "rallentamento della riga 15, da 4000 a 4500 m: i due si sovrappongono da 4200 "
        "a 4500 m, le celle tengono i due inizi e le due fini e non dicono quale "
        "velocità valga nel tratto comune; si scrive un rallentamento per tratto"}},
      // What follows from the length is only counted.
      {"la lunghezza in chilometri",
       {{"lunghezza percorso,    10000", "lunghezza percorso,    10"}},
       {},
       1,
       {"linea.txt:2:24: errore: la linea è lunga 10 m, ma 14 dei 18 record con una "
        "posizione stanno oltre, fino a 9000 m: la lunghezza si scrive in metri (10000, se 10 "
        "sono chilometri)"}},
      {"la lunghezza negativa",
       {{"lunghezza percorso,    10000", "lunghezza percorso,    -10000"}},
       {},
       1,
       {"linea.txt:2:24: errore: la lunghezza della linea vale -10000 m, ma va da 0 a "
        "1.000.000 m (esito 25)"}},
      {"le migliaia con il punto",
       {{"pendenza,  6000,   5", "pendenza,  6.000,   5"}},
       {},
       1,
       {"linea.txt:16:12: errore: la posizione della pendenza: trovato \"6.000\", ma "
        "va un numero intero (cifre, con \"-\" davanti se negativo): il punto non "
        "separa le migliaia (si scrive 6000), e i decimali non si scrivono (esito 25)"}},
      {"le migliaia con lo spazio",
       {{"pendenza,  6000,   5", "pendenza,  6 000,   5"}},
       {},
       0,
       {"linea.txt:16:12: avviso: pendenza: la posizione \"6 000\" ha uno spazio tra "
        "le cifre: si legge 6, e \"000\" passa al campo dopo; i numeri si scrivono "
        "senza separatori delle migliaia"}},
      {"una sosta oltre 255 secondi",
       {},
       {{"stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro",
         "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    300,  13,20, 0, Nuro"}},
       1,
       {"treno.txt:13:59: errore: la sosta della stazione in secondi vale 300, ma va "
        "da 0 a 255 (esito 25)"}},
      {"un orario oltre la mezzanotte",
       {},
       {{"stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro",
         "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  24,20, 0, Nuro"}},
       0,
       {"treno.txt:13:63: avviso: stazione: le ore valgono 24: si attende da 0 a 23",
        "treno.txt:13:63: avviso: stazione «Nuro»: l'orario 24:20:00 non è un'ora del "
        "giorno: la scheda treno scrive le ore da 00.00 a 23.59.59; scenario documenti "
        "non scrive i documenti"}},
      {"una fermata senza orario",
       {},
       {{"stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro",
         "stazione,    5000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    60,  0,0, 0, Colle\r\n"
         "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro"}},
       0,
       {"treno.txt:13:64: avviso: stazione: una fermata, con una sosta di 60 s, senza orario "
        "(campi 14, 15 e 16 a 0): la scheda treno di scenario documenti ne prende "
        "l'orario dalla marcia calcolata, e con --senza-marcia ne lascia vuota la cella"}},
      {"un nome più largo della sua cella",
       {},
       {{"stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro",
         "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, "
         "Nuro Centrale Alta Stazione Nuova"}},
       0,
       {"treno.txt:13:73: avviso: stazione: il nome «Nuro Centrale Alta Stazione "
        "Nuova» ha 33 caratteri, ma l'intestazione della scheda treno ne mostra al più "
        "22 per la destinazione; scenario documenti non scrive i documenti",
        "treno.txt:13:73: avviso: stazione: il nome «Nuro Centrale Alta Stazione "
        "Nuova» ha 33 caratteri, ma la scheda treno ne mostra al più 28; scenario "
        "documenti non scrive i documenti",
        "treno.txt:15:17: avviso: rallentamento a 4000 m: «Vela e Nuro Centrale Alta "
        "Stazione Nuova» ha 40 caratteri, ma l'ordine di rallentamento ne mostra al "
        "più 28 per le stazioni; scenario documenti non scrive i documenti"}},
      {"un rallentamento prima del primo cippo",
       {{"progressiva chilometrica uno,    0,    0,    0",
         "progressiva chilometrica uno,    0,    300,    0"}},
       {{"rallentamento,  4000,    60,  500, 0,  1,  60",
         "rallentamento,  500,    60,  200, 0,  0,  60"}},
       0,
       {"treno.txt:15:17: avviso: rallentamento a 500 m: prima del suo inizio la linea "
        "non ha un cippo chilometrico da cui l'ordine di rallentamento lo possa "
        "contare (la progressiva vi vale 0.800); scenario documenti non scrive i "
        "documenti"}},
  };
  for (const caso_sbaglio& c : casi) {
    SCOPED_TRACE(c.nome);
    const std::string linea = modificato(linea_pulita, c.linea);
    const esito_verifica e =
        verifica_di(linea, c.treno_e_linea ? linea : modificato(treno_pulito, c.treno));
    const std::vector<std::string> righe = problemi_di(e.uscita);
    EXPECT_EQ(righe, c.attese) << e.uscita;
    EXPECT_EQ(e.stato, c.stato);
  }
}

TEST(Verifica, ConRigorosoGliAvvisiFannoFallire) {
  richiesta_verifica r;
  r.rigoroso = true;
  const std::string linea =
      modificato(linea_pulita, {{"pendenza,  1250,   -4", "pendenza,  1250,   -4,5"}});
  EXPECT_EQ(verifica_di(linea, treno_pulito, r).stato, 1);
  EXPECT_EQ(verifica_di(linea_pulita, treno_pulito, r).stato, 0);
}

TEST(Verifica, SegnoDOrdineDeiByteSenzaUtf8) {
  const esito_verifica e = verifica_di("\xef\xbb\xbf" + linea_pulita, treno_pulito);
  EXPECT_EQ(e.uscita,
            "linea.txt:1:1: avviso: il file comincia con il segno di ordine dei byte di UTF-8: le "
            "descrizioni si scrivono in Windows-1252, oppure si leggono con --utf8\n"
            "0 errori, 1 avviso\n");
}

// ---- Errors: every stop of reading, then what the compiler finds ----

// A problem line as the readers' stop gives it: the place and the outcome
// are ours, the cause between them is the reader's.
struct errore_atteso {
  std::string luogo;  // "linea.txt:17:12"
  long esito;
};

void errori_come(const std::string& uscita, const std::vector<errore_atteso>& attesi) {
  std::vector<std::string> errori;
  for (const std::string& r : problemi_di(uscita))
    if (r.find(": errore: ") != std::string::npos) errori.push_back(r);
  ASSERT_EQ(errori.size(), attesi.size()) << uscita;
  for (size_t i = 0; i < attesi.size(); ++i) {
    EXPECT_TRUE(errori[i].starts_with(attesi[i].luogo + ": errore: ")) << errori[i];
    EXPECT_TRUE(errori[i].ends_with(fmt::format(" (esito {})", attesi[i].esito))) << errori[i];
  }
}

TEST(Verifica, UnaVerificaTrovaGliErroriIndipendenti) {
  const std::string linea = modificato(
      linea_pulita,
      {{"pendenza,  6000,   5", "pendenza,  6000,   5\r\npendenza,  20000,   1"},
       {"cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)",
        "cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)\r\ncartello_indicatore,  7300,   "
        "(Km 7)"}});
  const std::string treno = modificato(
      treno_pulito,
      {{"segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
        "segnale,    1050,   2, 4, 1,  1, 0,    2,  2,1,1, 0\r\nsegnale,    1060,   2, 4, 1,  1, "
        "0,    2,  2,1,1, 0"},
       {"abbattimento,    6050,   270",
        "abbattimento,    6050,   270\r\nabbattimento,    6.5,   270\r\nabbattimento,\t6550,   "
        "270"},
       {"stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro",
        "stazione,    700,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro"}});
  const esito_verifica e = verifica_di(linea, treno);
  errori_come(e.uscita, {{"linea.txt:17:12", 15},
                         {"linea.txt:24:23", 6},
                         {"treno.txt:13:14", 22},
                         {"treno.txt:18:13", 16},
                         {"treno.txt:23:18", 25},
                         {"treno.txt:24:14", 25}});
  // A tab is shown as such, not as a blank the eye cannot tell.
  EXPECT_EQ(e.uscita.find('\t'), std::string::npos);
  EXPECT_NE(e.uscita.find("\"\\t6550\""), std::string::npos) << e.uscita;
  EXPECT_TRUE(e.uscita.ends_with("\n6 errori, 0 avvisi\n"));
  EXPECT_EQ(e.stato, 1);
}

TEST(Verifica, UnRecordMessoDaParteNonManca) {
  // Both speed records stop reading: they are errors, and the train is not
  // told to have none.
  const std::string treno =
      modificato(treno_pulito, {{"velocita,  0,  100", "velocita,  0,  cento"},
                                {"velocita,  5000,  60", "velocita,  5000,  6O"}});
  const esito_verifica e = verifica_di(linea_pulita, treno);
  errori_come(e.uscita, {{"treno.txt:9:16", 25}, {"treno.txt:10:19", 25}});
  EXPECT_TRUE(e.uscita.ends_with("\n2 errori, 0 avvisi\n")) << e.uscita;
}

TEST(Verifica, UnaPosizioneOltreLeCelleDellaLineaSiDiceNellaLinea) {
  // The train is then read in full: the stop at its first signal that the
  // outcome would cause is not a problem of the train.
  const std::string linea = modificato(
      linea_pulita, {{"pendenza,  6000,   5", "pendenza,  6000,   5\r\npendenza,  20000,   1"}});
  const std::string treno =
      modificato(treno_pulito, {{"abbattimento,    6050,   270",
                                 "abbattimento,    6050,   270\r\nabbattimento,    6060,   270"}});
  const esito_verifica e = verifica_di(linea, treno);
  errori_come(e.uscita, {{"linea.txt:17:12", 15}, {"treno.txt:22:18", 7}});
  EXPECT_EQ(e.uscita.find("la lunghezza si scrive in metri"), std::string::npos) << e.uscita;
}

TEST(Verifica, ErroriOltreIQualiNonSiLegge) {
  struct caso {
    const char* nome;
    std::vector<modifica> linea;
    std::vector<errore_atteso> attesi;
    std::string interruzione;
  };
  const std::string senza_treno =
      "la descrizione della linea non si legge oltre, e quella del treno non si legge";
  const caso casi[] = {
      {"nessun [generale]",
       {{"[generale]", "[generali]"}},
       {{"linea.txt:1:1", 102}},
       "verifica interrotta: dopo l'errore di linea.txt:1:1 " + senza_treno},
      {"lunghezza oltre 1.000.000 m",
       {{"lunghezza percorso,    10000", "lunghezza percorso,    2000000"}},
       {{"linea.txt:2:24", 1}},
       "verifica interrotta: dopo l'errore di linea.txt:2:24 " + senza_treno},
      {"nessuna lunghezza",
       {{"lunghezza percorso,    10000", ""}},
       {{"linea.txt:1:1", 25}},
       "verifica interrotta: dopo l'errore di linea.txt:1:1 " + senza_treno},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    const esito_verifica e = verifica_di(modificato(linea_pulita, c.linea), treno_pulito);
    errori_come(e.uscita, c.attesi);
    EXPECT_NE(e.uscita.find("\n" + c.interruzione + "\n"), std::string::npos) << e.uscita;
    EXPECT_EQ(e.stato, 1);
  }
}

// One mistake, one message: a mistake that explains the others is told
// first, and what follows from it only counted; a taken cell names the
// record that holds it and the free places nearby; a station twice or out
// of order says so; values no line has, a time written with colons and a
// file in Windows-1252 given as UTF-8 are told with what was meant.
TEST(Verifica, UnoSbaglioUnMessaggio) {
  struct caso {
    const char* nome;
    std::vector<modifica> linea;
    std::vector<modifica> treno;
    bool scambiati;
    bool utf8;
    int stato;
    std::string uscita;
  };
  const caso casi[] = {
      {"la lunghezza in chilometri",
       {{"lunghezza percorso,    10000", "lunghezza percorso,    10"},
        {"pendenza,  6000,   5", "pendenza,  6000,   5,5"}},
       {},
       false,
       false,
       1,
       "linea.txt:2:24: errore: la linea è lunga 10 m, ma 14 dei 18 record con una posizione "
       "stanno oltre, fino a 9000 m: la lunghezza si scrive in metri (10000, se 10 sono "
       "chilometri)\n"
       "linea.txt:16:20: avviso: pendenza: virgola decimale in \"5,5\": la pendenza si legge 5 e "
       "\"5\" viene ignorato; i decimali non si possono scrivere\n"
       "altri 14 problemi ne seguono: corretto il primo, la verifica va ripetuta\n"
       "1 errore, 1 avviso\n"},
      {"i file scambiati",
       {},
       {},
       true,
       false,
       1,
       "linea.txt: errore: i due file sono dati scambiati: questo è una descrizione del treno, e "
       "quello dato per il treno è una descrizione della linea; si dà prima la linea, poi il "
       "treno\n"
       "altri 46 problemi ne seguono: corretto il primo, la verifica va ripetuta\n"
       "1 errore, 0 avvisi\n"},
      {"un segnale sulla cella di un cartello",
       {},
       {{"segnale,    2500,   2, 3, 1,  1, 0,    2,  2,1,1, 115",
         "segnale,    2950,   2, 3, 1,  1, 0,    2,  2,1,1, 115"}},
       false,
       false,
       1,
       "treno.txt:18:13: errore: segnale su una cella occupata: il segnale a 2950 m va nella cella "
       "60 (da 3000 a 3050 m), che ha già un cartello indicatore (esito 16)\n"
       "linea.txt:22:23: nota: il cartello indicatore della riga 22 tiene già la cella 60 (da 3000 "
       "a 3050 m), che il segnale della riga 18 della descrizione del treno vuole\n"
       "treno.txt:18:13: nota: le posizioni più vicine sulla griglia di 50 m dove il segnale trova "
       "libere le sue celle: 2900 m oppure 3000 m\n"
       "1 errore, 0 avvisi\n"},
      {"un cartello sulla cella di un indicatore",
       {{"indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0",
         "indicatori_vmax,  2950,  75,  80,  85,  0,  75,  80,  85,  0"}},
       {},
       false,
       false,
       1,
       "linea.txt:22:23: errore: cartello indicatore su una cella occupata: il cartello a 2950 m "
       "va nella cella 60 (da 3000 a 3050 m), che ha già un indicatore di velocità (esito 6)\n"
       "linea.txt:20:19: nota: l'indicatore di velocità della riga 20 tiene già la cella 60 (da "
       "3000 a 3050 m), che il cartello indicatore della riga 22 vuole\n"
       "linea.txt:22:23: nota: le posizioni più vicine sulla griglia di 50 m dove il cartello "
       "indicatore trova libere le sue celle: 2900 m oppure 3000 m\n"
       "1 errore, 0 avvisi\n"},
      {"un segnale su una cella di avvicinamento",
       {},
       {{"segnale,    2500,   2, 3, 1,  1, 0,    2,  2,1,1, 115",
         "segnale,    2700,   2, 3, 1,  1, 0,    2,  2,1,1, 115"}},
       false,
       false,
       1,
       "treno.txt:18:13: errore: segnale su una cella occupata: il segnale a 2700 m va nella cella "
       "55 (da 2750 a 2800 m), che ha già una cella di avvicinamento di un rallentamento (esito "
       "16)\n"
       "treno.txt:15:17: nota: il rallentamento della riga 15 tiene già la cella 55 (da 2750 a "
       "2800 m), che il segnale della riga 18 vuole\n"
       "treno.txt:18:13: nota: le posizioni più vicine sulla griglia di 50 m dove il segnale trova "
       "libere le sue celle: 2550 m oppure 2850 m\n"
       "1 errore, 0 avvisi\n"},
      {"una stazione scritta due volte e una fuori ordine",
       {},
       {{"stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro",
         "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, "
         "Nuro\r\nstazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, "
         "Nuro\r\nstazione,    5000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,25, 0, Aba"}},
       false,
       false,
       1,
       "treno.txt:14:14: errore: stazione a meno di 350 m dalla precedente: è la stessa stazione "
       "della riga 13, \"Nuro\" a 9000 m, scritta due volte (esito 22)\n"
       "treno.txt:15:14: errore: stazione a meno di 350 m dalla precedente: la stazione a 5000 m "
       "viene prima della precedente, della riga 13, a 9000 m: le stazioni si scrivono in ordine "
       "di posizione (esito 22)\n"
       "2 errori, 0 avvisi\n"},
      {"pendenza e rallentamento inverosimili",
       {{"pendenza,  6000,   5", "pendenza,  6000,   -72"},
        {"pendenza,  1250,   -4", "pendenza,  1250,   46"}},
       {{"rallentamento,  4000,    60,  500, 0,  1,  60",
         "rallentamento,  4000,    100,  500, 0,  1,  60"}},
       false,
       false,
       0,
       "linea.txt:15:20: avviso: pendenza: 46 ‰ è oltre quel che una linea ad aderenza di solito "
       "ha: si attende da -45 a 45 ‰\n"
       // The same gradient is one the train cannot start on.
       "linea.txt:15:20: avviso: pendenza di 46 per mille: il treno «locomotiva elettrica e 10 "
       "vetture» non vi riparte da fermo: lo sforzo che l'aderenza gli lascia è 247,7 kN, ne "
       "servono 254,5\n"
       "linea.txt:16:20: avviso: pendenza: -72 ‰ è oltre quel che una linea ad aderenza di solito "
       "ha: si attende da -45 a 45 ‰; forse -27?\n"
       "treno.txt:15:26: avviso: rallentamento: la velocità 100 km/h non è sotto il limite in "
       "vigore a 4000 m, 100 km/h dalla riga 9: un rallentamento abbassa il limite, si attende da "
       "5 a 95 km/h\n"
       "0 errori, 4 avvisi\n"},
      {"l'ora con i due punti",
       {},
       {{"orologio,  13 4 30 ", "orologio,  7:10:00"},
        {"stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro",
         "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13:20, Nuro"}},
       false,
       false,
       1,
       "treno.txt:5:12: errore: le ore dell'orologio: trovato \"7:10:00\", ma va un numero intero "
       "(cifre, con \"-\" davanti se negativo); l'orologio si scrive con ore, minuti e secondi "
       "separati da spazi, senza i due punti: orologio, 7 10 0 (esito 25)\n"
       "treno.txt:13:63: errore: le ore della stazione: trovato \"13:20\", ma va un numero intero "
       "(cifre, con \"-\" davanti se negativo); l'orario della stazione si scrive in tre campi, "
       "ore, minuti e secondi separati da virgole: 13, 20, 0 (esito 25)\n"
       "2 errori, 0 avvisi\n"},
      {"un byte di Windows-1252 con --utf8",
       {{"cartello_indicatore,  2950,   (  Cippo  )(Km 3+000)",
         "cartello_indicatore,  2950,   (  Citt\xe0"
         "  )(Km 3+000)"}},
       {},
       false,
       true,
       2,
       "linea.txt:22:38: errore: il byte 0xE0 non inizia un carattere UTF-8 valido: in "
       "Windows-1252 è «à», e il file sembra in Windows-1252: senza --utf8?\n"
       "1 errore, 0 avvisi\n"},

      {"un rallentamento le cui celle di avvicinamento trovano un segnale",
       {},
       {{"rallentamento,  4000,    60,  500, 0,  1,  60", ""},
        {"segnale,    2500,   2, 3, 1,  1, 0,    2,  2,1,1, 115",
         "segnale,    2700,   2, 3, 1,  1, 0,    2,  2,1,1, 115\r\nrallentamento,  4000,    60,  "
         "500, 0,  1,  60"}},
       false,
       false,
       1,
       "treno.txt:18:17: errore: cella di avvicinamento del rallentamento occupata: una delle "
       "quattro celle di avvicinamento prima del punto di avviso è la cella 55 (da 2750 a 2800 m), "
       "che ha già un segnale (esito 20)\n"
       "treno.txt:17:13: nota: il segnale della riga 17 tiene già la cella 55 (da 2750 a 2800 m), "
       "che il rallentamento della riga 18 vuole\n"
       "treno.txt:18:17: nota: le posizioni più vicine sulla griglia di 50 m dove il rallentamento "
       "trova libere le sue celle: 3850 m oppure 4450 m\n"
       "1 errore, 0 avvisi\n"},
      {"un rallentamento il cui inizio trova un segnale",
       {},
       {{"rallentamento,  4000,    60,  500, 0,  1,  60", ""},
        {"segnale,    2500,   2, 3, 1,  1, 0,    2,  2,1,1, 115",
         "segnale,    4000,   2, 3, 1,  1, 0,    2,  2,1,1, 115\r\nrallentamento,  4000,    60,  "
         "500, 0,  1,  60"}},
       false,
       false,
       1,
       "treno.txt:18:17: errore: inizio del rallentamento su una cella occupata: l'inizio del "
       "rallentamento, a 4000 m, va nella cella 81 (da 4050 a 4100 m), che ha già un segnale "
       "(esito 18)\n"
       "treno.txt:17:13: nota: il segnale della riga 17 tiene già la cella 81 (da 4050 a 4100 m), "
       "che il rallentamento della riga 18 vuole\n"
       "treno.txt:18:17: nota: le posizioni più vicine sulla griglia di 50 m dove il rallentamento "
       "trova libere le sue celle: 3950 m oppure 4050 m\n"
       "1 errore, 0 avvisi\n"},

  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    std::string linea = modificato(linea_pulita, c.linea);
    std::string treno = modificato(treno_pulito, c.treno);
    if (c.scambiati) std::swap(linea, treno);
    richiesta_verifica r;
    r.utf8 = c.utf8;
    const esito_verifica e = verifica_di(linea, treno, r);
    EXPECT_EQ(e.uscita, c.uscita);
    EXPECT_EQ(e.stato, c.stato);
  }
}

TEST(Verifica, IFileScambiati) {
  richiesta_verifica r;
  r.json = true;
  const esito_verifica e = verifica_di(treno_pulito, linea_pulita, r);
  const nlohmann::json j = nlohmann::json::parse(e.uscita);
  ASSERT_EQ(j["problemi"].size(), 1u);
  EXPECT_EQ(j["problemi"][0]["riga"], 0);
  EXPECT_EQ(j["errori"], 1);
  EXPECT_EQ(j["avvisi"], 0);
  EXPECT_EQ(j["seguono"], 46);
  EXPECT_EQ(e.stato, 1);
}

TEST(Verifica, UnaProgressivaFuoriPassoNonNascondeGliErroriDelTreno) {
  const std::string linea =
      modificato(linea_pulita, {{"progressiva chilometrica due,    5000,    0,    0",
                                 "progressiva chilometrica due,    5000,    30,    0"}});
  const std::string treno = modificato(
      treno_pulito, {{"velocita,  5000,  60", "velocita,  5000,  60\r\nvelocita,  20000,  60"}});
  const esito_verifica e = verifica_di(linea, treno);
  errori_come(e.uscita, {{"linea.txt:4:43", 2}, {"treno.txt:11:12", 15}});
}

TEST(Verifica, DopoCinquantaErroriSiFerma) {
  std::string pendenze = "pendenza,  6000,   5";
  for (int i = 1; i <= 60; ++i) pendenze += fmt::format("\r\npendenza,  {},   1", 20000 + i);
  const esito_verifica e =
      verifica_di(modificato(linea_pulita, {{"pendenza,  6000,   5", pendenze}}), treno_pulito);
  std::vector<errore_atteso> attesi;
  for (int i = 0; i < 50; ++i) attesi.push_back({fmt::format("linea.txt:{}:12", 17 + i), 15});
  errori_come(e.uscita, attesi);
  EXPECT_TRUE(
      e.uscita.ends_with("\nverifica interrotta dopo 50 errori: corretti questi, la "
                         "verifica va ripetuta\n50 errori, 0 avvisi\n"))
      << e.uscita;
  EXPECT_EQ(e.stato, 1);
}

TEST(Verifica, EsitiDellaRiduzioneDeiCodici) {
  const std::string segnali_prima_dell_avviso =
      "segnale,    2400,   2, 3, 0,  0, 0,    1,  1,0,0, 0\r\n"
      "segnale,    2450,   2, 3, 0,  0, 0,    1,  1,0,0, 0\r\n"
      "segnale,    2500,   2, 3, 1,  1, 0,    2,  2,1,1, 115";
  const std::string segnali_prima_dell_inizio =
      "segnale,    3650,   2, 3, 0,  0, 0,    1,  1,0,0, 0\r\n"
      "segnale,    3700,   2, 3, 0,  0, 0,    1,  1,0,0, 0\r\n"
      "segnale,    3750,   2, 3, 0,  0, 0,    1,  1,0,0, 0\r\n"
      "segnale,    4900,   2, 3, 0,  0, 0,    1,  1,0,0, 0";
  const std::string abbattimenti_nel_rallentamento =
      "abbattimento,    4400,   270\r\nabbattimento,    4450,   270\r\nabbattimento,    4500,   "
      "270\r\nabbattimento,    6050,   270";
  const std::string esito_11 =
      "treno.txt:20:13: errore: nessuna cella per l'abbattimento prima di un segnale che precede "
      "un avviso: il segnale sta nella cella 51 (da 2550 a 2600 m), meno di 1000 m prima del "
      "punto di avviso del rallentamento della riga 15, e le due celle prima di esso, dove il "
      "compilatore mette un abbattimento, sono occupate (un segnale, un segnale) (esito 11)";
  const std::string esito_12 =
      "treno.txt:15:17: errore: nessuna cella per l'abbattimento prima dell'inizio di un "
      "rallentamento: il compilatore mette un abbattimento in ciascun gruppo di celle da 5 a 7, "
      "da 11 a 13 e da 18 a 20 celle prima dell'inizio, ma le celle da 74 a 76 (da 3700 a 3850 "
      "m) sono tutte occupate (esito 12)";
  const std::string esito_13 =
      "treno.txt:15:17: errore: nessuna cella per l'abbattimento nel rallentamento o dopo di esso: "
      "nella cella 89 (da 4450 a 4500 m) e nelle due accanto, dove il compilatore mette un "
      "abbattimento ogni 400 m del rallentamento, o nelle due celle prima del primo segnale dopo "
      "la fine, non c'è una cella libera (esito 13)";
  struct caso {
    const char* nome;
    std::vector<modifica> treno;
    std::vector<std::string> attese;
  };
  const modifica m11 = {"segnale,    2500,   2, 3, 1,  1, 0,    2,  2,1,1, 115",
                        segnali_prima_dell_avviso};
  const modifica m12 = {"segnale,    4900,   2, 3, 0,  0, 0,    1,  1,0,0, 0",
                        segnali_prima_dell_inizio};
  const modifica m13 = {"abbattimento,    6050,   270", abbattimenti_nel_rallentamento};
  const caso casi[] = {
      {"11", {m11}, {esito_11}},
      {"12", {m12}, {esito_12}},
      {"13", {m13}, {esito_13}},
      // The three together, the last two from the same slowdown start: each is told.
      {"11, 12 e 13", {m11, m12, m13}, {esito_12, esito_13, esito_11}},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    const esito_verifica e = verifica_di(linea_pulita, modificato(treno_pulito, c.treno));
    EXPECT_EQ(problemi_di(e.uscita), c.attese);
    EXPECT_EQ(e.stato, 1);
  }
}

TEST(Verifica, LaCellaRiservata) {
  const std::string indicatore = "indicatori_vmax,  7300,  75,  80,  85,  0,  75,  80,  85,  0";
  struct caso {
    const char* nome;
    std::vector<modifica> linea;
    std::vector<modifica> treno;
    std::string attesa;
  };
  const std::string causa =
      "errore: la cella 1 (da 50 a 100 m) è riservata: dopo la lettura il compilatore vi scrive "
      "due segni suoi, ma vi trova {}, e non scrive nessun file compilato; gli oggetti vanno "
      "posti a 75 m o più dall'origine (errore {})";
  const caso casi[] = {
      {"un indicatore: 1250",
       {{indicatore,
         "indicatori_vmax,  10,  75,  80,  85,  0,  75,  80,  85,  0\r\n" + indicatore}},
       {},
       "linea.txt:20:19: " + fmt::format(fmt::runtime(causa), "un indicatore di velocità", 1250)},
      {"un indicatore con la prima coppia vuota: 1251",
       {{indicatore, "indicatori_vmax,  10,  0,  80,  85,  0,  0,  80,  85,  0\r\n" + indicatore}},
       {},
       "linea.txt:20:19: " + fmt::format(fmt::runtime(causa), "un indicatore di velocità", 1251)},
      {"un abbattimento",
       {},
       {{"abbattimento,    6050,   270",
         "abbattimento,    50,   270\r\nabbattimento,    6050,   270"}},
       "treno.txt:21:18: " + fmt::format(fmt::runtime(causa), "un abbattimento", 1250)},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    const esito_verifica e =
        verifica_di(modificato(linea_pulita, c.linea), modificato(treno_pulito, c.treno));
    EXPECT_EQ(problemi_di(e.uscita), std::vector<std::string>{c.attesa});
    EXPECT_EQ(e.stato, 1);
  }
}

TEST(Verifica, InJson) {
  richiesta_verifica r;
  r.json = true;
  const std::string linea = modificato(
      linea_pulita, {{"pendenza,  1250,   -4", "pendenza,  1250,   -4,5"},
                     {"pendenza,  6000,   5", "pendenza,  6000,   5\r\npendenza,  20000,   1"}});
  const esito_verifica e = verifica_di(linea, treno_pulito, r);
  EXPECT_EQ(e.stato, 1);
  const nlohmann::json documento = nlohmann::json::parse(e.uscita);
  EXPECT_EQ(documento["errori"], 1);
  EXPECT_EQ(documento["avvisi"], 1);
  EXPECT_EQ(documento["interrotta"], false);
  EXPECT_FALSE(documento.contains("motivo_interruzione"));
  ASSERT_EQ(documento["problemi"].size(), 2u);
  const nlohmann::json& avviso = documento["problemi"][0];
  EXPECT_EQ(avviso["file"], "linea.txt");
  EXPECT_EQ(avviso["riga"], 15);
  EXPECT_EQ(avviso["colonna"], 20);
  EXPECT_EQ(avviso["gravita"], "avviso");
  EXPECT_EQ(avviso["causa"],
            "pendenza: virgola decimale in \"-4,5\": la pendenza si legge -4 e \"5\" viene "
            "ignorato; i decimali non si possono scrivere");
  const nlohmann::json& errore = documento["problemi"][1];
  EXPECT_EQ(errore["riga"], 17);
  EXPECT_EQ(errore["colonna"], 12);
  EXPECT_EQ(errore["gravita"], "errore");
  EXPECT_TRUE(errore["causa"].get<std::string>().ends_with("(esito 15)"));
}

TEST(Verifica, ConUtf8) {
  richiesta_verifica r;
  r.utf8 = true;
  auto in_utf8 = [](std::string testo) {
    for (size_t dove; (dove = testo.find("\r\n")) != std::string::npos;) testo.erase(dove, 1);
    return testo;
  };
  // A name in UTF-8 is what --utf8 is for: no warning.
  const std::string treno =
      modificato(treno_pulito,
                 {{"stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro",
                   "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, "
                   "Citt\xc3\xa0"}});
  const esito_verifica buona = verifica_di(in_utf8(linea_pulita), in_utf8(treno), r);
  EXPECT_EQ(buona.uscita, "0 errori, 0 avvisi\n");
  EXPECT_EQ(buona.stato, 0);

  // What cannot be converted is an error with its place, and the file cannot
  // be read: status 2. The other file is still checked.
  const std::string linea =
      modificato(linea_pulita, {{"pendenza,  1250,   -4", "pendenza,  1250,   -4,5"}});
  const esito_verifica cattiva = verifica_di(in_utf8(linea), in_utf8(treno) + "\xe2\x86\x92\n", r);
  EXPECT_EQ(problemi_di(cattiva.uscita),
            (std::vector<std::string>{
                "linea.txt:15:20: avviso: pendenza: virgola decimale in \"-4,5\": la pendenza si "
                "legge -4 e \"5\" viene ignorato; i decimali non si possono scrivere",
                "treno.txt:23:1: errore: il carattere «→» (U+2192) non ha una forma in "
                "Windows-1252"}));
  EXPECT_EQ(cattiva.stato, 2);
}

TEST(Verifica, UnFileCheNonSiLegge) {
  richiesta_verifica r;
  r.linea = "/nessuna/cartella/linea.txt";
  r.treno = r.linea;
  std::ostringstream uscita, errori;
  EXPECT_EQ(verifica(r, uscita, errori), 2);
  EXPECT_EQ(uscita.str(), "");
  EXPECT_NE(errori.str().find("/nessuna/cartella/linea.txt"), std::string::npos) << errori.str();
}

// Whether `testo` holds a control character other than its line ends:
// a C0 control, DEL, or a C1 control in UTF-8.
bool con_controlli_crudi(const std::string& testo) {
  for (size_t i = 0; i < testo.size(); ++i) {
    const auto c = static_cast<unsigned char>(testo[i]);
    if ((c < 0x20 && c != '\n') || c == 0x7f) return true;
    if (c == 0xc2 && i + 1 < testo.size() && static_cast<unsigned char>(testo[i + 1]) >= 0x80 &&
        static_cast<unsigned char>(testo[i + 1]) <= 0x9f)
      return true;
  }
  return false;
}

TEST(Verifica, ICaratteriDiControlloDaiFileArrivanoScrittiPerEsteso) {
  // What a file holds reaches the terminal with its control characters
  // written out: an escape sequence, a bell, a carriage return in the middle
  // of a line, a byte that Windows-1252 leaves to a C1 control.
  const struct {
    const char* nome;
    std::vector<modifica> treno;
    std::string atteso;  // in the problem lines
  } casi[] = {
      {"una parola chiave sconosciuta",
       {{"[fine]", "\x1b[2J\x1b]0;titolo\x07parola,  1\r\n[fine]"}},
       "\"\\x1b[2J\\x1b]0;titolo\\x07parola\""},
      {"il nome di una stazione",
       {{"stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, Nuro",
         "stazione,    9000,  2,  400,  0, 0, 0,  0,0,0,  0,0,0,    0,  13,20, 0, "
         "Nu\x1b[31mro\x81"}},
       "Nu\\x1b[31mro\\x81"},
      {"un ritorno a capo solo", {{"[fine]", "parola\rfalsa,  1\r\n[fine]"}}, "\"parola\""},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    const esito_verifica e = verifica_di(linea_pulita, modificato(treno_pulito, c.treno));
    EXPECT_FALSE(con_controlli_crudi(e.uscita)) << e.uscita;
    EXPECT_NE(e.uscita.find(c.atteso), std::string::npos) << e.uscita;
  }

  // A file's own name.
  prova::CartellaTemporanea cartella;
  richiesta_verifica r;
  r.linea = cartella.file("li\x1b[2Jnea\n.txt");
  r.treno = r.linea;
  std::ostringstream uscita, errori;
  EXPECT_EQ(verifica(r, uscita, errori), 2);
  EXPECT_FALSE(con_controlli_crudi(errori.str())) << errori.str();
  EXPECT_NE(errori.str().find("li\\x1b[2Jnea\\n.txt"), std::string::npos) << errori.str();
}

TEST(Verifica, UnFileOltre64MiBNonSiLegge) {
  prova::CartellaTemporanea cartella;
  prova::scrivi(cartella.file("grande.txt"), "");
  std::filesystem::resize_file(cartella.file("grande.txt"), (std::uintmax_t{64} << 20) + 1);
  richiesta_verifica r;
  r.linea = cartella.file("grande.txt");
  r.treno = r.linea;
  std::ostringstream uscita, errori;
  EXPECT_EQ(verifica(r, uscita, errori), 2);
  EXPECT_EQ(uscita.str(), "");
  EXPECT_EQ(errori.str(),
            "impossibile leggere \"" + r.linea + "\": il file supera il limite di 64 MiB\n");
}

// ---- The program, as its users run it ----

// The carried description, its lines ended as `fine` says.
std::string portata(std::string_view nome, std::string_view fine) {
  std::string testo;
  for (const std::string& riga : righe_incorporate(nome)) testo += riga + std::string(fine);
  return testo;
}

// A working folder with the two descriptions and an empty folder for the
// program's temporary files, which must stay empty: the check writes
// nothing anywhere.
class VerificaScenario : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_STRNE(SCEN_SCENARIO, "") << "the scenario program is not built";
    std::filesystem::create_directory(cartella.file("tmp"));
  }

  void descrizioni(const std::string& linea, const std::string& treno) {
    prova::scrivi(cartella.file("linea.txt"), linea);
    prova::scrivi(cartella.file("treno.txt"), treno);
  }

  prova::Esito scenario(const std::vector<std::string>& argomenti) {
    const std::vector<std::string> prima = cartella.elenco();
    prova::Esito e = prova::esegui("TMPDIR=" + prova::tra_apici(cartella.file("tmp")) + " " +
                                       prova::riga_comando(SCEN_SCENARIO, argomenti),
                                   cartella.percorso());
    EXPECT_EQ(cartella.elenco(), prima);
    EXPECT_TRUE(std::filesystem::is_empty(cartella.file("tmp")));
    return e;
  }

  prova::CartellaTemporanea cartella;
};

TEST_F(VerificaScenario, LaCoppiaPortataHaSoloLaVirgolaDecimale) {
  descrizioni(portata("linea", "\r\n"), portata("treno", "\r\n"));
  const auto inizio = std::chrono::steady_clock::now();
  const prova::Esito e = scenario({"verifica", "linea.txt", "treno.txt"});
  const auto durata = std::chrono::steady_clock::now() - inizio;
  EXPECT_EQ(e.uscita,
            "linea.txt:187:20: avviso: pendenza: virgola decimale in \"-4,5\": la pendenza si "
            "legge -4 e \"5\" viene ignorato; i decimali non si possono scrivere\n"
            "0 errori, 1 avviso\n");
  EXPECT_EQ(e.errori, "");
  EXPECT_EQ(e.stato, 0);
  // The 334 km pair is read once: far below this bound, which only catches
  // a check that reads again and again without need.
  EXPECT_LT(durata, std::chrono::seconds(10));

  EXPECT_EQ(scenario({"verifica", "linea.txt", "treno.txt", "--rigoroso"}).stato, 1);
}

TEST_F(VerificaScenario, LaCoppiaPortataInUtf8) {
  descrizioni(portata("linea", "\n"), portata("treno", "\n"));
  const prova::Esito e = scenario({"verifica", "--utf8", "linea.txt", "treno.txt"});
  EXPECT_EQ(problemi_di(e.uscita),
            std::vector<std::string>{"linea.txt:187:20: avviso: pendenza: virgola decimale in "
                                     "\"-4,5\": la pendenza si legge -4 e \"5\" viene ignorato; "
                                     "i decimali non si possono scrivere"});
  EXPECT_EQ(e.stato, 0);
}

TEST_F(VerificaScenario, MoltiSbagliInUnaVolta) {
  const std::string linea = modificato(
      linea_pulita, {{"curvad3,  4000,  200", "cruvad3,  4000,  200"},
                     {"pendenza,  1250,   -4", "pendenza,  1250,   -4,5"},
                     {"pendenza,  6000,   5", "pendenza,  6000,   5\r\npendenza,  20000,   1"}});
  const std::string treno =
      modificato(treno_pulito, {{"velocita,  5000,  60", "velocita,  5000,  63"},
                                {"abbattimento,    6050,   270", "abbattimento,    6.5,   270"}});
  descrizioni(linea, treno);
  const prova::Esito e = scenario({"verifica", "linea.txt", "treno.txt"});
  const std::vector<std::string> righe = problemi_di(e.uscita);
  ASSERT_EQ(righe.size(), 5u) << e.uscita;
  EXPECT_TRUE(righe[0].starts_with("linea.txt:12:1: avviso: parola chiave sconosciuta"));
  EXPECT_TRUE(righe[1].starts_with("linea.txt:15:20: avviso: pendenza: virgola decimale"));
  EXPECT_TRUE(righe[2].starts_with("linea.txt:17:12: errore: "));
  EXPECT_TRUE(righe[3].starts_with("treno.txt:10:19: avviso: velocita: la velocità 63"));
  EXPECT_TRUE(righe[4].starts_with("treno.txt:21:18: errore: "));
  EXPECT_TRUE(e.uscita.ends_with("\n2 errori, 3 avvisi\n"));
  EXPECT_EQ(e.stato, 1);

  const prova::Esito json = scenario({"verifica", "linea.txt", "treno.txt", "--json"});
  const nlohmann::json documento = nlohmann::json::parse(json.uscita);
  EXPECT_EQ(documento["errori"], 2);
  EXPECT_EQ(documento["avvisi"], 3);
  ASSERT_EQ(documento["problemi"].size(), 5u);
  EXPECT_EQ(documento["problemi"][4]["file"], "treno.txt");
  EXPECT_EQ(documento["problemi"][4]["riga"], 21);
  EXPECT_EQ(documento["problemi"][4]["colonna"], 18);
  EXPECT_EQ(documento["problemi"][4]["gravita"], "errore");
  EXPECT_EQ(json.stato, 1);
}

TEST_F(VerificaScenario, UsoNonValidoEFileCheNonSiLeggono) {
  descrizioni(linea_pulita, treno_pulito);
  struct caso {
    std::vector<std::string> argomenti;
    std::string errori;
  };
  const std::string aiuto = "\nPer l'aiuto: scenario --help\n";
  const caso casi[] = {
      {{"verifica"}, "scenario: verifica: servono LINEA e TRENO" + aiuto},
      {{"verifica", "linea.txt"}, "scenario: verifica: servono LINEA e TRENO" + aiuto},
      {{"verifica", "linea.txt", "treno.txt", "altro"},
       "scenario: verifica: argomenti o opzioni non previsti: \"altro\"" + aiuto},
      {{"verifica", "linea.txt", "treno.txt", "--veloce"},
       "scenario: verifica: argomenti o opzioni non previsti: \"--veloce\"" + aiuto},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(testing::PrintToString(c.argomenti));
    const prova::Esito e = scenario(c.argomenti);
    EXPECT_EQ(e.stato, 2);
    EXPECT_EQ(e.uscita, "");
    EXPECT_EQ(e.errori, c.errori);
  }
  for (const std::vector<std::string>& argomenti :
       {std::vector<std::string>{"verifica", "manca.txt", "treno.txt"},
        std::vector<std::string>{"verifica", "linea.txt", "tmp"}}) {
    SCOPED_TRACE(testing::PrintToString(argomenti));
    const prova::Esito e = scenario(argomenti);
    EXPECT_EQ(e.stato, 2);
    EXPECT_EQ(e.uscita, "");
    EXPECT_NE(e.errori.find(argomenti[1] == "manca.txt" ? "manca.txt" : "tmp"), std::string::npos)
        << e.errori;

    // With --json the standard output is still one document, stopped for
    // the file, and the same line goes to standard error.
    std::vector<std::string> con_json = argomenti;
    con_json.push_back("--json");
    const prova::Esito j = scenario(con_json);
    EXPECT_EQ(j.stato, 2);
    EXPECT_EQ(j.errori, e.errori);
    const nlohmann::json documento = nlohmann::json::parse(j.uscita);
    EXPECT_TRUE(documento["problemi"].empty());
    EXPECT_EQ(documento["errori"], 0);
    EXPECT_EQ(documento["avvisi"], 0);
    EXPECT_EQ(documento["interrotta"], true);
    EXPECT_EQ(documento["motivo_interruzione"].get<std::string>() + "\n", e.errori);
  }
}

TEST_F(VerificaScenario, Aiuto) {
  const prova::Esito e = scenario({"verifica", "--help"});
  EXPECT_EQ(e.stato, 0);
  for (std::string_view parte : {std::string_view("Uso: scenario verifica [OPZIONI] LINEA TRENO"),
                                 std::string_view("--utf8"), std::string_view("--json"),
                                 std::string_view("--rigoroso"), aiuto_verifica_piede})
    EXPECT_NE(e.uscita.find(parte), std::string::npos) << parte;
  const prova::Esito generale = scenario({"--help"});
  EXPECT_NE(generale.uscita.find("verifica"), std::string::npos);
}

}  // namespace
}  // namespace scen
