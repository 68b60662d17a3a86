#include "inspect/fatti_compilati.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "testing/cartella_temporanea.h"

namespace scen {
namespace {

// A train file's tables with the carried keys and code, one line length,
// two stations and two signposts.
modello treno_portato() {
  modello m;
  auto& r = m.registri;
  r[indice_registro::generali_linea].nome = "Vela_Nuro";
  r[indice_registro::generali_linea].orario = 32226;
  r[indice_registro::generali_linea].campo_7 = 610;
  r[indice_registro::generali_ripetizione].nome = "IC 731";
  r[indice_registro::generali_treno].fine = 334000;
  r[indice_registro::generali_treno].progressiva = 10;
  r[indice_registro::generali_treno].inizio = 130;
  r[indice_registro::progressiva_due].inizio = 284500;
  r[indice_registro::progressiva_due].fine = -284500;
  r[1].nome = "Vela";
  r[1].orario = 47070;
  r[2].nome = "Nuro";
  r[80].nome = "(Km 1)";
  r[79].nome = "(Km 2)";
  return m;
}

TEST(FattiDelTreno, TheRecordsAsFacts) {
  const fatti_treno f = fatti_del_treno("c/Vela_Nuro_IC 731.sim", 3852, treno_portato());
  EXPECT_EQ(f.file, "c/Vela_Nuro_IC 731.sim");
  EXPECT_EQ(f.byte, 3852u);
  EXPECT_EQ(f.registri, 87u);
  EXPECT_EQ(f.segno, 610);
  EXPECT_EQ(f.lunghezza_percorso, 334000);
  EXPECT_EQ(f.numero_vetture, 10);
  EXPECT_EQ(f.percentuale_massa_frenata, 130);
  EXPECT_EQ(std::string(f.progressive[1].nome), "due");
  EXPECT_EQ(f.progressive[1].registro, indice_registro::progressiva_due);
  EXPECT_EQ(f.progressive[1].inizio, 284500);
  EXPECT_EQ(f.progressive[1].scostamento, -284500);
  ASSERT_EQ(f.stazioni.size(), 2u);
  EXPECT_EQ(f.stazioni[0].indice, 1);
  EXPECT_EQ(f.stazioni[0].dati.orario, 47070);
  EXPECT_EQ(f.stazioni[1].dati.nome, "Nuro");
  ASSERT_EQ(f.cartelli.size(), 2u);
  EXPECT_EQ(f.cartelli[0].registro, 80);
  EXPECT_EQ(f.cartelli[1].testo, "(Km 2)");
  EXPECT_FALSE(f.cartelli[0].cella);
}

// The keys of the name, and whether they and the code stored agree with it.
TEST(FattiDelTreno, TheKeysAndTheCodeAgainstTheName) {
  struct caso {
    const char* nome;
    const char* percorso;  // in records 85 and 86
    const char* treno;
    Long codice;
    std::optional<chiavi_nome> del_nome;
    bool concordano;
    bool corrisponde;
  };
  const chiavi_nome portate{"Vela_Nuro", "IC 731"};
  const caso casi[] = {
      {"Vela_Nuro_IC 731.sim", "Vela_Nuro", "IC 731", 32226, portate, true, true},
      {"cartella/Vela_Nuro_IC 731.sim", "Vela_Nuro", "IC 731", 32226, portate, true, true},
      // No "_" in the name: nothing to compare with.
      {"senza.sim", "Vela_Nuro", "IC 731", 32226, std::nullopt, false, false},
      // Other keys in the records: the division of the name that gives the code.
      {"Vela_Nuro_IC 731.sim", "Altro", "X", 32226, portate, false, true},
      // The keys of the records, but another code.
      {"Vela_Nuro_IC 731.sim", "Vela_Nuro", "IC 731", 1, portate, true, false},
      // Neither: the last division of the name.
      {"Vela_Nuro_IC 731.sim", "Altro", "X", 1, portate, false, false},
  };
  for (const caso& c : casi) {
    modello m = treno_portato();
    m.registri[indice_registro::generali_linea].nome = c.percorso;
    m.registri[indice_registro::generali_ripetizione].nome = c.treno;
    m.registri[indice_registro::generali_linea].orario = c.codice;
    const fatti_treno f = fatti_del_treno(c.nome, 0, m);
    EXPECT_EQ(f.chiavi_del_nome, c.del_nome) << c.nome << " " << c.percorso << " " << c.codice;
    EXPECT_EQ(f.chiavi_concordano(), c.concordano) << c.nome << " " << c.percorso;
    EXPECT_EQ(f.codice_gara_st.valore, c.codice);
    EXPECT_EQ(f.codice_gara_st.corrisponde(), c.corrisponde) << c.nome << " " << c.codice;
    if (c.del_nome) {
      EXPECT_EQ(f.codice_gara_st.atteso, 32226);
    }
    EXPECT_EQ(concorda_col_nome(f), c.concordano && c.corrisponde) << c.nome;
  }
}

modello celle_di_prova() {
  modello m;
  m.celle.resize(6);
  m.ultima_cella = 5;
  m.celle[1] = {codice_cella::segnale, 5121, 2352};
  m.celle[3] = {codice_cella::cartello, 80};
  m.celle[4] = {codice_cella::cartello, 79};
  return m;
}

TEST(FattiDelleCelle, TheCellsAsFacts) {
  const fatti_celle f =
      fatti_delle_celle("Vela_Nuro_IC 731.dat", 90, celle_di_prova(), std::nullopt);
  EXPECT_EQ(f.celle, 6u);
  EXPECT_EQ(f.ultima_cella, 5);
  EXPECT_EQ(f.lunghezza_percorso_circa(), 250 - 7000);
  EXPECT_EQ(f.segno, 5121);
  EXPECT_EQ(f.chiavi_del_nome, (chiavi_nome{"Vela_Nuro", "IC 731"}));
  EXPECT_EQ(f.codice_gara_og.atteso, 2352);
  EXPECT_TRUE(concorda_col_nome(f));
  ASSERT_EQ(f.censimento.size(), 3u);
  EXPECT_EQ(f.censimento[0].codice, codice_cella::vuota);
  EXPECT_EQ(f.censimento[0].celle, 3u);
  EXPECT_EQ(f.censimento[2].codice, codice_cella::cartello);
  EXPECT_EQ(f.censimento[2].celle, 2u);
  ASSERT_EQ(f.cartelli.size(), 2u);
  EXPECT_EQ(f.cartelli[0].cella, 3u);
  EXPECT_EQ(f.cartelli[0].registro, 80);
  EXPECT_EQ(f.cartelli[1].registro, 79);
  EXPECT_FALSE(f.scelte);

  modello altro = celle_di_prova();
  altro.celle[1].valore_2 = 1;
  EXPECT_FALSE(concorda_col_nome(fatti_delle_celle("Vela_Nuro_IC 731.dat", 90, altro, {})));
  EXPECT_FALSE(concorda_col_nome(fatti_delle_celle("senza.dat", 90, celle_di_prova(), {})));
}

TEST(FattiDelleCelle, TheChosenCellsThatTheFileHas) {
  struct caso {
    intervallo_celle chieste;
    std::vector<std::size_t> date;
  };
  const caso casi[] = {
      {{1, 1}, {1}},
      {{2, 4}, {2, 3, 4}},
      {{4, 100}, {4, 5}},
      {{6, 9}, {}},
  };
  for (const caso& c : casi) {
    const fatti_celle f = fatti_delle_celle("P_T.dat", 90, celle_di_prova(), c.chieste);
    ASSERT_TRUE(f.scelte);
    EXPECT_EQ(f.scelte->chieste, c.chieste);
    std::vector<std::size_t> date;
    for (const cella_scelta& s : f.scelte->celle) {
      date.push_back(s.indice);
      EXPECT_EQ(s.dati, celle_di_prova().celle[s.indice]);
    }
    EXPECT_EQ(date, c.date) << c.chieste.da << "-" << c.chieste.a;
  }
}

TEST(FattiDellaLinea, TheTraceAsFacts) {
  modello m;
  m.tracciato[0] = {Integer{0}, Integer{0}, 3.0};
  m.tracciato[1] = {Integer{0}, Integer{1}, 1.0};
  const fatti_linea f = fatti_della_linea("P_linea.dat", 40, m);
  EXPECT_EQ(f.tracciato.ultimo_metro, 2);
  EXPECT_EQ(f.tracciato.metri_pieni, 3);
  EXPECT_EQ(f.lunghezza_percorso(), 2 - 7000);
  EXPECT_TRUE(concorda_col_nome(f));
}

TEST(EsaminaFile, WhatIsNoCompiledFileSaysWhy) {
  prova::CartellaTemporanea cartella;
  const std::string dentro = cartella.file("P_T.sim");
  std::filesystem::create_directory(dentro);
  struct caso {
    std::string nome;
    std::string inizio;  // of the message
  };
  const caso casi[] = {
      {dentro, dentro + ": è una cartella, non un file"},
      {"note.txt", "note.txt: dal nome non si sa che file compilato sia"},
      {cartella.file("manca.dat"), cartella.file("manca.dat") + ": "},
  };
  for (const caso& c : casi) {
    const fatti_file f = esamina_file(c.nome, std::nullopt);
    const file_illeggibile* e = std::get_if<file_illeggibile>(&f);
    ASSERT_NE(e, nullptr) << c.nome;
    EXPECT_EQ(e->file, c.nome);
    EXPECT_EQ(e->errore.rfind(c.inizio, 0), 0u) << e->errore;
    EXPECT_TRUE(concorda_col_nome(f));
  }
}

}  // namespace
}  // namespace scen
