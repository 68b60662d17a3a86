#include "model/minimo.h"

#include <gtest/gtest.h>

namespace scen {
namespace {

TEST(Minimo, ReturnsYOnlyWhenXIsGreater) {
  EXPECT_EQ(minimo(Integer{180}, Integer{270}), variante(Integer{180}));
  EXPECT_EQ(minimo(Integer{180}, Integer{120}), variante(Integer{120}));
  // On equality `x` comes back with its own type.
  EXPECT_EQ(minimo(Integer{180}, 180.0), variante(Integer{180}));
  EXPECT_EQ(minimo(180.0, Integer{180}), variante(180.0));
  EXPECT_EQ(minimo(variante{}, Integer{-1}), variante(Integer{-1}));
  EXPECT_EQ(minimo(variante{}, Integer{0}), variante{});
}

}  // namespace
}  // namespace scen
