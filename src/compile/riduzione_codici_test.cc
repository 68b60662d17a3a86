#include "compile/riduzione_codici.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "model/esiti.h"

namespace scen {
namespace {

// A line of `numero` empty cells.
modello linea(Long numero) {
  modello m;
  m.celle.resize(static_cast<size_t>(numero));
  m.ultima_cella = numero - 1;
  m.lunghezza_estesa = m.ultima_cella * 50;
  return m;
}

cella codice(Byte c, Integer v = 0) {
  cella x;
  x.codice = c;
  x.valore_1 = v;
  return x;
}

const cella vuota{};
const cella occupata = codice(codice_cella::indicatore_velocita, 1234);
const cella marcatore = codice(codice_cella::segnale_montagna);
cella riduzione(Integer v) { return codice(codice_cella::abbattimento, v); }

void metti(modello& m, Long i, const cella& c) { m.celle.at(static_cast<size_t>(i)) = c; }
void segnale(modello& m, Long i) { metti(m, i, codice(codice_cella::segnale, 42)); }
void avviso(modello& m, Long i, Integer v = 60) {
  metti(m, i, codice(codice_cella::avviso_rallentamento, v));
}
void inizio(modello& m, Long i, Integer v) {
  metti(m, i, codice(codice_cella::inizio_rallentamento, v));
}
void fine(modello& m, Long i, Integer v) {
  metti(m, i, codice(codice_cella::fine_rallentamento, v));
}

// Every cell that holds a code reduction, with its value.
std::map<Long, Integer> riduzioni(const modello& m) {
  std::map<Long, Integer> r;
  for (size_t i = 0; i < m.celle.size(); ++i)
    if (m.celle[i].codice == codice_cella::abbattimento)
      r[static_cast<Long>(i)] = m.celle[i].valore_1;
  return r;
}

// The cells that the pass placed, given the code reductions that were there.
std::vector<Long> messe(const modello& m, const std::map<Long, Integer>& prima = {}) {
  std::vector<Long> r;
  for (const auto& [i, v] : riduzioni(m))
    if (!prima.count(i)) {
      EXPECT_EQ(v, valore_riduzione) << "cella " << i;
      r.push_back(i);
    }
  return r;
}

using celle_attese = std::vector<Long>;

TEST(RiduzioneCodici, SenzaRallentamentiLasciaOgniCellaComEra) {
  modello m = linea(200);
  segnale(m, 22);
  segnale(m, 60);
  metti(m, 59, riduzione(270));
  metti(m, 30, occupata);
  metti(m, 31, marcatore);
  metti(m, 40, codice(codice_cella::fermata, 1));
  metti(m, 41, codice(codice_cella::avvicinamento_avviso, 1));
  metti(m, 80, codice(codice_cella::cartello, 80));
  metti(m, 90, codice(codice_cella::abbattimento_senza_valore));
  const std::vector<cella> prima = m.celle;

  riduzione_codici(m);

  EXPECT_EQ(m.celle, prima);
  EXPECT_EQ(m.errore_codice, esito::nessuno);
  EXPECT_EQ(m.errore_posizione, 0);
}

TEST(RiduzioneCodici, LineeMinimeNonHannoCelleDaVisitare) {
  for (Long n : {0, 1, 2, 3}) {
    modello m = linea(n);
    if (n == 3) inizio(m, 1, 60);
    const std::vector<cella> prima = m.celle;
    riduzione_codici(m);
    EXPECT_EQ(m.celle, prima) << n << " celle";
    EXPECT_EQ(m.errore_codice, esito::nessuno);
  }
}

// A signal in cell 47, three cells before a warning point in cell 50; the two
// cells before the signal hold what the case says.
struct caso_segnale {
  const char* nome;
  cella c46, c45;
  cella atteso46, atteso45;
  esito atteso;
};

TEST(RiduzioneCodici, SegnalePrimaDellAvviso) {
  const caso_segnale casi[] = {
      {"due celle vuote: la riduzione va subito prima", vuota, vuota, riduzione(180), vuota,
       esito::nessuno},
      {"270 subito prima, poi occupata: scende a 180", riduzione(270), occupata, riduzione(180),
       occupata, esito::nessuno},
      {"120 subito prima, poi occupata: resta 120", riduzione(120), occupata, riduzione(120),
       occupata, esito::nessuno},
      {"subito prima occupata: la riduzione va due celle prima", occupata, vuota, occupata,
       riduzione(180), esito::nessuno},
      {"270 subito prima ma libera quella prima: nuova riduzione, 270 resta", riduzione(270), vuota,
       riduzione(270), riduzione(180), esito::nessuno},
      {"occupata, poi 270: scende a 180", occupata, riduzione(270), occupata, riduzione(180),
       esito::nessuno},
      {"un segnale di zona conta come libero", marcatore, vuota, riduzione(180), vuota,
       esito::nessuno},
      {"nessuna cella utile: esito 11", occupata, occupata, occupata, occupata,
       esito::riduzione_prima_di_segnale},
  };
  for (const caso_segnale& caso : casi) {
    SCOPED_TRACE(caso.nome);
    modello m = linea(100);
    avviso(m, 50);
    segnale(m, 47);
    metti(m, 46, caso.c46);
    metti(m, 45, caso.c45);

    riduzione_codici(m);

    EXPECT_EQ(m.celle[46], caso.atteso46);
    EXPECT_EQ(m.celle[45], caso.atteso45);
    EXPECT_EQ(m.celle[44], vuota);
    EXPECT_EQ(m.errore_codice, caso.atteso);
    EXPECT_EQ(m.errore_posizione, caso.atteso != esito::nessuno ? 47 * 50 : 0);
  }
}

TEST(RiduzioneCodici, SegnaliCercatiNelleVentiCellePrimaDellAvvisoEFinoAllaTerza) {
  struct caso {
    Long avviso, segnale;
    celle_attese attese;
  };
  const caso casi[] = {
      {50, 30, {29}},  // 20 cells before: handled
      {50, 29, {}},    // 21 cells before: not looked at
      {10, 3, {2}},    // i - k = 3: still handled
      {10, 2, {}},     // i - k = 2: the scan has stopped
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(testing::Message() << "avviso " << c.avviso << ", segnale " << c.segnale);
    modello m = linea(100);
    avviso(m, c.avviso);
    segnale(m, c.segnale);
    riduzione_codici(m);
    EXPECT_EQ(messe(m), c.attese);
    EXPECT_EQ(m.errore_codice, esito::nessuno);
  }
}

TEST(RiduzioneCodici, OgniSegnalePrimaDellAvvisoDalPiuVicino) {
  modello m = linea(100);
  avviso(m, 50);
  segnale(m, 47);
  segnale(m, 45);
  segnale(m, 40);
  metti(m, 39, occupata);
  metti(m, 38, occupata);
  riduzione_codici(m);
  // 47 takes 46; 45 finds 44 free; 40 has no room.
  EXPECT_EQ(messe(m), (celle_attese{44, 46}));
  EXPECT_EQ(m.errore_codice, esito::riduzione_prima_di_segnale);
  EXPECT_EQ(m.errore_posizione, 40 * 50);

  // Two signals without room: the farther one, handled last, leaves its position.
  modello n = linea(100);
  avviso(n, 50);
  for (Long i : {47, 40}) {
    segnale(n, i);
    metti(n, i - 1, occupata);
    metti(n, i - 2, occupata);
  }
  riduzione_codici(n);
  EXPECT_EQ(n.errore_codice, esito::riduzione_prima_di_segnale);
  EXPECT_EQ(n.errore_posizione, 40 * 50);
}

TEST(RiduzioneCodici, GruppiPrimaDellInizioSecondoLaCellaDiInizio) {
  struct caso {
    Long inizio;
    celle_attese attese;
  };
  const caso casi[] = {
      {6, {}},   {7, {}},      {8, {3}},      {10, {5}},
      {13, {8}}, {14, {3, 9}}, {20, {9, 15}}, {21, {3, 10, 16}},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(testing::Message() << "inizio in " << c.inizio);
    modello m = linea(60);
    inizio(m, c.inizio, 120);
    fine(m, c.inizio + 2, 120);
    riduzione_codici(m);
    EXPECT_EQ(messe(m), c.attese);
    EXPECT_EQ(m.errore_codice, esito::nessuno);
  }
}

TEST(RiduzioneCodici, InOgniGruppoLaPrimaCellaLibera) {
  modello m = linea(80);
  inizio(m, 30, 120);
  fine(m, 32, 120);
  metti(m, 25, occupata);  // first group: 25 taken, 24 free
  metti(m, 19, occupata);  // second group: 19 and 18 taken, 17 free
  metti(m, 18, riduzione(270));
  riduzione_codici(m);
  EXPECT_EQ(messe(m, {{18, 270}}), (celle_attese{12, 17, 24}));
  EXPECT_EQ(m.celle[18].valore_1, 270);
  EXPECT_EQ(m.errore_codice, esito::nessuno);
}

TEST(RiduzioneCodici, GruppoSenzaCellaLiberaDaEsito12EGliAltriGruppiRestano) {
  modello m = linea(80);
  inizio(m, 30, 120);
  fine(m, 32, 120);
  for (Long i : {17, 18, 19}) metti(m, i, occupata);
  riduzione_codici(m);
  EXPECT_EQ(messe(m), (celle_attese{12, 25}));
  EXPECT_EQ(m.errore_codice, esito::riduzione_prima_di_inizio);
  EXPECT_EQ(m.errore_posizione, 30 * 50);
}

// Code reductions inside a slowdown from cell 100 to cell 130 (groups before
// it and the signal after it left aside).
std::vector<Long> dentro(const modello& m) {
  std::vector<Long> r;
  for (Long i : messe(m))
    if (i > 100 && i < 131) r.push_back(i);
  return r;
}

TEST(RiduzioneCodici, CamminoOgniOttoCelleSottoI110) {
  struct caso {
    Integer velocita;
    celle_attese attese;
  };
  const caso casi[] = {
      {60, {108, 116, 124}},
      {109, {108, 116, 124}},
      {110, {}},
      {150, {}},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(testing::Message() << c.velocita << " km/h");
    modello m = linea(200);
    inizio(m, 100, c.velocita);
    fine(m, 130, c.velocita);
    riduzione_codici(m);
    EXPECT_EQ(dentro(m), c.attese);
    EXPECT_EQ(m.errore_codice, esito::nessuno);
  }
}

TEST(RiduzioneCodici, CamminoConCelleOccupate) {
  struct caso {
    const char* nome;
    celle_attese occupate;
    celle_attese attese;
    Long posizione;  // where outcome 13 is left; 0 for none
  };
  const caso casi[] = {
      {"108 occupata: una cella prima, e si riparte da li", {108}, {107, 115, 123}, 0},
      {"108 e 107 occupate: una cella dopo", {107, 108}, {109, 117, 125}, 0},
      {"nessuna delle tre: esito 13 e nessun'altra nel rallentamento", {107, 108, 109}, {}, 5400},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    modello m = linea(200);
    inizio(m, 100, 60);
    fine(m, 130, 60);
    for (Long i : c.occupate) metti(m, i, occupata);
    riduzione_codici(m);
    EXPECT_EQ(dentro(m), c.attese);
    EXPECT_EQ(m.errore_codice,
              c.posizione != 0 ? esito::riduzione_nel_rallentamento : esito::nessuno);
    EXPECT_EQ(m.errore_posizione, c.posizione);
  }
}

TEST(RiduzioneCodici, CamminoCheArrivaAllOttavaCellaSullaFine) {
  // The eighth step lands on the end cell, which is not free: the cell before
  // it takes the code reduction.
  modello m = linea(200);
  inizio(m, 100, 60);
  fine(m, 108, 60);
  riduzione_codici(m);
  EXPECT_EQ(dentro(m), (celle_attese{107}));
}

struct caso_dopo {
  const char* nome;
  Long segnale;
  celle_attese occupate;
  std::vector<Long> attese;  // after cell 130
  Long posizione;            // where outcome 13 is left; 0 for none
};

TEST(RiduzioneCodici, SegnaleDopoIlRallentamento) {
  const caso_dopo casi[] = {
      {"cella prima del segnale libera", 135, {}, {134}, 0},
      {"cella prima occupata: una prima ancora", 135, {134}, {133}, 0},
      {"entrambe occupate: esito 13 alla cella di fine", 135, {133, 134}, {}, 130 * 50},
      {"12 celle dopo la fine: trovato", 142, {}, {141}, 0},
      {"13 celle dopo la fine: non cercato", 143, {}, {}, 0},
      {"subito dopo la fine: la fine non e libera, va prima", 131, {}, {129}, 0},
  };
  for (const caso_dopo& c : casi) {
    SCOPED_TRACE(c.nome);
    modello m = linea(200);
    inizio(m, 100, 60);
    fine(m, 130, 60);
    segnale(m, c.segnale);
    for (Long i : c.occupate) metti(m, i, occupata);
    riduzione_codici(m);
    std::vector<Long> dopo;
    for (Long i : messe(m))
      if (i > 124) dopo.push_back(i);
    EXPECT_EQ(dopo, c.attese);
    EXPECT_EQ(m.errore_codice,
              c.posizione != 0 ? esito::riduzione_nel_rallentamento : esito::nessuno);
    EXPECT_EQ(m.errore_posizione, c.posizione);
  }
}

TEST(RiduzioneCodici, Da110InSuLaRicercaParteDallaCellaDiFine) {
  // A signal five cells after the end, out of reach from the start.
  modello m = linea(200);
  inizio(m, 100, 110);
  fine(m, 120, 110);
  segnale(m, 125);
  riduzione_codici(m);
  EXPECT_EQ(dentro(m), (celle_attese{124}));

  // A signal inside the slowdown, none after it: nothing is placed.
  modello n = linea(200);
  inizio(n, 100, 130);
  fine(n, 120, 130);
  segnale(n, 105);
  riduzione_codici(n);
  EXPECT_EQ(dentro(n), celle_attese{});
  EXPECT_EQ(n.errore_codice, esito::nessuno);

  // No end cell: the search starts at the last cell and finds nothing.
  modello p = linea(130);
  inizio(p, 100, 110);
  segnale(p, 110);
  riduzione_codici(p);
  EXPECT_EQ(dentro(p), celle_attese{});
  EXPECT_EQ(p.errore_codice, esito::nessuno);
}

TEST(RiduzioneCodici, IlCamminoSiFermaAllUltimaCella) {
  // No end cell: the walk runs to the last cell (119) and stops there.
  modello m = linea(120);
  inizio(m, 100, 60);
  riduzione_codici(m);
  EXPECT_EQ(dentro(m), (celle_attese{108, 116}));
  EXPECT_EQ(m.celle.size(), 120u);
  EXPECT_EQ(m.errore_codice, esito::nessuno);

  // The eighth step lands on the last cell (111), taken, as is the one
  // before it: there is no cell after it, so the outcome is 13.
  modello n = linea(112);
  inizio(n, 103, 60);
  metti(n, 110, occupata);
  metti(n, 111, occupata);
  riduzione_codici(n);
  EXPECT_EQ(dentro(n), celle_attese{});
  EXPECT_EQ(n.celle.size(), 112u);
  EXPECT_EQ(n.errore_codice, esito::riduzione_nel_rallentamento);
  EXPECT_EQ(n.errore_posizione, 111 * 50);

  // The same with a free last cell: it takes the code reduction.
  modello p = linea(112);
  inizio(p, 103, 60);
  riduzione_codici(p);
  EXPECT_EQ(dentro(p), (celle_attese{111}));
}

TEST(RiduzioneCodici, IlPassaggioVisitaFinoAllaTerzultimaCella) {
  // Last cell 39: a start in cell 37 is visited, one in cell 38 is not.
  modello m = linea(40);
  inizio(m, 37, 120);
  riduzione_codici(m);
  EXPECT_EQ(messe(m), (celle_attese{19, 26, 32}));

  modello n = linea(40);
  inizio(n, 38, 120);
  const std::vector<cella> prima = n.celle;
  riduzione_codici(n);
  EXPECT_EQ(n.celle, prima);
}

TEST(RiduzioneCodici, GliEsitiSovrascrivonoQuelliPrecedenti) {
  modello m = linea(300);
  m.errore_codice = esito::avvicinamento_su_cella_occupata;
  m.errore_posizione = 291850;
  // A warning whose signal has no room (outcome 11 at cell 47)...
  avviso(m, 50);
  segnale(m, 47);
  metti(m, 46, occupata);
  metti(m, 45, occupata);
  // ...then a walk with no room (outcome 13 at cell 208)...
  inizio(m, 200, 60);
  fine(m, 230, 60);
  for (Long i : {207, 208, 209}) metti(m, i, occupata);
  // ...then a slowdown that places everything it needs.
  inizio(m, 260, 60);
  fine(m, 264, 60);
  riduzione_codici(m);
  EXPECT_EQ(m.errore_codice, esito::riduzione_nel_rallentamento);
  EXPECT_EQ(m.errore_posizione, 208 * 50);
  EXPECT_EQ(riduzioni(m).count(255), 1u);  // the last slowdown still got its groups
}

}  // namespace
}  // namespace scen
