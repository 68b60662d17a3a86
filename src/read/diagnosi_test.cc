// What reading tells the author: the lines of a diagnosis, the quoting of
// text from the file, and, through `memorizza_dati`, the lines that common
// mistakes in the carried descriptions give.
#include "read/diagnosi.h"

#include <gtest/gtest.h>

#include "model/esiti.h"
#include "testing/prova_lettura.h"

namespace scen {
namespace {

using prova::Lettura;
using prova::portata;

diagnosi_lettura errore(std::string file, long riga, long colonna, std::string causa) {
  diagnosi_lettura d;
  segna_errore(d, file, {riga, colonna}, std::move(causa));
  return d;
}

TEST(Diagnosi, LinesNamePlaceAndGravity) {
  struct caso {
    const char* nome;
    diagnosi_lettura d;
    std::vector<std::string> righe;
  };
  diagnosi_lettura con_nota = errore("linea.txt", 212, 12, "posizione oltre le celle");
  aggiungi_nota(con_nota, gravita::nota, "treno.txt", {103, 17}, "lettura fermata qui");
  diagnosi_lettura solo_avviso;
  aggiungi_nota(solo_avviso, gravita::avviso, "treno.txt", {1, 1}, "nulla letto");
  const caso casi[] = {
      {"nothing", {}, {}},
      {"a field",
       errore("linea.txt", 14, 11, "manca la virgola"),
       {"linea.txt:14:11: errore: manca la virgola"}},
      {"a line, no field", errore("linea.txt", 9, 0, "x"), {"linea.txt:9: errore: x"}},
      {"the whole file", errore("treno.txt", 0, 0, "assente"), {"treno.txt: errore: assente"}},
      {"an error and its note",
       con_nota,
       {"linea.txt:212:12: errore: posizione oltre le celle",
        "treno.txt:103:17: nota: lettura fermata qui"}},
      {"a warning without an error", solo_avviso, {"treno.txt:1:1: avviso: nulla letto"}},
      // What came from a file (its name, a quoted field) with control
      // characters: written out, each line one line on the terminal.
      {"control characters",
       errore("li\nnea\x1b[2J.txt", 3, 1, "campo \"\x1b]0;x\x07\r\""),
       {"li\\nnea\\x1b[2J.txt:3:1: errore: campo \"\\x1b]0;x\\x07\\r\""}},
  };
  for (const caso& c : casi) EXPECT_EQ(righe_diagnosi(c.d), c.righe) << c.nome;
}

TEST(Diagnosi, ANewErrorTakesTheOldOnesNotesButNotTheWarnings) {
  diagnosi_lettura d = errore("linea.txt", 212, 12, "prima");
  aggiungi_nota(d, gravita::avviso, "treno.txt", {1, 1}, "avviso");
  aggiungi_nota(d, gravita::nota, "treno.txt", {3, 10}, "nota della prima");
  segna_errore(d, "treno.txt", {5, 2}, "seconda");
  rinomina_file(d, "treno.txt", "T.txt");
  EXPECT_EQ(righe_diagnosi(d),
            (std::vector<std::string>{"T.txt:5:2: errore: seconda", "T.txt:1:1: avviso: avviso"}));
}

TEST(Diagnosi, QuotedTextIsShortPrintableUtf8) {
  struct caso {
    std::string testo;
    std::string citato;
  };
  const caso casi[] = {
      {"", "\"\""},
      {"curvad3", "\"curvad3\""},
      {"a\tb\r\n\x01\x7f", "\"a\\tb\\r\\n\\x01\\x7f\""},
      {"\"\\", "\"\\\"\\\\\""},
      // Windows-1252 in, UTF-8 out; its undefined bytes are shown as codes.
      {"citt\xe0 \x80 \x81\x8d\x8f\x90\x9d",
       "\"citt\xc3\xa0 \xe2\x82\xac \\x81\\x8d\\x8f\\x90\\x9d\""},
      {std::string(40, 'a'), "\"" + std::string(40, 'a') + "\""},
      {std::string(41, 'a'), "\"" + std::string(40, 'a') + "…\""},
      {std::string(50'000'000, '\xe8'), "\"" +
                                            [] {
                                              std::string e;
                                              for (int i = 0; i < 40; ++i) e += "\xc3\xa8";
                                              return e;
                                            }() +
                                            "…\""},
  };
  for (const caso& c : casi) EXPECT_EQ(cita(c.testo), c.citato) << c.testo.substr(0, 50);
}

// Mistakes an author makes in the carried descriptions, and what
// `scenario compila` then prints about them, the files named linea.txt and
// treno.txt; the outcome and its position stay what reading gives.
TEST(Diagnosi, MistakesInTheCarriedDescriptionsAndTheLinesTheyGive) {
  const std::string intero = ", ma va un numero intero (cifre, con \"-\" davanti se negativo)";
  std::string lungo = "pendenza,  43250,   x\t\x01" + std::string(5'000'000, 'y');
  struct caso {
    const char* nome;
    std::string linea;
    std::string treno;
    esito numero;
    Long posizione;
    std::vector<std::string> righe;
  };
  const caso casi[] = {
      {"a gradient beyond the cells",
       portata("linea", 212, "pendenza,  341200,   4"),
       portata("treno"),
       esito::fuori_dalle_celle,
       291850,
       {"linea.txt:212:12: errore: posizione oltre le celle della linea: 341200 m, ma con una "
        "linea di 334000 m si arriva al più a 340900 m",
        "treno.txt:103:17: nota: la lettura del treno si ferma qui, al primo segnale o "
        "rallentamento: resta l'esito 15 della linea, con la posizione di questo rallentamento "
        "(291850)"}},
      {"the last field of a record missing",
       portata("linea", 107, "curvad3,  184700"),
       portata("treno"),
       esito::errore_di_lettura,
       0,
       {"linea.txt:107:17: errore: al record \"curvad3\" manca la lunghezza della curva: la riga "
        "finisce qui, e il valore si prenderebbe da \"curvad3\", all'inizio della riga 108"}},
      {"the comma after the keyword missing",
       portata("linea", 14, "curvas4   7000,  150"),
       portata("treno"),
       esito::errore_di_lettura,
       0,
       {"linea.txt:14:11: errore: manca la virgola tra \"curvas4\" e \"7000\": senza, il numero "
        "resta nella parola chiave e al record manca la lunghezza della curva (la riga finisce "
        "qui, e il valore si prenderebbe da \"curvas5\", all'inizio della riga 15)"}},
      {"the files swapped",
       portata("treno"),
       portata("linea"),
       esito::errore_di_lettura,
       0,
       {"linea.txt:1:1: errore: la lunghezza della linea non è stata letta: manca «lunghezza "
        "percorso» nella sezione [generale]",
        "linea.txt:2:1: nota: \"numero vetture\" è un record della descrizione del treno: i due "
        "file di descrizione sono forse scambiati?"}},
      {"no line length",
       portata("linea", 2, ""),
       portata("treno"),
       esito::errore_di_lettura,
       0,
       {"linea.txt:1:1: errore: la lunghezza della linea non è stata letta: manca «lunghezza "
        "percorso» nella sezione [generale]"}},
      {"a speed the cells cannot keep",
       portata("linea"),
       portata("treno", 50, "velocita,  1000,  2000"),
       esito::errore_di_lettura,
       0,
       {"treno.txt:50:19: errore: la velocità 2000 km/h va oltre 1275 km/h, la più alta che le "
        "celle tengono (in quinti di km/h, fino a 255)"}},
      {"a station field beyond a byte",
       portata("linea"),
       portata("treno", 58,
               "stazione,   11950,  2,  400,  0, 0, 0,  1,1,300,  4,1,1,   99,  13,18,30, Colle "
               "Ardito"),
       esito::errore_di_lettura,
       0,
       {"treno.txt:58:45: errore: il campo 9 della stazione vale 300, ma va da 0 a 255"}},
      {"a field of megabytes with control bytes",
       portata("linea", 212, lungo),
       portata("treno"),
       esito::errore_di_lettura,
       0,
       {"linea.txt:212:21: errore: il valore della pendenza: trovato \"x\\t\\x01" +
        std::string(37, 'y') + "…\"" + intero + ": tra i numeri vanno spazi, non tabulazioni"}},
      {"an empty train file",
       portata("linea"),
       "",
       esito::nessuno,
       0,
       {"treno.txt:1:1: avviso: il file è vuoto: del treno non si è letto nulla"}},
      {"a train file without its general section",
       portata("linea"),
       portata("treno", 1, "[general]"),
       esito::nessuno,
       0,
       {"treno.txt:1:1: avviso: nessuna sezione [generale]: del treno non si è letto nulla"}},
  };
  for (const caso& c : casi) {
    Lettura l(1);
    l.leggi(c.linea, c.treno);
    EXPECT_EQ(l.m.errore_codice, c.numero) << c.nome;
    EXPECT_EQ(l.m.errore_posizione, c.posizione) << c.nome;
    EXPECT_EQ(l.righe_mostrate(), c.righe) << c.nome;
  }
}

}  // namespace
}  // namespace scen
