// How long IntervalCount takes, in each unit, from the present to the year 3000.
#include <benchmark/benchmark.h>

#include <array>
#include <string_view>

#include "model/interval_count.h"

namespace {

constexpr std::array<std::string_view, 7> kCodes{"s", "n", "h", "ww", "d", "m", "yyyy"};

void IntervalCountTo3000(benchmark::State& state) {
  const std::string_view code = kCodes[static_cast<std::size_t>(state.range(0))];
  countdown::LocalDateTime now{2026, 12, 8, 5, 30, 15};
  const countdown::LocalDateTime target = countdown::TargetDate();
  for (auto _ : state) {
    benchmark::DoNotOptimize(now);
    benchmark::DoNotOptimize(countdown::IntervalCount(code, now, target, std::chrono::Sunday,
                                                      countdown::FirstWeekOfYear::Jan1));
  }
  state.SetLabel(std::string(code));
}
BENCHMARK(IntervalCountTo3000)->DenseRange(0, 6);

// Baseline: the standard library's own work for one date, a day number from a calendar date.
void ChronoDayNumber(benchmark::State& state) {
  std::chrono::year_month_day date{std::chrono::year{2026}, std::chrono::December,
                                   std::chrono::day{8}};
  for (auto _ : state) {
    benchmark::DoNotOptimize(date);
    benchmark::DoNotOptimize(std::chrono::sys_days{date}.time_since_epoch().count());
  }
}
BENCHMARK(ChronoDayNumber);

}  // namespace

BENCHMARK_MAIN();
