#include "import/proiezione.h"

#include <fmt/format.h>
#include <proj.h>

namespace scen {

struct proiezione_locale::stato_proj {
  PJ_CONTEXT* contesto = nullptr;
  PJ* p = nullptr;
  ~stato_proj() {
    if (p != nullptr) proj_destroy(p);
    if (contesto != nullptr) proj_context_destroy(contesto);
  }
};

proiezione_locale::proiezione_locale() : s_(std::make_unique<stato_proj>()) {}
proiezione_locale::~proiezione_locale() = default;

Stato proiezione_locale::crea(double latitudine, double longitudine) {
  s_ = std::make_unique<stato_proj>();
  s_->contesto = proj_context_create();
  if (s_->contesto == nullptr) return Stato::errore("PROJ: contesto non creato");
  // A projection string needs no database: nothing is read from disk.
  const std::string definizione =
      fmt::format("+proj=aeqd +lat_0={:.10f} +lon_0={:.10f} +x_0=0 +y_0=0 +ellps=WGS84 +units=m",
                  latitudine, longitudine);
  s_->p = proj_create(s_->contesto, definizione.c_str());
  if (s_->p == nullptr)
    return Stato::errore(
        fmt::format("PROJ: proiezione \"{}\" non creata: {}", definizione,
                    proj_context_errno_string(s_->contesto, proj_context_errno(s_->contesto))));
  return Stato::ok();
}

punto_piano proiezione_locale::avanti(double latitudine, double longitudine) const {
  const PJ_COORD c =
      proj_trans(s_->p, PJ_FWD, proj_coord(proj_torad(longitudine), proj_torad(latitudine), 0, 0));
  return {c.xy.x, c.xy.y};
}

void proiezione_locale::indietro(punto_piano p, double& latitudine, double& longitudine) const {
  const PJ_COORD c = proj_trans(s_->p, PJ_INV, proj_coord(p.x, p.y, 0, 0));
  longitudine = proj_todeg(c.lp.lam);
  latitudine = proj_todeg(c.lp.phi);
}

}  // namespace scen
