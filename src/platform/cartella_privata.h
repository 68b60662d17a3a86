// A private temporary folder, removed with everything in it when the object
// goes away.
#pragma once

#include <memory>
#include <string>

#include "platform/interruzione.h"
#include "platform/stato.h"

namespace scen {

class cartella_privata {
 public:
  cartella_privata() = default;
  ~cartella_privata();
  cartella_privata(const cartella_privata&) = delete;
  cartella_privata& operator=(const cartella_privata&) = delete;

  // Creates a new folder, readable and writable by its owner only, in the
  // host's temporary folder, named "scenario-<pid>-" and 6 random letters
  // or digits. While the object lives the folder is recorded for removal if
  // the process is interrupted (see `rimuovi_se_interrotto`). Before that,
  // folders of that same pattern that belong to this user and whose process
  // is gone (left by killed runs) are removed.
  Stato crea();

  const std::string& percorso() const { return percorso_; }

 private:
  std::string percorso_;
  std::unique_ptr<rimuovi_se_interrotto> interruzione_;
};

}  // namespace scen
