#include "tool/verifica_record.h"

#include <cstdint>

#include "read/campi.h"

namespace scen {

namespace {

// A field that the reader cannot read, or the end of the file inside a
// record: the reader would stop there.
struct interruzione {};

// The fields of a file, with their places; the same rules as the readers'.
class scansione {
 public:
  explicit scansione(std::string_view testo) : t_(testo) {}

  bool fine() const { return pos_ == t_.size(); }

  // A text field: blanks and tabs before it are skipped, every byte up to
  // the next comma or line end is kept.
  campo_visto testo() {
    campo_visto c = inizia();
    while (!fine() && (t_[pos_] == ' ' || t_[pos_] == '\t')) ++pos_;
    segna(c);
    while (!fine() && t_[pos_] != ',' && !a_fine_riga()) ++pos_;
    c.testo = t_.substr(c.inizio, pos_ - c.inizio);
    c.virgola = !fine() && t_[pos_] == ',';
    delimitatore(c);
    return c;
  }

  // A number field. A number that the readers do not take comes back with
  // `valido` false, its bytes up to its delimiter, and the scan standing on
  // the byte that fails.
  campo_visto numero() {
    campo_visto c = inizia();
    c.numero = true;
    while (!fine() && t_[pos_] == ' ') ++pos_;
    segna(c);
    if (fine()) throw interruzione{};
    if (t_[pos_] == ',' || a_fine_riga()) {
      c.virgola = t_[pos_] == ',';
      delimitatore(c);
      return c;
    }
    const numero_scritto n = leggi_numero_scritto(t_, pos_);
    if (!n.con_cifre) return non_valido(c);
    c.testo = t_.substr(c.inizio, pos_ - c.inizio);
    if (!fine()) {
      const char dopo = t_[pos_];
      if (dopo == ',' || dopo == '\r' || dopo == '\n') {
        c.virgola = dopo == ',';
        delimitatore(c);
      } else if (dopo == ' ') {
        while (!fine() && t_[pos_] == ' ') ++pos_;
        if (!fine() && (t_[pos_] == ',' || a_fine_riga()))
          delimitatore(c);
        else if (!fine())
          c.spezzato = true;
      } else {
        return non_valido(c);
      }
    }
    if (!n.in_32_bit) {
      c.valido = false;
      return c;
    }
    c.valore = n.valore;
    return c;
  }

  // On to the start of the next line.
  void salta_riga() {
    while (!fine() && !a_fine_riga()) ++pos_;
    if (!fine()) consuma_fine_riga();
  }

 private:
  bool a_fine_riga() const { return t_[pos_] == '\r' || t_[pos_] == '\n'; }

  void consuma_fine_riga() {
    if (t_[pos_] == '\r' && pos_ + 1 < t_.size() && t_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
    ++riga_;
    inizio_riga_ = pos_;
  }

  campo_visto inizia() {
    if (fine()) throw interruzione{};
    campo_visto c;
    c.riga = riga_;
    c.a_inizio_riga = pos_ == inizio_riga_;
    return c;
  }

  void segna(campo_visto& c) const {
    c.inizio = pos_;
    c.colonna = static_cast<long>(pos_ - inizio_riga_) + 1;
  }

  // The delimiter at the scan's place goes with the field.
  void delimitatore(campo_visto&) {
    if (fine()) return;
    if (t_[pos_] == ',')
      ++pos_;
    else
      consuma_fine_riga();
  }

  campo_visto non_valido(campo_visto& c) {
    size_t fine_campo = c.inizio;
    while (fine_campo < t_.size() && t_[fine_campo] != ',' && t_[fine_campo] != '\r' &&
           t_[fine_campo] != '\n')
      ++fine_campo;
    c.testo = t_.substr(c.inizio, fine_campo - c.inizio);
    c.valido = false;
    return c;
  }

  std::string_view t_;
  size_t pos_ = 0;
  long riga_ = 1;
  size_t inizio_riga_ = 0;
};

// What both halves share: the scan, the record being read, and where the
// last field read stood, to tell how a passed-over field stands on its line.
class vista {
 public:
  vista(std::string_view testo, bool linea) : s_(testo) {
    d_.linea = linea;
    d_.testo = testo;
  }

  descrizione_vista risultato() { return std::move(d_); }

 protected:
  // The keyword field of the next record, passing over up to `trattini`
  // fields that hold "-". False when the end of the file comes before or
  // right after it: that field is then not used.
  bool chiave_record(campo_visto& k, int trattini, parte_file parte) {
    if (s_.fine()) return false;
    k = s_.testo();
    if (s_.fine()) return false;
    for (int i = 0; i < trattini; ++i)
      if (contiene(k.testo, "-")) {
        ignora(k, parte, true);
        k = s_.testo();
        if (s_.fine()) return false;
      }
    return true;
  }

  // A record of kind `tipo` on the keyword field `k`: its numbers, then its
  // text if it has one.
  void leggi_record(const campo_visto& k, specie tipo, int quale = 0) {
    record_visto r;
    r.tipo = tipo;
    r.quale = quale;
    r.chiave = k;
    if (ultimo_di_record_ && riga_ultimo_ == k.riga &&
        d_.record[record_ultimo_].chiave.inizio != k.inizio) {
      r.a_meta_riga = true;
      r.record_prima = record_ultimo_;
    }
    d_.record.push_back(std::move(r));
    const size_t indice = d_.record.size() - 1;
    nota_record(k, indice);
    try {
      for (size_t i = 0; i < numeri_del_record(tipo); ++i) {
        campo_visto c = s_.numero();
        d_.record[indice].valori.push_back(c);
        nota_record(c, indice);
        if (!c.valido) throw interruzione{};
      }
      if (con_testo(tipo)) {
        campo_visto c = s_.testo();
        d_.record[indice].valori.push_back(c);
        nota_record(c, indice);
      }
    } catch (const interruzione&) {
      d_.record[indice].intero = false;
      throw;
    }
  }

  // A field the reader passes over.
  void ignora(const campo_visto& c, parte_file parte, bool trattino = false) {
    campo_ignorato g;
    g.campo = c;
    g.parte = parte;
    g.trattino = trattino;
    if (c.a_inizio_riga) {
      g.posto = posto_ignorato::inizio_riga;
    } else if (ultimo_di_record_ && riga_ultimo_ == c.riga &&
               d_.record[record_ultimo_].chiave.riga == c.riga) {
      g.posto = posto_ignorato::dopo_record;
      g.record = record_ultimo_;
    } else {
      g.posto = posto_ignorato::seguito;
    }
    d_.ignorati.push_back(g);
    riga_ultimo_ = c.riga;
    ultimo_di_record_ = false;
  }

  // A field the reader could not read: reading would stop here; the rest
  // of the line is not seen.
  void interrompi() {
    d_.interrotta = true;
    s_.salta_riga();
    ultimo_di_record_ = false;
  }

  bool ha(const campo_visto& k, std::string_view parola) const {
    return contiene_maiuscole(k.testo, parola);
  }
  bool ha_esatto(const campo_visto& k, std::string_view parola) const {
    return contiene(k.testo, parola);
  }

  scansione s_;
  descrizione_vista d_;

 private:
  // The last field read belonged to record `indice`.
  void nota_record(const campo_visto& c, size_t indice) {
    riga_ultimo_ = c.riga;
    ultimo_di_record_ = true;
    record_ultimo_ = indice;
  }

  long riga_ultimo_ = 0;
  bool ultimo_di_record_ = false;
  size_t record_ultimo_ = 0;
};

class vista_linea final : public vista {
 public:
  explicit vista_linea(std::string_view testo) : vista(testo, true) {}

  void leggi() {
    if (!trova_generale()) return;
    sezione_generale();
    campo_visto k;
    for (;;) {
      try {
        if (!chiave_record(k, 2, parte_file::record)) return;
        bool letto = false;
        if (ha(k, "pendenza")) letto = (leggi_record(k, specie::pendenza), true);
        if (ha(k, "curva")) letto = (leggi_record(k, specie::curva), true);
        if (ha(k, "montagna")) letto = (leggi_record(k, specie::montagna), true);
        if (ha(k, "indicatori_v")) letto = (leggi_record(k, specie::indicatore), true);
        if (ha(k, "indicat") && ha(k, "cartello"))
          letto = (leggi_record(k, specie::cartello), true);
        if (!letto) ignora(k, parte_file::record);
      } catch (const interruzione&) {
        interrompi();
      }
    }
  }

 private:
  bool trova_generale() {
    while (!s_.fine()) {
      campo_visto k = s_.testo();
      if (s_.fine()) return false;
      if (ha(k, "[generale]")) {
        d_.con_generale = true;
        d_.generale = k;
        return true;
      }
      ignora(k, parte_file::prima_di_generale);
    }
    return false;
  }

  void sezione_generale() {
    for (;;) {
      try {
        if (s_.fine()) return;
        campo_visto k = s_.testo();
        if (s_.fine()) return;
        for (int i = 0; i < 10; ++i)
          if (ha(k, "-")) {
            ignora(k, parte_file::generale, true);
            k = s_.testo();
          }
        bool letto = false;
        auto leggi = [&](specie tipo, int quale = 0) {
          leggi_record(k, tipo, quale);
          letto = true;
        };
        if (ha(k, "percorso") && ha(k, "lunghezza")) leggi(specie::lunghezza);
        if (ha_esatto(k, "tre") && ha_esatto(k, "progressiva")) leggi(specie::progressiva, 3);
        if (ha_esatto(k, "due") && ha_esatto(k, "progressiva")) leggi(specie::progressiva, 2);
        if (ha_esatto(k, "uno") && ha_esatto(k, "progressiva")) leggi(specie::progressiva, 1);
        if (ha_esatto(k, "sfondo") && ha_esatto(k, "uno")) leggi(specie::sfondo, 1);
        if (ha_esatto(k, "sfondo") && ha_esatto(k, "due")) leggi(specie::sfondo, 2);
        if (ha_esatto(k, "sfondo") && ha_esatto(k, "tre")) leggi(specie::sfondo, 3);
        if (ha_esatto(k, "segnali") && ha_esatto(k, "ripetizione")) leggi(specie::ripetizione);
        const bool chiude = ha(k, "[") && ha(k, "]") && k.testo.front() != '-';
        if (!letto) ignora(k, parte_file::generale);
        if (chiude) {
          d_.generale_chiusa = true;
          d_.chiusura_generale = k;
          return;
        }
      } catch (const interruzione&) {
        interrompi();
      }
    }
  }
};

class vista_treno final : public vista {
 public:
  explicit vista_treno(std::string_view testo) : vista(testo, false) {}

  void leggi() {
    while (!s_.fine()) {
      campo_visto k = s_.testo();
      if (ha(k, "[generale]")) {
        d_.con_generale = true;
        d_.generale = k;
        break;
      }
      ignora(k, parte_file::prima_di_generale);
    }
    campo_visto k;
    for (;;) {
      try {
        if (!chiave_record(k, 2, parte_file::record)) return;
        bool letto = false;
        auto leggi = [&](specie tipo) {
          leggi_record(k, tipo);
          letto = true;
        };
        if (ha(k, "frenata") && ha(k, "massa")) leggi(specie::massa_frenata);
        if (ha(k, "vetture")) leggi(specie::vetture);
        if (ha(k, "velocit")) leggi(specie::velocita);
        if (ha(k, "aderenza")) leggi(specie::aderenza);
        if (ha(k, "orologio")) leggi(specie::orologio);
        if (ha(k, "sabbia")) leggi(specie::sabbia);
        if (ha(k, "segnale")) leggi(specie::segnale);
        if (ha(k, "rallentamento")) leggi(specie::rallentamento);
        if (ha(k, "abbattimento")) leggi(specie::abbattimento);
        if (ha(k, "stazione")) leggi(specie::stazione);
        if (!letto) ignora(k, parte_file::record);
      } catch (const interruzione&) {
        interrompi();
      }
    }
  }
};

}  // namespace

descrizione_vista vedi_linea(std::string_view testo) {
  vista_linea v(testo);
  v.leggi();
  return v.risultato();
}

descrizione_vista vedi_treno(std::string_view testo) {
  vista_treno v(testo);
  v.leggi();
  return v.risultato();
}

size_t numeri_del_record(specie tipo) {
  switch (tipo) {
    case specie::lunghezza:
    case specie::sfondo:
    case specie::cartello:
    case specie::massa_frenata:
    case specie::vetture:
    case specie::sabbia:
      return 1;
    case specie::ripetizione:
    case specie::curva:
    case specie::pendenza:
    case specie::velocita:
    case specie::aderenza:
    case specie::abbattimento:
      return 2;
    case specie::progressiva:
    case specie::montagna:
    case specie::orologio:
      return 3;
    case specie::rallentamento:
      return 6;
    case specie::indicatore:
      return 9;
    case specie::segnale:
      return 11;
    case specie::stazione:
      return 16;
  }
  return 0;
}

bool con_testo(specie tipo) { return tipo == specie::cartello || tipo == specie::stazione; }

std::string_view nome_record(specie tipo, int quale) {
  switch (tipo) {
    case specie::lunghezza:
      return "lunghezza percorso";
    case specie::progressiva:
      return quale == 1   ? "progressiva chilometrica uno"
             : quale == 2 ? "progressiva chilometrica due"
                          : "progressiva chilometrica tre";
    case specie::sfondo:
      return quale == 1 ? "sfondo uno" : quale == 2 ? "sfondo due" : "sfondo tre";
    case specie::ripetizione:
      return "ripetizione segnali";
    case specie::curva:
      return "curva";
    case specie::pendenza:
      return "pendenza";
    case specie::montagna:
      return "montagna";
    case specie::indicatore:
      return "indicatori_vmax";
    case specie::cartello:
      return "cartello_indicatore";
    case specie::massa_frenata:
      return "percentuale massa frenata";
    case specie::vetture:
      return "numero vetture";
    case specie::velocita:
      return "velocita";
    case specie::aderenza:
      return "aderenza";
    case specie::orologio:
      return "orologio";
    case specie::sabbia:
      return "sabbia";
    case specie::segnale:
      return "segnale";
    case specie::rallentamento:
      return "rallentamento";
    case specie::abbattimento:
      return "abbattimento";
    case specie::stazione:
      return "stazione";
  }
  return "";
}

}  // namespace scen
