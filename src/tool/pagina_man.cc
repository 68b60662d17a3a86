#include "tool/pagina_man.h"

#include <fmt/format.h>

#include <cstdint>
#include <ostream>
#include <vector>

#include "tool/testi_aiuto.h"

namespace scen {

namespace {

// One argument or option of a command, as its file declares it.
struct voce_comando {
  std::string nome;
  std::string tipo;  // the value's name, empty for a flag or an argument
  std::string aiuto;
  bool obbligatoria = false;
  bool ripetibile = false;
};

// A command's part of the command line, kept as its list of arguments and
// options instead of being read.
class parte_elencata final : public parte_comando {
 public:
  std::vector<voce_comando> argomenti;
  std::vector<voce_comando> opzioni;

  void argomento(const char* nome, std::string&, const char* aiuto) override {
    argomenti.push_back({nome, "", aiuto});
  }
  void argomento(const char* nome, std::vector<std::string>&, const char* aiuto) override {
    argomenti.push_back({nome, "", aiuto, false, true});
  }
  void opzione(const char* nome, std::string&, const char* aiuto, const char* tipo,
               bool*) override {
    opzioni.push_back({nome, tipo, aiuto});
  }
  void opzione_obbligatoria(const char* nome, std::string&, const char* aiuto,
                            const char* tipo) override {
    opzioni.push_back({nome, tipo, aiuto, true});
  }
  void opzione_ripetibile(const char* nome, std::vector<std::string>&, const char* aiuto,
                          const char* tipo) override {
    opzioni.push_back({nome, tipo, aiuto, false, true});
  }
  void opzione(const char* nome, long&, const char* aiuto, const char* tipo) override {
    opzioni.push_back({nome, tipo, aiuto});
  }
  void bandiera(const char* nome, bool&, const char* aiuto) override {
    opzioni.push_back({nome, "", aiuto});
  }
};

// The lines of `testo`, each on its own, as text; an empty line as `vuota`.
void righe(std::ostream& uscita, std::string_view testo, std::string_view vuota) {
  while (!testo.empty()) {
    const std::size_t fine = testo.find('\n');
    const std::string_view riga = testo.substr(0, fine);
    if (riga.empty())
      uscita << vuota << '\n';
    else
      uscita << testo_man(riga) << '\n';
    if (fine == std::string_view::npos) break;
    testo.remove_prefix(fine + 1);
  }
}

// An option's name in bold ("-h,--help": "-h, --help"), the name of its
// value, if it has one, in italics.
std::string nome_opzione(std::string_view nomi, std::string_view tipo) {
  std::string nome;
  for (;;) {
    const std::size_t virgola = nomi.find(',');
    nome += "\\fB" + testo_man(nomi.substr(0, virgola)) + "\\fR";
    if (virgola == std::string_view::npos) break;
    nome += ", ";
    nomi.remove_prefix(virgola + 1);
  }
  if (!tipo.empty()) nome += " \\fI" + testo_man(tipo) + "\\fR";
  return nome;
}

// An entry of a list: what it is, then its help.
void voce(std::ostream& uscita, const std::string& nome, std::string_view aiuto) {
  uscita << ".TP\n" << nome << '\n' << testo_man(aiuto) << '\n';
}

void voce(std::ostream& uscita, const std::string& nome, const voce_comando& v) {
  std::string aiuto = v.aiuto;
  if (v.obbligatoria) aiuto += " (obbligatoria)";
  if (v.ripetibile) aiuto += " (si può ripetere)";
  voce(uscita, nome, aiuto);
}

}  // namespace

std::string testo_man(std::string_view riga) {
  std::string testo;
  if (riga.starts_with('.') || riga.starts_with('\'')) testo = "\\&";
  for (std::size_t i = 0; i < riga.size(); ++i) {
    const auto c = static_cast<unsigned char>(riga[i]);
    if (c == '\\') {
      testo += "\\e";
    } else if (c == '-') {
      testo += "\\-";
    } else if (const std::size_t lunghezza = c >= 0xf0   ? 4
                                             : c >= 0xe0 ? 3
                                             : c >= 0xc0 ? 2
                                                         : 1;
               lunghezza > 1 && i + lunghezza <= riga.size()) {
      // A character beyond ASCII by its code point: the page reads the same
      // whatever encoding the reader's formatter expects.
      std::uint32_t punto = c & (0x7f >> lunghezza);
      for (std::size_t k = 1; k < lunghezza; ++k)
        punto = (punto << 6) | (static_cast<unsigned char>(riga[i + k]) & 0x3f);
      testo += fmt::format("\\[u{:04X}]", punto);
      i += lunghezza - 1;
    } else {
      testo += static_cast<char>(c);
    }
  }
  return testo;
}

void scrivi_pagina_man(std::ostream& uscita, std::span<const comando* const> comandi,
                       std::string_view versione) {
  // What the program is: the first sentence of its help, after its name.
  std::string_view cosa = aiuto_scenario.substr(0, aiuto_scenario.find(". "));
  if (cosa.starts_with("scenario: ")) cosa.remove_prefix(10);

  uscita << ".\\\" Fatta da scenario --pagina-man con i testi del suo aiuto.\n"
         << ".TH SCENARIO 1 \"\" \"scenario " << versione << "\" \"Comandi\"\n"
         << ".SH NOME\n"
         << "scenario \\- " << testo_man(cosa) << '\n'
         << ".SH SINTESI\n"
         << "\\fBscenario\\fR \\fICOMANDO\\fR [\\fIOPZIONI\\fR] \\fIARGOMENTI\\fR\n"
         << ".br\n"
         << "\\fBscenario\\fR [\\fIOPZIONI\\fR]\n"
         << ".SH DESCRIZIONE\n";
  righe(uscita, aiuto_scenario, ".PP");
  uscita << ".SH OPZIONI\n";
  voce(uscita, nome_opzione("-h,--help", ""), aiuto_opzione_aiuto);
  voce(uscita, nome_opzione("--version", ""), aiuto_opzione_versione);
  uscita << ".SH COMANDI\n";
  for (const comando* c : comandi) {
    parte_elencata parte;
    // The run it returns is never made: only what it declares is kept.
    (void)c->dichiara(parte);
    uscita << ".SS \"scenario " << testo_man(c->nome) << "\"\n" << testo_man(c->aiuto) << ".\n";
    if (!parte.argomenti.empty()) {
      uscita << ".PP\nArgomenti:\n";
      for (const voce_comando& a : parte.argomenti)
        voce(uscita, "\\fI" + testo_man(a.nome) + "\\fR", a);
    }
    uscita << ".PP\nOpzioni:\n";
    for (const voce_comando& o : parte.opzioni) voce(uscita, nome_opzione(o.nome, o.tipo), o);
    voce(uscita, nome_opzione("-h,--help", ""), aiuto_opzione_aiuto);
    // Its own help keeps its lines: it lays out lists and examples by them.
    uscita << ".PP\n.nf\n";
    righe(uscita, c->piede, "");
    uscita << ".fi\n";
  }
  uscita << ".SH \"VEDERE ANCHE\"\n";
  righe(uscita, aiuto_scenario_piede, ".PP");
  uscita << ".PP\n"
         << "I formati dei file di descrizione e dei file compilati, campo per campo, sono in\n"
         << "descrizioni.md e file_compilati.md, con README.md, nella documentazione\n"
         << "installata con il programma (/usr/share/doc/compilatore\\-scenari/ nel\n"
         << "pacchetto Debian).\n";
}

}  // namespace scen
