// SPDX-License-Identifier: MIT
// A fixture for tests that drive the real program: a private X server, the demo started on it, and its two
// windows found by title. Helpers type keys with the pointer over a window and wait for what a window shows.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "x_session.h"

namespace e2e {

// Every start of the program under test preloads the swap probe: the tests count its swaps, and in the
// sanitizer build the probe runs the leak check at exit while the GL driver is still loaded.
const std::string probe_preload = "LD_PRELOAD=" SWAP_PROBE_PRELOAD;

constexpr auto window_deadline = milliseconds(20000);
constexpr auto screen_deadline = milliseconds(10000);
constexpr auto exit_deadline = milliseconds(5000);

using colour = std::array<double, 3>;

// A file the swap probe counts a program's buffer swaps in, both windows together: the tests' measure of
// its progress. Made empty in the test's temporary folder, removed when the object goes.
class swap_count {
 public:
  swap_count();
  ~swap_count();
  swap_count(const swap_count&) = delete;
  swap_count& operator=(const swap_count&) = delete;
  // What the program's environment needs for the probe to count here.
  std::string environment() const { return "SWAP_PROBE_FILE=" + path_; }
  long swaps() const;

 private:
  std::string path_;
};

// The colour a body is built with: draws 4 to 6 of its seven, counted along the unseeded drand48 stream in
// which the scene is built (seven draws per body, one more per attachment, the root unattached).
colour body_colour(int body_index);

// True when a lit pixel has the hue of the colour: lighting here only scales a body's colour.
bool has_hue(image::pixel p, const colour& c, double min_cosine = 0.99);

class RunningDemo : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Types the keys with the pointer at (x, y) of the window, as a user pointing there would.
  void type_in(Window w, const std::string& keys, int x = 256, int y = 256);
  image shot(Window w) { return capture(display.x(), w); }
  // Waits until the window's picture satisfies the condition, described by what. A failure says what was
  // expected and what the centre of the last picture showed, and saves that picture.
  bool wait_for(Window w, const std::string& what, const std::function<bool(const image&)>& condition,
                milliseconds deadline = screen_deadline);

  // How many buffers the program has swapped, both windows together: its own measure of progress.
  long swaps() const;
  // Waits until the picture has stood unchanged while the program swapped enough buffers for two ticks of
  // both windows, so that a running animation would have shown a change; returns that picture.
  image wait_until_still(Window w);

  virtual_display display;
  swap_count swap_file;
  program app{SOLAR_DEMO_PATH, display.name(), {probe_preload, swap_file.environment()}};
  Window mother = 0;
  Window scout = 0;
};

}  // namespace e2e
