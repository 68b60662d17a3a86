#include "read/lettore_linea.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "model/esiti.h"
#include "read/accesso.h"
#include "read/costruttori_linea.h"
#include "read/passo_tracciato.h"

namespace scen {

namespace {

// The trace is never drawn past this metre.
constexpr Long metro_massimo = 1000000;

// The line half's reader: the general section before the first record, then
// gradients, curves, mountain zones, speed indicators and signposts.
class lettore_linea final : public lettore_descrizione {
 public:
  using lettore_descrizione::lettore_descrizione;

  // The signpost index left after the records: the highest record still free
  // for the stations.
  Long limite_cartelli() const { return cartello_; }

  // The first progressive, in file order, whose start or offset is off the
  // 50 m grid.
  progressiva_fuori_passo progressiva_fuori_passo_prima() const {
    progressiva_fuori_passo prima;
    for (const progressiva_fuori_passo& p : progressive_)
      if (p.punto.riga != 0 &&
          (prima.punto.riga == 0 || std::pair(p.punto.riga, p.punto.colonna) <
                                        std::pair(prima.punto.riga, prima.punto.colonna)))
        prima = p;
    return prima;
  }

 private:
  bool apertura() override {
    if (!trova_generale()) return false;
    if (solo_vedere_) {
      sezione_generale();
      return true;
    }
    bool prosegui = false;
    try {
      prosegui = sezione_generale();
    } catch (const guasto_lettura&) {
      dimensiona();
      throw;
    }
    dimensiona();
    if (!prosegui) return false;
    inizia_record();
    return true;
  }

  bool trova_generale() {
    for (;;) {
      if (solo_vedere_ && f_.fine()) return false;
      chiave();
      if (f_.fine()) {
        if (solo_vedere_) return false;
        ferma_in(esito::generale_assente, {1, 1},
                 causa_esito(esito::generale_assente,
                             "il file è stato letto fino in fondo senza trovarlo; la descrizione "
                             "della linea comincia con la riga [generale]"));
        return false;
      }
      if (ha("[generale]")) {
        segna_generale();
        return true;
      }
      ignora(parte_file::prima_di_generale);
    }
  }

  // The general section, up to the first field that opens another section or
  // to the end of the file. False when reading stops in it.
  bool sezione_generale() {
    for (;;) {
      if (!solo_vedere_) {
        if (record_generale() != passo::continua) return false;
      } else {
        try {
          if (record_generale() != passo::continua) return false;
        } catch (const guasto_lettura&) {
          salta_il_resto();
          continue;
        }
      }
      if (fine_generale_) return true;
    }
  }

  // One field of the general section and the records it calls for: false
  // reading stops; `fine_generale_` when the section ends.
  passo record_generale() {
    if (f_.fine()) return fine_sezione();
    chiave();
    if (f_.fine()) return fine_sezione();
    for (int i = 0; i < 10; ++i)
      if (ha("-")) {
        ignora(parte_file::generale, true);
        chiave();
      }
    nota_se_del_treno();
    const bool chiude = ha("[") && ha("]") && m_.campo.front() != '-';
    const campo_visto titolo = chiave_vista_;
    const passo seguito = leggi_record(sezione_formato::generale_linea);
    if (seguito != passo::continua) return passo::ferma;
    if (chiude) {
      if (osservatore_lettura* o = p_.osservatore) o->chiusura_generale(titolo);
      return fine_sezione();
    }
    return passo::continua;
  }

  passo fine_sezione() {
    fine_generale_ = true;
    return passo::continua;
  }

  // A general record of a train description: if the line half meets one, the
  // two files may have been given the other way round.
  void nota_se_del_treno() {
    if (p_.del_treno.riga != 0) return;
    if (ha("vetture") || (ha("massa") && ha("frenata")) || ha("orologio") || ha("sabbia")) {
      p_.del_treno = p_.campo(0);
      p_.testo_del_treno = m_.campo;
    }
  }

  // The general records: each is a record of its own on the keyword field,
  // whose values count from 1.

  // The line length sizes the cells and, when it is built, the trace. Nothing
  // in the general section writes either table, so a length record only
  // notes the sizes and the tables take the last of them once, on the way out
  // of the section (`dimensiona`): a line length repeated thousands of times
  // costs no more than one.
  bool lunghezza() {
    registro& r = m_.registri[indice_registro::generali_treno];
    r.fine = numero(size_t{1});
    if (r.fine > lunghezza_massima) {
      ferma(esito::lunghezza_eccessiva, 1,
            causa_esito(esito::lunghezza_eccessiva,
                        fmt::format("«lunghezza percorso» vale {} m", r.fine)));
      return false;
    }
    const largo estesa = static_cast<largo>(r.fine) + oltre_la_linea;
    if (estesa < 0)
      guasto_campo(
          fmt::format("la lunghezza della linea vale {} m, ma va da 0 a 1.000.000 m", r.fine), 1);
    m_.lunghezza_estesa = static_cast<Long>(estesa);
    m_.ultima_cella = static_cast<Long>(ultima_cella_di(r.fine));
    da_dimensionare_ = true;
    return true;
  }

  // The cells, all fields 0, and the trace, when it is built, all empty, as
  // the last line length read asks. Emptying a table and growing it again
  // builds each element in place, far cheaper than copying an empty value
  // into each.
  void dimensiona() {
    if (!da_dimensionare_) return;
    da_dimensionare_ = false;
    m_.celle.clear();
    m_.celle.resize(static_cast<size_t>(m_.ultima_cella) + 1);
    if (m_.con_tracciato != 0)
      for (auto& componente : m_.tracciato) {
        componente.clear();
        componente.resize(static_cast<size_t>(m_.lunghezza_estesa) + 1);
      }
  }

  // Progressive `quale` (0 "tre", 1 "due", 2 "uno") into its record; a start
  // or offset off the 50 m grid is noted for the check after both files.
  void progressiva(int quale, std::string_view nome) {
    static constexpr int indici[] = {indice_registro::progressiva_tre,
                                     indice_registro::progressiva_due,
                                     indice_registro::progressiva_uno};
    registro& r = m_.registri[static_cast<size_t>(indici[quale])];
    r.inizio = numero(size_t{1});
    r.fine = numero(size_t{2});
    r.progressiva = numero(size_t{3});
    progressiva_fuori_passo& fuori = progressive_[static_cast<size_t>(quale)];
    if (r.inizio % metri_cella != 0)
      fuori = {p_.campo(1),
               fmt::format("la progressiva chilometrica {} comincia a {} m", nome, r.inizio)};
    else if (r.fine % metri_cella != 0)
      fuori = {p_.campo(2),
               fmt::format("la progressiva chilometrica {} ha lo scostamento {} m", nome, r.fine)};
    else
      fuori = {};
  }

  // Signal repetition: its start and end, and from the keyword field the
  // number of codes, 4 or 9; a repetition that ends at 0 has no codes.
  bool ripetizione() {
    registro& r = m_.registri[indice_registro::generali_ripetizione];
    r.inizio = numero(size_t{1});
    r.fine = numero(size_t{2});
    if (r.inizio % metri_cella != 0) {
      ferma(esito::ripetizione_inizio_non_multiplo, 1,
            causa_esito(esito::ripetizione_inizio_non_multiplo, fmt::format("{} m", r.inizio)));
      return false;
    }
    if (r.fine % metri_cella != 0) {
      ferma(esito::ripetizione_fine_non_multipla, 2,
            causa_esito(esito::ripetizione_fine_non_multipla, fmt::format("{} m", r.fine)));
      return false;
    }
    if (const int codici = codici_ripetizione(m_.campo); codici != 0) {
      r.progressiva = codici;
    } else {
      ferma(esito::ripetizione_senza_codici, 0,
            causa_esito(esito::ripetizione_senza_codici,
                        fmt::format("la parola chiave {} deve dire \"4 codici\" o \"9 codici\"",
                                    cita(m_.campo))));
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
      auto inizio = [] { return uso_tabella{"l'inizio del tracciato"}; };
      scrivi_metro(m_, 0, Integer{0}, Integer{0}, inizio);
      scrivi_metro(m_, 1, Integer{0}, Integer{1}, inizio);
      punta_ = passo_tracciato{};
      cursore_ = 2;
    }
  }

  passo record() override { return leggi_record(sezione_formato::record_linea); }

  // Curves are read only where the trace is built.
  bool ammesso(const formato_record& f) const override {
    return f.tipo != specie::curva || m_.con_tracciato != 0 || solo_vedere_;
  }

  passo costruisci(const formato_record& f) override {
    registro& linea = m_.registri[indice_registro::generali_linea];
    switch (f.tipo) {
      case specie::lunghezza:
        return lunghezza() ? passo::continua : passo::ferma;
      case specie::progressiva:
        progressiva(3 - f.quale, f.quale == 3 ? "tre" : f.quale == 2 ? "due" : "uno");
        return passo::continua;
      case specie::sfondo:
        (f.quale == 1   ? linea.inizio
         : f.quale == 2 ? linea.progressiva
                        : linea.fine) = numero(size_t{1});
        return passo::continua;
      case specie::ripetizione:
        return ripetizione() ? passo::continua : passo::ferma;
      case specie::pendenza:
        return pendenza();
      case specie::curva:
        return curva();
      case specie::montagna:
        return montagna();
      case specie::indicatore:
        return indicatore();
      case specie::cartello:
        return cartello();
      default:
        return passo::continua;
    }
  }

  // The gradient in force plus 100, as the cells keep it. A gradient that
  // does not fit fails at its own record, when a later one reaches it.
  Byte byte_pendenza() const {
    if (!pendenza_tenuta(pendenza_.in_vigore))
      guasto_in(fmt::format("la pendenza {} per mille va oltre quanto le celle tengono: va da "
                            "{} a {}",
                            pendenza_.in_vigore, pendenza_minima_cella, pendenza_massima_cella),
                pendenza_.luogo_valore);
    return static_cast<Byte>(static_cast<largo>(pendenza_.in_vigore) + scarto_pendenza);
  }

  passo pendenza() {
    const Long posizione = numero(size_t{1});
    const Long valore = numero(size_t{2});
    if (!in_campo(posizione)) return passo::chiudi;
    const largo n = cella_di(posizione);
    pendenza_.luogo_record = p_.campo(0);
    if (n > 0) pendenza_.riempi(m_, byte_pendenza(), n);
    pendenza_.in_vigore = valore;
    pendenza_.luogo_valore = p_.campo(2);
    return passo::continua;
  }

  // One metre of the trace, a step on from the metre before, turned by k.
  struct passo_curvo {
    double k;
    void operator()(const passo_tracciato& punta, double& x, double& y) const {
      punta.metro(k, x, y);
    }
  };
  struct passo_dritto {
    void operator()(const passo_tracciato& punta, double& x, double& y) const {
      punta.metro_dritto(x, y);
    }
  };

  // Draws metres from the trace cursor while it is at most `fino`, each
  // computed by `passo` from the two before it. The pen lives in locals for
  // the whole run, so the loop keeps it in registers instead of reloading it
  // from the reader every metre, and the metres that can fail no test are
  // drawn without any; each value is still the same operations in the same
  // order. A metre beyond the trace is a read failure; past `massimo` the
  // cursor stops the run: false, with outcome 103 recorded (`in_curva`:
  // along the curve, not on the way to its start).
  template <class Passo>
  bool traccia(largo fino, largo massimo, bool in_curva, Passo passo) {
    variante* const x = m_.tracciato[0].data();
    variante* const y = m_.tracciato[1].data();
    const auto metri = static_cast<largo>(m_.tracciato[0].size());
    passo_tracciato punta = punta_;
    largo cursore = cursore_;
    auto disegna = [&] {
      double nx = 0, ny = 0;
      passo(punta, nx, ny);
      x[cursore].template emplace<double>(nx);
      y[cursore].template emplace<double>(ny);
      punta.avanza(nx, ny);
      ++cursore;
    };
    auto posa = [&] {
      punta_ = punta;
      cursore_ = cursore;
    };
    // Inside the trace, and the cursor after them not past `massimo`.
    const largo sicuri = std::min({fino, metri - 1, massimo - 1});
    while (cursore <= sicuri) disegna();
    posa();
    if (cursore > fino) return true;
    if (cursore < 0 || cursore >= metri)
      guasto_tracciato(
          m_, cursore,
          uso_tabella{fmt::format("la curva da {} m lunga {} m", inizio_curva_, lunghezza_curva_),
                      2});
    // The metre at `massimo` or after it: drawn, then the cursor is past.
    disegna();
    posa();
    oltre_il_massimo(in_curva);
    return false;
  }

  // The trace cursor has passed the last metre allowed, on the way to the
  // curve's start (the straight run) or along it.
  void oltre_il_massimo(bool in_curva) {
    if (in_curva)
      ferma(esito::curva_non_valida, 2,
            fmt::format("tracciato oltre il metro 1.000.000: la curva da {} m lunga {} m vi "
                        "arriverebbe",
                        inizio_curva_, lunghezza_curva_));
    else
      ferma(esito::curva_non_valida, 1,
            fmt::format("tracciato oltre il metro 1.000.000: la curva comincia a {} m",
                        inizio_curva_));
  }

  // The curvature per metre of the class digit in the keyword field, the
  // first of "1" to "6" that it holds; negative for a curve to the left
  // ("s"). None when the field holds no class digit.
  std::optional<double> curvatura() const {
    const int classe = classe_curva(m_.campo);
    if (classe == 0) return std::nullopt;
    const double k = *curvatura_classe(classe);
    return curva_a_sinistra(m_.campo) ? -k : k;
  }

  passo curva() {
    const Long inizio = numero(size_t{1});
    const Long lunghezza = numero(size_t{2});
    if (!in_campo(inizio)) return passo::chiudi;
    const std::optional<double> k = curvatura();
    if (!k) {
      ferma(esito::curva_non_valida, 0,
            fmt::format("curva senza classe: nella parola chiave {} manca la cifra della classe, "
                        "da 1 a 6 (come in \"curvad3\")",
                        cita(m_.campo)));
      return passo::ferma;
    }
    inizio_curva_ = inizio;
    lunghezza_curva_ = lunghezza;
    if (!traccia(inizio, metro_massimo, false, passo_dritto{})) return passo::ferma;
    const Long fine = a_long(static_cast<largo>(inizio) + lunghezza,
                             {"la fine della curva, inizio + lunghezza,", 2});
    if (!traccia(fine, metro_massimo, true, passo_curvo{*k})) return passo::ferma;
    return passo::continua;
  }

  passo montagna() {
    zona_montagna zona;
    zona.inizio = numero(size_t{1});
    zona.fine = numero(size_t{2});
    zona.valore = numero(size_t{3});
    if (!in_campo(zona.inizio)) return passo::chiudi;
    memo_montagna(m_, zona);
    return passo::continua;
  }

  passo indicatore() {
    record_indicatore r;
    r.posizione = numero(size_t{1});
    size_t n = 2;
    for (gruppo_indicatore* g : {&r.primo, &r.secondo}) {
      g->velocita_1 = numero(n++);
      g->velocita_2 = numero(n++);
      g->velocita_3 = numero(n++);
      g->codice = numero(n++);
    }
    if (!in_campo(r.posizione)) return passo::chiudi;
    return dopo_costruttore(memo_indicatori_v_max(m_, r), r.posizione, [&](esito) {
      return fmt::format("l'indicatore a {} m va nella {}", r.posizione,
                         occupata(cella_dopo(r.posizione)));
    });
  }

  passo cartello() {
    const Long posizione = numero(size_t{1});
    testo(m_.campo, size_t{2});
    if (!in_campo(posizione)) return passo::chiudi;
    const largo n = cella_dopo(posizione);
    cella& c = cella_n(m_, n, [&] {
      return uso_tabella{fmt::format("il cartello indicatore a {} m", posizione), 1};
    });
    if (!cella_libera(c)) {
      ferma_a(esito::cartello_su_cella_occupata, posizione, 1,
              causa_esito(esito::cartello_su_cella_occupata,
                          fmt::format("il cartello a {} m va nella {}", posizione, occupata(n))));
      return passo::ferma;
    }
    if (cartello_ <= 0)
      guasto(
          fmt::format("più di {} cartelli indicatori: nessun registro libero per questo, "
                      "l'{}°",
                      indice_registro::primo_cartello, indice_registro::primo_cartello + 1));
    c.codice = codice_cella::cartello;
    c.valore_1 = static_cast<Integer>(cartello_);
    registro_n(m_, cartello_).nome = m_.campo;
    --cartello_;
    return passo::continua;
  }

  // The gradient tail, then the trace straight on, leaving its last two
  // metres empty.
  void chiusura() override {
    if (solo_vedere_) return;
    pendenza_.riempi(m_, byte_pendenza(), static_cast<largo>(m_.ultima_cella) - 2);
    if (m_.con_tracciato != 0)
      traccia(static_cast<largo>(m_.lunghezza_estesa) - 2, INT64_MAX, false, passo_dritto{});
  }

  bool fine_generale_ = false;    // the general section has ended
  bool da_dimensionare_ = false;  // a line length read, the tables not yet sized for it
  Long cartello_ = indice_registro::primo_cartello;  // the next signpost record
  profilo pendenza_{&cella::pendenza, "le pendenze"};
  largo cursore_ = 2;                                     // the next metre of the trace
  passo_tracciato punta_;                                 // the last two metres
  Long inizio_curva_ = 0, lunghezza_curva_ = 0;           // the curve being drawn
  std::array<progressiva_fuori_passo, 3> progressive_{};  // "tre", "due", "uno"
};

}  // namespace

esito_linea leggi_linea(modello& m, campi& f, posizione_lettura& p, diagnosi_lettura& d) {
  lettore_linea lettore(m, f, p, d);
  if (!lettore.leggi()) return {};
  return {true, lettore.limite_cartelli(), p.file, lettore.progressiva_fuori_passo_prima()};
}

void scorri_linea(campi& f, posizione_lettura& p) {
  modello m;
  m.con_tracciato = 1;
  diagnosi_lettura d;
  lettore_linea(m, f, p, d, true).leggi();
}

}  // namespace scen
