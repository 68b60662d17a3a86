#include "import/segnali_osm.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "testing/cartella_temporanea.h"

namespace scen {
namespace {

// Signal posts as mapped, read from an extract: what each shows, and
// whether it becomes a signal record.
TEST(SegnaliOsm, OnlyMainSignalsBecomeRecordsAndTheOthersAreCountedByKind) {
  const struct {
    const char* tag;
    std::vector<std::string> generi;
    bool principale;
    const char* contato;
  } casi[] = {
      {R"(<tag k="railway:signal:main" v="DE-ESO:hp"/><tag k="railway:signal:main:form" v="light"/>)"
       R"(<tag k="railway:signal:distant" v="DE-ESO:vr"/>)",
       {"main", "distant"},
       true,
       ""},
      {R"(<tag k="railway:signal:combined" v="DE-ESO:ks"/>)", {"combined"}, true, ""},
      {R"(<tag k="railway:signal:main_repeated" v="DE-ESO:fahrtanzeiger"/>)",
       {"main_repeated"},
       true,
       ""},
      // What a signal shows, not how it stands: direction, position,
      // height and mast are no kinds; a kind tagged "no" is not shown.
      {R"(<tag k="railway:signal:direction" v="forward"/><tag k="railway:signal:position" v="right"/>)"
       R"(<tag k="railway:signal:height" v="normal"/><tag k="railway:signal:catenary_mast" v="yes"/>)"
       R"(<tag k="railway:signal:main" v="no"/><tag k="railway:signal:minor" v="DE-ESO:sh"/>)",
       {"minor"},
       false,
       "minor"},
      // A post with several kinds is counted once, as its distant signal.
      {R"(<tag k="railway:signal:speed_limit" v="DE-ESO:zs3"/><tag k="railway:signal:distant" v="DE-ESO:ks"/>)",
       {"speed_limit", "distant"},
       false,
       "distant"},
      {R"(<tag k="railway:signal:electricity" v="DE-ESO:el6"/>)",
       {"electricity"},
       false,
       "electricity"},
      {R"(<tag k="railway:signal:crossing" v="DE-ESO:bü"/>)", {"crossing"}, false, "crossing"},
      {"", {}, false, "senza genere"},
  };
  prova::CartellaTemporanea c;
  std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<osm version=\"0.6\">\n";
  int id = 1;
  for (const auto& caso : casi)
    x += "<node id=\"" + std::to_string(id++) +
         R"(" version="1" lat="45.0" lon="10.0"><tag k="railway" v="signal"/>)" + caso.tag +
         "</node>\n";
  x += "</osm>\n";
  std::ofstream(c.file("segnali.osm")) << x;
  estratto_osm e;
  ASSERT_TRUE(leggi_estratto(c.file("segnali.osm"), e).riuscito());
  ASSERT_EQ(e.punti.size(), std::size(casi));
  for (size_t k = 0; k < std::size(casi); ++k) {
    const punto_osm& q = e.punti[k];
    SCOPED_TRACE(casi[k].tag);
    EXPECT_EQ(q.genere, genere_punto::segnale);
    EXPECT_EQ(q.generi, casi[k].generi);
    EXPECT_EQ(segnale_principale(q), casi[k].principale);
    if (!casi[k].principale) {
      EXPECT_EQ(genere_da_contare(q), casi[k].contato);
    }
  }
}

}  // namespace
}  // namespace scen
