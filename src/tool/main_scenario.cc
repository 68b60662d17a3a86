// scenario: tools for scenario authors, one command each (tool/comandi.h).
#include <CLI/CLI.hpp>
#include <charconv>
#include <cstddef>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/interruzione.h"
#include "platform/stati_uscita.h"
#include "tool/comandi.h"
#include "tool/pagina_man.h"
#include "tool/testi_aiuto.h"

namespace {

// In the order of `scenario --help`. A missing argument with no command
// known to miss it is the first command's.
const scen::comando* const comandi[] = {
    &scen::comando_compila,   &scen::comando_descrivi, &scen::comando_verifica,
    &scen::comando_documenti, &scen::comando_importa,  &scen::comando_disegna,
    &scen::comando_ispeziona, &scen::comando_marcia,   &scen::comando_guarda,
};
constexpr std::size_t nessuno = std::size(comandi);

// A command's part of the command line, declared through CLI11.
class parte_cli final : public scen::parte_comando {
 public:
  explicit parte_cli(CLI::App& parte) : parte_(parte) {}

  void argomento(const char* nome, std::string& valore, const char* aiuto) override {
    parte_.add_option(nome, valore, aiuto)->required()->type_name("");
  }
  void argomento(const char* nome, std::vector<std::string>& valori, const char* aiuto) override {
    parte_.add_option(nome, valori, aiuto)->required()->type_name("");
  }
  void opzione(const char* nome, std::string& valore, const char* aiuto, const char* tipo,
               bool* data) override {
    CLI::Option* opzione = parte_.add_option(nome, valore, aiuto)->type_name(tipo);
    if (data != nullptr) date_.push_back({opzione, data});
  }
  void opzione_obbligatoria(const char* nome, std::string& valore, const char* aiuto,
                            const char* tipo) override {
    parte_.add_option(nome, valore, aiuto)->required()->type_name(tipo);
  }
  void opzione_ripetibile(const char* nome, std::vector<std::string>& valori, const char* aiuto,
                          const char* tipo) override {
    parte_.add_option(nome, valori, aiuto)->type_name(tipo)->allow_extra_args(false);
  }
  void opzione(const char* nome, long& valore, const char* aiuto, const char* tipo) override {
    // The help shows the value's name alone: what it may be is said in words.
    parte_.add_option(nome, valore, aiuto)
        ->type_name(tipo)
        ->check(CLI::Validator(
            [](std::string& testo) -> std::string {
              long numero = 0;
              const char* fine = testo.data() + testo.size();
              const auto [dove, errore] = std::from_chars(testo.data(), fine, numero);
              if (errore == std::errc() && dove == fine && numero >= 0) return "";
              return "\"" + testo + "\" non è un numero intero da 0 in su";
            },
            ""));
  }
  void bandiera(const char* nome, bool& valore, const char* aiuto) override {
    parte_.add_flag(nome, valore, aiuto);
  }

  // Once the line is read: which options that tell were there.
  void letta() const {
    for (const auto& [opzione, data] : date_) *data = opzione->count() > 0;
  }

 private:
  CLI::App& parte_;
  std::vector<std::pair<const CLI::Option*, bool*>> date_;
};

std::string elenco(const std::vector<std::string>& voci) {
  std::string testo;
  for (const std::string& voce : voci) testo += (testo.empty() ? "\"" : ", \"") + voce + "\"";
  return testo;
}

int scenario(int argc, char** argv) {
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
  app.set_help_flag("-h,--help", std::string(scen::aiuto_opzione_aiuto));
  app.set_version_flag("--version", std::string("scenario ") + SCEN_VERSIONE,
                       std::string(scen::aiuto_opzione_versione));
  app.allow_extras();
  app.allow_windows_style_options(false);  // "/x" is a path on every host, never an option
  app.require_subcommand(0, 1);            // one command at a time

  std::vector<CLI::App*> parti;
  std::vector<parte_cli> dichiarate;
  std::vector<scen::esecuzione> esecuzioni;
  dichiarate.reserve(nessuno);
  for (const scen::comando* c : comandi) {
    CLI::App* parte = app.add_subcommand(std::string(c->nome), std::string(c->aiuto));
    parte->group("Comandi");
    parte->set_help_flag("-h,--help", std::string(scen::aiuto_opzione_aiuto));
    parte->footer(std::string(c->piede));
    parte->allow_extras();
    parti.push_back(parte);
    dichiarate.emplace_back(*parte);
    esecuzioni.push_back(c->dichiara(dichiarate.back()));
  }
  auto dato = [&] {
    std::size_t i = 0;
    while (i < nessuno && !*parti[i]) ++i;
    return i;
  };
  auto uso_non_valido = [](const std::string& messaggio) {
    return scen::uso_non_valido(std::cerr, messaggio);
  };

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
    const std::size_t i = dato();
    return uso_non_valido(std::string(comandi[i < nessuno ? i : 0]->mancanti));
  } catch (const CLI::ArgumentMismatch& e) {
    return uso_non_valido(std::string("un'opzione senza il suo valore, o data più volte (") +
                          e.what() + ")");
  } catch (const CLI::ParseError& e) {
    return uso_non_valido(std::string("riga di comando non valida (") + e.what() + ")");
  }

  if (!app.remaining().empty())
    return uso_non_valido("comando sconosciuto: " + elenco(app.remaining()));
  const std::size_t i = dato();
  if (i == nessuno) {
    // No command: the help, and a failure, since nothing was done.
    std::cout << app.help();
    return scen::uscita_fallita;
  }
  if (!parti[i]->remaining().empty())
    return uso_non_valido(std::string(comandi[i]->nome) +
                          ": argomenti o opzioni non previsti: " + elenco(parti[i]->remaining()));
  dichiarate[i].letta();
  return esecuzioni[i]({argv, std::cout, std::cerr});
}

}  // namespace

int main(int argc, char** argv) {
  scen::prepara_processo();
  return scen::entro_il_confine(
      [&] {
        // The manual page, which the build makes from the help's texts; not
        // in the help, since it is the build's and not the user's.
        if (argc == 2 && std::string_view(argv[1]) == "--pagina-man") {
          scen::scrivi_pagina_man(std::cout, comandi, SCEN_VERSIONE);
          return std::cout.flush() ? scen::uscita_riuscita : scen::uscita_fallita;
        }
        return scenario(argc, argv);
      },
      std::cerr);
}
