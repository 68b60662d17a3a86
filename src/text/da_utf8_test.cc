#include "text/da_utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace scen {
namespace {

TEST(DescrizioneDaUtf8, ConvertsTheTextAndEndsEveryLineWithCrLf) {
  struct caso {
    const char* cosa;
    std::string utf8;
    std::string byte_1252;
  };
  const caso casi[] = {
      {"empty", "", ""},
      {"byte-order mark alone", "\xef\xbb\xbf", ""},
      {"LF", "[generale]\nlunghezza percorso,  10000\n",
       "[generale]\r\nlunghezza percorso,  10000\r\n"},
      {"CR LF stays", "a\r\nb\r\n", "a\r\nb\r\n"},
      {"CR alone", "a\rb\r", "a\r\nb\r\n"},
      {"mixed line ends", "a\nb\r\nc\rd", "a\r\nb\r\nc\r\nd"},
      {"last line without a line end", "[fine]", "[fine]"},
      {"empty lines", "\n\r\n\r", "\r\n\r\n\r\n"},
      {"LF CR is two line ends", "a\n\rb", "a\r\n\r\nb"},
      {"byte-order mark dropped", "\xef\xbb\xbf[generale]\n", "[generale]\r\n"},
      {"blanks and tabs kept", "  a ,\t b  \n", "  a ,\t b  \r\n"},
      {"accented letters", "stazione, Citt\xc3\xa0 \xc3\x88\n", "stazione, Citt\xe0 \xc8\r\n"},
      {"characters of 0x80 to 0x9F", "\xe2\x82\xac \xe2\x80\x9c\xe2\x80\x9d \xc5\xb8",
       "\x80 \x93\x94 \x9f"},
      {"the highest byte", "\xc3\xbf", "\xff"},
      {"control characters", std::string("a\0b\x1f", 4), std::string("a\0b\x1f", 4)},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.cosa);
    std::string byte = "prima";
    Stato stato = descrizione_da_utf8(c.utf8, "linea.txt", byte);
    ASSERT_TRUE(stato.riuscito()) << stato.messaggio();
    EXPECT_EQ(byte, c.byte_1252);
  }
}

TEST(DescrizioneDaUtf8, NamesFileLineAndColumnOfWhatCannotBeConverted) {
  struct caso {
    const char* cosa;
    std::string utf8;
    std::string messaggio;
  };
  const caso casi[] = {
      {"an arrow", "riga uno\nsegnale, 1050, \xe2\x86\x92",
       "linea.txt:2:16: errore: il carattere «→» (U+2192) non ha una forma in Windows-1252"},
      {"columns count characters, not bytes", "\xc3\xa0\xc3\xa8\xe2\x82\xac\xc5\x91",
       "linea.txt:1:4: errore: il carattere «ő» (U+0151) non ha una forma in Windows-1252"},
      {"outside the basic plane", "x\r\n\r\n\xf0\x9f\x9a\x86",
       "linea.txt:3:1: errore: il carattere «🚆» (U+1F686) non ha una forma in Windows-1252"},
      {"lines after CR alone", "a\rb\rc\r  \xe2\x80\x8b",
       "linea.txt:4:3: errore: il carattere «\u200b» (U+200B) non ha una forma in "
       "Windows-1252"},
      {"the mark is not a column", "\xef\xbb\xbf\xe2\x86\x92",
       "linea.txt:1:1: errore: il carattere «→» (U+2192) non ha una forma in Windows-1252"},
      {"a mark after the start", "a\xef\xbb\xbf",
       "linea.txt:1:2: errore: il carattere «\ufeff» (U+FEFF) non ha una forma in Windows-1252"},
      {"a control character without a byte", "ab\xc2\x81",
       "linea.txt:1:3: errore: il carattere U+0081 non ha una forma in Windows-1252"},
      {"a Windows-1252 byte", "citt\xe0\n",
       "linea.txt:1:5: errore: il byte 0xE0 non inizia un carattere UTF-8 valido"},
      {"a lone continuation byte", "\n\n\x80",
       "linea.txt:3:1: errore: il byte 0x80 non inizia un carattere UTF-8 valido"},
      {"cut short by the line end", "\xc3\r\n",
       "linea.txt:1:1: errore: il byte 0xC3 non inizia un carattere UTF-8 valido"},
      {"cut short by the end", "ab\xe2\x86",
       "linea.txt:1:3: errore: il byte 0xE2 non inizia un carattere UTF-8 valido"},
      {"overlong", "\xc0\xaf",
       "linea.txt:1:1: errore: il byte 0xC0 non inizia un carattere UTF-8 valido"},
      {"a surrogate", "\xed\xa0\x80",
       "linea.txt:1:1: errore: il byte 0xED non inizia un carattere UTF-8 valido"},
      {"beyond U+10FFFF", "\xf4\x90\x80\x80",
       "linea.txt:1:1: errore: il byte 0xF4 non inizia un carattere UTF-8 valido"},
      {"the first fault only", "\xe2\x86\x92\xff",
       "linea.txt:1:1: errore: il carattere «→» (U+2192) non ha una forma in Windows-1252"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.cosa);
    std::string byte = "intatto";
    Stato stato = descrizione_da_utf8(c.utf8, "linea.txt", byte);
    EXPECT_FALSE(stato.riuscito());
    EXPECT_EQ(stato.messaggio(), c.messaggio);
    EXPECT_EQ(byte, "intatto");
  }
}

TEST(DescrizioneDaUtf8, TheMessageNamesTheFileAsGiven) {
  std::string byte;
  Stato stato = descrizione_da_utf8("\xff", "../mie prove/treno.txt", byte);
  EXPECT_EQ(
      stato.messaggio(),
      "../mie prove/treno.txt:1:1: errore: il byte 0xFF non inizia un carattere UTF-8 valido");
}

TEST(DescrizioneInUtf8, GivesUtf8WithLfLineEnds) {
  struct caso {
    const char* cosa;
    std::string byte_1252;
    std::string utf8;
  };
  const caso casi[] = {
      {"empty", "", ""},
      {"CR LF", "[generale]\r\n[fine]\r\n", "[generale]\n[fine]\n"},
      {"last line without a line end", "a\r\nb", "a\nb"},
      {"CR alone and LF alone", "a\rb\nc\r", "a\nb\nc\n"},
      {"LF CR is two line ends", "a\n\rb", "a\n\nb"},
      {"empty lines", "\r\n\r\n", "\n\n"},
      {"accents and bytes 0x80 to 0x9F", "Citt\xe0 \x80\x93\x9f\r\n",
       "Citt\xc3\xa0 \xe2\x82\xac\xe2\x80\x9c\xc5\xb8\n"},
  };
  for (const caso& c : casi) {
    SCOPED_TRACE(c.cosa);
    EXPECT_EQ(descrizione_in_utf8(c.byte_1252), c.utf8);
  }
}

TEST(DescrizioneInUtf8, AndBackGivesTheSameBytes) {
  // Every byte that Windows-1252 defines, on lines ended by CR LF, the last
  // one with and without its line end.
  std::string tutti;
  for (int b = 0; b < 256; ++b) {
    if (b == '\r' || b == '\n' || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
      continue;
    tutti += static_cast<char>(b);
    if (b % 16 == 15) tutti += "\r\n";
  }
  for (const std::string& byte : {tutti, tutti + "ultima"}) {
    std::string di_nuovo;
    ASSERT_TRUE(descrizione_da_utf8(descrizione_in_utf8(byte), "x", di_nuovo).riuscito());
    EXPECT_TRUE(di_nuovo == byte);
  }
}

}  // namespace
}  // namespace scen
