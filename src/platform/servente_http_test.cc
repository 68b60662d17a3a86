// The server in this process, asked by clients that behave and by clients
// that do not.
#include "platform/servente_http.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "testing/cliente_http.h"

namespace scen {
namespace {

using namespace std::chrono_literals;
using prova::connessione_http;

// Waits for `fatto`, asking every 10 ms, for `limite` at most.
bool entro(std::chrono::milliseconds limite, const std::function<bool()>& fatto) {
  const auto fine = std::chrono::steady_clock::now() + limite;
  while (!fatto()) {
    if (std::chrono::steady_clock::now() > fine) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

std::string richiesta(const std::string& percorso, const std::string& altre = "") {
  return "GET " + percorso + " HTTP/1.1\r\nHost: h\r\n" + altre + "\r\n";
}

// A server on a free port of 127.0.0.1 that answers "/" with "ciao", "/flusso"
// with the event stream, "/guasto" by throwing, "/memoria" by running out of
// memory.
class ServenteHttp : public testing::Test {
 protected:
  void avvia(impostazioni_servente imp = {}) {
    imp.nome = "prova";
    imp.intestazioni = {{"X-Di-Tutti", "si"}};
    servente_ = std::make_unique<servente_http>(imp, [](const richiesta_http& q) {
      if (q.destinazione == "/guasto") throw std::runtime_error("guasto");
      if (q.destinazione == "/memoria") throw std::bad_alloc();
      if (q.destinazione == "/flusso") {
        risposta_http r = risposta_http::con("text/event-stream", nullptr);
        r.flusso = true;
        return r;
      }
      if (q.destinazione != "/") return risposta_http::testo(404, "non c'è");
      return risposta_http::con("text/plain", std::make_shared<const std::string>("ciao"));
    });
    ASSERT_TRUE(servente_->ascolta("127.0.0.1", 0, porta_).riuscito());
    servente_->avvia();
  }
  void TearDown() override {
    if (servente_) servente_->ferma();
  }
  // A request of its own, answered.
  bool servita() {
    auto r = prova::chiedi_http(porta_, "/");
    return r && r->codice == 200 && r->corpo == "ciao";
  }

  std::unique_ptr<servente_http> servente_;
  int porta_ = 0;
};

TEST_F(ServenteHttp, AnswersOnAConnectionKeptOpen) {
  avvia();
  connessione_http c(porta_);
  // Two requests at once, then a third, then one that asks only the head.
  ASSERT_TRUE(c.manda(richiesta("/") + richiesta("/nulla")));
  auto a = c.risposta();
  ASSERT_TRUE(a);
  EXPECT_EQ(a->codice, 200);
  EXPECT_EQ(a->corpo, "ciao");
  EXPECT_EQ(a->intestazione("x-di-tutti"), "si");
  EXPECT_EQ(a->intestazione("content-type"), "text/plain");
  EXPECT_EQ(a->intestazione("connection"), "keep-alive");
  auto b = c.risposta();
  ASSERT_TRUE(b);
  EXPECT_EQ(b->codice, 404);
  EXPECT_EQ(b->corpo, "non c'è\n");
  EXPECT_EQ(b->intestazione("x-di-tutti"), "si");
  ASSERT_TRUE(c.manda(richiesta("/")));
  ASSERT_TRUE(c.risposta());
  ASSERT_TRUE(c.manda("HEAD / HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n"));
  EXPECT_TRUE(c.finisce(5s));
  EXPECT_NE(c.ricevuto().find("Content-Length: 4\r\n"), std::string::npos) << c.ricevuto();
  EXPECT_EQ(c.ricevuto().find("ciao"), std::string::npos) << "no body for HEAD";
}

TEST_F(ServenteHttp, AHandlerThatFailsAnswers500AndTheServerGoesOn) {
  avvia();
  for (const char* percorso : {"/guasto", "/memoria"}) {
    connessione_http c(porta_);
    ASSERT_TRUE(c.manda(richiesta(percorso)));
    auto r = c.risposta();
    ASSERT_TRUE(r) << percorso;
    EXPECT_EQ(r->codice, 500);
    // The connection itself goes on.
    ASSERT_TRUE(c.manda(richiesta("/")));
    auto dopo = c.risposta();
    ASSERT_TRUE(dopo);
    EXPECT_EQ(dopo->codice, 200);
  }
  EXPECT_TRUE(servita());
}

TEST_F(ServenteHttp, ARequestWithABodyIsAnsweredAndItsConnectionClosed) {
  avvia();
  connessione_http c(porta_);
  ASSERT_TRUE(c.manda("GET / HTTP/1.1\r\nHost: h\r\nContent-Length: 5\r\n\r\nGET /"));
  auto r = c.risposta();
  ASSERT_TRUE(r);
  EXPECT_EQ(r->intestazione("connection"), "close");
  EXPECT_TRUE(c.finisce(5s));
}

TEST_F(ServenteHttp, DrippingClientsAreEndedAndHoldNoOne) {
  impostazioni_servente imp;
  imp.attesa_richiesta = 1s;
  avvia(imp);
  std::vector<std::unique_ptr<connessione_http>> lenti;
  for (int i = 0; i < 30; ++i) {
    lenti.push_back(std::make_unique<connessione_http>(porta_));
    ASSERT_TRUE(lenti.back()->manda("GET / HTTP/1.1\r\n"));
  }
  auto inattiva = std::make_unique<connessione_http>(porta_);  // says nothing at all
  for (int i = 0; i < 3; ++i) {
    for (auto& c : lenti) c->manda("X-Goccia: 1\r\n");
    EXPECT_TRUE(servita());
    std::this_thread::sleep_for(200ms);
  }
  // Past the time for a whole head: 408 to those that began one, the end to
  // the one that did not.
  for (auto& c : lenti) {
    EXPECT_TRUE(c->finisce(5s));
    EXPECT_EQ(c->ricevuto().rfind("HTTP/1.1 408 ", 0), 0u) << c->ricevuto();
  }
  EXPECT_TRUE(inattiva->finisce(5s));
  EXPECT_EQ(inattiva->ricevuto(), "");
  EXPECT_TRUE(entro(5s, [&] { return servente_->connessioni() == 0; }));
}

TEST_F(ServenteHttp, WhenFullTheOldestRequestStillComingMakesRoom) {
  struct caso {
    const char* nome;
    int in_tutto, per_indirizzo;
  };
  const caso casi[] = {{"a bound in all", 8, 100}, {"a bound per address", 100, 8}};
  for (const caso& k : casi) {
    SCOPED_TRACE(k.nome);
    impostazioni_servente imp;
    imp.connessioni = k.in_tutto;
    imp.connessioni_per_indirizzo = k.per_indirizzo;
    avvia(imp);
    // Eight clients that begin a request and never end it, one by one.
    std::vector<std::unique_ptr<connessione_http>> lenti;
    for (int i = 0; i < 8; ++i) {
      lenti.push_back(std::make_unique<connessione_http>(porta_));
      ASSERT_TRUE(lenti.back()->manda("GET / HTTP/1.1\r\n"));
      ASSERT_TRUE(entro(5s, [&] { return servente_->connessioni() == i + 1; }));
    }
    // A ninth that asks at once is served: the first of the slow ones went.
    EXPECT_TRUE(servita());
    EXPECT_TRUE(lenti.front()->finisce(5s));
    EXPECT_EQ(lenti.front()->ricevuto(), "");
    EXPECT_FALSE(lenti.back()->finisce(100ms)) << "the newest stays";
    servente_->ferma();
  }
}

TEST_F(ServenteHttp, WhenEveryPlaceIsAnsweringANewcomerIsRefused) {
  impostazioni_servente imp;
  imp.connessioni = 4;
  avvia(imp);
  std::vector<std::unique_ptr<connessione_http>> flussi;
  for (int i = 0; i < 4; ++i) {
    flussi.push_back(std::make_unique<connessione_http>(porta_));
    ASSERT_TRUE(flussi.back()->manda(richiesta("/flusso")));
    ASSERT_TRUE(flussi.back()->attendi("\r\n\r\n", 5s));
  }
  connessione_http quinta(porta_);
  EXPECT_TRUE(quinta.finisce(5s));
  EXPECT_EQ(quinta.ricevuto().rfind("HTTP/1.1 503 ", 0), 0u) << quinta.ricevuto();
  // A stream that ends frees its place.
  flussi.front().reset();
  EXPECT_TRUE(entro(5s, [&] { return servente_->connessioni() == 3; }));
  EXPECT_TRUE(servita());
}

TEST_F(ServenteHttp, StreamsGetTheLastEventFirstThenEachNewOneWithinTheirBound) {
  impostazioni_servente imp;
  imp.flussi = 2;
  imp.quiete_flusso = 200ms;
  avvia(imp);
  servente_->pubblica("event: e\ndata: 1\n\n");
  servente_->pubblica("event: e\ndata: 2\n\n");
  connessione_http a(porta_), b(porta_), c(porta_);
  ASSERT_TRUE(a.manda(richiesta("/flusso")));
  ASSERT_TRUE(a.attendi("data: 2\n\n", 5s)) << a.ricevuto();
  EXPECT_EQ(a.ricevuto().find("data: 1"), std::string::npos);
  EXPECT_NE(a.ricevuto().find("Content-Type: text/event-stream\r\n"), std::string::npos);
  EXPECT_EQ(a.ricevuto().find("Content-Length"), std::string::npos);
  ASSERT_TRUE(b.manda(richiesta("/flusso")));
  ASSERT_TRUE(b.attendi("data: 2\n\n", 5s));
  // A third is one too many.
  ASSERT_TRUE(c.manda(richiesta("/flusso")));
  auto r = c.risposta();
  ASSERT_TRUE(r);
  EXPECT_EQ(r->codice, 503);
  EXPECT_NE(r->intestazione("retry-after"), "");
  servente_->pubblica("event: e\ndata: 3\n\n");
  EXPECT_TRUE(a.attendi("data: 3\n\n", 5s));
  EXPECT_TRUE(b.attendi("data: 3\n\n", 5s));
  // A quiet stream is told now and then that the server is there.
  EXPECT_TRUE(a.attendi(": ancora qui\n\n", 5s));
  // A stream whose client went frees its place.
  b.chiudi();
  EXPECT_TRUE(entro(5s, [&] { return servente_->flussi() == 1; }));
  connessione_http d(porta_);
  ASSERT_TRUE(d.manda(richiesta("/flusso")));
  EXPECT_TRUE(d.attendi("data: 3\n\n", 5s));
}

TEST_F(ServenteHttp, AStreamThatIsNotReadHoldsOneEventAtMost) {
  impostazioni_servente imp;
  imp.attesa_scrittura = 2s;
  avvia(imp);
  connessione_http fermo(porta_);
  ASSERT_TRUE(fermo.manda(richiesta("/flusso")));
  ASSERT_TRUE(entro(5s, [&] { return servente_->flussi() == 1; }));
  // Far more than the connection's buffers take, never read: the server
  // keeps only the newest, and ends the stream once nothing moves.
  const std::string grande(1 << 20, 'x');
  EXPECT_TRUE(entro(20s, [&] {
    servente_->pubblica("data: " + grande + "\n\n");
    return servente_->flussi() == 0;
  }));
  EXPECT_TRUE(servita());
}

TEST_F(ServenteHttp, StopsAtOnceWhateverTheClientsDo) {
  avvia();
  std::vector<std::unique_ptr<connessione_http>> clienti;
  for (int i = 0; i < 20; ++i) {
    clienti.push_back(std::make_unique<connessione_http>(porta_));
    clienti.back()->manda(i % 2 ? "GET / HTTP/1.1\r\n" : richiesta("/flusso"));
  }
  ASSERT_TRUE(entro(5s, [&] { return servente_->connessioni() == 20; }));
  std::atomic<bool> fermato{false};
  std::thread ferma([&] {
    servente_->ferma();
    fermato = true;
  });
  EXPECT_TRUE(entro(5s, [&] { return fermato.load(); }));
  ferma.join();
  for (auto& c : clienti) EXPECT_TRUE(c->finisce(5s));
}

}  // namespace
}  // namespace scen
