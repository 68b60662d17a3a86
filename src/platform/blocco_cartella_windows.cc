// Windows: the lock is a named mutex of the session whose name comes from the
// folder's final path (links resolved, letter case folded), so no file is
// added to the folder; the system hands it on when the holder ends, however
// it ends. Runs on other machines sharing the folder are not kept out.
#include <fmt/format.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/blocco_cartella.h"
#include "platform/motivo_sistema.h"
#include "platform/testo_largo.h"

namespace scen {

namespace {

// The folder's one name: its final path, in capitals as the file system
// compares names. Empty on failure, with the system's error code left.
std::wstring nome_definitivo(const std::string& cartella) {
  const std::wstring nome = cartella.empty() ? L"." : largo(cartella);
  HANDLE h = ::CreateFileW(nome.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::wstring definitivo(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        ::GetFinalPathNameByHandleW(h, definitivo.data(), static_cast<DWORD>(definitivo.size()), 0);
    if (n == 0) {
      definitivo.clear();
      break;
    }
    if (n < definitivo.size()) {
      definitivo.resize(n);
      break;
    }
    definitivo.resize(n);
  }
  const DWORD codice = ::GetLastError();
  ::CloseHandle(h);
  if (definitivo.empty()) {
    ::SetLastError(codice);
    return {};
  }
  std::wstring maiuscolo(definitivo.size(), L'\0');
  for (std::size_t da = 0; da < definitivo.size();) {
    const std::size_t a = fine_pezzo(definitivo, da);
    const int n = static_cast<int>(a - da);
    if (::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, definitivo.data() + da, n,
                       maiuscolo.data() + da, n) != n)
      return definitivo;
    da = a;
  }
  return maiuscolo;
}

// FNV-1a over the name's UTF-16 units: a mutex name has no room for a path.
std::uint64_t impronta(const std::wstring& testo) {
  std::uint64_t h = 0xcbf29ce484222325u;
  for (wchar_t c : testo) {
    h ^= static_cast<std::uint16_t>(c);
    h *= 0x100000001b3u;
  }
  return h;
}

}  // namespace

blocco_cartella::~blocco_cartella() {
  if (maniglia_ < 0) return;
  HANDLE mutex = reinterpret_cast<HANDLE>(maniglia_);
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
}

Stato blocco_cartella::prendi(const std::string& cartella, const std::function<void()>& in_attesa) {
  auto guasto = [&](DWORD codice) {
    return Stato::errore(fmt::format("impossibile bloccare la cartella \"{}\": {}", cartella,
                                     motivo_sistema(static_cast<int>(codice))));
  };
  const std::wstring definitivo = nome_definitivo(cartella);
  if (definitivo.empty()) return guasto(::GetLastError());
  const std::wstring nome =
      largo(fmt::format("Local\\scenario-cartella-{:016x}", impronta(definitivo)));
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, nome.c_str());
  if (mutex == nullptr) return guasto(::GetLastError());

  // A mutex left by a holder that ended without releasing it is taken all the
  // same (WAIT_ABANDONED): that run is over.
  auto preso = [](DWORD esito) { return esito == WAIT_OBJECT_0 || esito == WAIT_ABANDONED; };
  DWORD esito = ::WaitForSingleObject(mutex, static_cast<DWORD>(attesa_prima_di_avvisare_ms));
  if (esito == WAIT_TIMEOUT) {
    if (in_attesa) in_attesa();
    esito = ::WaitForSingleObject(mutex, INFINITE);
  }
  if (!preso(esito)) {
    const DWORD codice = ::GetLastError();
    ::CloseHandle(mutex);
    return guasto(codice);
  }
  maniglia_ = reinterpret_cast<std::intptr_t>(mutex);
  return Stato::ok();
}

}  // namespace scen
