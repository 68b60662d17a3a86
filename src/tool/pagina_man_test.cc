#include "tool/pagina_man.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "tool/testi_aiuto.h"

namespace scen {
namespace {

TEST(PaginaMan, TextAsTheMacrosReadIt) {
  struct caso {
    std::string_view riga;
    std::string_view attesa;
  };
  const caso casi[] = {
      {"testo semplice", "testo semplice"},
      {"è così, «→» 😀", "\\[u00E8] cos\\[u00EC], \\[u00AB]\\[u2192]\\[u00BB] \\[u1F600]"},
      {"--utf8 e -4,5", "\\-\\-utf8 e \\-4,5"},
      {"C:\\percorso\\n", "C:\\epercorso\\en"},
      {".dat all'inizio", "\\&.dat all'inizio"},
      {"'apice all'inizio", "\\&'apice all'inizio"},
      {"in mezzo .dat e 'x'", "in mezzo .dat e 'x'"},
      {"", ""},
  };
  for (const caso& c : casi) EXPECT_EQ(testo_man(c.riga), c.attesa) << c.riga;
}

// A command with one of each kind of argument and option, and a help whose
// lines the macros would otherwise read as requests.
struct richiesta_prova {
  std::string cartella;
  std::vector<std::string> file;
  std::string chiave;
  std::string uscita;
  std::vector<std::string> quote;
  long margine = 0;
  bool utf8 = false;
};

esecuzione dichiara_prova(parte_comando& parte) {
  auto r = std::make_shared<richiesta_prova>();
  parte.argomento("CARTELLA", r->cartella, "dove scrivere");
  parte.argomento("FILE", r->file, "i file da leggere");
  parte.opzione("--chiave-treno", r->chiave, "la chiave del treno", "K");
  parte.opzione_obbligatoria("--uscita", r->uscita, "il file scritto", "FILE");
  parte.opzione_ripetibile("--quote", r->quote, "una tessera di quote", "TESSERA");
  parte.opzione("--margine", r->margine, "il margine in percento", "P");
  parte.bandiera("--utf8", r->utf8, "in UTF-8");
  return [r](const chiamata&) { return 0; };
}

const comando comando_prova = {"prova", "prova ogni voce",
                               "scenario prova CARTELLA FILE...\n"
                               "Scrive in CARTELLA.\n"
                               "\n"
                               ".dat: il file \\ compilato\n"
                               "  rientrato\n",
                               "prova: serve CARTELLA", dichiara_prova};

TEST(PaginaMan, EveryEntryOfACommandAndItsOwnHelp) {
  const comando* const comandi[] = {&comando_prova};
  std::ostringstream pagina;
  scrivi_pagina_man(pagina, comandi, "1.2.3");
  const std::string testo = pagina.str();

  EXPECT_EQ(testo.rfind(".\\\" Fatta da scenario --pagina-man con i testi del suo aiuto.\n"
                        ".TH SCENARIO 1 \"\" \"scenario 1.2.3\" \"Comandi\"\n"
                        ".SH NOME\n"
                        "scenario \\- strumenti per chi scrive scenari\n"
                        ".SH SINTESI\n",
                        0),
            0u)
      << testo;
  // The program's help and its options, in the words of `scenario --help`.
  EXPECT_NE(testo.find(".SH DESCRIZIONE\n" + testo_man(aiuto_scenario.substr(0, 60))),
            std::string::npos);
  EXPECT_NE(testo.find(".SH OPZIONI\n.TP\n\\fB\\-h\\fR, \\fB\\-\\-help\\fR\n" +
                       std::string(aiuto_opzione_aiuto) + "\n.TP\n\\fB\\-\\-version\\fR\n" +
                       std::string(aiuto_opzione_versione) + "\n.SH COMANDI\n"),
            std::string::npos)
      << testo;

  const std::size_t inizio = testo.find(".SH COMANDI\n");
  const std::size_t fine = testo.find(".SH \"VEDERE ANCHE\"\n");
  ASSERT_NE(inizio, std::string::npos);
  ASSERT_NE(fine, std::string::npos);
  EXPECT_EQ(testo.substr(inizio, fine - inizio),
            ".SH COMANDI\n"
            ".SS \"scenario prova\"\n"
            "prova ogni voce.\n"
            ".PP\n"
            "Argomenti:\n"
            ".TP\n"
            "\\fICARTELLA\\fR\n"
            "dove scrivere\n"
            ".TP\n"
            "\\fIFILE\\fR\n"
            "i file da leggere (si pu\\[u00F2] ripetere)\n"
            ".PP\n"
            "Opzioni:\n"
            ".TP\n"
            "\\fB\\-\\-chiave\\-treno\\fR \\fIK\\fR\n"
            "la chiave del treno\n"
            ".TP\n"
            "\\fB\\-\\-uscita\\fR \\fIFILE\\fR\n"
            "il file scritto (obbligatoria)\n"
            ".TP\n"
            "\\fB\\-\\-quote\\fR \\fITESSERA\\fR\n"
            "una tessera di quote (si pu\\[u00F2] ripetere)\n"
            ".TP\n"
            "\\fB\\-\\-margine\\fR \\fIP\\fR\n"
            "il margine in percento\n"
            ".TP\n"
            "\\fB\\-\\-utf8\\fR\n"
            "in UTF\\-8\n"
            ".TP\n"
            "\\fB\\-h\\fR, \\fB\\-\\-help\\fR\n"
            "mostra questo aiuto ed esce\n"
            ".PP\n"
            ".nf\n"
            "scenario prova CARTELLA FILE...\n"
            "Scrive in CARTELLA.\n"
            "\n"
            "\\&.dat: il file \\e compilato\n"
            "  rientrato\n"
            ".fi\n");
}

}  // namespace
}  // namespace scen
