#include "compile/file_compilati.h"

#include <gtest/gtest.h>

#include <string>

#include "compile/codifica.h"
#include "testing/file_compilati_letti.h"

namespace scen {
namespace {

std::string byte(std::initializer_list<int> valori) {
  std::string s;
  for (int v : valori) s += static_cast<char>(v);
  return s;
}

TEST(FileCompilati, TraceTagsEachElementAndRunsXFirst) {
  modello m;
  m.tracciato[0] = {Integer{0}, Integer{0}, 0.5, variante{}, variante{}};
  m.tracciato[1] = {Integer{0}, Integer{1}, -2.0, variante{}, variante{}};
  const std::string atteso =
      byte({2, 0, 0, 0, 2, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0xE0, 0x3F, 0, 0, 0, 0}) +
      byte({2, 0, 0, 0, 2, 0, 1, 0, 5, 0, 0, 0, 0, 0, 0, 0, 0x00, 0xC0, 0, 0, 0, 0});
  EXPECT_EQ(codifica_tracciato(m), atteso);
}

// A trace as the line reader leaves it when it has run to its end, N being
// the extended length: metres 0 and 1 Integers, 2 to N - 2 Doubles, the last
// two empty.
modello tracciato_letto(size_t n) {
  modello m;
  for (size_t k = 0; k < 2; ++k) {
    m.tracciato[k].assign(n + 1, variante{});
    m.tracciato[k][0] = Integer{0};
    m.tracciato[k][1] = static_cast<Integer>(k);
    for (size_t metro = 2; metro + 2 <= n; ++metro)
      m.tracciato[k][metro] = static_cast<double>(metro);
  }
  return m;
}

TEST(FileCompilati, ATraceComputedToItsEndTakes20NMinus36Bytes) {
  for (size_t n : {4, 5, 7100, 17000}) {
    const std::string codificato = codifica_tracciato(tracciato_letto(n));
    EXPECT_EQ(codificato.size(), 20 * n - 36) << "N = " << n;
    // Each component ends with its two empty metres.
    const std::string due_vuoti = byte({0, 0, 0, 0});
    EXPECT_EQ(codificato.substr(codificato.size() / 2 - 4, 4), due_vuoti) << "N = " << n;
    EXPECT_EQ(codificato.substr(codificato.size() - 4), due_vuoti) << "N = " << n;
  }
}

TEST(FileCompilati, CellsAreFifteenLittleEndianBytes) {
  modello m;
  m.celle.resize(2);
  m.celle[1] = cella{1, 0x1234, -2, 0x0102, -32768, 5, 6, 7, 8, 9, 10};
  const std::string atteso = std::string(15, '\0') + byte({1, 0x34, 0x12, 0xFE, 0xFF, 0x02, 0x01,
                                                           0x00, 0x80, 5, 6, 7, 8, 9, 10});
  EXPECT_EQ(codifica_celle(m), atteso);
}

TEST(FileCompilati, RecordsAreFieldByFieldWithTheirText) {
  modello m;
  registro& r = m.registri[85];
  r.tipo = 0xAB;
  r.inizio = 1;
  r.fine = -1;
  r.progressiva = 0x01020304;
  r.campo_4 = 4;
  r.nome = "V\xe8";
  r.campo_7 = 610;
  r.campo_8 = -2;
  r.campo_10 = 3;
  r.campo_11 = 4;
  r.campo_12 = 5;
  r.campo_9 = 9;
  r.fermata = 13;
  r.prolungamento = 14;
  r.campo_5 = 15;
  r.orario = 32226;
  const std::string tutto = codifica_registri(m);
  ASSERT_EQ(tutto.size(), 2958u + 2);
  EXPECT_EQ(tutto.substr(0, 34), std::string(34, '\0'));
  const std::string atteso = byte({0xAB, 1, 0, 0, 0,   0xFF, 0xFF, 0xFF, 0xFF, 4,    3, 2,
                                   1,    4, 2, 0, 'V', 0xE8, 0x62, 0x02, 0xFE, 0xFF, 3, 0,
                                   4,    0, 5, 0, 9,   13,   14,   15,   0xE2, 0x7D, 0, 0});
  EXPECT_EQ(tutto.substr(85 * 34, 36), atteso);
}

TEST(FileCompilati, EveryRecordReadsBackWithItsTextWhateverTheTextsBefore) {
  modello m;
  size_t testi = 0;
  for (size_t i = 0; i < m.registri.size(); ++i) {
    registro& r = m.registri[i];
    const auto v = static_cast<int>(i);
    r.tipo = static_cast<Byte>(v + 1);
    r.inizio = -v * 70001;
    r.fine = v * 70003;
    r.progressiva = v - 40;
    r.campo_4 = static_cast<Byte>(255 - v);
    r.nome = std::string(i % 7 == 0 ? 0 : i * 3, static_cast<char>('a' + i % 26));
    r.campo_7 = static_cast<Integer>(-v * 300);
    r.campo_8 = static_cast<Integer>(v * 301);
    r.campo_10 = static_cast<Integer>(v);
    r.campo_11 = static_cast<Integer>(-v);
    r.campo_12 = static_cast<Integer>(v * 3);
    r.campo_9 = static_cast<Byte>(v * 2);
    r.fermata = static_cast<Byte>(v + 100);
    r.prolungamento = static_cast<Byte>(v % 2);
    r.campo_5 = static_cast<Byte>(v % 3);
    r.orario = v * 1000;
    testi += r.nome.size();
  }
  m.registri[80].nome = std::string(lunghezza_testo_massima, '\xe8');
  testi += lunghezza_testo_massima - 80 * 3;
  const std::string codificato = codifica_registri(m);
  EXPECT_EQ(codificato.size(), 2958 + testi);
  const auto letti = prova::registri_letti(codificato);
  ASSERT_TRUE(letti);
  for (size_t i = 0; i < m.registri.size(); ++i)
    EXPECT_EQ((*letti)[i], m.registri[i]) << "record " << i;
}

TEST(FileCompilati, AnEmptyKeyGivesA34ByteRecord) {
  modello m;
  m.registri[85].nome = "";
  m.registri[86].nome = "IC 731";
  const std::string tutto = codifica_registri(m);
  EXPECT_EQ(tutto.size(), 2958u + 6);
  EXPECT_EQ(tutto.substr(85 * 34, 34), std::string(34, '\0'));
  EXPECT_EQ(tutto.substr(86 * 34 + 14, 8), byte({6, 0}) + "IC 731");
}

// A write past the bytes the writer was given is refused before it touches
// them, with what was written and what did not fit.
TEST(ScrittoreByte, AWritePastTheSizedBufferIsAnOutcomeAndTouchesNothing) {
  std::string uscita;
  scrittore_byte out(uscita, 5);
  out.integer(0x0102);
  out.byte(3);
  try {
    out.long_(-1);
    FAIL() << "quattro byte scritti dove ne restavano due";
  } catch (const codifica_traboccata& e) {
    EXPECT_STREQ(e.what(), "la codifica supera i 5 byte previsti: 3 già scritti e 4 da scrivere");
  }
  EXPECT_THROW(out.stringa("abcd"), codifica_traboccata);
  out.integer(-1);
  EXPECT_THROW(out.byte(0), codifica_traboccata);
  out.fine();
  EXPECT_EQ(uscita, byte({2, 1, 3, 0xFF, 0xFF}));
}

}  // namespace
}  // namespace scen
