#include "running_demo.h"

#include <X11/keysym.h>

#include <cstdint>
#include <vector>

namespace e2e {

colour body_colour(int body_index) {
  // drand48 as glibc runs it from its initial, all-zero state.
  uint64_t state = 0;
  std::vector<double> draws;
  for (int i = 0; i < 8 * 12; ++i) {
    state = (0x5DEECE66Dull * state + 0xB) & ((1ull << 48) - 1);
    draws.push_back(static_cast<double>(state) / static_cast<double>(1ull << 48));
  }
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

void RunningDemo::SetUp() {
  mother = find_window(display.x(), "Mother Ship", window_deadline);
  scout = find_window(display.x(), "Scout Ship", window_deadline);
  ASSERT_NE(mother, 0u) << "no Mother Ship window";
  ASSERT_NE(scout, 0u) << "no Scout Ship window";
  // Both windows have drawn a frame once neither is black all over.
  for (Window w : {mother, scout}) {
    ASSERT_TRUE(wait_for(w, [](const image& img) {
      for (size_t i = 0; i < img.rgb.size(); ++i)
        if (img.rgb[i] != 0) return true;
      return false;
    })) << "a window never drew";
  }
}

void RunningDemo::TearDown() {
  if (!app.running()) return;
  move_pointer(display.x(), mother, 256, 256);
  press_keysym(display.x(), XK_Escape);
  const std::optional<int> status = app.wait_exit(exit_deadline);
  EXPECT_TRUE(status.has_value()) << "the program did not end on Escape";
  if (status) {
    EXPECT_EQ(*status, 0);
  }
}

void RunningDemo::type_in(Window w, const std::string& keys, int x, int y) {
  move_pointer(display.x(), w, x, y);
  for (char c : keys) type_char(display.x(), c);
}

bool RunningDemo::wait_for(Window w, const std::function<bool(const image&)>& condition,
                           milliseconds deadline) {
  image last;
  const bool met = wait_until(deadline, [&] {
    last = shot(w);
    return condition(last);
  });
  if (!met) {
    const std::string path = testing::TempDir() + "e2e_failure_" +
                             testing::UnitTest::GetInstance()->current_test_info()->name() + ".ppm";
    save_ppm(last, path);
    ADD_FAILURE() << "the window never showed what was expected; last picture in " << path;
  }
  return met;
}

image RunningDemo::wait_until_still(Window w) {
  // Ten captures take longer than one tick of the timer, so a running animation shows a change among them.
  constexpr int captures = 10;
  image still;
  const bool met = wait_until(screen_deadline, [&] {
    still = shot(w);
    for (int i = 1; i < captures; ++i)
      if (!(shot(w) == still)) return false;
    return true;
  });
  EXPECT_TRUE(met) << "the picture never stood still";
  return still;
}

}  // namespace e2e
