// SPDX-License-Identifier: MIT
// Key to screen: the time from a key event sent through the X server to the first changed pixel of the
// window, over 50 keys, on the real program under a private Xvfb. The scene is paused first, so that only the
// key changes the picture: "x" and "X" in turn step the mother ship's eye sideways and back.
#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "x_session.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s PROGRAM\n", argv[0]);
    return 2;
  }
  using e2e::milliseconds;
  e2e::virtual_display display;
  Display* x = display.x();
  e2e::program app(argv[1], display.name());
  const Window mother = e2e::find_window(x, "Mother Ship", milliseconds(20000));
  if (mother == 0) return 1;
  e2e::move_pointer(x, mother, 256, 256);
  e2e::type_char(x, 'p');

  // The sun's edge at the window centre moves with every step of the eye.
  auto probe = [&] { return e2e::capture_region(x, mother, 224, 224, 64, 64); };
  // Once ten probes in a row agree (longer than a tick), no redraw of an earlier key is still to come.
  e2e::image still;
  auto wait_until_still = [&] {
    e2e::wait_until(milliseconds(10000), [&] {
      still = probe();
      for (int i = 0; i < 10; ++i)
        if (!(probe() == still)) return false;
      return true;
    });
  };
  wait_until_still();

  constexpr int keys = 50;
  std::vector<double> latency_ms;
  for (int i = 0; i < keys; ++i) {
    const auto sent = e2e::clock::now();
    e2e::type_char(x, i % 2 == 0 ? 'x' : 'X');
    e2e::image now;
    const bool changed = e2e::wait_until(milliseconds(5000), [&] { return !((now = probe()) == still); });
    if (!changed) {
      std::fprintf(stderr, "key %d changed nothing on screen\n", i);
      return 1;
    }
    latency_ms.push_back(std::chrono::duration<double, std::milli>(e2e::clock::now() - sent).count());
    wait_until_still();
  }
  std::sort(latency_ms.begin(), latency_ms.end());
  std::printf(
      "key to first changed pixel over %d keys: median %.1f ms, 90th percentile %.1f ms, max %.1f ms\n", keys,
      latency_ms[keys / 2], latency_ms[keys * 9 / 10], latency_ms.back());
  e2e::press_keysym(x, XK_Escape);
  app.wait_exit(milliseconds(5000));
  return 0;
}
