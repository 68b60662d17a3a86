#include "read/lettore_linea.h"

#include <fmt/format.h>

#include "model/esiti.h"
#include "read/accesso.h"
#include "read/costruttori_linea.h"

namespace scen {

namespace {

constexpr Long lunghezza_massima = 1000000;
constexpr Long metro_massimo = 1000000;
constexpr Long oltre_la_linea = 7000;

// How a record ends the loop of the records.
enum class passo {
  continua,  // next record
  chiudi,    // the closing steps, as at the end of the file
  ferma,     // reading stops here (outcome set)
};

class lettore {
 public:
  lettore(modello& m, campi& f, posizione_lettura& p, diagnosi_lettura& d)
      : m_(m), f_(f), p_(p), d_(d) {}

  esito_linea leggi() {
    if (!trova_generale()) return {};
    if (!sezione_generale()) return {};
    inizia_record();
    if (!record()) return {};
    chiusura();
    return {true, cartello_};
  }

 private:
  void chiave() { leggi_chiave(f_, m_, p_); }
  bool ha(std::string_view parola) const { return contiene_maiuscole(m_.campo, parola); }
  bool ha_esatto(std::string_view parola) const { return contiene(m_.campo, parola); }
  Long numero(std::string_view cosa) { return f_.numero(cosa); }

  void ferma(esito numero) { registra_esito(m_, d_, p_, numero, p_.riga); }
  void ferma_a(esito numero, Long posizione) {
    ferma(numero);
    m_.errore_posizione = posizione;
  }

  bool trova_generale() {
    for (;;) {
      chiave();
      if (f_.fine()) {
        ferma(esito::generale_assente);
        return false;
      }
      if (ha("[generale]")) return true;
    }
  }

  bool sezione_generale() {
    for (;;) {
      if (f_.fine()) return true;
      chiave();
      if (f_.fine()) return true;
      for (int i = 0; i < 10; ++i)
        if (ha("-")) chiave();

      if (ha("percorso") && ha("lunghezza") && !lunghezza()) return false;
      if (ha_esatto("tre") && ha_esatto("progressiva"))
        progressiva(m_.registri[indice_registro::progressiva_tre]);
      if (ha_esatto("due") && ha_esatto("progressiva"))
        progressiva(m_.registri[indice_registro::progressiva_due]);
      if (ha_esatto("uno") && ha_esatto("progressiva"))
        progressiva(m_.registri[indice_registro::progressiva_uno]);
      registro& linea = m_.registri[indice_registro::generali_linea];
      if (ha_esatto("sfondo") && ha_esatto("uno")) linea.inizio = numero("sfondo uno");
      if (ha_esatto("sfondo") && ha_esatto("due")) linea.progressiva = numero("sfondo due");
      if (ha_esatto("sfondo") && ha_esatto("tre")) linea.fine = numero("sfondo tre");
      if (ha_esatto("segnali") && ha_esatto("ripetizione") && !ripetizione()) return false;
      if (ha("[") && ha("]") && m_.campo.front() != '-') return true;
    }
  }

  bool lunghezza() {
    registro& r = m_.registri[indice_registro::generali_treno];
    r.fine = numero("la lunghezza della linea");
    if (r.fine > lunghezza_massima) {
      ferma(esito::lunghezza_eccessiva);
      return false;
    }
    const largo estesa = static_cast<largo>(r.fine) + oltre_la_linea;
    if (estesa < 0)
      guasto(fmt::format("lunghezza della linea {}: la lunghezza estesa {} è negativa", r.fine,
                         estesa));
    m_.lunghezza_estesa = static_cast<Long>(estesa);
    m_.ultima_cella = static_cast<Long>(cella_di(estesa));
    m_.celle.assign(static_cast<size_t>(m_.ultima_cella) + 1, cella{});
    if (m_.con_tracciato != 0)
      for (auto& componente : m_.tracciato)
        componente.assign(static_cast<size_t>(estesa) + 1, variante{});
    return true;
  }

  void progressiva(registro& r) {
    r.inizio = numero("l'inizio della progressiva");
    r.fine = numero("lo scostamento della progressiva");
    r.progressiva = numero("il segno di progressiva decrescente");
  }

  bool ripetizione() {
    registro& r = m_.registri[indice_registro::generali_ripetizione];
    r.inizio = numero("l'inizio della ripetizione segnali");
    r.fine = numero("la fine della ripetizione segnali");
    if (r.inizio % 50 != 0) {
      ferma(esito::ripetizione_inizio_non_multiplo);
      return false;
    }
    if (r.fine % 50 != 0) {
      ferma(esito::ripetizione_fine_non_multipla);
      return false;
    }
    if (ha("4")) {
      r.progressiva = 4;
    } else if (ha("9")) {
      r.progressiva = 9;
    } else {
      ferma(esito::ripetizione_senza_codici);
      return false;
    }
    if (r.fine == 0) r.progressiva = 0;
    return true;
  }

  void inizia_record() {
    progressive_ordina(m_);
    m_.montagne_numero = 0;
    cartello_ = indice_registro::primo_cartello;
    riempimento_ = 0;
    pendenza_ = 0;
    cursore_ = 2;
    if (m_.con_tracciato != 0) {
      scrivi_metro(m_, 0, Integer{0}, Integer{0});
      scrivi_metro(m_, 1, Integer{0}, Integer{1});
      x2_ = 0.0;
      y2_ = 0.0;
      x1_ = 0.0;
      y1_ = 1.0;
    }
  }

  // The records, until the end of the file (true) or a stop (false).
  bool record() {
    for (;;) {
      if (!leggi_chiave_record(f_, m_, p_)) return true;

      passo esito_record = passo::continua;
      auto esegui = [&](passo (lettore::*azione)()) {
        if (esito_record == passo::continua) esito_record = (this->*azione)();
      };
      if (ha("pendenza")) esegui(&lettore::pendenza);
      if (ha("curva") && m_.con_tracciato != 0) esegui(&lettore::curva);
      if (ha("montagna")) esegui(&lettore::montagna);
      if (ha("indicatori_v")) esegui(&lettore::indicatore);
      if (ha("indicat") && ha("cartello")) esegui(&lettore::cartello);
      if (esito_record == passo::chiudi) return true;
      if (esito_record == passo::ferma) return false;
    }
  }

  // The range test; out of range, outcome 15 and the closing steps.
  bool in_campo(Long posizione) {
    if (nelle_celle(m_, posizione, 100)) return true;
    ferma_a(esito::fuori_dalle_celle, posizione);
    return false;
  }

  void scrivi_pendenza() {
    cella_n(m_, riempimento_).pendenza = a_byte(static_cast<largo>(pendenza_) + 100, "pendenza");
    ++riempimento_;
  }

  passo pendenza() {
    const Long posizione = numero("la posizione della pendenza");
    const Long valore = numero("il valore della pendenza");
    if (!in_campo(posizione)) return passo::chiudi;
    const largo n = cella_di(posizione);
    if (n > 0) do
        scrivi_pendenza();
      while (riempimento_ < n);
    pendenza_ = valore;
    return passo::continua;
  }

  // One metre of the trace, a step on from the metre before, turned by k.
  void metro(double k) {
    const double dx = x1_ - x2_;
    const double dy = y1_ - y2_;
    segna_metro((x1_ + dx) + k * dy, (y1_ + dy) - k * dx);
  }
  // A straight metre has no turn term at all: adding k * dy with k = 0 could
  // turn a -0.0 into +0.0 and so change the bytes written.
  void metro_dritto() { segna_metro(x1_ + (x1_ - x2_), y1_ + (y1_ - y2_)); }
  void segna_metro(double x, double y) {
    scrivi_metro(m_, cursore_, x, y);
    x2_ = x1_;
    y2_ = y1_;
    x1_ = x;
    y1_ = y;
  }
  // Advances the trace cursor; false when it passes the last metre allowed.
  bool avanza() {
    ++cursore_;
    if (cursore_ <= metro_massimo) return true;
    ferma(esito::curva_non_valida);
    return false;
  }

  passo curva() {
    const Long inizio = numero("l'inizio della curva");
    const Long lunghezza = numero("la lunghezza della curva");
    if (!in_campo(inizio)) return passo::chiudi;
    double k;
    if (ha("1"))
      k = 0.0001;
    else if (ha("2"))
      k = 0.0002;
    else if (ha("3"))
      k = 0.0004;
    else if (ha("4"))
      k = 0.001;
    else if (ha("5"))
      k = 0.002;
    else if (ha("6"))
      k = 0.003;
    else {
      ferma(esito::curva_non_valida);
      return passo::ferma;
    }
    if (ha("s")) k = -k;
    while (cursore_ <= inizio) {
      metro_dritto();
      if (!avanza()) return passo::ferma;
    }
    const Long fine =
        a_long(static_cast<largo>(inizio) + lunghezza, "inizio + lunghezza della curva");
    while (cursore_ <= fine) {
      metro(k);
      if (!avanza()) return passo::ferma;
    }
    return passo::continua;
  }

  passo montagna() {
    Long inizio = numero("l'inizio della zona di montagna");
    Long fine = numero("la fine della zona di montagna");
    Long valore = numero("il valore della zona di montagna");
    if (!in_campo(inizio)) return passo::chiudi;
    memo_montagna(m_, inizio, fine, valore);
    return dopo_costruttore(inizio);
  }

  // A builder that found a collision stops the reading at `posizione`.
  passo dopo_costruttore(Long posizione) {
    if (m_.errore_codice == esito::nessuno) return passo::continua;
    registra_esito(m_, d_, p_, m_.errore_codice, p_.riga);
    m_.errore_posizione = posizione;
    return passo::ferma;
  }

  passo indicatore() {
    const Long posizione = numero("la posizione dell'indicatore");
    Long v[8];
    for (Long& x : v) x = numero("un valore dell'indicatore");
    if (!in_campo(posizione)) return passo::chiudi;
    memo_indicatori_v_max(m_, posizione, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]);
    return dopo_costruttore(posizione);
  }

  passo cartello() {
    const Long posizione = numero("la posizione del cartello");
    f_.testo(m_.campo, "il testo del cartello");
    if (!in_campo(posizione)) return passo::chiudi;
    cella& c = cella_n(m_, cella_dopo(posizione));
    if (!cella_libera(c)) {
      ferma_a(esito::cartello_su_cella_occupata, posizione);
      return passo::ferma;
    }
    if (cartello_ <= 0) guasto("più di 80 cartelli indicatori: nessun registro libero");
    c.codice = codice_cella::cartello;
    c.valore_1 = static_cast<Integer>(cartello_);
    registro_n(m_, cartello_).nome = m_.campo;
    --cartello_;
    return passo::continua;
  }

  void chiusura() {
    do scrivi_pendenza();
    while (riempimento_ < static_cast<largo>(m_.ultima_cella) - 2);
    if (m_.con_tracciato != 0)
      while (cursore_ <= static_cast<largo>(m_.lunghezza_estesa) - 2) {
        metro_dritto();
        ++cursore_;
      }
  }

  modello& m_;
  campi& f_;
  posizione_lettura& p_;
  diagnosi_lettura& d_;

  Long cartello_ = indice_registro::primo_cartello;
  largo riempimento_ = 0;
  Long pendenza_ = 0;
  largo cursore_ = 2;
  double x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
};

}  // namespace

esito_linea leggi_linea(modello& m, campi& f, posizione_lettura& p, diagnosi_lettura& d) {
  return lettore(m, f, p, d).leggi();
}

}  // namespace scen
