// Windows implementation of the host's files. Names are the program's text
// (UTF-8) and reach the system as its wide text; an open file is kept as a
// C runtime descriptor over the system's handle.
#include <fcntl.h>
#include <fmt/format.h>
#include <io.h>
#include <windows.h>

#include <algorithm>

#include "platform/file.h"
#include "platform/motivo_sistema.h"
#include "platform/testo_largo.h"
#include "platform/windows1252.h"

namespace scen {

namespace {

Stato guasto(std::string_view azione, const std::string& percorso, DWORD codice) {
  return Stato::errore(
      fmt::format("{} \"{}\": {}", azione, percorso, motivo_sistema(static_cast<int>(codice))));
}

HANDLE maniglia(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

Stato scrivi_tutto(HANDLE h, std::string_view dati, const std::string& percorso) {
  while (!dati.empty()) {
    const auto blocco = static_cast<DWORD>(std::min<size_t>(dati.size(), DWORD{1} << 30));
    DWORD scritti = 0;
    if (!::WriteFile(h, dati.data(), blocco, &scritti, nullptr))
      return guasto("impossibile scrivere", percorso, ::GetLastError());
    dati.remove_prefix(scritti);
  }
  return Stato::ok();
}

}  // namespace

std::string percorso_in(const std::string& cartella, std::string_view nome_1252) {
  std::string nome = da_1252_a_utf8(nome_1252);
  if (cartella.empty()) return nome;
  return cartella + "\\" + nome;
}

file_nuovo::file_nuovo(std::string percorso)
    : percorso_(std::move(percorso)), temporaneo_(percorso_ + ".~parziale") {}

file_nuovo::~file_nuovo() { abbandona(); }

void file_nuovo::abbandona() {
  if (fd_ < 0) return;
  ::_close(fd_);
  ::DeleteFileW(largo(temporaneo_).c_str());
  fd_ = -1;
}

Stato file_nuovo::apri() {
  HANDLE h = ::CreateFileW(largo(temporaneo_).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return guasto("impossibile creare", percorso_, ::GetLastError());
  fd_ = ::_open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd_ < 0) {
    ::CloseHandle(h);
    ::DeleteFileW(largo(temporaneo_).c_str());
    return guasto("impossibile creare", percorso_, ERROR_TOO_MANY_OPEN_FILES);
  }
  return Stato::ok();
}

Stato file_nuovo::scrivi(std::string_view byte) {
  Stato stato = scrivi_tutto(maniglia(fd_), byte, percorso_);
  if (!stato.riuscito()) abbandona();
  return stato;
}

Stato file_nuovo::completa() {
  Stato stato;
  if (!::FlushFileBuffers(maniglia(fd_)))
    stato = guasto("impossibile scrivere", percorso_, ::GetLastError());
  if (!stato.riuscito()) {
    abbandona();
    return stato;
  }
  const int fd = fd_;
  fd_ = -1;
  if (::_close(fd) != 0) stato = guasto("impossibile chiudere", percorso_, ::GetLastError());
  const std::wstring temporaneo = largo(temporaneo_);
  if (stato.riuscito() && !::MoveFileExW(temporaneo.c_str(), largo(percorso_).c_str(),
                                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    stato = guasto("impossibile sostituire", percorso_, ::GetLastError());
  if (!stato.riuscito()) ::DeleteFileW(temporaneo.c_str());
  return stato;
}

Stato sostituisci_file(const std::string& percorso, std::string_view contenuto) {
  file_nuovo file(percorso);
  Stato stato = file.apri();
  if (stato.riuscito()) stato = file.scrivi(contenuto);
  if (stato.riuscito()) stato = file.completa();
  return stato;
}

Stato leggi_file(const std::string& percorso, std::string& contenuto) {
  HANDLE h = ::CreateFileW(largo(percorso).c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return guasto("impossibile aprire", percorso, ::GetLastError());
  contenuto.clear();
  char blocco[1 << 16];
  for (;;) {
    DWORD letti = 0;
    if (!::ReadFile(h, blocco, sizeof blocco, &letti, nullptr)) {
      const DWORD codice = ::GetLastError();
      ::CloseHandle(h);
      return guasto("impossibile leggere", percorso, codice);
    }
    if (letti == 0) break;
    contenuto.append(blocco, letti);
  }
  ::CloseHandle(h);
  return Stato::ok();
}

bool esiste(const std::string& percorso) {
  return ::GetFileAttributesW(largo(percorso).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool e_cartella(const std::string& percorso) {
  const DWORD attributi = ::GetFileAttributesW(largo(percorso).c_str());
  return attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Stato elimina_file(const std::string& percorso) {
  if (!::DeleteFileW(largo(percorso).c_str())) {
    const DWORD codice = ::GetLastError();
    if (codice != ERROR_FILE_NOT_FOUND && codice != ERROR_PATH_NOT_FOUND)
      return guasto("impossibile eliminare", percorso, codice);
  }
  return Stato::ok();
}

}  // namespace scen
