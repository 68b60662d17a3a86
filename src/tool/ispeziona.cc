#include "tool/ispeziona.h"

#include <fmt/format.h>

#include <ostream>
#include <set>
#include <variant>

#include "inspect/insieme_compilati.h"
#include "inspect/lettura_compilati.h"
#include "platform/file.h"
#include "platform/stati_uscita.h"
#include "platform/visibile.h"
#include "tool/cartella_uscita.h"
#include "tool/ispeziona_uscita.h"

namespace scen {

namespace {

// A whole number of at most nine digits; nothing for anything else.
std::optional<Long> numero_cella(std::string_view testo) {
  if (testo.empty() || testo.size() > 9) return std::nullopt;
  Long n = 0;
  for (char c : testo) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return n;
}

// The folder of the file `nome` (host text), "" for the working folder.
std::string cartella_di(const std::string& nome) {
  const size_t separatore = nome.find_last_of(std::string{'/', separatore_cartella});
  return separatore == std::string::npos ? std::string() : nome.substr(0, separatore);
}

}  // namespace

Stato leggi_intervallo_celle(std::string_view testo, intervallo_celle& intervallo) {
  const size_t trattino = testo.find('-');
  const std::optional<Long> da = numero_cella(testo.substr(0, trattino));
  const std::optional<Long> a =
      trattino == std::string_view::npos ? da : numero_cella(testo.substr(trattino + 1));
  if (!da || !a)
    return Stato::errore(
        fmt::format("ispeziona: --celle \"{}\": ci vuole DA-A, due numeri di cella come 100-120, "
                    "o un numero solo",
                    testo));
  if (*da > *a)
    return Stato::errore(
        fmt::format("ispeziona: --celle {}: la prima cella viene dopo l'ultima", testo));
  intervallo = {*da, *a};
  return Stato::ok();
}

Stato completa_richiesta_ispeziona(richiesta_ispeziona& richiesta, const std::string* celle) {
  if (celle == nullptr) return Stato::ok();
  intervallo_celle intervallo;
  Stato stato = leggi_intervallo_celle(*celle, intervallo);
  if (!stato.riuscito()) return stato;
  richiesta.celle = intervallo;
  for (const std::string& nome : richiesta.file)
    if (tipo_dal_nome(nome) == tipo_compilato::celle) return Stato::ok();
  return Stato::errore(
      "ispeziona: --celle mostra le celle di un file di celle compilate (P_T.dat), e tra i file "
      "non ce n'è");
}

int ispeziona(const richiesta_ispeziona& richiesta, std::ostream& uscita, std::ostream& errori) {
  // A set of compiled files that a killed run left half replaced is seen
  // finished or undone, as the next run would leave it.
  std::set<std::string> cartelle;
  for (const std::string& nome : richiesta.file)
    if (const std::string cartella = cartella_di(nome); cartelle.insert(cartella).second)
      if (Stato stato = riprendi_cartella_letta(cartella, errori); !stato.riuscito())
        errori << stato.messaggio() << '\n' << std::flush;

  // First every file read, then what files given together tell of each
  // other, then the words or the document.
  std::vector<fatti_file> elenco;
  long falliti = 0;
  bool concordi = true;
  for (const std::string& nome : richiesta.file) {
    elenco.push_back(esamina_file(nome, richiesta.celle));
    if (std::holds_alternative<file_illeggibile>(elenco.back()))
      ++falliti;
    else
      concordi = concordi && concorda_col_nome(elenco.back());
  }
  unisci_cartelli(elenco);
  std::vector<std::string> fuori_posto;
  for (const incoerenza& i : incoerenze(elenco)) fuori_posto.push_back(testo_incoerenza(i));

  bool primo = true;
  for (const fatti_file& f : elenco) {
    if (const file_illeggibile* e = std::get_if<file_illeggibile>(&f)) {
      uscita.flush();  // the words of the files before, then this file's error
      errori << visibile(e->errore) << '\n' << std::flush;
      continue;
    }
    if (richiesta.json) continue;
    if (!primo) uscita << '\n';
    // The names and texts in the files are theirs: their control
    // characters written out.
    for (const std::string& riga : righe_fatti(f)) uscita << visibile(riga) << '\n';
    primo = false;
  }
  if (!richiesta.json && !fuori_posto.empty()) {
    if (!primo) uscita << '\n';
    uscita << "file che non vanno insieme:\n";
    for (const std::string& riga : fuori_posto) uscita << "  " << visibile(riga) << '\n';
  }
  if (richiesta.json) {
    documento_json file = documento_json::array();
    for (const fatti_file& f : elenco) file.push_back(json_fatti(f));
    const documento_json documento = {
        {"file", std::move(file)}, {"incoerenze", fuori_posto}, {"errori", falliti}};
    uscita << documento.dump(2, ' ', false, documento_json::error_handler_t::replace) << '\n';
  }
  uscita.flush();
  if (falliti > 0) return uscita_fallita;
  return concordi && fuori_posto.empty() ? uscita_riuscita : uscita_esito;
}

}  // namespace scen
