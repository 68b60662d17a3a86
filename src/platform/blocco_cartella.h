// An exclusive lock on an output folder, held for a whole run, so that two
// runs writing into the same folder take turns instead of mixing their files.
// The lock puts no file into the folder: it is taken on the folder itself
// and the host releases it when the process ends, however it ends.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/stato.h"

namespace scen {

// How long a run waits for the lock before it tells the user that it waits.
inline constexpr int attesa_prima_di_avvisare_ms = 1000;

// What a run tells the user when it has waited that long for `cartella`.
std::string avviso_attesa(const std::string& cartella);

class blocco_cartella {
 public:
  blocco_cartella() = default;
  ~blocco_cartella();  // releases the lock, if taken
  blocco_cartella(const blocco_cartella&) = delete;
  blocco_cartella& operator=(const blocco_cartella&) = delete;

  // Takes the lock on the folder `cartella`, waiting as long as another
  // process holds it. When the wait has lasted `attesa_prima_di_avvisare_ms`,
  // `in_attesa` is called once (it tells the user), and the wait goes on.
  // A folder that cannot be opened or locked is a failure that names it and
  // gives the system's reason.
  Stato prendi(const std::string& cartella, const std::function<void()>& in_attesa);

 private:
  // The host's handle on the locked folder (a descriptor or a HANDLE); -1
  // while no lock is held.
  std::intptr_t maniglia_ = -1;
};

}  // namespace scen
