#include "tool/ispeziona.h"

#include <fmt/format.h>

#include <memory>
#include <ostream>

#include "inspect/lettura_compilati.h"
#include "platform/file.h"
#include "platform/stati_uscita.h"
#include "tool/ispeziona_fatti.h"

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

// The file read and its facts; a message when it is no compiled file.
Stato esamina(const std::string& nome, const std::optional<intervallo_celle>& celle,
              fatti& risultato) {
  if (e_cartella(nome)) return Stato::errore(fmt::format("{}: è una cartella, non un file", nome));
  const std::optional<tipo_compilato> tipo = tipo_dal_nome(nome);
  if (!tipo)
    return Stato::errore(
        fmt::format("{}: dal nome non si sa che file compilato sia: i nomi sono P_linea.dat "
                    "(la linea), P_T.sim (il treno) e P_T.dat (le celle)",
                    nome));
  auto m = std::make_unique<modello>();
  Stato stato = leggi_compilato(nome, *tipo, *m);
  if (!stato.riuscito()) return stato;
  std::uint64_t byte = 0;
  stato = dimensione_file(nome, byte);
  if (!stato.riuscito()) return stato;
  switch (*tipo) {
    case tipo_compilato::treno:
      risultato = fatti_treno(nome, byte, *m);
      break;
    case tipo_compilato::celle:
      risultato = fatti_celle(nome, byte, *m, celle);
      break;
    case tipo_compilato::linea:
      risultato = fatti_linea(nome, byte, *m);
      break;
  }
  return Stato::ok();
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
  // First every file read, then what files given together tell of each
  // other, then the words or the document.
  fatti elenco = fatti::array();
  long falliti = 0;
  bool concordi = true;
  for (const std::string& nome : richiesta.file) {
    fatti f;
    const Stato stato = esamina(nome, richiesta.celle, f);
    if (!stato.riuscito()) {
      ++falliti;
      elenco.push_back({{"file", nome}, {"errore", stato.messaggio()}});
      continue;
    }
    concordi = concordi && concorda_col_nome(f);
    elenco.push_back(std::move(f));
  }
  unisci_cartelli(elenco);
  const std::vector<std::string> fuori_posto = incoerenze(elenco);

  bool primo = true;
  for (const fatti& f : elenco) {
    if (f.contains("errore")) {
      uscita.flush();  // the words of the files before, then this file's error
      errori << f["errore"].get<std::string>() << '\n' << std::flush;
      continue;
    }
    if (richiesta.json) continue;
    if (!primo) uscita << '\n';
    for (const std::string& riga : righe_fatti(f)) uscita << riga << '\n';
    primo = false;
  }
  if (!richiesta.json && !fuori_posto.empty()) {
    if (!primo) uscita << '\n';
    uscita << "file che non vanno insieme:\n";
    for (const std::string& riga : fuori_posto) uscita << "  " << riga << '\n';
  }
  if (richiesta.json) {
    const fatti documento = {
        {"file", std::move(elenco)}, {"incoerenze", fuori_posto}, {"errori", falliti}};
    uscita << documento.dump(2, ' ', false, fatti::error_handler_t::replace) << '\n';
  }
  uscita.flush();
  if (falliti > 0) return uscita_fallita;
  return concordi && fuori_posto.empty() ? uscita_riuscita : uscita_esito;
}

}  // namespace scen
