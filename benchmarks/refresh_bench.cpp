// One refresh of the window's caption (offscreen), and how many heap allocations it makes: when
// the count changes, and when it stays the same.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <cstddef>
#include <cstdlib>

#include "window/fmain.h"

// Every heap allocation of the process goes through these: they count, then hand on to glibc.
namespace {
std::size_t allocations = 0;
}  // namespace

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void __libc_free(void* pointer);

void* malloc(std::size_t size) {
  ++allocations;
  return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
  ++allocations;
  return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) {
  ++allocations;
  return __libc_realloc(pointer, size);
}
void free(void* pointer) { __libc_free(pointer); }
}

namespace {

void Refresh(benchmark::State& state, int unit, bool clockMoves) {
  countdown::LocalDateTime now{2026, 12, 8, 5, 30, 15};
  fMain window([&now] { return now; });
  window.Form_Load();
  window.Combo->setCurrentIndex(unit);
  std::size_t allocated = 0;
  for (auto _ : state) {
    if (clockMoves) now.second = (now.second + 1) % 60;
    const std::size_t before = allocations;
    window.Timer_Timer();
    allocated += allocations - before;
  }
  state.counters["allocs"] =
      benchmark::Counter(static_cast<double>(allocated), benchmark::Counter::kAvgIterations);
}

void RefreshChangedCaption(benchmark::State& state) { Refresh(state, 0, true); }
void RefreshSameCaption(benchmark::State& state) { Refresh(state, 6, false); }
BENCHMARK(RefreshChangedCaption);
BENCHMARK(RefreshSameCaption);

// Baseline: the toolkit's own part of a refresh, a plain window given a new number as its title.
void SetWindowTitle(benchmark::State& state) {
  QWidget window;
  window.winId();  // a window of the platform's, as the program's is
  qint64 count = 30706972185;
  std::size_t allocated = 0;
  for (auto _ : state) {
    const std::size_t before = allocations;
    window.setWindowTitle(QString::number(--count));
    allocated += allocations - before;
  }
  state.counters["allocs"] =
      benchmark::Counter(static_cast<double>(allocated), benchmark::Counter::kAvgIterations);
}
BENCHMARK(SetWindowTitle);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
