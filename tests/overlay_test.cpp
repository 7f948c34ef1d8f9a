// SPDX-License-Identifier: MIT
// The status and names overlays: text over the finished frame that changes nothing else, neither the
// picture around it nor what a pick finds.
#include <cmath>
#include <vector>

#include "gl_test_support.h"

namespace {

class Overlays : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    status_overlay_on = names_overlay_on = false;
  }
  void TearDown() override {
    status_overlay_on = names_overlay_on = false;
    GlTest::TearDown();
  }
  // A key through the command table, then back to drawing the mother window, as the scene stands still.
  void press(unsigned char key) {
    demo_keyboard(key, 256, 256);
    gl_test::make_current(gl_test::mother_window());
  }
  std::vector<unsigned char> frame() {
    gl_test::draw_frame();
    return gl_test::read_frame();
  }
};

bool is_text(const std::vector<unsigned char>& frame, int x, int y) {
  const size_t i = 3 * (size_t(y) * gl_test::window_size_px + x);
  return frame[i] > 200 && frame[i + 1] > 200 && frame[i + 2] > 100 && frame[i + 2] < 190;  // pale yellow
}

size_t bytes_differing(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  size_t count = 0;
  for (size_t i = 0; i < a.size(); ++i) count += a[i] != b[i];
  return count;
}

TEST_F(Overlays, ToggledOnAndOffAgainTheFrameIsByteIdentical) {
  frame();  // a context's first frame draws the orbits before Saturn turns line smoothing on
  const std::vector<unsigned char> before = frame();
  for (unsigned char key : {'h', 'n'}) {
    press(key);
    EXPECT_GT(bytes_differing(frame(), before), 0u) << "the overlay of " << key << " shows";
    press(key);
    EXPECT_EQ(bytes_differing(frame(), before), 0u) << "after " << key << " twice";
  }
}

TEST_F(Overlays, StatusSitsTopLeftAndKeysAlongTheBottomAndNothingElseChanges) {
  frame();
  const std::vector<unsigned char> without = frame();
  press('h');
  const std::vector<unsigned char> with = frame();
  constexpr int size = gl_test::window_size_px;
  // Three status lines from the top, six key lines (LOOKAT's two and the commands' two, and room) up from
  // the bottom, 15 pixels apart.
  const auto in_status = [](int x, int y) { return y >= size - 6 - 3 * 15 - 4 && x < 8 + 8 * 26; };
  const auto in_keys = [](int y) { return y < 6 + 4 * 15 + 2; };
  int status_text = 0, key_text = 0, stray = 0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const size_t i = 3 * (size_t(y) * size + x);
      const bool changed =
          with[i] != without[i] || with[i + 1] != without[i + 1] || with[i + 2] != without[i + 2];
      if (!changed) continue;
      if (in_status(x, y))
        status_text += is_text(with, x, y);
      else if (in_keys(y))
        key_text += is_text(with, x, y);
      else
        ++stray;
    }
  EXPECT_GT(status_text, 100) << "\"Mother Ship, has the keys\" and the mode at the top left";
  EXPECT_GT(key_text, 400) << "four lines of keys along the bottom";
  EXPECT_EQ(stray, 0) << "pixels changed outside the text";
}

TEST_F(Overlays, ABodysNameStandsBesideItsCentre) {
  frame();
  const std::vector<unsigned char> without = frame();
  press('n');
  const std::vector<unsigned char> with = frame();
  const std::array<float, 3> centre = gl_test::window_point(gl_test::body_centre(JUPITER), MOTHER_SHIP);
  ASSERT_TRUE(centre[2] > 0 && centre[2] < 1) << "Jupiter lies in front of the camera";
  const int x = int(centre[0]), y = int(centre[1]);
  // "Jupiter" in 8-pixel letters, from 8 pixels right of and above the centre.
  int text = 0;
  for (int py = y + 8; py < y + 8 + 13; ++py)
    for (int px = x + 8; px < x + 8 + 7 * 8; ++px) text += is_text(with, px, py) && !is_text(without, px, py);
  EXPECT_GT(text, 40) << "near " << x << "," << y;
}

TEST_F(Overlays, PicksFindTheSameBodiesWithTheOverlaysOn) {
  std::vector<int> found;
  const int points[][2] = {{256, 256}, {6, 6}, {20, 500}, {300, 280}, {100, 300}, {256, 70}};
  for (const auto& p : points) found.push_back(demo_pick(p[0], p[1]));
  press('h');
  press('n');
  for (size_t k = 0; k < found.size(); ++k)
    EXPECT_EQ(demo_pick(points[k][0], points[k][1]), found[k])
        << "at " << points[k][0] << "," << points[k][1];
}

// At start-up the names used to pile up ("Mercury" over "Sun"): of two that would overlap only the nearer
// body's may be placed, whatever the order asked in, and none may sit on a status band.
TEST(LabelLayout, TheNearerOfTwoOverlappingNamesIsPlacedAndNoneOnABand) {
  const float view[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};  // at the origin, looking down -z
  const double f = 1 / std::tan(35.0 * M_PI / 180), n = 0.1, z = 2000;      // 70 degrees, near and far planes
  const double projection[16] = {
      f, 0, 0, 0, 0, f, 0, 0, 0, 0, (z + n) / (n - z), -1, 0, 0, 2 * z * n / (n - z), 0};
  const int viewport[4] = {0, 0, 512, 512};
  const std::vector<label_request> requests = {{"Far", {0.2f, 0.1f, -20}}, {"Near", {0.1f, 0, -10}}};
  const std::vector<placed_label> placed = compute_label_layout(requests, view, projection, viewport, {});
  ASSERT_EQ(placed.size(), 1u);
  EXPECT_EQ(placed[0].text, "Near");
  EXPECT_EQ(placed[0].x, 256 + int(0.1 / 10 * f * 256) + 8);
  const window_rect band = {0, 200, 512, 300};
  EXPECT_TRUE(compute_label_layout({requests[1]}, view, projection, viewport, {band}).empty());
}

}  // namespace
