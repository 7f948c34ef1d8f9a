// SPDX-License-Identifier: MIT
#include "running_demo.h"

#include <X11/keysym.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "scene_random.h"

namespace e2e {

colour body_colour(int body_index) {
  // The stream the program builds its scene from, from its unseeded state.
  std::uint64_t state = 0;
  std::vector<double> draws;
  for (int i = 0; i < 8 * 12; ++i) draws.push_back(compute_next_drand48(state));
  int first = 0;
  for (int b = 0; b < body_index; ++b) first += b == 0 ? 7 : 8;
  return {static_cast<float>(draws[first + 3]), static_cast<float>(draws[first + 4]),
          static_cast<float>(draws[first + 5])};
}

bool has_hue(image::pixel p, const colour& c, double min_cosine) {
  const double length = std::sqrt(double(p.r * p.r + p.g * p.g + p.b * p.b));
  const double c_length = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
  if (length < 8) return false;  // too dark to tell
  return (p.r * c[0] + p.g * c[1] + p.b * c[2]) / (length * c_length) >= min_cosine;
}

swap_count::swap_count() : path_(make_own_file(testing::TempDir() + "solar_swaps_")) {}

swap_count::~swap_count() { std::remove(path_.c_str()); }

long swap_count::swaps() const {
  // The probe writes "first-swap-ns first-swap-ns swaps" in place at every swap.
  long long first = 0, second = 0, count = 0;
  std::sscanf(read_file(path_).c_str(), "%lld %lld %lld", &first, &second, &count);
  return static_cast<long>(count);
}

void RunningDemo::SetUp() {
  mother = find_window(display.x(), "Mother Ship", window_deadline);
  scout = find_window(display.x(), "Scout Ship", window_deadline);
  ASSERT_NE(mother, 0u) << "no Mother Ship window";
  ASSERT_NE(scout, 0u) << "no Scout Ship window";
  for (Window w : {mother, scout}) {
    ASSERT_TRUE(wait_for(w, "a first frame: not black all over", [](const image& img) {
      for (size_t i = 0; i < img.rgb.size(); ++i)
        if (img.rgb[i] != 0) return true;
      return false;
    }));
  }
}

void RunningDemo::TearDown() {
  if (!app.running()) {
    ADD_FAILURE() << "the program ended during the test: " << app.how_it_ended();
  } else {
    move_pointer(display.x(), mother, 256, 256);
    press_keysym(display.x(), XK_Escape);
    const std::optional<int> status = app.wait_exit(exit_deadline);
    EXPECT_TRUE(status.has_value()) << "the program did not end on Escape";
    EXPECT_EQ(app.how_it_ended(), "exited with status 0");
  }
}

void RunningDemo::type_in(Window w, const std::string& keys, int x, int y) {
  move_pointer(display.x(), w, x, y);
  for (char c : keys) type_char(display.x(), c);
}

bool RunningDemo::wait_for(Window w, const std::string& what,
                           const std::function<bool(const image&)>& condition, milliseconds deadline) {
  image last;
  const bool met = wait_until(deadline, [&] {
    last = shot(w);
    return condition(last);
  });
  if (!met) {
    const std::string path = testing::TempDir() + "e2e_failure_" +
                             testing::UnitTest::GetInstance()->current_test_info()->name() + ".ppm";
    save_ppm(last, path);
    std::string seen = "no picture";
    if (last.width > 0) {
      const image::pixel p = last.at(last.width / 2, last.height / 2);
      seen =
          "a centre pixel of " + std::to_string(p.r) + "," + std::to_string(p.g) + "," + std::to_string(p.b);
    }
    ADD_FAILURE() << "expected " << what << "; saw " << seen << "; the last picture is in " << path;
  }
  return met;
}

long RunningDemo::swaps() const { return swap_file.swaps(); }

image RunningDemo::wait_until_still(Window w) {
  // Two ticks redraw both windows twice; one more swap may have been under way when the picture was taken.
  constexpr long swaps_for_two_ticks = 2 * 2 + 1;
  image still = shot(w);
  long since = swaps();
  const bool met = wait_until(screen_deadline, [&] {
    const image now = shot(w);
    if (!(now == still)) {
      still = now;
      since = swaps();
      return false;
    }
    return swaps() - since >= swaps_for_two_ticks;
  });
  EXPECT_TRUE(met) << "the picture never stood still across two ticks; swaps seen: " << swaps() - since;
  return still;
}

}  // namespace e2e
