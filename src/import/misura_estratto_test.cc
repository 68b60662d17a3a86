#include "import/misura_estratto.h"

#include <bzlib.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <sstream>
#include <string>

#include "import/estratto_osm.h"
#include "import/importa.h"
#include "testing/cartella_temporanea.h"
#include "testing/dati_reali.h"

namespace scen {
namespace {

// `testo` written as gzip (`forma` "gz") or bzip2 ("bz2") or as it is.
void scrivi_compresso(const std::string& percorso, const std::string& testo,
                      const std::string& forma) {
  if (forma == "gz") {
    gzFile f = gzopen(percorso.c_str(), "wb9");
    ASSERT_NE(f, nullptr);
    // In pieces: gzwrite takes an unsigned length.
    for (size_t da = 0; da < testo.size(); da += 1 << 20) {
      const size_t n = std::min<size_t>(1 << 20, testo.size() - da);
      ASSERT_EQ(gzwrite(f, testo.data() + da, static_cast<unsigned>(n)), static_cast<int>(n));
    }
    gzclose(f);
  } else if (forma == "bz2") {
    std::string uscita(testo.size() + testo.size() / 100 + 1000, '\0');
    unsigned lunghezza = static_cast<unsigned>(uscita.size());
    ASSERT_EQ(BZ2_bzBuffToBuffCompress(uscita.data(), &lunghezza, const_cast<char*>(testo.data()),
                                       static_cast<unsigned>(testo.size()), 9, 0, 0),
              BZ_OK);
    uscita.resize(lunghezza);
    prova::scrivi(percorso, uscita);
  } else {
    prova::scrivi(percorso, testo);
  }
}

const std::string testa = "<?xml version=\"1.0\"?>\n<osm version=\"0.6\">\n";

// Nodes one after another: map data as it compresses.
std::string nodi(int quanti) {
  std::string x;
  for (int i = 1; i <= quanti; ++i)
    x += "<node id=\"" + std::to_string(i) + "\" lat=\"44." + std::to_string(i % 9973) +
         "\" lon=\"10." + std::to_string(i % 7919) + "\"/>\n";
  return x;
}

// An extract's text is held to its bounds however it is compressed: an
// element or an OPL line too long, a file that decompresses far beyond its
// size; within them, or in a binary form, it passes on to the reader.
TEST(MisuraEstratto, AnElementOrLineTooLongAndADecompressionTooLargeAreNamed) {
  prova::CartellaTemporanea c;
  limiti_estratto piccoli;
  piccoli.elemento = 1000;
  piccoli.rapporto = 20;
  piccoli.minimo = 100000;
  const std::string lungo = testa + "<node id=\"1\" lat=\"44\" lon=\"10\"><tag k=\"name\" v=\"" +
                            std::string(5000, 'a') + "\"/></node>\n</osm>\n";
  const std::string dal = "dal byte " + std::to_string(lungo.find("<tag"));
  std::string ripetuto = testa;
  for (int i = 0; i < 50000; ++i) ripetuto += "<a/>";
  ripetuto += "</osm>\n";
  const struct {
    std::string nome, testo, compressione;
    std::string errore;  // after "FILE: "; "" for none
  } casi[] = {
      {"a.osm.gz", lungo, "gz", "un elemento XML di oltre 1000 byte, " + dal + " decompresso"},
      {"a.osm.bz2", lungo, "bz2", "un elemento XML di oltre 1000 byte, " + dal + " decompresso"},
      {"a.osm", lungo, "", "un elemento XML di oltre 1000 byte, " + dal + ":"},
      {"a.opl", "n1 v1 x10 y44 Tname=" + std::string(5000, 'a') + "\n", "",
       "una riga di oltre 1000 byte, dal byte 0:"},
      {"b.osm.gz", ripetuto, "gz",
       "decompresso passa i 100000 byte (il più che se ne legge: 20 volte il file compresso"},
      {"b.osm.bz2", ripetuto, "bz2",
       "decompresso passa i 100000 byte (il più che se ne legge: 20 volte il file compresso"},
      {"c.osm.gz", testa + nodi(20) + "</osm>\n", "gz", ""},
      {"c.osm", testa + nodi(20) + "</osm>\n", "", ""},
      // A binary form is no text: its blocks are bounded by its reader.
      {"d.osm.pbf", std::string(5000, 'x'), "", ""},
  };
  for (const auto& caso : casi) {
    const std::string percorso = c.file(caso.nome);
    scrivi_compresso(percorso, caso.testo, caso.compressione);
    const Stato s = misura_estratto(percorso, piccoli);
    if (caso.errore.empty()) {
      EXPECT_TRUE(s.riuscito()) << caso.nome << ": " << s.messaggio();
      continue;
    }
    ASSERT_FALSE(s.riuscito()) << caso.nome;
    EXPECT_TRUE(s.messaggio().starts_with(percorso + ": " + caso.errore)) << s.messaggio();
    EXPECT_NE(s.messaggio().find("non è un estratto OpenStreetMap"), std::string::npos)
        << s.messaggio();
  }
}

// A very long attribute inside a small compressed extract is refused as soon
// as it passes the bound, with the file's name, not read for minutes into a
// gigabyte.
TEST(MisuraEstratto, AHugeAttributeInASmallGzExtractIsRefusedByTheImport) {
  prova::CartellaTemporanea c;
  const std::string percorso = c.file("bomba.osm.gz");
  const std::string testo = testa + "<node id=\"1\" lat=\"44\" lon=\"10\"><tag k=\"name\" v=\"" +
                            std::string(limiti_estratto{}.elemento * 2, 'a') +
                            "\"/></node>\n</osm>\n";
  scrivi_compresso(percorso, testo, "gz");
  richiesta_importa r;
  r.traccia = percorso;
  r.uscita = c.file("l.txt");
  r.da = "A";
  r.a = "B";
  std::ostringstream uscita, errori;
  EXPECT_EQ(importa(r, uscita, errori), 2);
  EXPECT_EQ(errori.str(), "scenario importa: " + percorso +
                              ": un elemento XML di oltre 4 MiB, dal byte " +
                              std::to_string(testo.find("<tag")) +
                              " decompresso: non è un estratto OpenStreetMap\n");
  EXPECT_FALSE(std::filesystem::exists(r.uscita));
}

TEST(MisuraEstratto, TheRealExtractsAreWithinTheBounds) {
  SCEN_DATO_REALE(krems, "gh-krems.osm.gz");
  SCEN_DATO_REALE(bayreuth, "gh-north-bayreuth.osm.gz");
  SCEN_DATO_REALE(liechtenstein, "liechtenstein-2015.osm.pbf");
  for (const std::string& p : {krems, bayreuth, liechtenstein}) {
    const Stato s = misura_estratto(p);
    EXPECT_TRUE(s.riuscito()) << s.messaggio();
  }
}

}  // namespace
}  // namespace scen
