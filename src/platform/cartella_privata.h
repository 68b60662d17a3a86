// A private temporary folder, removed with everything in it when the object
// goes away.
#pragma once

#include <string>

#include "platform/stato.h"

namespace scen {

class cartella_privata {
 public:
  cartella_privata() = default;
  ~cartella_privata();
  cartella_privata(const cartella_privata&) = delete;
  cartella_privata& operator=(const cartella_privata&) = delete;

  // Creates a new folder, readable and writable by its owner only, in the
  // host's temporary folder.
  Stato crea();

  const std::string& percorso() const { return percorso_; }

 private:
  std::string percorso_;
};

}  // namespace scen
