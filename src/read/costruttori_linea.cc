#include "read/costruttori_linea.h"

#include <fmt/format.h>

#include <algorithm>
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

  constexpr nome_campo somma_inizi{"la somma degli inizi delle tre progressive chilometriche"};
  const Long somma = a_long(
      static_cast<largo>(a_long(static_cast<largo>(t.inizio) + d.inizio, somma_inizi)) + u.inizio,
      somma_inizi);
  if (progressive_azzerate(t.inizio, d.inizio, u.inizio, t.scostamento, d.scostamento,
                           u.scostamento)) {
    // All three stay 0, 0, 0.
  } else if (somma != 0) {
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
      r->fine = a_long(static_cast<largo>(r->fine) + aggiunta_decrescente,
                       {"lo scostamento della progressiva decrescente, più 100 m,"});
}

bool progressive_azzerate(largo inizio_tre, largo inizio_due, largo inizio_uno,
                          largo scostamento_tre, largo scostamento_due, largo scostamento_uno) {
  if (inizio_tre + inizio_due + inizio_uno != 0) {
    const largo ultimo = std::max({inizio_tre, inizio_due, inizio_uno});
    return (inizio_tre == ultimo) + (inizio_due == ultimo) + (inizio_uno == ultimo) > 1;
  }
  return scostamento_tre <= 0 && scostamento_due <= 0 && scostamento_uno <= 0;
}

void memo_montagna(modello& m, zona_montagna zona) {
  const bool con_segnali = zona.valore > segnali_di_zona;
  zona.valore = valore_di_zona(zona.valore);
  m.montagne_numero += 1;
  const Long n = m.montagne_numero;
  if (n < 0 || n > montagne_massimo)
    guasto(fmt::format("più di {} zone di montagna: questa è la n. {}", montagne_massimo, n));
  m.montagne_inizio[static_cast<size_t>(n)] = zona.inizio;
  m.montagne_fine[static_cast<size_t>(n)] = zona.fine;
  if (n > 1 && a_long(static_cast<largo>(zona.inizio) - m.montagne_fine[static_cast<size_t>(n - 1)],
                      {"l'inizio della zona meno la fine della precedente,", 1}) <= distanza_zone)
    zona.valore = valore_zona_vicina;

  const largo prima = cella_di(zona.inizio);
  const largo ultima = cella_di(static_cast<largo>(zona.fine) - metri_cella);
  const Byte byte_valore = otto_bit(zona.valore);
  for (largo k = prima; k <= ultima; ++k) {
    cella& c = cella_n(m, k, [&] {
      // Before the line's start the zone's start is at fault, beyond its end the zone's end.
      return uso_tabella{fmt::format("la zona di montagna da {} a {} m", zona.inizio, zona.fine),
                         k < 0 ? 1 : 2};
    });
    c.montagna = byte_valore;
    if (con_segnali && (k - prima + 1) % 4 == 0 && c.codice == codice_cella::vuota)
      c.codice = codice_cella::segnale_montagna;
  }
}

namespace {

// Of two values added into one word, the field of the one that weighs more:
// `campo_a` for `peso_a`, else `campo_b`.
int campo_che_pesa(double peso_a, int campo_a, double peso_b, int campo_b) {
  return std::fabs(peso_a) >= std::fabs(peso_b) ? campo_a : campo_b;
}

// 20 × a + b / 5 in real numbers, rounded to a 16-bit whole number. `coppia`
// names the pair of speeds; `campo_a` is the value field of a, and b's is
// four fields on.
Integer coppia_velocita(Long a, Long b, std::string_view coppia, int campo_a) {
  const Long venti_a = a_long(20 * static_cast<largo>(a), {coppia, campo_a});
  const double v = std::nearbyint(static_cast<double>(venti_a) + static_cast<double>(b) / 5.0);
  if (!(v >= -32768.0 && v <= 32767.0))
    guasto_larghezza(static_cast<largo>(v),
                     {coppia, campo_che_pesa(static_cast<double>(venti_a), campo_a,
                                             static_cast<double>(b) / 5.0, campo_a + 4)},
                     -32768, 32767);
  return static_cast<Integer>(v);
}

}  // namespace

esito memo_indicatori_v_max(modello& m, const record_indicatore& r) {
  cella& c = cella_n(m, cella_dopo(r.posizione), [&] {
    return uso_tabella{fmt::format("l'indicatore di velocità a {} m", r.posizione), 1};
  });
  if (!cella_libera(c)) return esito::indicatore_su_cella_occupata;
  c.codice = codice_cella::indicatore_velocita;
  c.valore_1 = coppia_velocita(
      r.primo.velocita_1, r.secondo.velocita_1,
      "la coppia delle prime velocità dell'indicatore, 20 × campo 2 + campo 6 / 5,", 2);
  c.valore_2 = coppia_velocita(
      r.primo.velocita_2, r.secondo.velocita_2,
      "la coppia delle seconde velocità dell'indicatore, 20 × campo 3 + campo 7 / 5,", 3);
  c.valore_3 = coppia_velocita(
      r.primo.velocita_3, r.secondo.velocita_3,
      "la coppia delle terze velocità dell'indicatore, 20 × campo 4 + campo 8 / 5,", 4);
  constexpr std::string_view codici = "i codici dell'indicatore, 10 × campo 5 + campo 9,";
  const Long dieci_codice = a_long(10 * static_cast<largo>(r.primo.codice), {codici, 5});
  const nome_campo somma{codici, campo_che_pesa(static_cast<double>(dieci_codice), 5,
                                                static_cast<double>(r.secondo.codice), 9)};
  c.valore_4 = a_integer(
      static_cast<largo>(a_long(static_cast<largo>(dieci_codice) + r.secondo.codice, somma)),
      somma);
  return esito::nessuno;
}

}  // namespace scen
