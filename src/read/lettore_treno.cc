#include "read/lettore_treno.h"

#include <fmt/format.h>

#include <cmath>

#include "model/esiti.h"
#include "read/accesso.h"
#include "read/costruttori_treno.h"

namespace scen {

namespace {

constexpr Long distanza_stazioni = 350;

enum class passo { continua, chiudi, ferma };

class lettore {
 public:
  lettore(modello& m, campi& f, Long limite, posizione_lettura& p, diagnosi_lettura& d,
          const std::string& file_linea)
      : m_(m), f_(f), limite_(limite), p_(p), d_(d), file_linea_(file_linea) {}

  void leggi() {
    // Fields up to "[generale]"; a file without it (an empty one too) goes
    // straight to the closing steps.
    while (!f_.fine()) {
      chiave();
      if (ha("[generale]")) break;
    }
    if (!record()) return;
    chiusura();
  }

 private:
  void chiave() { leggi_chiave(f_, m_, p_); }
  bool ha(std::string_view parola) const { return contiene_maiuscole(m_.campo, parola); }
  Long numero(std::string_view cosa) { return f_.numero(cosa); }

  void ferma(esito numero) { registra_esito(m_, d_, p_, numero, p_.riga); }
  void ferma_a(esito numero, Long posizione) {
    ferma(numero);
    m_.errore_posizione = posizione;
  }

  // The records, until the end of the file (true) or a stop (false).
  bool record() {
    for (;;) {
      if (!leggi_chiave_record(f_, m_, p_)) return true;

      passo esito_record = passo::continua;
      auto esegui = [&](passo (lettore::*azione)()) {
        if (esito_record == passo::continua) esito_record = (this->*azione)();
      };
      if (ha("frenata") && ha("massa"))
        m_.registri[indice_registro::generali_treno].inizio =
            numero("la percentuale di massa frenata");
      if (ha("vetture"))
        m_.registri[indice_registro::generali_treno].progressiva =
            numero("il numero delle vetture");
      if (ha("velocit")) esegui(&lettore::velocita);
      if (ha("aderenza")) esegui(&lettore::aderenza);
      if (ha("orologio") && esito_record == passo::continua) orologio();
      if (ha("sabbia") && esito_record == passo::continua) {
        registro& r = m_.registri[indice_registro::generali_ripetizione];
        r.campo_7 = a_integer(numero("la sabbia"), "sabbia");
      }
      if (ha("segnale")) esegui(&lettore::segnale);
      if (ha("rallentamento")) esegui(&lettore::rallentamento);
      if (ha("abbattimento")) esegui(&lettore::abbattimento);
      if (ha("stazione")) esegui(&lettore::stazione);
      if (esito_record == passo::chiudi) return true;
      if (esito_record == passo::ferma) return false;
    }
  }

  void orologio() {
    registro& r = m_.registri[indice_registro::generali_ripetizione];
    r.campo_10 = a_integer(numero("le ore dell'orologio"), "ore");
    r.campo_11 = a_integer(numero("i minuti dell'orologio"), "minuti");
    r.campo_12 = a_integer(numero("i secondi dell'orologio"), "secondi");
  }

  bool in_campo(Long posizione, largo margine) {
    if (nelle_celle(m_, posizione, margine)) return true;
    ferma_a(esito::fuori_dalle_celle, posizione);
    return false;
  }

  // A stop after a builder: its own outcome, or one left by the line half.
  passo dopo_costruttore(esito esito_prima, Long posizione, std::string_view cosa) {
    if (m_.errore_codice == esito::nessuno) return passo::continua;
    if (m_.errore_codice == esito_prima) {
      d_ = {p_.file, p_.riga,
            fmt::format("lettura fermata al {}: resta l'esito {} della lettura della linea ({})",
                        cosa, numero_esito(m_.errore_codice), descrizione_esito(m_.errore_codice))};
      m_.errore_posizione = posizione;
    } else {
      ferma_a(m_.errore_codice, posizione);
    }
    return passo::ferma;
  }

  Byte vel_limite() const {
    const double quinto = std::nearbyint(static_cast<double>(velocita_) / 5.0);
    if (!(quinto >= 0.0 && quinto <= 255.0))
      guasto(fmt::format("velocità {}: il quinto {} è fuori dal campo vel_limite (0..255)",
                         velocita_, static_cast<largo>(quinto)));
    return static_cast<Byte>(quinto);
  }

  passo velocita() {
    const Long posizione = numero("la posizione della velocità");
    const Long valore = numero("la velocità");
    if (!in_campo(posizione, 100)) return passo::chiudi;
    const largo n = cella_di(posizione);
    if (n > 0) do {
        if (riempimento_velocita_ >= m_.ultima_cella) break;
        cella_n(m_, riempimento_velocita_).vel_limite = vel_limite();
        ++riempimento_velocita_;
      } while (riempimento_velocita_ < n);
    velocita_ = valore;
    return passo::continua;
  }

  passo aderenza() {
    const Long posizione = numero("la posizione dell'aderenza");
    const Long valore = numero("l'aderenza");
    if (!in_campo(posizione, 100)) return passo::chiudi;
    const largo n = cella_di(posizione);
    if (n > 0) do {
        cella_n(m_, riempimento_aderenza_).aderenza = otto_bit(aderenza_);
        ++riempimento_aderenza_;
      } while (riempimento_aderenza_ < n);
    aderenza_ = valore;
    return passo::continua;
  }

  passo segnale() {
    Long f[11];
    f[0] = numero("la posizione del segnale");
    for (int i = 1; i < 11; ++i) f[i] = numero("un campo del segnale");
    if (!in_campo(f[0], 100)) return passo::chiudi;
    const esito prima = m_.errore_codice;
    memo_segnale(m_, f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8], f[9], f[10]);
    return dopo_costruttore(prima, f[0], "segnale");
  }

  passo rallentamento() {
    Long g[6];
    g[0] = numero("l'inizio del rallentamento");
    for (int i = 1; i < 6; ++i) g[i] = numero("un campo del rallentamento");
    if (!in_campo(g[0], 100)) return passo::chiudi;
    const esito prima = m_.errore_codice;
    memo_rallentamento(m_, g[0], g[1], g[2], g[3], g[4], g[5]);
    return dopo_costruttore(prima, g[0], "rallentamento");
  }

  passo abbattimento() {
    const Long posizione = numero("la posizione dell'abbattimento");
    const Long valore = numero("il valore dell'abbattimento");
    if (!in_campo(posizione, 100)) return passo::chiudi;
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

  passo stazione() {
    registro& r = registro_n(m_, stazione_);
    r.progressiva = numero("la posizione della stazione");
    const Long posizione = r.progressiva;
    if (!in_campo(posizione, 800)) return passo::chiudi;
    if (posizione % 50 != 0) {
      ferma_a(esito::stazione_non_multipla, posizione);
      return passo::ferma;
    }
    r.tipo = a_byte(numero("il tipo della stazione"), "tipo");
    const Long estensione = numero("l'estensione della stazione");
    if (estensione % 100 != 0) {
      ferma_a(esito::estensione_non_multipla, posizione);
      return passo::ferma;
    }
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
    const Long ore_minuti = a_long(
        static_cast<largo>(a_long(static_cast<largo>(ore) * 60, "orario della stazione")) + minuti,
        "orario della stazione");
    r.orario = a_long(
        static_cast<largo>(a_long(static_cast<largo>(ore_minuti) * 60, "orario della stazione")) +
            secondi,
        "orario della stazione");
    f_.testo(r.nome, "il nome della stazione");

    const largo p = posizione;
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

    if (r.tipo < 25 && r.tipo != 5 && r.tipo != 6)
      for (int k = 1; k <= 4; ++k) {
        const largo t = cella_di(static_cast<largo>(r.fine) - 50 * (k + 1));
        if (t > 1) cella_n(m_, t).avvicinamento = static_cast<Byte>(80 + k);
      }
    if (r.tipo < 25) {
      const largo t = cella_di(static_cast<largo>(r.fine) - 50);
      if (t <= 1) {
        ferma(esito::fermata_su_cella_iniziale);
        return passo::ferma;
      }
      cella& c = cella_n(m_, t);
      c.codice = codice_cella::fermata;
      c.valore_1 = static_cast<Integer>(stazione_);
    }
    if (stazione_ > 1 &&
        a_long(static_cast<largo>(r.inizio) - distanza_stazioni, "inizio della stazione - 350") <
            registro_n(m_, stazione_ - 1).fine) {
      ferma_a(esito::stazioni_troppo_vicine, posizione);
      return passo::ferma;
    }
    ++stazione_;
    if (stazione_ >= limite_) {
      ferma(esito::stazioni_troppe);
      return passo::ferma;
    }
    return passo::continua;
  }

  void chiusura() {
    do {
      cella_n(m_, riempimento_velocita_).vel_limite = vel_limite();
      ++riempimento_velocita_;
    } while (riempimento_velocita_ < static_cast<largo>(m_.ultima_cella) - 2);
    do {
      cella_n(m_, riempimento_aderenza_).aderenza = otto_bit(aderenza_);
      ++riempimento_aderenza_;
    } while (riempimento_aderenza_ < static_cast<largo>(m_.ultima_cella) - 2);
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

  modello& m_;
  campi& f_;
  const Long limite_;
  posizione_lettura& p_;
  diagnosi_lettura& d_;
  const std::string& file_linea_;

  // The speed and adhesion in force: 0 until the first profile record.
  Long velocita_ = 0;
  Long aderenza_ = 0;
  largo riempimento_velocita_ = 0;
  largo riempimento_aderenza_ = 0;
  Long stazione_ = 1;
};

}  // namespace

void leggi_treno(modello& m, campi& f, Long limite_cartelli, posizione_lettura& p,
                 diagnosi_lettura& d, const std::string& file_linea) {
  lettore(m, f, limite_cartelli, p, d, file_linea).leggi();
}

}  // namespace scen
