#include "read/lettore_linea.h"

#include <fmt/format.h>

#include <optional>
#include <string_view>
#include <utility>

#include "model/esiti.h"
#include "read/accesso.h"
#include "read/costruttori_linea.h"

namespace scen {

namespace {

constexpr Long lunghezza_massima = 1000000;
constexpr Long metro_massimo = 1000000;
constexpr Long oltre_la_linea = 7000;

// The line half's reader: the general section before the first record, then
// gradients, curves, mountain zones, speed indicators and signposts.
class lettore_linea final : public lettore_descrizione {
 public:
  using lettore_descrizione::lettore_descrizione;

  // The signpost index left after the records: the highest record still free
  // for the stations.
  Long limite_cartelli() const { return cartello_; }

 private:
  bool apertura() override {
    if (!trova_generale()) return false;
    if (!sezione_generale()) return false;
    inizia_record();
    return true;
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

  // The general section, up to the first field that opens another section or
  // to the end of the file. False when reading stops in it.
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

  // The line length sizes the cells and, when it is built, the trace.
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

  // Signal repetition: its start and end, and from the keyword field the
  // number of codes, 4 or 9; a repetition that ends at 0 has no codes.
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

  // Before the first record: the progressives in order, no zone yet, and the
  // trace's first two metres, heading along Y.
  void inizia_record() {
    progressive_ordina(m_);
    m_.montagne_numero = 0;
    if (m_.con_tracciato != 0) {
      scrivi_metro(m_, 0, Integer{0}, Integer{0});
      scrivi_metro(m_, 1, Integer{0}, Integer{1});
      x2_ = 0.0;
      y2_ = 0.0;
      x1_ = 0.0;
      y1_ = 1.0;
    }
  }

  passo record() override {
    passi_record passi;
    passi.se(ha("pendenza"), [this] { return pendenza(); });
    passi.se(ha("curva") && m_.con_tracciato != 0, [this] { return curva(); });
    passi.se(ha("montagna"), [this] { return montagna(); });
    passi.se(ha("indicatori_v"), [this] { return indicatore(); });
    passi.se(ha("indicat") && ha("cartello"), [this] { return cartello(); });
    return passi.risultato();
  }

  // The gradient in force plus 100, as the cells keep it.
  Byte byte_pendenza() const {
    return a_byte(static_cast<largo>(pendenza_.in_vigore) + 100, "pendenza");
  }

  passo pendenza() {
    const Long posizione = numero("la posizione della pendenza");
    const Long valore = numero("il valore della pendenza");
    if (!in_campo(posizione)) return passo::chiudi;
    const largo n = cella_di(posizione);
    if (n > 0) pendenza_.riempi(m_, byte_pendenza(), n);
    pendenza_.in_vigore = valore;
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

  // The curvature per metre of the class digit in the keyword field, the
  // first of "1" to "6" that it holds; negative for a curve to the left
  // ("s"). None when the field holds no class digit.
  std::optional<double> curvatura() const {
    static constexpr std::pair<std::string_view, double> classi[] = {
        {"1", 0.0001}, {"2", 0.0002}, {"3", 0.0004}, {"4", 0.001}, {"5", 0.002}, {"6", 0.003},
    };
    for (const auto& [cifra, k] : classi)
      if (ha(cifra)) return ha("s") ? -k : k;
    return std::nullopt;
  }

  passo curva() {
    const Long inizio = numero("l'inizio della curva");
    const Long lunghezza = numero("la lunghezza della curva");
    if (!in_campo(inizio)) return passo::chiudi;
    const std::optional<double> k = curvatura();
    if (!k) {
      ferma(esito::curva_non_valida);
      return passo::ferma;
    }
    while (cursore_ <= inizio) {
      metro_dritto();
      if (!avanza()) return passo::ferma;
    }
    const Long fine =
        a_long(static_cast<largo>(inizio) + lunghezza, "inizio + lunghezza della curva");
    while (cursore_ <= fine) {
      metro(*k);
      if (!avanza()) return passo::ferma;
    }
    return passo::continua;
  }

  passo montagna() {
    zona_montagna zona;
    zona.inizio = numero("l'inizio della zona di montagna");
    zona.fine = numero("la fine della zona di montagna");
    zona.valore = numero("il valore della zona di montagna");
    if (!in_campo(zona.inizio)) return passo::chiudi;
    memo_montagna(m_, zona);
    return passo::continua;
  }

  passo indicatore() {
    record_indicatore r;
    r.posizione = numero("la posizione dell'indicatore");
    for (gruppo_indicatore* g : {&r.primo, &r.secondo}) {
      g->velocita_1 = numero("un valore dell'indicatore");
      g->velocita_2 = numero("un valore dell'indicatore");
      g->velocita_3 = numero("un valore dell'indicatore");
      g->codice = numero("un valore dell'indicatore");
    }
    if (!in_campo(r.posizione)) return passo::chiudi;
    return dopo_costruttore(memo_indicatori_v_max(m_, r), r.posizione);
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

  // The gradient tail, then the trace straight on, leaving its last two
  // metres empty.
  void chiusura() override {
    pendenza_.riempi(m_, byte_pendenza(), static_cast<largo>(m_.ultima_cella) - 2);
    if (m_.con_tracciato != 0)
      while (cursore_ <= static_cast<largo>(m_.lunghezza_estesa) - 2) {
        metro_dritto();
        ++cursore_;
      }
  }

  Long cartello_ = indice_registro::primo_cartello;  // the next signpost record
  profilo pendenza_{&cella::pendenza};
  largo cursore_ = 2;                         // the next metre of the trace
  double x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;  // the last two metres
};

}  // namespace

esito_linea leggi_linea(modello& m, campi& f, posizione_lettura& p, diagnosi_lettura& d) {
  lettore_linea lettore(m, f, p, d);
  if (!lettore.leggi()) return {};
  return {true, lettore.limite_cartelli()};
}

}  // namespace scen
