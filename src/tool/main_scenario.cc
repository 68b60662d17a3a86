// scenario: tools for scenario authors. Today one command, `compila`.
#include <CLI/CLI.hpp>
#include <iostream>
#include <string>
#include <tuple>
#include <vector>

#include "tool/compila.h"
#include "tool/testi_aiuto.h"

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
  app.allow_extras();

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

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return scen::uscita_riuscita;
  } catch (const CLI::CallForAllHelp&) {
    std::cout << app.help("", CLI::AppFormatMode::All);
    return scen::uscita_riuscita;
  } catch (const CLI::RequiredError&) {
    return uso_non_valido("compila: servono LINEA, TRENO e CARTELLA");
  } catch (const CLI::ArgumentMismatch& e) {
    return uso_non_valido(std::string("un'opzione senza il suo valore, o data più volte (") +
                          e.what() + ")");
  } catch (const CLI::ParseError& e) {
    return uso_non_valido(std::string("riga di comando non valida (") + e.what() + ")");
  }

  if (!app.remaining().empty())
    return uso_non_valido("comando sconosciuto: " + elenco(app.remaining()));
  if (!*compila) {
    std::cout << app.help();
    return scen::uscita_riuscita;
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
