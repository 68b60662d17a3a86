// What the file layer does the same on every host: full names, replacing a
// file whole through file_nuovo, the names of its temporary files, the
// refusal of a file over a limit.
#include <fmt/format.h>

#include <charconv>
#include <cstdint>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/file.h"
#include "platform/processo.h"
#include "platform/windows1252.h"

namespace scen {

namespace {

constexpr std::string_view segno = ".~parziale";
constexpr size_t cifre_casuali = 8;

bool solo(std::string_view testo, std::string_view ammessi) {
  return !testo.empty() && testo.find_first_not_of(ammessi) == std::string_view::npos;
}

// A size limit in words: "64 MiB" when it is a whole number of MiB.
std::string in_byte(size_t byte) {
  constexpr size_t mib = size_t{1} << 20;
  if (byte >= mib && byte % mib == 0) return fmt::format("{} MiB", byte / mib);
  return fmt::format("{} byte", byte);
}

}  // namespace

std::string percorso_in(const std::string& cartella, std::string_view nome_1252) {
  std::string nome = da_1252_a_utf8(nome_1252);
  if (cartella.empty()) return nome;
  return cartella + separatore_cartella + nome;
}

file_nuovo::file_nuovo(std::string percorso, durata d)
    : percorso_(std::move(percorso)), durata_(d) {}

file_nuovo::~file_nuovo() { abbandona(); }

void file_nuovo::annota(std::string_view byte) {
  byte_scritti_ += byte.size();
  impronta_ = aggiorna_impronta(impronta_, byte);
}

void file_nuovo::al_suo_posto() {
  chiuso_ = false;
  interruzione_.reset();
}

std::uint64_t aggiorna_impronta(std::uint64_t impronta, std::string_view byte) {
  for (const char c : byte) {
    impronta ^= static_cast<unsigned char>(c);
    impronta *= 0x100000001b3u;
  }
  return impronta;
}

Stato sostituisci_file(const std::string& percorso, std::string_view contenuto, durata d) {
  file_nuovo file(percorso, d);
  Stato stato = file.apri();
  if (stato.riuscito()) stato = file.scrivi(contenuto);
  if (stato.riuscito()) stato = file.completa();
  return stato;
}

Stato non_aperto(const std::string& percorso) {
  return Stato::errore(
      fmt::format("impossibile scrivere \"{}\": il file temporaneo non è aperto", percorso));
}

Stato oltre_il_limite(const std::string& percorso, std::size_t massimo) {
  return Stato::errore(fmt::format("impossibile leggere \"{}\": il file supera il limite di {}",
                                   percorso, in_byte(massimo)));
}

bool e_nome_temporaneo(std::string_view nome) {
  const size_t dove = nome.rfind(segno);
  if (dove == std::string_view::npos || dove == 0) return false;
  std::string_view resto = nome.substr(dove + segno.size());
  if (resto.empty()) return true;  // as older versions named them
  if (resto.front() != '.') return false;
  resto.remove_prefix(1);
  const size_t punto = resto.find('.');
  if (punto == std::string_view::npos) return false;
  const std::string_view processo = resto.substr(0, punto);
  const std::string_view casuale = resto.substr(punto + 1);
  return solo(processo, "0123456789") && casuale.size() == cifre_casuali &&
         solo(casuale, "0123456789abcdef");
}

bool e_temporaneo_abbandonato(std::string_view nome) {
  if (!e_nome_temporaneo(nome)) return false;
  std::string_view resto = nome.substr(nome.rfind(segno) + segno.size());
  if (resto.empty()) return true;  // the older names carry no process
  resto.remove_prefix(1);
  std::uint32_t pid = 0;
  // An id too large for any process was made by no run.
  if (std::from_chars(resto.data(), resto.data() + resto.size(), pid).ec != std::errc())
    return true;
  return !processo_vivo(pid);
}

}  // namespace scen
