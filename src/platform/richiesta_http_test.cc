#include "platform/richiesta_http.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scen {
namespace {

using esito = lettore_richiesta::esito;

// A head given whole, and a byte at a time: the same outcome either way.
TEST(LettoreRichiesta, ReadsOrRefusesAHeadHoweverItArrives) {
  struct caso {
    const char* nome;
    std::string byte;
    esito atteso;
    int codice;  // of a refusal
  };
  const std::string lunga(9000, 'a');
  const caso casi[] = {
      {"a request", "GET /stato HTTP/1.1\r\nHost: h:1\r\n\r\n", esito::completa, 0},
      {"bare line ends", "GET / HTTP/1.1\nHost: h\n\n", esito::completa, 0},
      {"line ends before it", "\r\n\r\nGET / HTTP/1.1\r\nHost: h\r\n\r\n", esito::completa, 0},
      {"HTTP/1.0 without a host", "GET / HTTP/1.0\r\n\r\n", esito::completa, 0},
      {"not yet whole", "GET / HTTP/1.1\r\nHost: h\r\n", esito::incompleta, 0},
      {"HTTP/1.1 without a host", "GET / HTTP/1.1\r\n\r\n", esito::rifiutata, 400},
      {"two hosts", "GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", esito::rifiutata, 400},
      {"two lengths", "GET / HTTP/1.1\r\nHost: a\r\nContent-Length: 0\r\nContent-Length: 0\r\n\r\n",
       esito::rifiutata, 400},
      {"no version", "GET /\r\nHost: h\r\n\r\n", esito::rifiutata, 400},
      {"another protocol", "GET / HTTP/2.0\r\nHost: h\r\n\r\n", esito::rifiutata, 400},
      {"a space in the address", "GET /a b HTTP/1.1\r\nHost: h\r\n\r\n", esito::rifiutata, 400},
      {"a blank before the colon", "GET / HTTP/1.1\r\nHost : h\r\n\r\n", esito::rifiutata, 400},
      {"a line folded", "GET / HTTP/1.1\r\nHost: h\r\n x\r\n\r\n", esito::rifiutata, 400},
      {"a control character", "GET / HTTP/1.1\r\nHost: h\x01\r\n\r\n", esito::rifiutata, 400},
      {"a line without a colon", "GET / HTTP/1.1\r\nHost: h\r\nciao\r\n\r\n", esito::rifiutata,
       400},
      {"an address too long", "GET /" + lunga + " HTTP/1.1\r\nHost: h\r\n\r\n", esito::rifiutata,
       414},
      {"an address too long, still coming", "GET /" + lunga, esito::rifiutata, 414},
      {"a header too long", "GET / HTTP/1.1\r\nHost: h\r\nX: " + lunga + lunga + "\r\n\r\n",
       esito::rifiutata, 431},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.nome);
    lettore_richiesta intera;
    EXPECT_EQ(intera.aggiungi(c.byte), c.atteso);
    lettore_richiesta a_gocce;
    esito e = esito::incompleta;
    for (char b : c.byte)
      if ((e = a_gocce.aggiungi(std::string_view(&b, 1))) != esito::incompleta) break;
    EXPECT_EQ(e, c.atteso);
    if (c.atteso == esito::rifiutata) {
      EXPECT_EQ(intera.codice(), c.codice) << intera.motivo();
      EXPECT_EQ(a_gocce.codice(), c.codice) << a_gocce.motivo();
    }
  }
}

TEST(LettoreRichiesta, TakesTheLinesAsTheyAre) {
  lettore_richiesta l;
  ASSERT_EQ(l.aggiungi("HEAD /disegno?x=1 HTTP/1.0\r\nHOST:  h:8 \r\nConnection: Keep-Alive\r\n"
                       "Content-Length: 0\r\n\r\n"),
            esito::completa);
  const richiesta_http& r = l.richiesta();
  EXPECT_EQ(r.metodo, "HEAD");
  EXPECT_EQ(r.destinazione, "/disegno?x=1");
  EXPECT_EQ(r.versione_minore, 0);
  ASSERT_NE(r.intestazione("host"), nullptr);
  EXPECT_EQ(*r.intestazione("host"), "h:8");
  EXPECT_EQ(r.intestazione("origin"), nullptr);
  EXPECT_TRUE(r.tiene_aperta());
  EXPECT_FALSE(r.con_corpo());

  struct caso {
    const char* righe;
    bool aperta, corpo;
  };
  const caso casi[] = {
      {"GET / HTTP/1.1\r\nHost: h\r\n\r\n", true, false},
      {"GET / HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n", false, false},
      {"GET / HTTP/1.0\r\n\r\n", false, false},
      {"GET / HTTP/1.1\r\nHost: h\r\nContent-Length: 3\r\n\r\n", true, true},
      {"GET / HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked\r\n\r\n", true, true},
  };
  for (const caso& c : casi) {
    lettore_richiesta altro;
    ASSERT_EQ(altro.aggiungi(c.righe), esito::completa) << c.righe;
    EXPECT_EQ(altro.richiesta().tiene_aperta(), c.aperta) << c.righe;
    EXPECT_EQ(altro.richiesta().con_corpo(), c.corpo) << c.righe;
  }
}

TEST(LettoreRichiesta, GoesOnWithTheNextRequestOfTheConnection) {
  lettore_richiesta l;
  ASSERT_EQ(
      l.aggiungi("GET /a HTTP/1.1\r\nHost: h\r\n\r\nGET /b HTTP/1.1\r\nHost: h\r\n\r\nGET /c"),
      esito::completa);
  EXPECT_EQ(l.richiesta().destinazione, "/a");
  ASSERT_EQ(l.prossima(), esito::completa);
  EXPECT_EQ(l.richiesta().destinazione, "/b");
  EXPECT_EQ(l.prossima(), esito::incompleta);
  EXPECT_FALSE(l.vuota());
  ASSERT_EQ(l.aggiungi(" HTTP/1.1\r\nHost: h\r\n\r\n"), esito::completa);
  EXPECT_EQ(l.richiesta().destinazione, "/c");
  EXPECT_EQ(l.prossima(), esito::incompleta);
  EXPECT_TRUE(l.vuota());
}

TEST(LettoreRichiesta, AMillionShortLinesAreRefusedEarly) {
  // However many lines come, the head is refused by the bound on lines, and
  // everything after is dropped unread.
  limiti_richiesta limiti;
  lettore_richiesta l(limiti);
  ASSERT_EQ(l.aggiungi("GET / HTTP/1.1\r\nHost: h\r\n"), esito::incompleta);
  std::size_t dati = 0;
  esito e = esito::incompleta;
  for (int i = 0; i < 1000000 && e == esito::incompleta; ++i) {
    e = l.aggiungi("a: b\r\n");
    dati += 6;
  }
  EXPECT_EQ(e, esito::rifiutata);
  EXPECT_EQ(l.codice(), 431);
  EXPECT_LE(dati, limiti.righe * 6);
  EXPECT_EQ(l.aggiungi(std::string(1 << 20, 'x')), esito::rifiutata);
  // Without the bound on lines, the bound on bytes.
  limiti.righe = 1u << 30;
  lettore_richiesta senza_righe(limiti);
  dati = 0;
  e = esito::incompleta;
  for (int i = 0; i < 1000000 && e == esito::incompleta; ++i) {
    e = senza_righe.aggiungi("a: b\r\n");
    dati += 6;
  }
  EXPECT_EQ(e, esito::rifiutata);
  EXPECT_EQ(senza_righe.codice(), 431);
  EXPECT_LE(dati, limiti.byte_testa + 6);
}

}  // namespace
}  // namespace scen
