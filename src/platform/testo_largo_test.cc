// The pieces in which a long text goes to the system's text functions; the
// functions themselves are Windows's, checked under Wine.
#include "platform/testo_largo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace scen {
namespace {

// The pieces of `testo`, each at most `massimo` units long.
template <typename Testo>
std::vector<Testo> pezzi(const Testo& testo, std::size_t massimo) {
  std::vector<Testo> risultato;
  for (std::size_t da = 0; da < testo.size();) {
    const std::size_t a = fine_pezzo(testo, da, massimo);
    EXPECT_GT(a, da);
    EXPECT_LE(a - da, massimo);
    risultato.push_back(testo.substr(da, a - da));
    da = a;
  }
  return risultato;
}

TEST(TestoLargo, IPezziNonTaglianoUnCarattereUtf8) {
  const struct {
    std::string testo;
    std::size_t massimo;
    std::vector<std::string> pezzi;
  } casi[] = {
      {"abcdef", 4, {"abcd", "ef"}},
      {"abcd", 4, {"abcd"}},
      {"", 4, {}},
      {"ab\xc3\xa8z", 3, {"ab", "\xc3\xa8z"}},                    // è
      {"a\xe2\x82\xacz", 3, {"a", "\xe2\x82\xac", "z"}},          // €
      {"a\xf0\x9f\x9a\x86z", 4, {"a", "\xf0\x9f\x9a\x86", "z"}},  // a train, four bytes
      {"\xc3\xa8\xc3\xa8", 1, {"\xc3", "\xa8", "\xc3", "\xa8"}},  // no room for one: bytes
      // Bytes that go on with no character to go on with: the piece ends
      // three steps back, whatever it cuts.
      {"a\x80\x80\x80\x80\x80", 5, {"a\x80", "\x80\x80\x80\x80"}},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.testo);
    EXPECT_EQ(pezzi(c.testo, c.massimo), c.pezzi);
  }
}

TEST(TestoLargo, IPezziNonSeparanoUnaCoppiaDiSurrogati) {
  const std::wstring coppia = {wchar_t(0xD83D), wchar_t(0xDE86)};
  const struct {
    std::wstring testo;
    std::size_t massimo;
    std::vector<std::wstring> pezzi;
  } casi[] = {
      {L"abc", 2, {L"ab", L"c"}},
      {L"a" + coppia + L"b", 2, {L"a", coppia, L"b"}},
      {L"ab" + coppia, 3, {L"ab", coppia}},
      {coppia, 1, {coppia.substr(0, 1), coppia.substr(1)}},
  };
  for (const auto& c : casi) EXPECT_EQ(pezzi(c.testo, c.massimo), c.pezzi);
}

}  // namespace
}  // namespace scen
