// Windows: a folder under the user's temporary folder whose only access
// rule gives the current user full control, inherited by everything in it.
#include <fmt/format.h>
#include <windows.h>

#include <vector>

#include "platform/cartella_privata.h"
#include "platform/motivo_sistema.h"
#include "platform/testo_largo.h"

namespace scen {

namespace {

Stato guasto(std::string_view azione, const std::string& percorso, DWORD codice) {
  return Stato::errore(
      fmt::format("{} \"{}\": {}", azione, percorso, motivo_sistema(static_cast<int>(codice))));
}

// The access rules of the folder: the current user alone.
class regole_private {
 public:
  Stato prepara() {
    HANDLE gettone = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &gettone)) return errore_sistema();
    DWORD n = 0;
    ::GetTokenInformation(gettone, TokenUser, nullptr, 0, &n);
    utente_.resize(n);
    const BOOL letto = ::GetTokenInformation(gettone, TokenUser, utente_.data(), n, &n);
    ::CloseHandle(gettone);
    if (!letto) return errore_sistema();
    PSID sid = reinterpret_cast<TOKEN_USER*>(utente_.data())->User.Sid;
    regole_.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(sid));
    auto* acl = reinterpret_cast<ACL*>(regole_.data());
    if (!::InitializeAcl(acl, static_cast<DWORD>(regole_.size()), ACL_REVISION) ||
        !::AddAccessAllowedAceEx(acl, ACL_REVISION, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE,
                                 FILE_ALL_ACCESS, sid) ||
        !::InitializeSecurityDescriptor(&descrittore_, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&descrittore_, TRUE, acl, FALSE) ||
        !::SetSecurityDescriptorControl(&descrittore_, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
      return errore_sistema();
    attributi_.nLength = sizeof attributi_;
    attributi_.lpSecurityDescriptor = &descrittore_;
    attributi_.bInheritHandle = FALSE;
    return Stato::ok();
  }

  SECURITY_ATTRIBUTES* attributi() { return &attributi_; }

 private:
  static Stato errore_sistema() {
    return Stato::errore(fmt::format("impossibile preparare una cartella privata: {}",
                                     motivo_sistema(static_cast<int>(::GetLastError()))));
  }

  std::vector<unsigned char> utente_;
  std::vector<unsigned char> regole_;
  SECURITY_DESCRIPTOR descrittore_{};
  SECURITY_ATTRIBUTES attributi_{};
};

// Removes the folder with everything in it; what cannot be removed stays.
void rimuovi_tutto(const std::wstring& cartella) {
  WIN32_FIND_DATAW voce;
  HANDLE ricerca = ::FindFirstFileW((cartella + L"\\*").c_str(), &voce);
  if (ricerca != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring nome = voce.cFileName;
      if (nome == L"." || nome == L"..") continue;
      const std::wstring percorso = cartella + L"\\" + nome;
      if ((voce.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
          (voce.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        rimuovi_tutto(percorso);
      else if ((voce.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        ::RemoveDirectoryW(percorso.c_str());
      else
        ::DeleteFileW(percorso.c_str());
    } while (::FindNextFileW(ricerca, &voce));
    ::FindClose(ricerca);
  }
  ::RemoveDirectoryW(cartella.c_str());
}

}  // namespace

Stato cartella_privata::crea() {
  wchar_t base[MAX_PATH + 1];
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, base);
  if (n == 0 || n > MAX_PATH)
    return Stato::errore(fmt::format("nessuna cartella temporanea: {}",
                                     motivo_sistema(static_cast<int>(::GetLastError()))));
  regole_private regole;
  if (Stato stato = regole.prepara(); !stato.riuscito()) return stato;
  // A name not yet taken: the process number and a counter, tried until the
  // system creates a folder that was not there.
  const std::string cartella = stretto(std::wstring(base, n));
  static unsigned contatore = 0;
  for (int tentativo = 0; tentativo < 1000; ++tentativo) {
    const std::string percorso = fmt::format(
        "{}scenario-{:x}-{:x}", cartella, ::GetCurrentProcessId(), ++contatore ^ ::GetTickCount());
    if (::CreateDirectoryW(largo(percorso).c_str(), regole.attributi())) {
      percorso_ = percorso;
      return Stato::ok();
    }
    const DWORD codice = ::GetLastError();
    if (codice != ERROR_ALREADY_EXISTS) return guasto("impossibile creare", percorso, codice);
  }
  return guasto("impossibile creare", cartella + "scenario-*", ERROR_ALREADY_EXISTS);
}

cartella_privata::~cartella_privata() {
  if (percorso_.empty()) return;
  rimuovi_tutto(largo(percorso_));
}

}  // namespace scen
