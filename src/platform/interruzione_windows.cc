// Windows: the records live in fixed memory; on Ctrl+C, Ctrl+Break or the
// closing of the console the system calls the handler in a thread of its
// own, which removes them, and then the process ends as it would have
// without it. Files the program still holds open were opened with delete
// sharing, so they go when the process ends.
//
// Also here, as the first thing every program does: the console takes the
// programs' text as UTF-8.
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <iterator>

#include "platform/interruzione.h"
#include "platform/testo_largo.h"

namespace scen {

namespace {

enum stato_posto : int { libero, in_scrittura, attivo };

struct posto {
  std::atomic<int> stato{libero};
  wchar_t percorso[4096];
};

constexpr int numero_posti = 8;
posto registro[numero_posti];

// How many `segnali_trattenuti` live: while any does, the handler waits.
std::atomic<int> trattenuti{0};

// Removes the files in the folder, then the folder.
void svuota_e_rimuovi(const wchar_t* cartella) {
  wchar_t modello[4096 + 2];
  const size_t n = std::wcslen(cartella);
  if (n + 3 > sizeof modello / sizeof modello[0]) return;
  std::wmemcpy(modello, cartella, n);
  std::wmemcpy(modello + n, L"\\*", 3);
  WIN32_FIND_DATAW voce;
  HANDLE ricerca = ::FindFirstFileW(modello, &voce);
  if (ricerca != INVALID_HANDLE_VALUE) {
    do {
      if ((voce.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
      wchar_t file[4096 + MAX_PATH + 2];
      const size_t m = std::wcslen(voce.cFileName);
      if (n + 1 + m + 1 > sizeof file / sizeof file[0]) continue;
      std::wmemcpy(file, cartella, n);
      file[n] = L'\\';
      std::wmemcpy(file + n + 1, voce.cFileName, m + 1);
      ::DeleteFileW(file);
    } while (::FindNextFileW(ricerca, &voce));
    ::FindClose(ricerca);
  }
  ::RemoveDirectoryW(cartella);
}

void rimuovi(const wchar_t* percorso) {
  const DWORD attributi = ::GetFileAttributesW(percorso);
  if (attributi == INVALID_FILE_ATTRIBUTES) return;
  if ((attributi & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
      (attributi & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    svuota_e_rimuovi(percorso);
  else
    ::DeleteFileW(percorso);
}

BOOL WINAPI alla_interruzione(DWORD evento) {
  switch (evento) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // A thing being made and recorded is waited for (a few seconds at
      // most: the system does not wait longer for a closing console).
      for (int attesa = 0; trattenuti.load() > 0 && attesa < 2000; ++attesa) ::Sleep(1);
      for (posto& p : registro)
        if (p.stato.load() == attivo) rimuovi(p.percorso);
      break;
    default:
      break;
  }
  return FALSE;  // the next handler, the system's, ends the process
}

}  // namespace

void prepara_processo() {
  ::SetConsoleCtrlHandler(alla_interruzione, TRUE);
  // The programs' messages are UTF-8, as their command line is: a console
  // shows them as such, and gets its own code page back at the end.
  static const UINT pagina_console = ::GetConsoleOutputCP();
  if (pagina_console != 0 && pagina_console != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8))
    std::atexit([] { ::SetConsoleOutputCP(pagina_console); });
}

rimuovi_se_interrotto::rimuovi_se_interrotto(const std::string& percorso) {
  const std::wstring largo_percorso = largo(percorso);
  if (largo_percorso.empty() || largo_percorso.size() >= std::size(registro[0].percorso)) return;
  for (int i = 0; i < numero_posti; ++i) {
    int atteso = libero;
    if (!registro[i].stato.compare_exchange_strong(atteso, in_scrittura)) continue;
    std::wmemcpy(registro[i].percorso, largo_percorso.c_str(), largo_percorso.size() + 1);
    registro[i].stato.store(attivo);
    posto_ = i;
    return;
  }
}

rimuovi_se_interrotto::~rimuovi_se_interrotto() {
  if (posto_ >= 0) registro[posto_].stato.store(libero);
}

segnali_trattenuti::segnali_trattenuti() { ++trattenuti; }

segnali_trattenuti::~segnali_trattenuti() { --trattenuti; }

}  // namespace scen
