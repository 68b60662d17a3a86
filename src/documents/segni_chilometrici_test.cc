#include "documents/segni_chilometrici.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace scen {
namespace {

// The carried line's progressives, as its description writes them.
const std::vector<progressiva_km> progressive_portate = {
    {31100, 3050, false}, {284500, -284500, false}, {315950, 412050, true}};

TEST(SegniChilometrici, MarksOfEachStretchOfTheCarriedLine) {
  const segni_chilometrici segni(progressive_portate);
  const struct {
    std::int64_t posizione, segno;
  } casi[] = {
      {0, 0},          {4850, 4850},     {31050, 31050},  {31100, 34150},
      {37950, 41000},  {284450, 287500}, {284500, 0},     {288200, 3700},
      {315900, 31400}, {315950, 96100},  {322850, 89200}, {332750, 79300},
  };
  for (const auto& c : casi) EXPECT_EQ(segni.segno(c.posizione), c.segno) << c.posizione;
}

TEST(SegniChilometrici, JumpsWhereOneCountGivesWayToTheNext) {
  const segni_chilometrici segni(progressive_portate);
  const std::vector<salto_km> salti = segni.salti(0, 332750);
  ASSERT_EQ(salti.size(), 3u);
  const salto_km attesi[] = {{31100, 31100, 34150}, {284500, 287550, 0}, {315950, 31450, 96100}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(salti[i].posizione, attesi[i].posizione);
    EXPECT_EQ(salti[i].prima, attesi[i].prima);
    EXPECT_EQ(salti[i].dopo, attesi[i].dopo);
  }
  // After `da`, up to `a` included.
  EXPECT_EQ(segni.salti(31100, 284500).size(), 1u);
  EXPECT_EQ(segni.salti(0, 31050).size(), 0u);
}

TEST(SegniChilometrici, AProgressiveThatChangesNothingMakesNoJump) {
  // The all-zero records of a line that has no jumps, in any order.
  const segni_chilometrici segni({{0, 0, false}, {0, 0, false}, {0, 0, false}});
  EXPECT_TRUE(segni.salti(-1, 1000000).empty());
  EXPECT_EQ(segni.segno(12345), 12345);
  // A count that goes on as the one before it.
  EXPECT_TRUE(segni_chilometrici({{5000, 0, false}}).salti(0, 10000).empty());
  // A progressive from position 0 counts from there, with no jump.
  const segni_chilometrici da_zero({{0, 100000, true}});
  EXPECT_EQ(da_zero.segno(2500), 97500);
  EXPECT_TRUE(da_zero.salti(-1, 10000).empty());
}

TEST(SegniChilometrici, LastWholeKilometrePostBeforeAPosition) {
  const segni_chilometrici segni(progressive_portate);
  const struct {
    std::int64_t posizione;
    std::optional<std::int64_t> cippo_posizione, cippo_segno;
  } casi[] = {
      {0, 0, 0},                // the post at the origin
      {999, 0, 0},              //
      {1000, 1000, 1000},       // a post right at the position counts
      {31099, 31000, 31000},    // the last metre of the first count
      {31100, 31000, 31000},    // the new count starts at 34.150: post 34 lies behind it
      {31950, 31950, 35000},    // the first post of the second count
      {291850, 291500, 7000},   // the carried slowdowns
      {308700, 308500, 24000},  //
      {315950, 315500, 31000},  // a decreasing count: the last post before is 96.100 up
      {316000, 315500, 31000},  // 96.050: post 97 is not on it
      {316950, 316050, 96000},  //
      {332750, 332050, 80000},  //
  };
  for (const auto& c : casi) {
    const auto cippo = segni.cippo_prima(c.posizione);
    ASSERT_TRUE(cippo.has_value()) << c.posizione;
    EXPECT_EQ(cippo->posizione, *c.cippo_posizione) << c.posizione;
    EXPECT_EQ(cippo->segno, *c.cippo_segno) << c.posizione;
  }
}

TEST(SegniChilometrici, NoPostBeforeTheFirstWholeKilometre) {
  // A line whose marks start at 0.400 has its first post 600 m on.
  const segni_chilometrici segni({{0, 400, false}});
  EXPECT_FALSE(segni.cippo_prima(599).has_value());
  EXPECT_EQ(segni.cippo_prima(600)->segno, 1000);
  // Decreasing from 10.400: the first post is 10.000, 400 m on.
  const segni_chilometrici calante({{0, 10400, true}});
  EXPECT_FALSE(calante.cippo_prima(399).has_value());
  EXPECT_EQ(calante.cippo_prima(400)->segno, 10000);
  EXPECT_FALSE(segni.cippo_prima(-50).has_value());
}

TEST(SegniChilometrici, KilometresWithThreeDecimals) {
  EXPECT_EQ(km(0), "0.000");
  EXPECT_EQ(km(31100), "31.100");
  EXPECT_EQ(km(7), "0.007");
  EXPECT_EQ(km(287550), "287.550");
  EXPECT_EQ(km(-300), "-0.300");
  EXPECT_EQ(km(-1250), "-1.250");
}

}  // namespace
}  // namespace scen
