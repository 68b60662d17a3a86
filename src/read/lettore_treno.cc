#include "read/lettore_treno.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "model/esiti.h"
#include "read/accesso.h"
#include "read/costruttori_treno.h"

namespace scen {

namespace {

// What reading a station's fields gives beside its record.
struct stazione_letta {
  passo seguito = passo::continua;  // not `continua`: the record ends the loop
  Long estensione = 0;  // the extent length (m): not stored, it gives `inizio` and `fine`
};

// The train half's reader: general values, the speed and adhesion profiles,
// stations, signals, slowdowns and code reductions.
class lettore_treno final : public lettore_descrizione {
 public:
  lettore_treno(modello& m, campi& f, const esito_linea& linea, posizione_lettura& p,
                diagnosi_lettura& d, bool solo_vedere = false)
      : lettore_descrizione(m, f, p, d, solo_vedere),
        linea_(linea),
        limite_(linea.limite_cartelli) {}

 private:
  // Fields up to "[generale]"; a file without it (an empty one too) goes
  // straight to the work after the last record, with a warning: nothing of
  // the train was read.
  bool apertura() override {
    while (!f_.fine()) {
      chiave();
      if (ha("[generale]")) {
        segna_generale();
        return true;
      }
      ignora(parte_file::prima_di_generale);
    }
    if (solo_vedere_) return true;
    aggiungi_nota(d_, gravita::avviso, p_.file, {1, 1},
                  f_.vuoto() ? "il file è vuoto: del treno non si è letto nulla"
                             : "nessuna sezione [generale]: del treno non si è letto nulla");
    return true;
  }

  passo record() override { return leggi_record(sezione_formato::treno); }

  passo costruisci(const formato_record& f) override {
    switch (f.tipo) {
      case specie::massa_frenata:
        return massa_frenata();
      case specie::vetture:
        return vetture();
      case specie::velocita:
        return velocita();
      case specie::aderenza:
        return aderenza();
      case specie::orologio:
        return orologio();
      case specie::sabbia:
        return sabbia();
      case specie::segnale:
        return segnale();
      case specie::rallentamento:
        return rallentamento();
      case specie::abbattimento:
        return abbattimento();
      case specie::stazione:
        return stazione();
      default:
        return passo::continua;
    }
  }

  passo massa_frenata() {
    m_.registri[indice_registro::generali_treno].inizio = numero(size_t{1});
    return passo::continua;
  }

  passo vetture() {
    m_.registri[indice_registro::generali_treno].progressiva = numero(size_t{1});
    return passo::continua;
  }

  passo orologio() {
    registro& r = m_.registri[indice_registro::generali_ripetizione];
    r.campo_10 = a_integer(numero(size_t{1}), {"il numero delle ore dell'orologio", 1});
    r.campo_11 = a_integer(numero(size_t{2}), {"il numero dei minuti dell'orologio", 2});
    r.campo_12 = a_integer(numero(size_t{3}), {"il numero dei secondi dell'orologio", 3});
    return passo::continua;
  }

  passo sabbia() {
    registro& r = m_.registri[indice_registro::generali_ripetizione];
    r.campo_7 = a_integer(numero(size_t{1}), {"la sabbia", 1});
    return passo::continua;
  }

  // A builder's outcome; when it has none, an outcome that the line half left
  // (a record beyond its cells) still stops reading here, at this record:
  // the error stays where the line half found it, and a note tells why
  // reading stopped here, and that the outcome's position is now this one.
  template <class Dettaglio>
  passo dopo_costruttore_treno(esito numero, Long posizione, std::string_view cosa,
                               Dettaglio&& dettaglio) {
    if (numero != esito::nessuno || m_.errore_codice == esito::nessuno)
      return dopo_costruttore(numero, posizione, dettaglio);
    aggiungi_nota(d_, gravita::nota, p_.file, p_.campo(1),
                  fmt::format("la lettura del treno si ferma qui, al primo segnale o "
                              "rallentamento: resta l'esito {} della linea, con la posizione di "
                              "questo {} ({})",
                              numero_esito(m_.errore_codice), cosa, posizione));
    m_.errore_posizione = posizione;
    return passo::ferma;
  }

  // The speed in force in fifths, as `vel_limite` keeps it. A speed that
  // does not fit fails at its own record, when a later one reaches it.
  Byte vel_limite() const {
    const double quinto = quinti_di(velocita_.in_vigore);
    if (!(quinto >= 0.0 && quinto <= 255.0))
      guasto_in(velocita_.in_vigore < 0
                    ? fmt::format("la velocità {} km/h è negativa: va da 0 a {} km/h",
                                  velocita_.in_vigore, velocita_massima_cella_kmh)
                    : fmt::format("la velocità {} km/h va oltre {} km/h, la più alta che le "
                                  "celle tengono (in quinti di km/h, fino a 255)",
                                  velocita_.in_vigore, velocita_massima_cella_kmh),
                velocita_.luogo_valore);
    return static_cast<Byte>(quinto);
  }

  // The speed profile is never written into the last cell: the fill stops
  // short of it.
  passo velocita() {
    const Long posizione = numero(size_t{1});
    const Long valore = numero(size_t{2});
    if (!in_campo(posizione)) return passo::chiudi;
    const largo n = cella_di(posizione);
    const largo ultima = m_.ultima_cella;
    velocita_.luogo_record = p_.campo(0);
    if (n > 0 && velocita_.riempimento < ultima)
      velocita_.riempi(m_, vel_limite(), std::min(n, ultima));
    velocita_.in_vigore = valore;
    velocita_.luogo_valore = p_.campo(2);
    return passo::continua;
  }

  passo aderenza() {
    const Long posizione = numero(size_t{1});
    const Long valore = numero(size_t{2});
    if (!in_campo(posizione)) return passo::chiudi;
    const largo n = cella_di(posizione);
    aderenza_.luogo_record = p_.campo(0);
    if (n > 0) aderenza_.riempi(m_, otto_bit(aderenza_.in_vigore), n);
    aderenza_.in_vigore = valore;
    aderenza_.luogo_valore = p_.campo(2);
    return passo::continua;
  }

  passo segnale() {
    record_segnale s;
    s.posizione = numero(size_t{1});
    s.classe = numero(size_t{2});
    s.decine_1 = numero(size_t{3});
    s.decine_2 = numero(size_t{4});
    s.decine_3 = numero(size_t{5});
    s.decine_4 = numero(size_t{6});
    s.cifra_tipo = numero(size_t{7});
    s.unita_1 = numero(size_t{8});
    s.unita_2 = numero(size_t{9});
    s.unita_3 = numero(size_t{10});
    s.valore_extra = numero(size_t{11});
    if (!in_campo(s.posizione)) return passo::chiudi;
    return dopo_costruttore_treno(memo_segnale(m_, s), s.posizione, "segnale", [&](esito) {
      return fmt::format("il segnale a {} m va nella {}", s.posizione,
                         occupata(cella_dopo(s.posizione)));
    });
  }

  passo rallentamento() {
    record_rallentamento r;
    r.inizio = numero(size_t{1});
    r.velocita = numero(size_t{2});
    r.lunghezza = numero(size_t{3});
    r.treno_intero = numero(size_t{4});
    r.con_avvicinamento = numero(size_t{5});
    r.valore_mostrato = numero(size_t{6});
    if (!in_campo(r.inizio)) return passo::chiudi;
    return dopo_costruttore_treno(memo_rallentamento(m_, r), r.inizio, "rallentamento",
                                  [&](esito numero) { return rallentamento_occupato(r, numero); });
  }

  // Which cell of the slowdown `r` was found taken, for `numero` (17 to 20).
  std::string rallentamento_occupato(const record_rallentamento& r, esito numero) const {
    const largo inizio = r.inizio;
    const largo avviso = inizio - distanza_avviso;
    switch (numero) {
      case esito::avviso_su_cella_occupata:
        return fmt::format("il punto di avviso, {} m prima dell'inizio (a {} m), va nella {}",
                           distanza_avviso, avviso, occupata(cella_dopo(avviso)));
      case esito::inizio_su_cella_occupata:
        return fmt::format("l'inizio del rallentamento, a {} m, va nella {}", inizio,
                           occupata(cella_dopo(inizio)));
      case esito::fine_su_cella_occupata:
        return fmt::format("la fine del rallentamento, a {} m, va nella {}", inizio + r.lunghezza,
                           occupata(cella_dopo(inizio + r.lunghezza)));
      default:
        break;
    }
    const largo a = cella_avvicinamento(inizio);
    largo presa = a;
    for (largo d = 0; d < celle_avvicinamento; ++d)
      if (!cella_libera(m_.celle[static_cast<size_t>(a - d)])) {
        presa = a - d;
        break;
      }
    return fmt::format("una delle quattro celle di avvicinamento prima del punto di avviso è la {}",
                       occupata(presa));
  }

  passo abbattimento() {
    const Long posizione = numero(size_t{1});
    const Long valore = numero(size_t{2});
    if (!in_campo(posizione)) return passo::chiudi;
    const largo n = cella_di(posizione);
    cella& c = cella_n(m_, n, [&] {
      return uso_tabella{fmt::format("l'abbattimento a {} m", posizione), 1};
    });
    if (!cella_libera(c)) {
      ferma_a(
          esito::abbattimento_su_cella_occupata, posizione, 1,
          causa_esito(esito::abbattimento_su_cella_occupata,
                      fmt::format("l'abbattimento a {} m va nella {}", posizione, occupata(n))));
      return passo::ferma;
    }
    if (valore > 0) {
      c.codice = codice_cella::abbattimento;
      c.valore_1 = a_integer(valore, {"il valore dell'abbattimento", 2});
    } else {
      c.codice = codice_cella::abbattimento_senza_valore;
    }
    return passo::continua;
  }

  // A station: its record, its extent, its marks in the cells, then the
  // checks against the station before it and against the signpost records.
  passo stazione() {
    registro& r = registro_n(m_, stazione_);
    const stazione_letta letta = leggi_stazione(r);
    if (letta.seguito != passo::continua) return letta.seguito;
    estensione_stazione(r, letta.estensione);
    if (!segna_stazione(r)) return passo::ferma;
    if (!distante_dalla_precedente(r)) return passo::ferma;
    riga_precedente_ = p_.campo(0).riga;
    return prossima_stazione();
  }

  // The fields of a station record into record `r`, stopping at a position
  // beyond the cells or off the 50 m grid, or an extent length off the
  // 100 m grid.
  stazione_letta leggi_stazione(registro& r) {
    r.progressiva = numero(size_t{1});
    const Long posizione = r.progressiva;
    if (!in_campo(posizione, margine_stazione)) return {passo::chiudi};
    if (posizione % metri_cella != 0) {
      ferma_a(esito::stazione_non_multipla, posizione, 1,
              causa_esito(esito::stazione_non_multipla, fmt::format("{} m", posizione)));
      return {passo::ferma};
    }
    r.tipo = a_byte(numero(size_t{2}), {"il tipo della stazione (campo 2)", 2});
    const Long estensione = numero(size_t{3});
    if (estensione % 100 != 0) {
      ferma_a(esito::estensione_non_multipla, posizione, 3,
              causa_esito(esito::estensione_non_multipla, fmt::format("{} m", estensione)));
      return {passo::ferma};
    }
    leggi_campi_stazione(r);
    return {passo::continua, estensione};
  }

  // Fields 4 to 16 and the name, each into a field of its own width.
  void leggi_campi_stazione(registro& r) {
    r.campo_4 = a_byte(numero(size_t{4}), {"il campo 4 della stazione", 4});
    r.campo_5 = a_byte(numero(size_t{5}), {"il campo 5 della stazione", 5});
    r.prolungamento = a_byte(numero(size_t{6}), {"il campo 6 della stazione", 6});
    r.campo_7 = a_integer(numero(size_t{7}), {"il campo 7 della stazione", 7});
    r.campo_8 = a_integer(numero(size_t{8}), {"il campo 8 della stazione", 8});
    r.campo_9 = a_byte(numero(size_t{9}), {"il campo 9 della stazione", 9});
    r.campo_10 = a_integer(numero(size_t{10}), {"il campo 10 della stazione", 10});
    r.campo_11 = a_integer(numero(size_t{11}), {"il campo 11 della stazione", 11});
    r.campo_12 = a_integer(numero(size_t{12}), {"il campo 12 della stazione", 12});
    r.fermata = a_byte(numero(size_t{13}), {corrente_->nomi_pieni[12], 13});
    const Long ore = numero(size_t{14});
    const Long minuti = numero(size_t{15});
    const Long secondi = numero(size_t{16});
    r.orario = secondi_del_giorno(ore, minuti, secondi);
    testo(r.nome, size_t{17});
  }

  // (ore × 60 + minuti) × 60 + secondi, each step in 32 bits.
  static Long secondi_del_giorno(Long ore, Long minuti, Long secondi) {
    constexpr nome_campo orario{"l'orario della stazione in secondi (campi 14, 15 e 16)", 14};
    const Long ore_minuti =
        a_long(static_cast<largo>(a_long(static_cast<largo>(ore) * 60, orario)) + minuti, orario);
    return a_long(static_cast<largo>(a_long(static_cast<largo>(ore_minuti) * 60, orario)) + secondi,
                  orario);
  }

  // `inizio` and `fine` from the position, the type and the extent length:
  // types 5 and 6 reach from the whole length before the position to 150 m
  // beyond it, types 7 and 8 the whole length on either side, the others half
  // of it, with 50 m more at the end where the extension flag is set. Only
  // those others keep the flag; field 5 needs an extent of 600 m or more; the
  // first station keeps neither, though its extent counts the flag.
  void estensione_stazione(registro& r, Long estensione) {
    const estremi_stazione e =
        estensione_di(r.progressiva, r.tipo, estensione, r.prolungamento != 0);
    switch (r.tipo) {
      case 5:
      case 6:
        r.inizio = a_long(e.inizio, {"l'inizio della stazione, posizione - estensione,", 3});
        static const std::string fine_di_testa =
            fmt::format("la fine della stazione, posizione + {} m,", coda_stazione_di_testa);
        r.fine = a_long(e.fine, {fine_di_testa, 1});
        break;
      case 7:
      case 8:
        r.inizio = a_long(e.inizio, {"l'inizio della stazione, posizione - estensione,", 3});
        r.fine = a_long(e.fine, {"la fine della stazione, posizione + estensione,", 3});
        break;
      default:
        r.inizio = a_long(e.inizio, {"l'inizio della stazione, posizione - estensione / 2,", 3});
        r.fine = a_long(e.fine_senza_prolungamento,
                        {"la fine della stazione, posizione + estensione / 2,", 3});
        if (r.prolungamento != 0)
          r.fine = a_long(e.fine, {"la fine della stazione, con i 50 m del campo 6,", 6});
        break;
    }
    if (!tipo_con_prolungamento(r.tipo)) r.prolungamento = 0;
    if (!estensione_tiene_campo_5(estensione)) r.campo_5 = 0;
    if (stazione_ == 1) {
      r.prolungamento = 0;
      r.campo_5 = 0;
    }
  }

  // The approach marks 81 to 84 in the four cells before the stop mark (none
  // for types 5 and 6), then the stop mark itself in the cell before the
  // extent's end, whatever that cell holds. Stations of type 25 and above get
  // no marks. False when the stop mark would fall on cell 0 or 1.
  bool segna_stazione(const registro& r) {
    if (!stazione_con_segni(r.tipo)) return true;
    auto segni = [&] {
      return uso_tabella{
          fmt::format("i segni della stazione alla fine della sua estensione, a {} m", r.fine), 3};
    };
    if (r.tipo != 5 && r.tipo != 6)
      for (int k = 1; k <= 4; ++k) {
        const largo t = cella_di(static_cast<largo>(r.fine) - metri_cella * (k + 1));
        if (t > ultima_cella_senza_fermata)
          cella_n(m_, t, segni).avvicinamento = static_cast<Byte>(80 + k);
      }
    const largo t = cella_fermata(r.fine);
    if (t <= ultima_cella_senza_fermata) {
      ferma(esito::fermata_su_cella_iniziale, 1,
            causa_esito(esito::fermata_su_cella_iniziale,
                        fmt::format("la stazione a {} m finisce a {} m, e il segno va nella "
                                    "cella {}, l'ultima prima della fine; serve un'estensione che "
                                    "finisca oltre 100 m",
                                    r.progressiva, r.fine, t)));
      return false;
    }
    cella& c = cella_n(m_, t, segni);
    c.codice = codice_cella::fermata;
    c.valore_1 = static_cast<Integer>(stazione_);
    return true;
  }

  // Each station's extent begins at least `distanza_stazioni` after the end
  // of the one before; so the stations also come in ascending order.
  bool distante_dalla_precedente(const registro& r) {
    if (stazione_ == 1) return true;
    const Long fine_precedente = registro_n(m_, stazione_ - 1).fine;
    static const std::string inizio_meno_distanza =
        fmt::format("l'inizio della stazione meno {} m,", distanza_stazioni);
    if (a_long(static_cast<largo>(r.inizio) - distanza_stazioni, {inizio_meno_distanza, 1}) >=
        fine_precedente)
      return true;
    const registro& precedente = registro_n(m_, stazione_ - 1);
    const largo distanza = static_cast<largo>(r.inizio) - fine_precedente;
    std::string dettaglio;
    // A station written twice, or out of order, is told as such: the 350 m
    // between extents is not what the author has to mend.
    if (r.progressiva == precedente.progressiva && r.nome == precedente.nome)
      dettaglio = fmt::format("è la stessa stazione della riga {}, {} a {} m, scritta due volte",
                              riga_precedente_, cita(r.nome), r.progressiva);
    else if (r.progressiva < precedente.progressiva)
      dettaglio = fmt::format(
          "la stazione a {} m viene prima della precedente, della riga {}, a {} m: le stazioni "
          "si scrivono in ordine di posizione",
          r.progressiva, riga_precedente_, precedente.progressiva);
    else
      dettaglio =
          fmt::format("la sua estensione comincia a {} m, {} della precedente, a {} m", r.inizio,
                      distanza >= 0 ? fmt::format("solo {} m dopo la fine", distanza)
                                    : std::string("prima della fine"),
                      fine_precedente);
    ferma_a(esito::stazioni_troppo_vicine, r.progressiva, 1,
            causa_esito(esito::stazioni_troppo_vicine, dettaglio));
    return false;
  }

  // On to the next station record, which must stay below the signpost records.
  passo prossima_stazione() {
    ++stazione_;
    if (stazione_ < limite_) return passo::continua;
    ferma(esito::stazioni_troppe, 0,
          causa_esito(esito::stazioni_troppe,
                      fmt::format("questa è la stazione n. {} e i cartelli indicatori sono {}, "
                                  "ma insieme possono essere al massimo 78",
                                  stazione_ - 1, indice_registro::primo_cartello - limite_)));
    return passo::ferma;
  }

  // The speed and adhesion tails, which stop three cells short of the last,
  // then the check of the kilometric progressives that the line half read.
  void chiusura() override {
    if (solo_vedere_) return;
    velocita_.riempi(m_, vel_limite(), static_cast<largo>(m_.ultima_cella) - 2);
    aderenza_.riempi(m_, otto_bit(aderenza_.in_vigore), static_cast<largo>(m_.ultima_cella) - 2);
    for (int i : {indice_registro::progressiva_tre, indice_registro::progressiva_due,
                  indice_registro::progressiva_uno}) {
      const registro& r = m_.registri[static_cast<size_t>(i)];
      if (r.inizio % metri_cella != 0 || r.fine % metri_cella != 0) {
        m_.errore_codice = esito::progressiva_non_multipla;
        segna_errore(d_, linea_.file, linea_.progressiva.punto,
                     causa_esito(esito::progressiva_non_multipla, linea_.progressiva.dettaglio));
        return;
      }
    }
  }

  const esito_linea& linea_;  // named by the progressive check
  const Long limite_;         // the signpost index the line half left

  // The speed and adhesion in force: 0 until the first profile record.
  profilo velocita_{&cella::vel_limite, "le velocità"};
  profilo aderenza_{&cella::aderenza, "le aderenze"};
  Long stazione_ = 1;         // the record of the next station
  long riga_precedente_ = 0;  // the line of the keyword field of the station before it
};

}  // namespace

void leggi_treno(modello& m, campi& f, const esito_linea& linea, posizione_lettura& p,
                 diagnosi_lettura& d) {
  lettore_treno(m, f, linea, p, d).leggi();
}

void scorri_treno(campi& f, posizione_lettura& p) {
  modello m;
  diagnosi_lettura d;
  const esito_linea linea;
  lettore_treno(m, f, linea, p, d, true).leggi();
}

}  // namespace scen
