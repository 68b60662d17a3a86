#include "tool/comandi.h"

#include <exception>
#include <new>
#include <ostream>

#include "platform/memoria.h"
#include "platform/stati_uscita.h"
#include "platform/visibile.h"

namespace scen {

int uso_non_valido(std::ostream& errori, const std::string& messaggio) {
  errori << "scenario: " << visibile(messaggio) << "\nPer l'aiuto: scenario --help\n";
  return uscita_fallita;
}

int entro_il_confine(const std::function<int()>& lavoro, std::ostream& errori) {
  // What the work made on its way (a private folder, a lock, temporary
  // files) is undone with the stack before the message comes.
  try {
    return lavoro();
  } catch (const std::bad_alloc&) {
    errori << memoria_esaurita << '\n' << std::flush;
  } catch (const std::exception& e) {
    errori << "errore interno (" << visibile(e.what()) << "): il lavoro si è interrotto\n"
           << std::flush;
  }
  return uscita_fallita;
}

}  // namespace scen
