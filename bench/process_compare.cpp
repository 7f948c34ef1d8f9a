// SPDX-License-Identifier: MIT
// Runs the real program and the floor program side by side in turns, for the same seconds each, and prints
// for both: CPU time per tick in steady state, peak resident memory, and the time from start to the first
// buffer swap of each window; then the ratio program / floor for each. Swaps are observed through the
// preloaded swap probe; CPU and memory come from the kernel (/proc and wait4).
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct run_figures {
  double cpu_ms_per_tick = 0;
  double peak_rss_mib = 0;
  double first_frame_ms = 0;
};

struct probe_reading {
  long long first_swap_ns[2] = {0, 0};
  long long swaps = 0;
};

long long now_ns() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000000LL + t.tv_nsec;
}

probe_reading read_probe(const std::string& path) {
  probe_reading r;
  std::ifstream in(path);
  in >> r.first_swap_ns[0] >> r.first_swap_ns[1] >> r.swaps;
  return r;
}

// User plus system CPU of the whole process so far, in milliseconds.
double cpu_ms(pid_t pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string skip;
  for (int i = 3; i < 14; ++i) fields >> skip;
  long long user = 0, system = 0;
  fields >> user >> system;
  return 1000.0 * double(user + system) / double(sysconf(_SC_CLK_TCK));
}

void wait_for(const std::function<bool()>& condition, int timeout_ms) {
  for (int i = 0; i < timeout_ms / 5 && !condition(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

run_figures measure(const std::string& executable, const std::string& probe, int seconds) {
  const std::string probe_file = "/tmp/swap_probe_" + std::to_string(getpid());
  std::remove(probe_file.c_str());
  const long long start = now_ns();
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("LD_PRELOAD", probe.c_str(), 1);
    setenv("SWAP_PROBE_FILE", probe_file.c_str(), 1);
    execl(executable.c_str(), executable.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  run_figures figures;
  wait_for([&] { return read_probe(probe_file).first_swap_ns[1] != 0; }, 30000);
  const probe_reading first = read_probe(probe_file);
  figures.first_frame_ms = (std::max(first.first_swap_ns[0], first.first_swap_ns[1]) - start) / 1e6;

  // Steady state: skip the first second, then count CPU and swaps over the rest of the run.
  std::this_thread::sleep_for(std::chrono::seconds(1));
  const double cpu_before = cpu_ms(pid);
  const long long swaps_before = read_probe(probe_file).swaps;
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  const double cpu_after = cpu_ms(pid);
  const long long swaps_after = read_probe(probe_file).swaps;
  const double ticks = (swaps_after - swaps_before) / 2.0;  // one swap per window per tick
  figures.cpu_ms_per_tick = ticks > 0 ? (cpu_after - cpu_before) / ticks : 0;

  kill(pid, SIGTERM);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  figures.peak_rss_mib = usage.ru_maxrss / 1024.0;
  std::remove(probe_file.c_str());
  return figures;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s PROGRAM FLOOR_PROGRAM SWAP_PROBE [SECONDS] [ROUNDS]\n", argv[0]);
    return 2;
  }
  const int seconds = argc > 4 ? std::atoi(argv[4]) : 10;
  const int rounds = argc > 5 ? std::atoi(argv[5]) : 3;
  std::vector<double> cpu[2], rss[2], first[2];
  for (int round = 0; round < rounds; ++round) {
    for (int which = 0; which < 2; ++which) {  // floor first, then the program, in turns
      const run_figures f = measure(argv[which == 0 ? 2 : 1], argv[3], seconds);
      cpu[which].push_back(f.cpu_ms_per_tick);
      rss[which].push_back(f.peak_rss_mib);
      first[which].push_back(f.first_frame_ms);
    }
  }
  std::printf("median of %d rounds of %d s each\n", rounds, seconds);
  std::printf("%-28s %10s %10s %10s\n", "", "program", "floor", "ratio");
  std::printf("%-28s %10.3f %10.3f %10.2f\n", "CPU per tick (ms)", median(cpu[1]), median(cpu[0]),
              median(cpu[1]) / median(cpu[0]));
  std::printf("%-28s %10.1f %10.1f %10.2f   (difference %.1f MiB)\n", "peak resident memory (MiB)",
              median(rss[1]), median(rss[0]), median(rss[1]) / median(rss[0]),
              median(rss[1]) - median(rss[0]));
  std::printf("%-28s %10.1f %10.1f %10.2f\n", "time to first frame (ms)", median(first[1]), median(first[0]),
              median(first[1]) / median(first[0]));
  return 0;
}
