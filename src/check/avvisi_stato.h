// The pass that makes the warnings of `scenario verifica`: one object holds
// the two descriptions, the list the warnings go to and what the pass learns
// on the way (the line's length, whether a station has been seen). Its
// checks live in files of their own: controlli_avvisi.cc runs them,
// avvisi_campi.cc takes the fields the readers pass over, avvisi_record.cc
// the rules every record and kind share, avvisi_linea.cc and
// avvisi_treno.cc those of the line and of the train.
#pragma once

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/verifica_problemi.h"
#include "read/accesso.h"
#include "read/vista.h"

namespace scen {

class controlli {
 public:
  controlli(const descrizione_vista* linea, const descrizione_vista* treno, bool utf8,
            elenco_problemi& problemi)
      : linea_(linea), treno_(treno), utf8_(utf8), p_(problemi) {}

  void esegui();

 private:
  void avviso(file_verificato f, const campo_visto& c, std::string causa);
  void avviso(file_verificato f, const record_visto& r, size_t n, std::string causa);
  void descrizione(const descrizione_vista& d, file_verificato f);

  // Fields passed over (avvisi_campi.cc).
  void campi_ignorati(const descrizione_vista& d, file_verificato f);
  static bool parola_generale(std::string_view campo);
  static bool parola_record_linea(std::string_view campo);
  static bool parola_treno(std::string_view campo);
  void riga_ignorata(const descrizione_vista& d, const campo_ignorato& g, file_verificato f);
  static bool comincia_come_commento(std::string_view campo);
  void commento_ignorato(const descrizione_vista& d, const campo_ignorato& g, file_verificato f);
  void titolo_sconosciuto(const descrizione_vista& d, const campo_ignorato& g,
                          std::string_view campo, file_verificato f);
  void campi_in_piu(const descrizione_vista& d, const std::vector<const campo_ignorato*>& gruppo,
                    file_verificato f);

  // Records of any kind (avvisi_record.cc).
  void record_con_piu_parole(const descrizione_vista& d, size_t i, file_verificato f);
  void parola_con_altro(const descrizione_vista& d, size_t i, file_verificato f);
  void disposizione(const descrizione_vista& d, const record_visto& r, file_verificato f);
  void record(const record_visto& r, file_verificato f);
  bool letto(const record_visto& r) const;
  void migliaia(const descrizione_vista& d, const record_visto& r, file_verificato f);
  static bool con_migliaia(const descrizione_vista& d, const record_visto& r);
  void posizione(const record_visto& r, const std::string& nome, file_verificato f);
  void segno_0_1(const record_visto& r, size_t n, const std::string& nome, file_verificato f,
                 std::string_view perche = "");
  void ora(const record_visto& r, size_t n, const std::string& nome, file_verificato f);
  void testo_utf8(const record_visto& r, size_t n, const std::string& nome, file_verificato f);
  void ordine_profilo(const descrizione_vista& d, specie tipo, file_verificato f);
  void ordine_semplice(const descrizione_vista& d, specie tipo, file_verificato f);
  void doppioni(const descrizione_vista& d, file_verificato f);

  // The line (avvisi_linea.cc).
  void ripetizione(const record_visto& r, const std::string& nome, file_verificato f);
  void curva(const record_visto& r, file_verificato f);
  void valore_montagna(const record_visto& r, file_verificato f);
  void indicatore(const record_visto& r, file_verificato f);
  void testo_cartello(const record_visto& r, file_verificato f);
  void ordine_curve(const descrizione_vista& d, file_verificato f);
  void ordine_montagne(const descrizione_vista& d, file_verificato f);
  void generale_linea(const descrizione_vista& d);
  void azzeramento_progressive(const std::array<const record_visto*, 3>& pr);

  // The train (avvisi_treno.cc).
  void velocita(const record_visto& r, file_verificato f);
  void segnale(const record_visto& r, file_verificato f);
  void rallentamento(const record_visto& r, file_verificato f);
  void stazione(const record_visto& r, file_verificato f);
  void generale_treno(const descrizione_vista& d);
  void segni_di_fermata();

  // Whether a line set aside for an error passes `prova`.
  template <class Prova>
  static bool da_parte(const descrizione_vista& d, Prova&& prova) {
    return std::any_of(d.messe_da_parte.begin(), d.messe_da_parte.end(),
                       [&](const std::string& riga) { return prova(riga); });
  }

  const descrizione_vista* linea_;
  const descrizione_vista* treno_;
  const bool utf8_;
  elenco_problemi& p_;
  std::optional<Long> lunghezza_;
  bool prima_stazione_trovata_ = false;
};

}  // namespace scen
