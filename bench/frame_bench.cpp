// SPDX-License-Identifier: MIT
// Benchmarks of one window's frame, one selection pass and one tick, each beside its floor: the same window
// cleared and finished with nothing drawn. The figures that matter are the ratios to that floor, printed at
// the end, since absolute times depend on the machine. Runs under an X server (the README's command starts
// one), with Mesa's software renderer; set LP_NUM_THREADS to fix its thread count.
#include <GL/freeglut.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "demo.h"
#include "scene_windows.h"

namespace {

int mother_window = 0;

void BM_FrameFloor(benchmark::State& state) {
  glutSetWindow(mother_window);
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFinish();
  }
}
BENCHMARK(BM_FrameFloor);

void BM_Frame(benchmark::State& state) {
  glutSetWindow(mother_window);
  for (auto _ : state) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    demo_display();
    glFinish();
  }
}
BENCHMARK(BM_Frame);

void BM_Pick(benchmark::State& state) {
  glutSetWindow(mother_window);
  for (auto _ : state) benchmark::DoNotOptimize(demo_pick(256, 256));
}
BENCHMARK(BM_Pick);

void BM_Tick(benchmark::State& state) {
  const float step = compute_timer_step_s(default_timer_period_ms);
  for (auto _ : state) demo_idle(step);
}
BENCHMARK(BM_Tick);

// Keeps each benchmark's time per iteration for the ratios printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) ns_per_iteration[run.benchmark_name()] = run.GetAdjustedRealTime();
  }
  std::map<std::string, double> ns_per_iteration;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  int windows[2];
  scene_windows::create(argc, argv, windows);
  mother_window = windows[0];
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& t = reporter.ns_per_iteration;
  if (t.count("BM_FrameFloor") && t.count("BM_Frame") && t.count("BM_Pick")) {
    std::printf("frame / floor: %.1f\n", t.at("BM_Frame") / t.at("BM_FrameFloor"));
    std::printf("pick / floor:  %.1f\n", t.at("BM_Pick") / t.at("BM_FrameFloor"));
  }
  benchmark::Shutdown();
  demo_cleanup();
  return 0;
}
