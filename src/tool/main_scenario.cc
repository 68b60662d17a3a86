// scenario: tools for scenario authors, one command each.
#include <CLI/CLI.hpp>
#include <iostream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/interruzione.h"
#include "tool/compila.h"
#include "tool/descrivi.h"
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
