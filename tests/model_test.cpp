// The counting model: the unit table and the interval counts.
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "model/interval_count.h"
#include "model/units.h"

namespace countdown {
namespace {

constexpr std::array<std::string_view, 7> kCodes{"s", "n", "h", "ww", "d", "m", "yyyy"};

std::int64_t CountTo3000(std::string_view code, const LocalDateTime& from,
                         std::chrono::weekday firstDay = std::chrono::Sunday) {
  return IntervalCount(code, from, TargetDate(), firstDay, FirstWeekOfYear::Jan1);
}

TEST(UnitTable, HoldsTheSevenUnitsInListOrder) {
  const std::vector<UnitEntry> units = BuildUnits(UnitSource);
  const std::vector<UnitEntry> expected{{"s", "\u79D2"},   {"n", "\u5206"}, {"h", "\u6642"},
                                        {"ww", "\u9031"},  {"d", "\u65E5"}, {"m", "\u6708"},
                                        {"yyyy", "\u5E74"}};
  EXPECT_EQ(units, expected);
}

TEST(UnitTable, ReportsEachRowAsSoonAsItIsFilled) {
  std::vector<UnitEntry> seen;
  const std::vector<UnitEntry> units =
      BuildUnits(UnitSource, [&seen](const UnitEntry& row) { seen.push_back(row); });
  EXPECT_EQ(seen, units);
}

TEST(UnitTable, PairsCodesWithLabelsForAnySourceLength) {
  const std::array<std::string_view, 5> odd{"a", "A", "b", "B", "c"};
  const struct {
    std::size_t length;
    std::size_t rows;
  } cases[] = {{0, 0}, {1, 0}, {2, 1}, {4, 2}, {5, 2}};
  for (const auto& c : cases) {
    const auto units = BuildUnits(std::span(odd).first(c.length));
    ASSERT_EQ(units.size(), c.rows) << "source of " << c.length;
    for (std::size_t i = 0; i < c.rows; ++i) {
      EXPECT_EQ(units[i].Interval, odd[2 * i]);
      EXPECT_EQ(units[i].Label, odd[2 * i + 1]);
    }
  }
  // Thirteen texts of the real source: six rows, the last code is dropped.
  EXPECT_EQ(BuildUnits(std::span(UnitSource).first(13)).size(), 6u);
}

TEST(UnitTable, RefusesPositionsOutsideTheTable) {
  const auto units = BuildUnits(UnitSource);
  EXPECT_EQ(UnitAt(units, 0).Interval, "s");
  EXPECT_EQ(UnitAt(units, 6).Interval, "yyyy");
  EXPECT_THROW(UnitAt(units, -1), std::out_of_range);
  EXPECT_THROW(UnitAt(units, 7), std::out_of_range);
}

struct CountCase {
  LocalDateTime from;
  std::array<std::int64_t, 7> counts;  // in the order of kCodes
};

TEST(IntervalCount, CountsBoundariesCrossedUpToTheYear3000) {
  const CountCase cases[] = {
      {{2000, 1, 1, 0, 0, 0}, {31556995200, 525949920, 8765832, 52178, 365243, 12000, 1000}},
      {{2026, 12, 8, 5, 30, 15}, {30706972185, 511782870, 8529715, 50772, 355405, 11677, 974}},
      // Before 1970, and the first instant of the Julian day count (noon, -4713-11-24).
      {{1969, 12, 31, 23, 59, 59}, {32503680001, 541728001, 9028801, 53743, 376201, 12361, 1031}},
      {{-4713, 11, 24, 12, 0, 0},
       {243370440000, 4056174000, 67602900, 402398, 2816788, 92546, 7713}},
      // Tuesday 31 December 2999: one of everything but weeks, since no Sunday follows.
      {{2999, 12, 31, 23, 59, 59}, {1, 1, 1, 0, 1, 1, 1}},
      {{3000, 1, 1, 0, 0, 0}, {0, 0, 0, 0, 0, 0, 0}},
      {{3000, 1, 1, 0, 0, 1}, {-1, 0, 0, 0, 0, 0, 0}},
      {{3001, 6, 1, 0, 0, 0}, {-44582400, -743040, -12384, -74, -516, -17, -1}},
  };
  for (const CountCase& c : cases) {
    for (std::size_t i = 0; i < kCodes.size(); ++i) {
      EXPECT_EQ(CountTo3000(kCodes[i], c.from), c.counts[i])
          << kCodes[i] << " from " << c.from.year << "-" << c.from.month << "-" << c.from.day;
    }
  }
}

TEST(IntervalCount, CountsAWeekAtEachFirstDayOfTheWeek) {
  using namespace std::chrono;
  // Saturday 28 December 2999 has Sunday the 29th ahead of it; Sunday itself is not counted.
  EXPECT_EQ(CountTo3000("ww", {2999, 12, 28, 0, 0, 0}), 1);
  EXPECT_EQ(CountTo3000("ww", {2999, 12, 29, 0, 0, 0}), 0);
  EXPECT_EQ(CountTo3000("ww", {2999, 12, 29, 0, 0, 0}, Monday), 1);
  EXPECT_EQ(CountTo3000("ww", {2999, 12, 31, 0, 0, 0}, Wednesday), 1);
  EXPECT_EQ(CountTo3000("ww", {2999, 12, 25, 0, 0, 0}, Wednesday), 1);
  EXPECT_EQ(CountTo3000("ww", {2999, 12, 24, 0, 0, 0}, Wednesday), 2);
  // From a Sunday after the target, back to it: that Sunday counts, as the later date.
  EXPECT_EQ(CountTo3000("ww", {3000, 1, 5, 0, 0, 0}), -1);
  EXPECT_EQ(CountTo3000("ww", {3000, 1, 4, 23, 59, 59}), 0);
}

TEST(IntervalCount, IsExactAcrossTheWholeRangeOfYears) {
  // Counts between the ends of the range, worked out from the leap-year rule alone.
  auto leapYearsBefore = [](std::int64_t y) {  // leap years in [0, y) or, for y < 0, minus [y, 0)
    auto floorDiv = [](std::int64_t a, std::int64_t b) { return a / b - (a % b < 0 ? 1 : 0); };
    return floorDiv(y - 1, 4) - floorDiv(y - 1, 100) + floorDiv(y - 1, 400) + 1;
  };
  for (const std::int64_t year : {kMinYear, std::int64_t{-32768}, std::int64_t{32768}, kMaxYear}) {
    const std::int64_t days = 365 * (3000 - year) + leapYearsBefore(3000) - leapYearsBefore(year);
    EXPECT_EQ(CountTo3000("d", {year, 1, 1, 0, 0, 0}), days) << year;
    EXPECT_EQ(CountTo3000("s", {year, 1, 1, 0, 0, 0}), 86400 * days) << year;
    EXPECT_EQ(CountTo3000("yyyy", {year, 12, 31, 23, 59, 59}), 3000 - year) << year;
  }
}

TEST(IntervalCount, RefusesWhatItCannotCount) {
  const LocalDateTime ok{2026, 12, 8, 5, 30, 15};
  for (const std::string_view code : {"", "S", "y", "q", "w", "yy", "ss", "n "}) {
    EXPECT_THROW(CountTo3000(code, ok), std::invalid_argument) << '"' << code << '"';
  }
  const LocalDateTime invalid[] = {
      {2026, 2, 29, 0, 0, 0}, {2100, 2, 29, 0, 0, 0}, {2026, 13, 1, 0, 0, 0},
      {2026, 0, 1, 0, 0, 0},  {2026, 4, 31, 0, 0, 0}, {2026, 1, 1, 24, 0, 0},
      {2026, 1, 1, 0, 60, 0}, {2026, 1, 1, 0, 0, 61}, {kMaxYear + 1, 1, 1, 0, 0, 0}};
  for (const LocalDateTime& t : invalid) {
    EXPECT_THROW(CountTo3000("d", t), std::invalid_argument) << t.year << "-" << t.month;
  }
  EXPECT_TRUE(IsValid({2000, 2, 29, 0, 0, 0}));
  EXPECT_TRUE(IsValid({2016, 12, 31, 23, 59, 60}));  // a leap second
  EXPECT_THROW(CountTo3000("ww", ok, std::chrono::weekday{9}), std::invalid_argument);
}

}  // namespace
}  // namespace countdown
