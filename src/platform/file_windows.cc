// Windows implementation of the host's files. Names are the program's text
// (UTF-8) and reach the system as its wide text.
#include <fmt/format.h>
#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/casuale.h"
#include "platform/file.h"
#include "platform/motivo_sistema.h"
#include "platform/processo.h"
#include "platform/testo_largo.h"
#include "platform/windows1252.h"

namespace scen {

namespace {

Stato guasto(std::string_view azione, const std::string& percorso, DWORD codice) {
  return Stato::errore(
      fmt::format("{} \"{}\": {}", azione, percorso, motivo_sistema(static_cast<int>(codice))));
}

HANDLE maniglia(std::intptr_t fd) { return reinterpret_cast<HANDLE>(fd); }

// A name for the temporary file of `percorso`, unique to this process and
// unlikely to be taken by anything else.
std::string nome_temporaneo(const std::string& percorso) {
  return fmt::format("{}.~parziale.{}.{:08x}", percorso, numero_processo(), numero_casuale());
}

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

const char separatore_cartella = '\\';

void file_nuovo::abbandona() {
  if (fd_ >= 0) ::CloseHandle(maniglia(fd_));
  if (fd_ >= 0 || chiuso_) ::DeleteFileW(largo(temporaneo_).c_str());
  fd_ = -1;
  chiuso_ = false;
  interruzione_.reset();
}

Stato file_nuovo::apri() {
  // CREATE_NEW never opens a name that exists, a link among them: only a
  // file made here and now is written. Others may delete it meanwhile (the
  // removal on an interrupt does), never write it.
  constexpr int tentativi = 16;
  for (int i = 0;; ++i) {
    temporaneo_ = nome_temporaneo(percorso_);
    segnali_trattenuti trattenuti;
    HANDLE h = ::CreateFileW(largo(temporaneo_).c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      fd_ = reinterpret_cast<std::intptr_t>(h);
      interruzione_ = std::make_unique<rimuovi_se_interrotto>(temporaneo_);
      return Stato::ok();
    }
    const DWORD codice = ::GetLastError();
    if ((codice != ERROR_FILE_EXISTS && codice != ERROR_ALREADY_EXISTS) || i + 1 == tentativi)
      return guasto("impossibile creare", percorso_, codice);
  }
}

Stato file_nuovo::scrivi(std::string_view byte) {
  Stato stato = scrivi_tutto(maniglia(fd_), byte, percorso_);
  if (stato.riuscito())
    annota(byte);
  else
    abbandona();
  return stato;
}

Stato file_nuovo::chiudi() {
  if (fd_ < 0) return chiuso_ ? Stato::ok() : non_aperto(percorso_);
  Stato stato;
  if (durata_ == durata::durevole && !::FlushFileBuffers(maniglia(fd_)))
    stato = guasto("impossibile scrivere", percorso_, ::GetLastError());
  if (stato.riuscito() && !::CloseHandle(maniglia(fd_))) {
    fd_ = -1;  // the handle is gone even when closing fails
    chiuso_ = true;
    stato = guasto("impossibile chiudere", percorso_, ::GetLastError());
  }
  if (!stato.riuscito()) {
    abbandona();
    return stato;
  }
  fd_ = -1;
  chiuso_ = true;
  return stato;
}

Stato file_nuovo::completa() {
  Stato stato = chiudi();
  if (!stato.riuscito()) return stato;
  if (!::MoveFileExW(largo(temporaneo_).c_str(), largo(percorso_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    stato = guasto("impossibile sostituire", percorso_, ::GetLastError());
    abbandona();
    return stato;
  }
  al_suo_posto();
  return stato;
}

Stato rimuovi_temporanei_abbandonati(const std::string& cartella) {
  const std::wstring base = cartella.empty() ? L"." : largo(cartella);
  WIN32_FIND_DATAW voce;
  HANDLE ricerca = ::FindFirstFileW((base + L"\\*").c_str(), &voce);
  if (ricerca == INVALID_HANDLE_VALUE)
    return guasto("impossibile elencare la cartella", cartella, ::GetLastError());
  // Listed first, removed after: removing while listing may hide names.
  std::vector<std::wstring> nomi;
  do {
    // Regular files only: no folder, no link.
    const DWORD altro = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    if ((voce.dwFileAttributes & altro) == 0 && e_temporaneo_abbandonato(stretto(voce.cFileName)))
      nomi.emplace_back(voce.cFileName);
  } while (::FindNextFileW(ricerca, &voce));
  ::FindClose(ricerca);
  for (const std::wstring& nome : nomi) ::DeleteFileW((base + L"\\" + nome).c_str());
  return Stato::ok();
}

namespace {

HANDLE apri_lettura(const std::string& percorso) {
  return ::CreateFileW(largo(percorso).c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
}

// Reads the open file `h` whole into `contenuto`, and closes it.
Stato leggi_aperto(HANDLE h, const std::string& percorso, std::string& contenuto,
                   std::size_t massimo) {
  auto troppo_grande = [&] {
    ::CloseHandle(h);
    contenuto.clear();
    return oltre_il_limite(percorso, massimo);
  };
  // A file on disk is measured before anything of it is read; a stream is
  // cut off as soon as it gives more.
  LARGE_INTEGER dimensione;
  if (::GetFileType(h) == FILE_TYPE_DISK && ::GetFileSizeEx(h, &dimensione) &&
      static_cast<std::uint64_t>(dimensione.QuadPart) > massimo)
    return troppo_grande();
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
    if (letti > massimo - contenuto.size()) return troppo_grande();
    contenuto.append(blocco, letti);
  }
  ::CloseHandle(h);
  return Stato::ok();
}

Stato non_un_file(const std::string& percorso, const char* cosa) {
  return Stato::errore(fmt::format("impossibile leggere \"{}\": {}", percorso, cosa));
}

}  // namespace

Stato leggi_file(const std::string& percorso, std::string& contenuto, std::size_t massimo) {
  HANDLE h = apri_lettura(percorso);
  if (h == INVALID_HANDLE_VALUE) return guasto("impossibile aprire", percorso, ::GetLastError());
  return leggi_aperto(h, percorso, contenuto, massimo);
}

Stato leggi_file_regolare(const std::string& percorso, std::string& contenuto,
                          std::size_t massimo) {
  const DWORD attributi = ::GetFileAttributesW(largo(percorso).c_str());
  if (attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return non_un_file(percorso, "è una cartella, non un file");
  // Opening a pipe's name never waits (a pipe with no free end is refused);
  // what was opened is a file on a disk, or is closed unread.
  HANDLE h = apri_lettura(percorso);
  if (h == INVALID_HANDLE_VALUE) return guasto("impossibile aprire", percorso, ::GetLastError());
  const DWORD tipo = ::GetFileType(h);
  if (tipo != FILE_TYPE_DISK) {
    ::CloseHandle(h);
    return non_un_file(percorso, tipo == FILE_TYPE_PIPE   ? "è una pipe, non un file"
                                 : tipo == FILE_TYPE_CHAR ? "è un dispositivo, non un file"
                                                          : "non è un file regolare");
  }
  return leggi_aperto(h, percorso, contenuto, massimo);
}

bool esiste(const std::string& percorso) {
  return ::GetFileAttributesW(largo(percorso).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool e_cartella(const std::string& percorso) {
  const DWORD attributi = ::GetFileAttributesW(largo(percorso).c_str());
  return attributi != INVALID_FILE_ATTRIBUTES && (attributi & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Stato dimensione_file(const std::string& percorso, std::uint64_t& byte) {
  WIN32_FILE_ATTRIBUTE_DATA dati;
  if (!::GetFileAttributesExW(largo(percorso).c_str(), GetFileExInfoStandard, &dati))
    return guasto("impossibile aprire", percorso, ::GetLastError());
  byte = (static_cast<std::uint64_t>(dati.nFileSizeHigh) << 32) | dati.nFileSizeLow;
  return Stato::ok();
}

Stato elenca_cartella(const std::string& cartella, std::vector<std::string>& nomi) {
  WIN32_FIND_DATAW voce;
  HANDLE ricerca = ::FindFirstFileW((largo(cartella) + L"\\*").c_str(), &voce);
  if (ricerca == INVALID_HANDLE_VALUE)
    return guasto("impossibile aprire la cartella", cartella, ::GetLastError());
  nomi.clear();
  do {
    const std::string nome = stretto(voce.cFileName);
    if (nome != "." && nome != "..") nomi.push_back(nome);
  } while (::FindNextFileW(ricerca, &voce));
  const DWORD codice = ::GetLastError();
  ::FindClose(ricerca);
  if (codice != ERROR_NO_MORE_FILES)
    return guasto("impossibile leggere la cartella", cartella, codice);
  std::sort(nomi.begin(), nomi.end());
  return Stato::ok();
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
