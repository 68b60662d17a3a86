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

// Station extents lie at least this far apart (m).
constexpr Long distanza_stazioni = 350;

// What reading a station's fields gives beside its record.
struct stazione_letta {
  passo seguito = passo::continua;  // not `continua`: the record ends the loop
  Long estensione = 0;  // the extent length (m): not stored, it gives `inizio` and `fine`
};

// The train half's reader: general values, the speed and adhesion profiles,
// stations, signals, slowdowns and code reductions.
class lettore_treno final : public lettore_descrizione {
 public:
  lettore_treno(modello& m, campi& f, Long limite, posizione_lettura& p, diagnosi_lettura& d,
                const std::string& file_linea)
      : lettore_descrizione(m, f, p, d), limite_(limite), file_linea_(file_linea) {}

 private:
  // Fields up to "[generale]"; a file without it (an empty one too) goes
  // straight to the work after the last record.
  bool apertura() override {
    while (!f_.fine()) {
      chiave();
      if (ha("[generale]")) break;
    }
    return true;
  }

  passo record() override {
    passi_record passi;
    passi.se(ha("frenata") && ha("massa"), [this] { return massa_frenata(); });
    passi.se(ha("vetture"), [this] { return vetture(); });
    passi.se(ha("velocit"), [this] { return velocita(); });
    passi.se(ha("aderenza"), [this] { return aderenza(); });
    passi.se(ha("orologio"), [this] { return orologio(); });
    passi.se(ha("sabbia"), [this] { return sabbia(); });
    passi.se(ha("segnale"), [this] { return segnale(); });
    passi.se(ha("rallentamento"), [this] { return rallentamento(); });
    passi.se(ha("abbattimento"), [this] { return abbattimento(); });
    passi.se(ha("stazione"), [this] { return stazione(); });
    return passi.risultato();
  }

  passo massa_frenata() {
    m_.registri[indice_registro::generali_treno].inizio = numero("la percentuale di massa frenata");
    return passo::continua;
  }

  passo vetture() {
    m_.registri[indice_registro::generali_treno].progressiva = numero("il numero delle vetture");
    return passo::continua;
  }

  passo orologio() {
    registro& r = m_.registri[indice_registro::generali_ripetizione];
    r.campo_10 = a_integer(numero("le ore dell'orologio"), "ore");
    r.campo_11 = a_integer(numero("i minuti dell'orologio"), "minuti");
    r.campo_12 = a_integer(numero("i secondi dell'orologio"), "secondi");
    return passo::continua;
  }

  passo sabbia() {
    registro& r = m_.registri[indice_registro::generali_ripetizione];
    r.campo_7 = a_integer(numero("la sabbia"), "sabbia");
    return passo::continua;
  }

  // A builder's outcome; when it has none, an outcome that the line half left
  // (a record beyond its cells) still stops reading here, at this record.
  passo dopo_costruttore_treno(esito numero, Long posizione, std::string_view cosa) {
    if (numero != esito::nessuno || m_.errore_codice == esito::nessuno)
      return dopo_costruttore(numero, posizione);
    d_ = {p_.file, p_.riga,
          fmt::format("lettura fermata al {}: resta l'esito {} della lettura della linea ({})",
                      cosa, numero_esito(m_.errore_codice), descrizione_esito(m_.errore_codice))};
    m_.errore_posizione = posizione;
    return passo::ferma;
  }

  // The speed in force in fifths, as `vel_limite` keeps it.
  Byte vel_limite() const {
    const double quinto = std::nearbyint(static_cast<double>(velocita_.in_vigore) / 5.0);
    if (!(quinto >= 0.0 && quinto <= 255.0))
      guasto(fmt::format("velocità {}: il quinto {} è fuori dal campo vel_limite (0..255)",
                         velocita_.in_vigore, static_cast<largo>(quinto)));
    return static_cast<Byte>(quinto);
  }

  // The speed profile is never written into the last cell: the fill stops
  // short of it.
  passo velocita() {
    const Long posizione = numero("la posizione della velocità");
    const Long valore = numero("la velocità");
    if (!in_campo(posizione)) return passo::chiudi;
    const largo n = cella_di(posizione);
    const largo ultima = m_.ultima_cella;
    if (n > 0 && velocita_.riempimento < ultima)
      velocita_.riempi(m_, vel_limite(), std::min(n, ultima));
    velocita_.in_vigore = valore;
    return passo::continua;
  }

  passo aderenza() {
    const Long posizione = numero("la posizione dell'aderenza");
    const Long valore = numero("l'aderenza");
    if (!in_campo(posizione)) return passo::chiudi;
    const largo n = cella_di(posizione);
    if (n > 0) aderenza_.riempi(m_, otto_bit(aderenza_.in_vigore), n);
    aderenza_.in_vigore = valore;
    return passo::continua;
  }

  passo segnale() {
    record_segnale s;
    s.posizione = numero("la posizione del segnale");
    for (Long* campo : {&s.classe, &s.decine_1, &s.decine_2, &s.decine_3, &s.decine_4,
                        &s.cifra_tipo, &s.unita_1, &s.unita_2, &s.unita_3, &s.valore_extra})
      *campo = numero("un campo del segnale");
    if (!in_campo(s.posizione)) return passo::chiudi;
    return dopo_costruttore_treno(memo_segnale(m_, s), s.posizione, "segnale");
  }

  passo rallentamento() {
    record_rallentamento r;
    r.inizio = numero("l'inizio del rallentamento");
    for (Long* campo :
         {&r.velocita, &r.lunghezza, &r.treno_intero, &r.con_avvicinamento, &r.valore_mostrato})
      *campo = numero("un campo del rallentamento");
    if (!in_campo(r.inizio)) return passo::chiudi;
    return dopo_costruttore_treno(memo_rallentamento(m_, r), r.inizio, "rallentamento");
  }

  passo abbattimento() {
    const Long posizione = numero("la posizione dell'abbattimento");
    const Long valore = numero("il valore dell'abbattimento");
    if (!in_campo(posizione)) return passo::chiudi;
    cella& c = cella_n(m_, cella_di(posizione));
    if (!cella_libera(c)) {
      ferma_a(esito::abbattimento_su_cella_occupata, posizione);
      return passo::ferma;
    }
    if (valore > 0) {
      c.codice = codice_cella::abbattimento;
      c.valore_1 = a_integer(valore, "valore_1");
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
    return prossima_stazione();
  }

  // The fields of a station record into record `r`, stopping at a position
  // beyond the cells or off the 50 m grid, or an extent length off the
  // 100 m grid.
  stazione_letta leggi_stazione(registro& r) {
    r.progressiva = numero("la posizione della stazione");
    const Long posizione = r.progressiva;
    if (!in_campo(posizione, 800)) return {passo::chiudi};
    if (posizione % 50 != 0) {
      ferma_a(esito::stazione_non_multipla, posizione);
      return {passo::ferma};
    }
    r.tipo = a_byte(numero("il tipo della stazione"), "tipo");
    const Long estensione = numero("l'estensione della stazione");
    if (estensione % 100 != 0) {
      ferma_a(esito::estensione_non_multipla, posizione);
      return {passo::ferma};
    }
    leggi_campi_stazione(r);
    return {passo::continua, estensione};
  }

  // Fields 4 to 16 and the name, each into a field of its own width.
  void leggi_campi_stazione(registro& r) {
    r.campo_4 = a_byte(numero("il campo 4 della stazione"), "campo_4");
    r.campo_5 = a_byte(numero("il campo 5 della stazione"), "campo_5");
    r.prolungamento = a_byte(numero("il campo 6 della stazione"), "prolungamento");
    r.campo_7 = a_integer(numero("il campo 7 della stazione"), "campo_7");
    r.campo_8 = a_integer(numero("il campo 8 della stazione"), "campo_8");
    r.campo_9 = a_byte(numero("il campo 9 della stazione"), "campo_9");
    r.campo_10 = a_integer(numero("il campo 10 della stazione"), "campo_10");
    r.campo_11 = a_integer(numero("il campo 11 della stazione"), "campo_11");
    r.campo_12 = a_integer(numero("il campo 12 della stazione"), "campo_12");
    r.fermata = a_byte(numero("il campo 13 della stazione"), "fermata");
    const Long ore = numero("le ore della stazione");
    const Long minuti = numero("i minuti della stazione");
    const Long secondi = numero("i secondi della stazione");
    r.orario = secondi_del_giorno(ore, minuti, secondi);
    f_.testo(r.nome, "il nome della stazione");
  }

  // (ore × 60 + minuti) × 60 + secondi, each step in 32 bits.
  static Long secondi_del_giorno(Long ore, Long minuti, Long secondi) {
    const Long ore_minuti = a_long(
        static_cast<largo>(a_long(static_cast<largo>(ore) * 60, "orario della stazione")) + minuti,
        "orario della stazione");
    return a_long(
        static_cast<largo>(a_long(static_cast<largo>(ore_minuti) * 60, "orario della stazione")) +
            secondi,
        "orario della stazione");
  }

  // `inizio` and `fine` from the position, the type and the extent length:
  // types 5 and 6 reach from the whole length before the position to 150 m
  // beyond it, types 7 and 8 the whole length on either side, the others half
  // of it, with 50 m more at the end where the extension flag is set. Only
  // those others keep the flag; field 5 needs an extent of 600 m or more; the
  // first station keeps neither, though its extent counts the flag.
  void estensione_stazione(registro& r, Long estensione) {
    const largo p = r.progressiva;
    switch (r.tipo) {
      case 5:
      case 6:
        r.inizio = a_long(p - estensione, "inizio della stazione");
        r.fine = a_long(p + 150, "fine della stazione");
        r.prolungamento = 0;
        break;
      case 7:
      case 8:
        r.inizio = a_long(p - estensione, "inizio della stazione");
        r.fine = a_long(p + estensione, "fine della stazione");
        r.prolungamento = 0;
        break;
      default:
        r.inizio = a_long(p - estensione / 2, "inizio della stazione");
        r.fine = a_long(p + estensione / 2, "fine della stazione");
        if (r.prolungamento != 0)
          r.fine = a_long(static_cast<largo>(r.fine) + 50, "fine della stazione");
        break;
    }
    if (estensione < 600) r.campo_5 = 0;
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
    if (r.tipo >= 25) return true;
    if (r.tipo != 5 && r.tipo != 6)
      for (int k = 1; k <= 4; ++k) {
        const largo t = cella_di(static_cast<largo>(r.fine) - 50 * (k + 1));
        if (t > 1) cella_n(m_, t).avvicinamento = static_cast<Byte>(80 + k);
      }
    const largo t = cella_di(static_cast<largo>(r.fine) - 50);
    if (t <= 1) {
      ferma(esito::fermata_su_cella_iniziale);
      return false;
    }
    cella& c = cella_n(m_, t);
    c.codice = codice_cella::fermata;
    c.valore_1 = static_cast<Integer>(stazione_);
    return true;
  }

  // Each station's extent begins at least `distanza_stazioni` after the end
  // of the one before; so the stations also come in ascending order.
  bool distante_dalla_precedente(const registro& r) {
    if (stazione_ == 1) return true;
    if (a_long(static_cast<largo>(r.inizio) - distanza_stazioni, "inizio della stazione - 350") >=
        registro_n(m_, stazione_ - 1).fine)
      return true;
    ferma_a(esito::stazioni_troppo_vicine, r.progressiva);
    return false;
  }

  // On to the next station record, which must stay below the signpost records.
  passo prossima_stazione() {
    ++stazione_;
    if (stazione_ < limite_) return passo::continua;
    ferma(esito::stazioni_troppe);
    return passo::ferma;
  }

  // The speed and adhesion tails, which stop three cells short of the last,
  // then the check of the kilometric progressives that the line half read.
  void chiusura() override {
    velocita_.riempi(m_, vel_limite(), static_cast<largo>(m_.ultima_cella) - 2);
    aderenza_.riempi(m_, otto_bit(aderenza_.in_vigore), static_cast<largo>(m_.ultima_cella) - 2);
    for (int i : {indice_registro::progressiva_tre, indice_registro::progressiva_due,
                  indice_registro::progressiva_uno}) {
      const registro& r = m_.registri[static_cast<size_t>(i)];
      if (r.inizio % 50 != 0 || r.fine % 50 != 0) {
        m_.errore_codice = esito::progressiva_non_multipla;
        d_ = {file_linea_, 0, std::string(descrizione_esito(esito::progressiva_non_multipla))};
        return;
      }
    }
  }

  const Long limite_;              // the signpost index the line half left
  const std::string& file_linea_;  // named by the progressive check

  // The speed and adhesion in force: 0 until the first profile record.
  profilo velocita_{&cella::vel_limite};
  profilo aderenza_{&cella::aderenza};
  Long stazione_ = 1;  // the record of the next station
};

}  // namespace

void leggi_treno(modello& m, campi& f, Long limite_cartelli, posizione_lettura& p,
                 diagnosi_lettura& d, const std::string& file_linea) {
  lettore_treno(m, f, limite_cartelli, p, d, file_linea).leggi();
}

}  // namespace scen
