#include "read/costruttori_linea.h"

#include <cmath>

#include "model/esiti.h"
#include "read/accesso.h"

namespace scen {

namespace {

struct progressiva {
  Long inizio = 0;
  Long scostamento = 0;
  Long decrescente = 0;
};

progressiva leggi(const registro& r) { return {r.inizio, r.fine, r.progressiva}; }

void scrivi(registro& r, const progressiva& p) {
  r.inizio = p.inizio;
  r.fine = p.scostamento;
  r.progressiva = p.decrescente;
}

}  // namespace

void progressive_ordina(modello& m) {
  registro& r_tre = m.registri[indice_registro::progressiva_tre];
  registro& r_due = m.registri[indice_registro::progressiva_due];
  registro& r_uno = m.registri[indice_registro::progressiva_uno];
  const progressiva t = leggi(r_tre), d = leggi(r_due), u = leggi(r_uno);
  progressiva primo, secondo, terzo;

  const Long somma = a_long(static_cast<largo>(a_long(static_cast<largo>(t.inizio) + d.inizio,
                                                      "somma degli inizi delle progressive")) +
                                u.inizio,
                            "somma degli inizi delle progressive");
  if (somma != 0) {
    if (t.inizio > d.inizio && t.inizio > u.inizio) {
      primo = t;
      if (d.inizio > u.inizio) {
        secondo = d;
        terzo = u;
      } else {
        secondo = u;
        terzo = d;
      }
    } else if (d.inizio > t.inizio && d.inizio > u.inizio) {
      primo = d;
      if (t.inizio > u.inizio) {
        secondo = t;
        terzo = u;
      } else {
        secondo = u;
        terzo = t;
      }
    } else if (u.inizio > t.inizio && u.inizio > d.inizio) {
      primo = u;
      if (t.inizio > d.inizio) {
        secondo = t;
        terzo = d;
      } else {
        secondo = d;
        terzo = t;
      }
    }
  } else {
    if (t.scostamento > 0) {
      primo = t;
      secondo = d;
      terzo = u;
    }
    if (d.scostamento > 0) {
      primo = d;
      secondo = t;
      terzo = u;
    }
    if (u.scostamento > 0) {
      primo = u;
      secondo = d;
      terzo = t;
    }
  }
  scrivi(r_tre, primo);
  scrivi(r_due, secondo);
  scrivi(r_uno, terzo);

  for (registro* r : {&r_tre, &r_due, &r_uno})
    if (r->progressiva == 1)
      r->fine = a_long(static_cast<largo>(r->fine) + 100, "scostamento della progressiva + 100");
}

void memo_montagna(modello& m, zona_montagna zona) {
  bool con_segnali = false;
  if (zona.valore > 10) {
    zona.valore -= 10;
    con_segnali = true;
  }
  m.montagne_numero += 1;
  const Long n = m.montagne_numero;
  if (n < 0 || n > montagne_massimo) guasto("più di 80 zone di montagna");
  m.montagne_inizio[static_cast<size_t>(n)] = zona.inizio;
  m.montagne_fine[static_cast<size_t>(n)] = zona.fine;
  if (n > 1 && a_long(static_cast<largo>(zona.inizio) - m.montagne_fine[static_cast<size_t>(n - 1)],
                      "inizio della zona meno fine della precedente") <= 150)
    zona.valore = 3;

  const largo prima = cella_di(zona.inizio);
  const largo ultima = cella_di(static_cast<largo>(zona.fine) - 50);
  const Byte byte_valore = otto_bit(zona.valore);
  for (largo k = prima; k <= ultima; ++k) {
    cella& c = cella_n(m, k);
    c.montagna = byte_valore;
    if (con_segnali && (k - prima + 1) % 4 == 0 && c.codice == codice_cella::vuota)
      c.codice = codice_cella::segnale_montagna;
  }
}

namespace {

// 20 × a + b / 5 in real numbers, rounded to a 16-bit whole number.
Integer coppia_velocita(Long a, Long b, std::string_view campo) {
  const Long venti_a = a_long(20 * static_cast<largo>(a), "20 × velocità del primo gruppo");
  const double v = std::nearbyint(static_cast<double>(venti_a) + static_cast<double>(b) / 5.0);
  if (!(v >= -32768.0 && v <= 32767.0))
    guasto_larghezza(static_cast<largo>(v), campo, -32768, 32767);
  return static_cast<Integer>(v);
}

}  // namespace

esito memo_indicatori_v_max(modello& m, const record_indicatore& r) {
  cella& c = cella_n(m, cella_dopo(r.posizione));
  if (!cella_libera(c)) return esito::indicatore_su_cella_occupata;
  c.codice = codice_cella::indicatore_velocita;
  c.valore_1 = coppia_velocita(r.primo.velocita_1, r.secondo.velocita_1, "valore_1");
  c.valore_2 = coppia_velocita(r.primo.velocita_2, r.secondo.velocita_2, "valore_2");
  c.valore_3 = coppia_velocita(r.primo.velocita_3, r.secondo.velocita_3, "valore_3");
  const Long dieci_codice =
      a_long(10 * static_cast<largo>(r.primo.codice), "10 × codice del primo gruppo");
  c.valore_4 =
      a_integer(static_cast<largo>(a_long(static_cast<largo>(dieci_codice) + r.secondo.codice,
                                          "codici dell'indicatore")),
                "valore_4");
  return esito::nessuno;
}

}  // namespace scen
