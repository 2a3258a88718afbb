#include <gtest/gtest.h>

#include "feeds/TextDecoding.h"

TEST(Choice, PicksByCondition) {
  EXPECT_EQ(kivo::Choice(true, 1, 2), 1);
  EXPECT_EQ(kivo::Choice(false, 1, 2), 2);
}
