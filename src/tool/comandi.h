// The commands of `scenario`, one file each (comando_*.cc): a command
// declares its arguments, options and help on its own part of the command
// line, and runs with what the command line put in them. The program's entry
// walks their table.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace scen {

struct richiesta_importa;

// What a command runs with besides its arguments and options.
struct chiamata {
  char** argv;  // the whole command line, for a command that hands it on
  std::ostream& uscita;
  std::ostream& errori;
};

// A command's run, with the arguments and options that the command line
// filled in; returns the exit status (platform/stati_uscita.h).
using esecuzione = std::function<int(const chiamata&)>;

// A command's own part of the command line, as its file declares it: its
// arguments and options, in the order of its help, each with its help and
// what it fills in when the line is read. The entry gives it, made with the
// command-line library (which only the entry includes).
class parte_comando {
 public:
  virtual ~parte_comando() = default;
  // A required argument, one word; with `valori`, one or more.
  virtual void argomento(const char* nome, std::string& valore, const char* aiuto) = 0;
  virtual void argomento(const char* nome, std::vector<std::string>& valori, const char* aiuto) = 0;
  // An option with a value, which the help calls `tipo` ("--chiave-treno
  // K"). `data`, when given, says once the line is read whether the option
  // was there.
  virtual void opzione(const char* nome, std::string& valore, const char* aiuto, const char* tipo,
                       bool* data = nullptr) = 0;
  // The same, but required.
  virtual void opzione_obbligatoria(const char* nome, std::string& valore, const char* aiuto,
                                    const char* tipo) = 0;
  // An option that may be given more than once, each time with a value.
  virtual void opzione_ripetibile(const char* nome, std::vector<std::string>& valori,
                                  const char* aiuto, const char* tipo) = 0;
  // An option whose value is a whole number, zero or more.
  virtual void opzione(const char* nome, long& valore, const char* aiuto, const char* tipo) = 0;
  // An option without a value: `valore` says whether it was there.
  virtual void bandiera(const char* nome, bool& valore, const char* aiuto) = 0;
};

struct comando {
  std::string_view nome;
  std::string_view aiuto;     // its line in the list of commands
  std::string_view piede;     // its own help, after its arguments and options
  std::string_view mancanti;  // what is missing when a required argument is
  // Declares the command's arguments and options on its own part of the
  // command line; the run it returns reads them once the line is read.
  esecuzione (*dichiara)(parte_comando& parte);
};

// The commands, in the order in which `scenario --help` lists them.
extern const comando comando_compila;
extern const comando comando_descrivi;
extern const comando comando_verifica;
extern const comando comando_documenti;
extern const comando comando_importa;
extern const comando comando_disegna;
extern const comando comando_ispeziona;
extern const comando comando_marcia;
extern const comando comando_guarda;

// `scenario importa` as this program does it: with the import linked in
// (scenario-importa), or by handing the command line to the program beside
// it that has the import, or by saying that the build has none. Each program
// links one of the three (importa_*.cc).
int importa_in_questo_programma(const richiesta_importa& richiesta, const chiamata& c);

// A usage fault: "scenario: MESSAGGIO" and where the help is, on `errori`.
// Returns uscita_fallita.
int uso_non_valido(std::ostream& errori, const std::string& messaggio);

// Runs `lavoro` (a command, or the whole program) so that no exception passes
// out of it: running out of memory (std::bad_alloc) ends it with
// memoria_esaurita, any other std::exception with "errore interno (CAUSA): il
// lavoro si è interrotto", each on `errori` with uscita_fallita. What the
// work put out before stays.
int entro_il_confine(const std::function<int()>& lavoro, std::ostream& errori);

}  // namespace scen
