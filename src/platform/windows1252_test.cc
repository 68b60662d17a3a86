#include "platform/windows1252.h"

#include <gtest/gtest.h>

namespace scen {
namespace {

TEST(Windows1252, ConvertsAccentsAndHighCharactersToOneByte) {
  EXPECT_EQ(utf8_a_1252("citt\xc3\xa0 \xc3\xa8 pi\xc3\xb9"), "citt\xe0 \xe8 pi\xf9");
  EXPECT_EQ(utf8_a_1252("\xe2\x82\xac \xc5\xa0 \xc5\xb8"), "\x80 \x8a \x9f");
  EXPECT_EQ(da_1252_a_utf8("citt\xe0 \x80"), "citt\xc3\xa0 \xe2\x82\xac");
}

TEST(Windows1252, RefusesCharactersWithoutAByteAndBadUtf8) {
  size_t dove = 0;
  EXPECT_FALSE(utf8_a_1252("ab\xe2\x86\x92", &dove));  // an arrow has no byte
  EXPECT_EQ(dove, 2u);
  EXPECT_FALSE(utf8_a_1252("a\xc3"));     // cut short
  EXPECT_FALSE(utf8_a_1252("\xc0\xaf"));  // overlong
  EXPECT_FALSE(utf8_a_1252("\xc2\x81"));  // U+0081: no Windows-1252 byte
}

TEST(Windows1252, LowerCaseAsTheCodePageDefinesIt) {
  EXPECT_EQ(minuscole_1252("IC 731 Vela_Nuro"), "ic 731 vela_nuro");
  EXPECT_EQ(minuscole_1252("\xc0\xd6\xd7\xd8\xde\xdf"), "\xe0\xf6\xd7\xf8\xfe\xdf");
  EXPECT_EQ(minuscole_1252("\x8a\x8c\x8e\x9f\x80"), "\x9a\x9c\x9e\xff\x80");
}

}  // namespace
}  // namespace scen
