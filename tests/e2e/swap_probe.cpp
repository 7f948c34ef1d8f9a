// SPDX-License-Identifier: MIT
// Preloaded into a program under measurement: it passes every glXSwapBuffers on and keeps, in the file named
// by SWAP_PROBE_FILE, the monotonic time of each window's first swap and the running count of all swaps.
// The counts are rewritten in place at every swap, so they survive the program being killed.
#include <GL/glx.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

struct probe_record {
  long long first_swap_ns[2] = {0, 0};  // the first two windows to swap, in order
  GLXDrawable drawable[2] = {0, 0};
  long long swaps = 0;
};

probe_record record;
int probe_fd = -2;

long long now_ns() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000000LL + t.tv_nsec;
}

void note_swap(GLXDrawable drawable) {
  if (probe_fd == -2) {
    const char* path = std::getenv("SWAP_PROBE_FILE");
    probe_fd = path != nullptr ? open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
  }
  for (int i = 0; i < 2; ++i) {
    if (record.drawable[i] == drawable) break;
    if (record.drawable[i] == 0) {
      record.drawable[i] = drawable;
      record.first_swap_ns[i] = now_ns();
      break;
    }
  }
  ++record.swaps;
  if (probe_fd >= 0) {
    char line[128];
    const int length = std::snprintf(line, sizeof line, "%lld %lld %lld\n", record.first_swap_ns[0],
                                     record.first_swap_ns[1], record.swaps);
    if (pwrite(probe_fd, line, length, 0) != length) probe_fd = -1;
  }
}

}  // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable) {
  using swap_function = void (*)(Display*, GLXDrawable);
  static const swap_function real = reinterpret_cast<swap_function>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
  note_swap(drawable);
  real(display, drawable);
}
