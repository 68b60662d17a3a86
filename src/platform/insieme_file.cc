#include "platform/insieme_file.h"

#include <fmt/format.h>

#include <charconv>
#include <cstdlib>
#include <set>
#include <system_error>
#include <utility>

#include "platform/interruzione.h"

namespace scen {

namespace {

constexpr std::string_view intestazione = "insieme di file 1";
constexpr std::string_view segno_temporaneo = ".~parziale.";
constexpr size_t voci_massime = 64;
constexpr size_t byte_massimi_diario = size_t{1} << 16;

std::string nel(const std::string& cartella, std::string_view nome) {
  if (cartella.empty()) return std::string(nome);
  return cartella + separatore_cartella + std::string(nome);
}

// --- the test stop --------------------------------------------------------

// How many renames of sets the test stop allows, or -1 when it is not set.
long fermata_di_prova() {
  static const long fermata = [] {
    const char* testo = std::getenv(variabile_fermata_di_prova);
    if (testo == nullptr) return -1L;
    const std::string_view valore(testo);
    long n = -1;
    const auto [fine, errore] = std::from_chars(valore.data(), valore.data() + valore.size(), n);
    return errore == std::errc() && fine == valore.data() + valore.size() && n >= 0 ? n : -1L;
  }();
  return fermata;
}

long rinomine_fatte = 0;

void fermati_se_di_prova() {
  if (fermata_di_prova() >= 0 && rinomine_fatte >= fermata_di_prova()) termina_subito();
}

Stato rinomina_contata(const std::string& da, const std::string& a) {
  fermati_se_di_prova();
  Stato stato = rinomina_sopra(da, a);
  if (stato.riuscito()) ++rinomine_fatte;
  return stato;
}

// --- the journal's text ---------------------------------------------------

bool da_scrivere_in_codice(unsigned char c) { return c <= 0x20 || c == 0x7f || c == '%'; }

std::string nome_in_codice(std::string_view nome) {
  std::string testo;
  for (const char c : nome) {
    if (da_scrivere_in_codice(static_cast<unsigned char>(c)))
      testo += fmt::format("%{:02X}", static_cast<unsigned char>(c));
    else
      testo += c;
  }
  return testo;
}

int cifra_esadecimale(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The name `testo` stands for, if `nome_in_codice` writes it so.
bool nome_da_codice(std::string_view testo, std::string& nome) {
  nome.clear();
  for (size_t i = 0; i < testo.size(); ++i) {
    const auto c = static_cast<unsigned char>(testo[i]);
    if (da_scrivere_in_codice(c) && c != '%') return false;
    if (c != '%') {
      nome += testo[i];
      continue;
    }
    if (i + 2 >= testo.size()) return false;
    const int alta = cifra_esadecimale(testo[i + 1]);
    const int bassa = cifra_esadecimale(testo[i + 2]);
    if (alta < 0 || bassa < 0) return false;
    const auto byte = static_cast<unsigned char>(alta * 16 + bassa);
    if (!da_scrivere_in_codice(byte)) return false;
    nome += static_cast<char>(byte);
    i += 2;
  }
  return true;
}

// A name of a file in the folder itself: nothing that leads out of it. No
// name ends in a dot or a space, which Windows drops (".. " is "..").
bool nome_semplice(std::string_view nome) {
  return !nome.empty() && nome.back() != '.' && nome.back() != ' ' &&
         nome.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

// "<name>.~parziale.<pid>.<8 hex digits>", as file_nuovo names the
// temporary of `nome`.
bool temporaneo_di(std::string_view temporaneo, std::string_view nome) {
  return temporaneo.size() > nome.size() + segno_temporaneo.size() &&
         temporaneo.substr(0, nome.size()) == nome &&
         temporaneo.substr(nome.size(), segno_temporaneo.size()) == segno_temporaneo &&
         e_nome_temporaneo(temporaneo);
}

std::string esadecimale(std::uint64_t n) { return fmt::format("{:016x}", n); }

bool numero(std::string_view testo, std::uint64_t& n, int base) {
  if (testo.empty() || testo.size() > (base == 16 ? 16u : 20u)) return false;
  if (base == 10 && testo.size() > 1 && testo.front() == '0') return false;
  for (const char c : testo)
    if (!((c >= '0' && c <= '9') || (base == 16 && c >= 'a' && c <= 'f'))) return false;
  if (base == 16 && testo.size() != 16) return false;
  const auto [fine, errore] = std::from_chars(testo.data(), testo.data() + testo.size(), n, base);
  return errore == std::errc() && fine == testo.data() + testo.size();
}

// The fields of `riga` split at single spaces.
std::vector<std::string_view> campi(std::string_view riga) {
  std::vector<std::string_view> parti;
  for (;;) {
    const size_t spazio = riga.find(' ');
    parti.push_back(riga.substr(0, spazio));
    if (spazio == std::string_view::npos) return parti;
    riga.remove_prefix(spazio + 1);
  }
}

// --- a journal found in a folder ------------------------------------------

// Whether the file `percorso` holds `byte` bytes of hash `impronta`; if not,
// `motivo` says what it holds.
bool contenuto_atteso(const std::string& percorso, const voce_diario& voce, std::string& motivo) {
  std::uint64_t dimensione = 0;
  if (Stato stato = dimensione_file(percorso, dimensione); !stato.riuscito()) {
    motivo = stato.messaggio();
    return false;
  }
  if (dimensione != voce.byte) {
    motivo = fmt::format("\"{}\" ha {} byte invece di {}", percorso, dimensione, voce.byte);
    return false;
  }
  std::string byte;
  if (Stato stato = leggi_file(percorso, byte, static_cast<size_t>(voce.byte)); !stato.riuscito()) {
    motivo = stato.messaggio();
    return false;
  }
  if (byte.size() != voce.byte || aggiorna_impronta(impronta_iniziale, byte) != voce.impronta) {
    motivo = fmt::format("\"{}\" non contiene i byte che il diario registra", percorso);
    return false;
  }
  return true;
}

enum class condizione { da_rinominare, al_suo_posto, guasta };

}  // namespace

std::string percorso_diario(const std::string& cartella) { return nel(cartella, nome_diario); }

std::string testo_diario(const std::vector<voce_diario>& voci) {
  std::string testo = std::string(intestazione) + '\n';
  for (const voce_diario& v : voci)
    testo += fmt::format("{} {} {} {}\n", v.byte, esadecimale(v.impronta), nome_in_codice(v.nome),
                         nome_in_codice(v.temporaneo));
  testo += fmt::format("fine {}\n", esadecimale(aggiorna_impronta(impronta_iniziale, testo)));
  return testo;
}

Stato leggi_diario(std::string_view testo, const std::string& percorso,
                   std::vector<voce_diario>& voci) {
  voci.clear();
  auto rifiuta = [&](size_t riga, std::string_view causa) {
    voci.clear();
    return Stato::errore(fmt::format("{}:{}: {}", percorso, riga, causa));
  };
  if (testo.empty() || testo.back() != '\n') return rifiuta(1, "il diario è troncato");
  const std::string_view intero = testo;
  std::set<std::string, std::less<>> nomi;
  size_t numero_riga = 0;
  size_t inizio = 0;
  while (inizio < intero.size()) {
    ++numero_riga;
    const size_t fine = intero.find('\n', inizio);
    const std::string_view riga = intero.substr(inizio, fine - inizio);
    const size_t dopo = fine + 1;
    if (numero_riga == 1) {
      if (riga != intestazione) return rifiuta(1, "non è un diario di sostituzione");
    } else if (riga.substr(0, 5) == "fine ") {
      std::uint64_t impronta = 0;
      if (!numero(riga.substr(5), impronta, 16)) return rifiuta(numero_riga, "riga non valida");
      if (dopo != intero.size()) return rifiuta(numero_riga + 1, "righe dopo la fine");
      if (voci.empty()) return rifiuta(numero_riga, "il diario non nomina nessun file");
      if (aggiorna_impronta(impronta_iniziale, intero.substr(0, inizio)) != impronta)
        return rifiuta(numero_riga, "il diario è danneggiato (l'impronta non corrisponde)");
      return Stato::ok();
    } else {
      const std::vector<std::string_view> parti = campi(riga);
      voce_diario v;
      if (parti.size() != 4 || !numero(parti[0], v.byte, 10) || !numero(parti[1], v.impronta, 16) ||
          !nome_da_codice(parti[2], v.nome) || !nome_da_codice(parti[3], v.temporaneo))
        return rifiuta(numero_riga, "riga non valida");
      if (!nome_semplice(v.nome) || !nome_semplice(v.temporaneo))
        return rifiuta(numero_riga, "un nome esce dalla cartella del diario");
      if (!temporaneo_di(v.temporaneo, v.nome) || v.nome == nome_diario)
        return rifiuta(numero_riga, "il file temporaneo non è di quel file");
      if (!nomi.insert(v.nome).second) return rifiuta(numero_riga, "un file nominato due volte");
      if (voci.size() == voci_massime) return rifiuta(numero_riga, "troppi file");
      voci.push_back(std::move(v));
    }
    inizio = dopo;
  }
  return rifiuta(numero_riga, "il diario è troncato");
}

insieme_nuovo::insieme_nuovo(std::string cartella) : cartella_(std::move(cartella)) {}

file_nuovo& insieme_nuovo::aggiungi(const std::string& nome) {
  nomi_.push_back(nome);
  file_.push_back(std::make_unique<file_nuovo>(nel(cartella_, nome)));
  return *file_.back();
}

Stato insieme_nuovo::completa() {
  std::vector<voce_diario> voci;
  for (size_t i = 0; i < file_.size(); ++i) {
    file_nuovo& f = *file_[i];
    if (Stato stato = f.chiudi(); !stato.riuscito()) return stato;
    voci.push_back({nomi_[i], nomi_[i] + f.temporaneo().substr(f.percorso().size()),
                    f.byte_scritti(), f.impronta()});
  }
  for (const auto& f : file_)
    if (Stato stato = sostituibile(f->percorso()); !stato.riuscito()) return stato;
  const std::string diario = percorso_diario(cartella_);
  // From the journal to its removal an interrupt waits: the set is one step.
  segnali_trattenuti trattenuti;
  file_nuovo scritto(diario);
  Stato stato = scritto.apri();
  if (stato.riuscito()) stato = scritto.scrivi(testo_diario(voci));
  if (stato.riuscito()) stato = scritto.chiudi();
  if (stato.riuscito()) stato = rinomina_contata(scritto.temporaneo(), diario);
  if (!stato.riuscito()) return stato;
  scritto.al_suo_posto();
  if (stato = sincronizza_cartella(cartella_); !stato.riuscito()) {
    static_cast<void>(elimina_file(diario));
    return stato;
  }
  for (size_t i = 0; i < file_.size(); ++i) {
    file_nuovo& f = *file_[i];
    stato = rinomina_contata(f.temporaneo(), f.percorso());
    if (!stato.riuscito()) {
      if (i == 0) {
        // Nothing replaced yet: the older files stay, and the temporaries go.
        static_cast<void>(elimina_file(diario));
        return stato;
      }
      // Some files replaced: the journal and the temporaries left stay for
      // the next run in the folder to finish.
      for (size_t j = i; j < file_.size(); ++j) file_[j]->al_suo_posto();
      return Stato::errore(fmt::format(
          "{}: la prossima esecuzione nella cartella completerà la sostituzione dei file",
          stato.messaggio()));
    }
    f.al_suo_posto();
  }
  if (stato = sincronizza_cartella(cartella_); !stato.riuscito()) return stato;
  fermati_se_di_prova();
  return elimina_file(diario);
}

Stato riprendi_insieme(const std::string& cartella, std::string& detto) {
  detto.clear();
  const std::string diario = percorso_diario(cartella);
  if (!esiste(diario)) return Stato::ok();
  if (!e_file_regolare(diario)) {
    detto = fmt::format("{}: non è un file: lasciato com'è", diario);
    return Stato::ok();
  }
  std::string testo;
  std::vector<voce_diario> voci;
  Stato letto = leggi_file(diario, testo, byte_massimi_diario);
  if (letto.riuscito()) letto = leggi_diario(testo, diario, voci);
  if (!letto.riuscito()) {
    if (Stato stato = elimina_file(diario); !stato.riuscito()) return stato;
    detto =
        fmt::format("{}: diario rimosso senza completare la sostituzione interrotta che descriveva",
                    letto.messaggio());
    return Stato::ok();
  }

  std::vector<condizione> condizioni;
  std::string motivo;
  for (const voce_diario& v : voci) {
    const std::string temporaneo = nel(cartella, v.temporaneo);
    const std::string finale = nel(cartella, v.nome);
    std::string perche;
    if (e_file_regolare(temporaneo)) {
      condizioni.push_back(contenuto_atteso(temporaneo, v, perche) ? condizione::da_rinominare
                                                                   : condizione::guasta);
    } else if (!esiste(temporaneo) && e_file_regolare(finale) &&
               contenuto_atteso(finale, v, perche)) {
      condizioni.push_back(condizione::al_suo_posto);
    } else {
      condizioni.push_back(condizione::guasta);
      if (perche.empty()) perche = fmt::format("\"{}\" non c'è", temporaneo);
    }
    if (condizioni.back() == condizione::guasta && motivo.empty()) motivo = perche;
  }

  if (motivo.empty()) {
    size_t rinominati = 0;
    for (size_t i = 0; i < voci.size(); ++i) {
      if (condizioni[i] != condizione::da_rinominare) continue;
      Stato stato = rinomina_sopra(nel(cartella, voci[i].temporaneo), nel(cartella, voci[i].nome));
      if (!stato.riuscito()) return stato;
      ++rinominati;
    }
    if (Stato stato = sincronizza_cartella(cartella); !stato.riuscito()) return stato;
    if (Stato stato = elimina_file(diario); !stato.riuscito()) return stato;
    detto = fmt::format(
        "{}: completata la sostituzione di {} file che un'esecuzione interrotta aveva lasciato a "
        "metà ({} rinominati ora)",
        diario, voci.size(), rinominati);
    return Stato::ok();
  }

  // Undone: the temporaries go, the files in place stay.
  std::string nuovi;
  for (size_t i = 0; i < voci.size(); ++i) {
    const std::string temporaneo = nel(cartella, voci[i].temporaneo);
    if (e_file_regolare(temporaneo)) static_cast<void>(elimina_file(temporaneo));
    if (condizioni[i] == condizione::al_suo_posto)
      nuovi += fmt::format("{}\"{}\"", nuovi.empty() ? "" : ", ", voci[i].nome);
  }
  if (Stato stato = elimina_file(diario); !stato.riuscito()) return stato;
  detto = nuovi.empty()
              ? fmt::format("{}: sostituzione interrotta annullata ({}): restano i file precedenti",
                            diario, motivo)
              : fmt::format(
                    "{}: sostituzione interrotta annullata ({}): {} già sostituiti, gli altri "
                    "restano quelli precedenti",
                    diario, motivo, nuovi);
  return Stato::ok();
}

}  // namespace scen
