// scenario: tools for scenario authors, one command each.
#include <CLI/CLI.hpp>
#include <iostream>
#include <string>
#include <tuple>
#include <vector>

#ifdef SCEN_CON_IMPORTA
#include "import/importa.h"
#endif
#include "platform/interruzione.h"
#include "platform/programma_accanto.h"
#include "tool/compila.h"
#include "tool/descrivi.h"
#include "tool/disegna.h"
#include "tool/documenti.h"
#include "tool/ispeziona.h"
#include "tool/testi_aiuto.h"
#include "tool/verifica.h"

namespace {

int uso_non_valido(const std::string& messaggio) {
  std::cerr << "scenario: " << messaggio << "\nPer l'aiuto: scenario --help\n";
  return scen::uscita_fallita;
}

std::string elenco(const std::vector<std::string>& voci) {
  std::string testo;
  for (const std::string& voce : voci) testo += (testo.empty() ? "\"" : ", \"") + voce + "\"";
  return testo;
}

}  // namespace

int main(int argc, char** argv) {
  scen::prepara_processo();
  CLI::App app{std::string(scen::aiuto_scenario), "scenario"};
  app.footer(std::string(scen::aiuto_scenario_piede));
  app.get_formatter()->label("Usage", "Uso");
  app.get_formatter()->label("OPTIONS", "OPZIONI");
  app.get_formatter()->label("SUBCOMMAND", "COMANDO");
  app.get_formatter()->label("SUBCOMMANDS", "COMANDI");
  app.get_formatter()->label("Positionals", "Argomenti");
  app.get_formatter()->label("REQUIRED", "(obbligatorio)");
  app.get_formatter()->column_width(36);
  app.option_defaults()->group("Opzioni");
  app.set_help_flag("-h,--help", "mostra questo aiuto ed esce");
  app.set_version_flag("--version", std::string("scenario ") + SCEN_VERSIONE,
                       "mostra la versione ed esce");
  app.allow_extras();
  app.allow_windows_style_options(false);  // "/x" is a path on every host, never an option
  app.require_subcommand(0, 1);            // one command at a time

  scen::richiesta_compila richiesta;
  std::string chiave_percorso = scen::chiave_percorso_portata;
  std::string chiave_treno = scen::chiave_treno_portata;
  CLI::App* compila = app.add_subcommand("compila", std::string(scen::aiuto_compila));
  compila->group("Comandi");
  compila->set_help_flag("-h,--help", "mostra questo aiuto ed esce");
  compila->footer(std::string(scen::aiuto_compila_piede));
  compila->allow_extras();
  compila->add_option("LINEA", richiesta.linea, "file di descrizione della linea")
      ->required()
      ->type_name("");
  compila->add_option("TRENO", richiesta.treno, "file di descrizione del treno")
      ->required()
      ->type_name("");
  compila->add_option("CARTELLA", richiesta.cartella, "cartella in cui scrivere i file compilati")
      ->required()
      ->type_name("");
  compila
      ->add_option("--chiave-percorso", chiave_percorso,
                   "chiave del percorso (predefinita \"Vela_Nuro\")")
      ->type_name("K");
  compila->add_option("--chiave-treno", chiave_treno, "chiave del treno (predefinita \"IC 731\")")
      ->type_name("K");
  compila->add_flag("--senza-linea", richiesta.senza_linea,
                    "non costruisce il tracciato e non scrive la linea compilata");
  compila->add_flag("--utf8", richiesta.utf8,
                    "LINEA e TRENO sono in UTF-8, con le righe chiuse da LF, CR LF o CR");

  scen::richiesta_descrivi richiesta_descrivi;
  CLI::App* descrivi = app.add_subcommand("descrivi", std::string(scen::aiuto_descrivi));
  descrivi->group("Comandi");
  descrivi->set_help_flag("-h,--help", "mostra questo aiuto ed esce");
  descrivi->footer(std::string(scen::aiuto_descrivi_piede));
  descrivi->allow_extras();
  descrivi
      ->add_option("CARTELLA", richiesta_descrivi.cartella,
                   "cartella in cui scrivere le descrizioni e i documenti")
      ->required()
      ->type_name("");
  descrivi->add_flag("--utf8", richiesta_descrivi.utf8,
                     "le descrizioni in UTF-8 con le righe chiuse da LF");

  scen::richiesta_verifica richiesta_verifica;
  CLI::App* verifica = app.add_subcommand("verifica", std::string(scen::aiuto_verifica));
  verifica->group("Comandi");
  verifica->set_help_flag("-h,--help", "mostra questo aiuto ed esce");
  verifica->footer(std::string(scen::aiuto_verifica_piede));
  verifica->allow_extras();
  verifica->add_option("LINEA", richiesta_verifica.linea, "file di descrizione della linea")
      ->required()
      ->type_name("");
  verifica->add_option("TRENO", richiesta_verifica.treno, "file di descrizione del treno")
      ->required()
      ->type_name("");
  verifica->add_flag("--utf8", richiesta_verifica.utf8,
                     "LINEA e TRENO sono in UTF-8, con le righe chiuse da LF, CR LF o CR");
  verifica->add_flag("--json", richiesta_verifica.json, "i problemi come un solo documento JSON");
  verifica->add_flag("--rigoroso", richiesta_verifica.rigoroso,
                     "anche gli avvisi fanno fallire la verifica");

  scen::richiesta_documenti richiesta_documenti;
  std::string chiave_percorso_documenti = scen::chiave_percorso_portata;
  std::string chiave_treno_documenti = scen::chiave_treno_portata;
  std::string note_documenti;
  CLI::App* documenti = app.add_subcommand("documenti", std::string(scen::aiuto_documenti));
  documenti->group("Comandi");
  documenti->set_help_flag("-h,--help", "mostra questo aiuto ed esce");
  documenti->footer(std::string(scen::aiuto_documenti_piede));
  documenti->allow_extras();
  documenti->add_option("LINEA", richiesta_documenti.linea, "file di descrizione della linea")
      ->required()
      ->type_name("");
  documenti->add_option("TRENO", richiesta_documenti.treno, "file di descrizione del treno")
      ->required()
      ->type_name("");
  documenti
      ->add_option("CARTELLA", richiesta_documenti.cartella, "cartella in cui scrivere i documenti")
      ->required()
      ->type_name("");
  documenti
      ->add_option("--chiave-percorso", chiave_percorso_documenti,
                   "chiave del percorso (predefinita \"Vela_Nuro\")")
      ->type_name("K");
  documenti
      ->add_option("--chiave-treno", chiave_treno_documenti,
                   "chiave del treno (predefinita \"IC 731\")")
      ->type_name("K");
  documenti->add_flag("--utf8", richiesta_documenti.utf8,
                      "LINEA e TRENO sono in UTF-8, con le righe chiuse da LF, CR LF o CR");
  documenti->add_option("--note", note_documenti, "testo delle note, in UTF-8")->type_name("FILE");
  documenti
      ->add_option("--categoria", richiesta_documenti.categoria,
                   "categoria del treno (predefinita \"V200 C\")")
      ->type_name("C");
  documenti
      ->add_option("--massa-bloccata", richiesta_documenti.massa_bloccata,
                   "massa bloccata in tonnellate (predefinita 600)")
      ->type_name("T")
      ->check(CLI::NonNegativeNumber);
  std::string traccia, uscita_importa, treno_importa;
  bool json_importa = false;
  CLI::App* importa = app.add_subcommand("importa", std::string(scen::aiuto_importa));
  importa->group("Comandi");
  importa->set_help_flag("-h,--help", "mostra questo aiuto ed esce");
  importa->footer(std::string(scen::aiuto_importa_piede));
  importa->allow_extras();
  importa->add_option("TRACCIATO", traccia, "traccia GPS, GPX o GeoJSON")
      ->required()
      ->type_name("");
  importa->add_option("--uscita", uscita_importa, "descrizione della linea da scrivere")
      ->required()
      ->type_name("LINEA");
  importa->add_option("--treno", treno_importa, "anche una traccia di descrizione del treno")
      ->type_name("TRENO");
  importa->add_flag("--json", json_importa, "i risultati come un solo documento JSON");
  scen::richiesta_disegna richiesta_disegna;
  CLI::App* disegna = app.add_subcommand("disegna", std::string(scen::aiuto_disegna));
  disegna->group("Comandi");
  disegna->set_help_flag("-h,--help", "mostra questo aiuto ed esce");
  disegna->footer(std::string(scen::aiuto_disegna_piede));
  disegna->allow_extras();
  disegna
      ->add_option("INGRESSI", richiesta_disegna.ingressi,
                   "CARTELLA dei file compilati, oppure LINEA e TRENO")
      ->required()
      ->type_name("");
  disegna->add_option("--uscita", richiesta_disegna.uscita, "il disegno: FILE.svg o FILE.html")
      ->type_name("FILE");
  disegna->add_flag("--utf8", richiesta_disegna.utf8, "LINEA e TRENO sono in UTF-8");

  scen::richiesta_ispeziona richiesta_ispeziona;
  std::string celle_ispeziona;
  CLI::App* ispeziona = app.add_subcommand("ispeziona", std::string(scen::aiuto_ispeziona));
  ispeziona->group("Comandi");
  ispeziona->set_help_flag("-h,--help", "mostra questo aiuto ed esce");
  ispeziona->footer(std::string(scen::aiuto_ispeziona_piede));
  ispeziona->allow_extras();
  ispeziona->add_option("FILE", richiesta_ispeziona.file, "file compilati da ispezionare")
      ->required()
      ->type_name("");
  ispeziona->add_flag("--json", richiesta_ispeziona.json, "tutto come un solo documento JSON");
  ispeziona
      ->add_option("--celle", celle_ispeziona,
                   "mostra campo per campo le celle da DA ad A dei file di celle")
      ->type_name("DA-A");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return scen::uscita_riuscita;
  } catch (const CLI::CallForAllHelp&) {
    std::cout << app.help("", CLI::AppFormatMode::All);
    return scen::uscita_riuscita;
  } catch (const CLI::CallForVersion& e) {
    std::cout << e.what() << '\n';
    return scen::uscita_riuscita;
  } catch (const CLI::RequiredError&) {
    if (*descrivi) return uso_non_valido("descrivi: serve CARTELLA");
    if (*verifica) return uso_non_valido("verifica: servono LINEA e TRENO");
    if (*documenti) return uso_non_valido("documenti: servono LINEA, TRENO e CARTELLA");
    if (*importa) return uso_non_valido("importa: servono TRACCIATO e --uscita LINEA");
    if (*disegna) return uso_non_valido("disegna: servono CARTELLA, oppure LINEA e TRENO");
    if (*ispeziona) return uso_non_valido("ispeziona: serve almeno un FILE");
    return uso_non_valido("compila: servono LINEA, TRENO e CARTELLA");
  } catch (const CLI::ArgumentMismatch& e) {
    return uso_non_valido(std::string("un'opzione senza il suo valore, o data più volte (") +
                          e.what() + ")");
  } catch (const CLI::ParseError& e) {
    return uso_non_valido(std::string("riga di comando non valida (") + e.what() + ")");
  }

  if (!app.remaining().empty())
    return uso_non_valido("comando sconosciuto: " + elenco(app.remaining()));
  if (*descrivi) {
    if (!descrivi->remaining().empty())
      return uso_non_valido("descrivi: argomenti o opzioni non previsti: " +
                            elenco(descrivi->remaining()));
    return scen::descrivi(richiesta_descrivi, std::cerr);
  }
  if (*verifica) {
    if (!verifica->remaining().empty())
      return uso_non_valido("verifica: argomenti o opzioni non previsti: " +
                            elenco(verifica->remaining()));
    return scen::verifica(richiesta_verifica, std::cout, std::cerr);
  }
  if (*documenti) {
    if (!documenti->remaining().empty())
      return uso_non_valido("documenti: argomenti o opzioni non previsti: " +
                            elenco(documenti->remaining()));
    for (auto [utf8, quale, chiave] :
         {std::tuple{&chiave_percorso_documenti, "del percorso",
                     &richiesta_documenti.chiave_percorso},
          std::tuple{&chiave_treno_documenti, "del treno", &richiesta_documenti.chiave_treno}}) {
      scen::Stato stato = scen::chiave_1252(*utf8, quale, *chiave);
      if (!stato.riuscito()) return uso_non_valido(stato.messaggio());
    }
    if (documenti->count("--note") > 0) richiesta_documenti.note = note_documenti;
    return scen::documenti(richiesta_documenti, std::cout, std::cerr);
  }
  if (*importa) {
    if (!importa->remaining().empty())
      return uso_non_valido("importa: argomenti o opzioni non previsti: " +
                            elenco(importa->remaining()));
#if defined(SCEN_CON_IMPORTA)
    return scen::importa({traccia, uscita_importa, treno_importa, json_importa}, std::cout,
                         std::cerr);
#elif defined(SCEN_IMPORTA_ACCANTO)
    // The import is done by the program beside this one, the same tool
    // with the import linked in, on the same command line.
    const scen::Stato stato = scen::passa_al_programma_accanto(SCEN_IMPORTA_ACCANTO, argv);
    std::cerr << "scenario importa: " << stato.messaggio() << '\n';
    return scen::uscita_fallita;
#else
    std::cerr << "scenario importa: questa versione di scenario è stata costruita senza "
                 "l'importazione delle tracce GPS\n";
    return scen::uscita_fallita;
#endif
  }
  if (*disegna) {
    if (!disegna->remaining().empty())
      return uso_non_valido("disegna: argomenti o opzioni non previsti: " +
                            elenco(disegna->remaining()));
    scen::Stato valida = scen::richiesta_disegna_valida(richiesta_disegna);
    if (!valida.riuscito()) return uso_non_valido(valida.messaggio());
    return scen::disegna(richiesta_disegna, std::cout, std::cerr);
  }
  if (*ispeziona) {
    if (!ispeziona->remaining().empty())
      return uso_non_valido("ispeziona: argomenti o opzioni non previsti: " +
                            elenco(ispeziona->remaining()));
    scen::Stato stato = scen::completa_richiesta_ispeziona(
        richiesta_ispeziona, ispeziona->count("--celle") > 0 ? &celle_ispeziona : nullptr);
    if (!stato.riuscito()) return uso_non_valido(stato.messaggio());
    return scen::ispeziona(richiesta_ispeziona, std::cout, std::cerr);
  }
  if (!*compila) {
    // No command: the help, and a failure, since nothing was done.
    std::cout << app.help();
    return scen::uscita_fallita;
  }
  if (!compila->remaining().empty())
    return uso_non_valido("compila: argomenti o opzioni non previsti: " +
                          elenco(compila->remaining()));

  for (auto [utf8, quale, chiave] :
       {std::tuple{&chiave_percorso, "del percorso", &richiesta.chiave_percorso},
        std::tuple{&chiave_treno, "del treno", &richiesta.chiave_treno}}) {
    scen::Stato stato = scen::chiave_1252(*utf8, quale, *chiave);
    if (!stato.riuscito()) return uso_non_valido(stato.messaggio());
  }
  return scen::compila(richiesta, std::cout, std::cerr);
}
