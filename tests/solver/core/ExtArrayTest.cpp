// Extendable arrays: growth by doubling, the refusal to grow once a pointer was handed out, and
// the index-based views that survive growth.

#include "ExtArray.h"
#include "ExtArrayRows.h"
#include "ExtArraySlice.h"
#include "LogStream.h"
#include "Shell.h"

#include <gtest/gtest.h>

#include <iostream>

namespace tesmo {
namespace {

struct GrowthCase {
  const char* name;
  int capacity;
  int used;       // slots taken before the request
  int request;
  int capacityAfter;
  int firstIndex;
};

class ExtArrayGrowth : public ::testing::TestWithParam<GrowthCase> {};

TEST_P(ExtArrayGrowth, HandsOutTheNextSlotsAndDoublesWhenShort) {
  const GrowthCase& c = GetParam();
  ExtArray arena(c.capacity);
  if (c.used > 0) arena.allocateInExtArray(c.used);
  for (int i = 1; i <= c.used; ++i) arena[i] = 100 + i;

  EXPECT_EQ(arena.allocateInExtArray(c.request), c.firstIndex);
  EXPECT_EQ(arena.capacity(), c.capacityAfter);
  EXPECT_EQ(arena.used(), c.used + c.request);
  for (int i = 1; i <= c.used; ++i) EXPECT_EQ(arena[i], 100 + i) << "slot " << i << " lost";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtArrayGrowth,
    ::testing::Values(
        // need = used + n + 1 = 4 reaches the capacity of 4: doubled to 8.
        GrowthCase{"OneMoreSlotFillsCapacity", 4, 2, 1, 8, 3},
        GrowthCase{"FitsWithoutGrowth", 4, 0, 2, 4, 1},
        GrowthCase{"EmptyArenaTakesTheNeed", 0, 0, 3, 4, 1},
        GrowthCase{"DoublesUntilAboveTheNeed", 4, 2, 10, 16, 3},
        GrowthCase{"ZeroSlotsStillKeepOneSpare", 1, 0, 0, 2, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExtArray, ZeroedConstructionClearsEverySlot) {
  ExtArray arena(ExtArray::Zeroed{}, 6);
  EXPECT_EQ(arena.capacity(), 6);
  EXPECT_EQ(arena.used(), 0);
  for (int i = 1; i <= 6; ++i) EXPECT_EQ(arena[i], 0);

  arena.allocateInExtArray(2);
  arena[1] = 7;
  arena[2] = 8;
  arena.growZeroedExtArray(20);
  EXPECT_EQ(arena.capacity(), 24);
  EXPECT_EQ(arena[1], 7);
  EXPECT_EQ(arena[2], 8);
  for (int i = 3; i <= 24; ++i) EXPECT_EQ(arena[i], 0);
}

TEST(ExtArray, DoublingIsLoggedAtLevel3) {
  logStream.toScreen = true;
  const int oldVerbose = verbose;
  verbose = 3;
  ExtArray arena(4);
  arena.allocateInExtArray(2);
  ::testing::internal::CaptureStdout();
  arena.allocateInExtArray(1);
  const std::string out = ::testing::internal::GetCapturedStdout();
  verbose = oldVerbose;
  logStream.toScreen = false;
  EXPECT_EQ(out, "doubling extendable array to size: 8.\n");
}

TEST(ExtArray, ReleaseAndTruncateReturnSlots) {
  ExtArray arena(16);
  const int a = arena.allocateInExtArray(3);
  const int b = arena.allocateInExtArray(4);
  EXPECT_EQ(b, a + 3);
  arena.releaseExtArrayFrom(b);
  EXPECT_EQ(arena.used(), 3);
  EXPECT_EQ(arena.allocateInExtArray(1), b);

  int* p = arena.allocatePointerInExtArray(2);
  arena.truncateExtArrayAt(p);
  EXPECT_EQ(arena.used(), p - arena.data() - 1);
  EXPECT_EQ(arena.allocatePointerInExtArray(2), p);
}

TEST(ExtArray, MatrixRowsFollowEachOther) {
  ExtArray arena(64);
  int** square = arena.allocateMatrixInExtArray(3, 0);  // rows 0..3 of 4 slots
  for (int r = 0; r < 3; ++r) EXPECT_EQ(square[r + 1] - square[r], 4);
  int** wide = arena.allocateMatrixInExtArray(2, 5);  // rows 0..2 of 6 slots
  EXPECT_EQ(wide[0] - square[3], 4);
  EXPECT_EQ(wide[2] - wide[1], 6);
  EXPECT_EQ(arena.used(), 4 * 4 + 3 * 6);
  EXPECT_FALSE(arena.growthAllowed());
  for (int r = 0; r <= 2; ++r)
    for (int c = 0; c <= 5; ++c) wide[r][c] = r * 10 + c;
  EXPECT_EQ(arena[16 + 6 + 1], 10);  // row 1, column 0
}

// The refusal ends the run with the "Warning: (" line, which goes to standard output; the death
// test reads standard error, so the child sends one to the other.
TEST(ExtArrayDeathTest, GrowthAfterAPointerWasHandedOutIsRefused) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_EXIT(
      {
        std::cout.rdbuf(std::cerr.rdbuf());
        ExtArray arena(8);
        arena.allocatePointerInExtArray(2);
        arena.allocateInExtArray(2);  // fits: no growth needed
        arena.allocateInExtArray(4);  // needs growth
      },
      ::testing::ExitedWithCode(1),
      "Warning: \\(\"increase not allowed.\"\\) in file 'extArray' line 74");
}

TEST(ExtArrayDeathTest, MatrixBeyondTheCapacityIsRefused) {
  ::testing::FLAGS_gtest_death_test_style = "threadsafe";
  EXPECT_EXIT(
      {
        std::cout.rdbuf(std::cerr.rdbuf());
        ExtArray arena(8);
        arena.allocateMatrixInExtArray(3, 3);
      },
      ::testing::ExitedWithCode(1), "increase not allowed");
}

// With exitWarning 0 the run goes on after the warning; pointers handed out before must still
// point at live memory (the sanitizer would report the old block otherwise).
TEST(ExtArray, ContinuedRunKeepsHandedOutPointersAlive) {
  shell.Sset("exitWarning", "0");
  ExtArray arena(4);
  int* p = arena.allocatePointerInExtArray(2);
  p[0] = 11;
  p[1] = 12;
  ::testing::internal::CaptureStdout();
  const int first = arena.allocateInExtArray(5);
  const std::string out = ::testing::internal::GetCapturedStdout();
  shell.Sset("exitWarning", "1");
  EXPECT_EQ(out, "Warning: (\"increase not allowed.\") in file 'extArray' line 74\n");
  EXPECT_EQ(first, 3);
  EXPECT_GE(arena.capacity(), 8);
  EXPECT_EQ(arena[1], 11);
  EXPECT_EQ(arena[2], 12);
  p[0] = 13;  // still a live block
  EXPECT_EQ(p[0], 13);
}

TEST(ExtArrayViews, RowsAndSlicesKeepTheirPlaceWhileTheArenaGrows) {
  ExtArray arena(2);
  ExtArrayRows rows(arena, 2, 3);  // rows 0..2 of 4 slots
  ExtArraySlice slice(arena, 5);
  for (int r = 0; r <= 2; ++r)
    for (int c = 0; c <= 3; ++c) rows(r, c) = 10 * r + c;
  for (int k = 0; k < 5; ++k) slice[k] = 100 + k;

  arena.allocateInExtArray(1000);  // moves the data
  for (int r = 0; r <= 2; ++r)
    for (int c = 0; c <= 3; ++c) EXPECT_EQ(rows(r, c), 10 * r + c);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(slice[k], 100 + k);
  EXPECT_EQ(rows.rowStart(1) - rows.rowStart(0), 4);
  EXPECT_EQ(slice.start(), rows.rowStart(2) + 4);

  ExtArraySlice attached(arena, -slice.start());
  EXPECT_EQ(attached[4], 104);
  EXPECT_EQ(arena.used(), 3 + 3 * 4 + 5 + 1000);

  ExtArrayRows squareRows(arena, 2, 0);  // cols 0: rows + 1 slots per row
  EXPECT_EQ(squareRows.rowStart(1) - squareRows.rowStart(0), 3);
}

}  // namespace
}  // namespace tesmo
