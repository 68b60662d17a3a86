// The outcome of an operation on the host: success, or a failure with a
// message that names what failed and why.
#pragma once

#include <string>
#include <utility>

namespace scen {

class [[nodiscard]] Stato {
 public:
  Stato() = default;
  static Stato ok() { return Stato(); }
  static Stato errore(std::string messaggio) { return Stato(std::move(messaggio)); }

  bool riuscito() const { return !fallito_; }
  const std::string& messaggio() const { return messaggio_; }

 private:
  explicit Stato(std::string messaggio) : fallito_(true), messaggio_(std::move(messaggio)) {}
  bool fallito_ = false;
  std::string messaggio_;
};

}  // namespace scen
