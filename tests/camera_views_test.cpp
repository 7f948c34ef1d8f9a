// SPDX-License-Identifier: MIT
// The views that show the guide's ideas (the camera's numbers, the other ship's view volume, the bodies'
// frames) and the scene's time rate: each must show what the frame really does, and with every view off
// nothing may change.
#include "camera_views.h"

#include <GL/glu.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "gl_test_support.h"

namespace {

constexpr float tick_s = compute_timer_step_s(default_timer_period_ms);

class CameraViews : public GlTest {
 protected:
  static void press(unsigned char key) { gl_test::press(key); }
  static std::vector<unsigned char> frame() { return gl_test::draw_and_read_frame(); }
  // Every body's two angles, in catalogue order.
  static std::vector<float> angles() {
    std::vector<float> all;
    for (const body* b : planet) all.insert(all.end(), {b->orbit_angle, b->spin_angle});
    return all;
  }
};

// The corners the mother window draws for the scout must be where the scout's own window puts its corners:
// gluUnProject of that window's corner pixels, through its real projection, at the depth of its target.
TEST_F(CameraViews, TheViewVolumesCornersAreTheOtherWindowsCornersTakenBackIntoTheWorld) {
  gl_test::make_current(gl_test::scout_window());
  glutReshapeWindow(400, 256);  // not square, so that the aspect counts
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (glutGet(GLUT_WINDOW_WIDTH) != 400 && std::chrono::steady_clock::now() < deadline)
    gl_test::handle_pending_events();
  ASSERT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 256);
  ships[SCOUT_SHIP]->move_lookat_origin(7, -3, 2);
  gl_test::draw_frame();
  GLdouble projection[16], view[16];
  GLint viewport[4];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  for (int i = 0; i < 16; ++i) view[i] = ships[SCOUT_SHIP]->pose[i];
  const ship& scout = *ships[SCOUT_SHIP];
  const double depth = compute_eye_depth(scout.pose, {scout.origin[0], scout.origin[1], scout.origin[2]});
  EXPECT_NEAR(depth, std::sqrt(7 * 7 + 53 * 53 + 98 * 98), 1e-3) << "the target lies on the viewing axis";

  const std::array<double, 16> computed = compute_perspective(70, 400.0f / 256.0f, 0.1f, 2000);
  const std::array<point3, 5> volume = compute_view_volume(scout.pose, computed.data(), depth);
  EXPECT_NEAR(volume[0][0], 0, 1e-3);
  EXPECT_NEAR(volume[0][1], 50, 1e-3);
  EXPECT_NEAR(volume[0][2], 100, 1e-3);
  // The window depth of the target, through the window's own projection.
  double x, y, window_depth;
  gluProject(scout.origin[0], scout.origin[1], scout.origin[2], view, projection, viewport, &x, &y,
             &window_depth);
  const int corners[4][2] = {{0, 0}, {400, 0}, {400, 256}, {0, 256}};
  for (int c = 0; c < 4; ++c) {
    double expected[3];
    ASSERT_TRUE(gluUnProject(corners[c][0], corners[c][1], window_depth, view, projection, viewport,
                             &expected[0], &expected[1], &expected[2]));
    for (int axis = 0; axis < 3; ++axis)
      EXPECT_NEAR(volume[1 + c][axis], expected[axis], 1e-3 * depth) << "corner " << c << ", axis " << axis;
  }
}

// The readout must print the matrix the frame loads, not a copy that could drift from it.
TEST_F(CameraViews, TheReadoutShowsTheMatrixAndProjectionTheFrameUsed) {
  press('g');
  for (int tick = 0; tick < 17; ++tick) demo_idle(tick_s);
  press('i');
  gl_test::draw_frame();
  float loaded[16];
  double projection[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, loaded);
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  const std::vector<std::string> lines = demo_camera_lines(MOTHER_SHIP);
  ASSERT_GE(lines.size(), 5u);
  for (int row = 0; row < 4; ++row) {
    float shown[4];
    ASSERT_EQ(std::sscanf(lines[lines.size() - 4 + row].c_str(), "[ %f %f %f %f ]", &shown[0], &shown[1],
                          &shown[2], &shown[3]),
              4)
        << lines[lines.size() - 4 + row];
    for (int column = 0; column < 4; ++column)
      EXPECT_NEAR(shown[column], loaded[4 * column + row], 6e-4) << "row " << row << ", column " << column;
  }
  char call[64];
  std::snprintf(call, sizeof call, "gluPerspective(70, %.2f, 0.1, 2000)", projection[5] / projection[0]);
  EXPECT_NE(std::find(lines.begin(), lines.end(), call), lines.end()) << call;
  EXPECT_NE(std::find(lines.begin(), lines.end(), "following Earth at distance 5"), lines.end());
}

TEST_F(CameraViews, ThreeDoublingsMakeTenTicksGoAsFarAsEighty) {
  for (int k = 0; k < 3; ++k) press(']');
  EXPECT_EQ(time_rate, 8.0f);
  for (int tick = 0; tick < 10; ++tick) demo_idle(tick_s);
  const std::vector<float> fast = angles();
  gl_test::rebuild_scene();
  for (int tick = 0; tick < 80; ++tick) demo_idle(tick_s);
  const std::vector<float> slow = angles();
  for (size_t i = 0; i < fast.size(); ++i)
    EXPECT_NEAR(fast[i], slow[i], 1e-3f * std::fabs(slow[i]) + 1e-4f) << i;
  for (int k = 0; k < 4; ++k) press(']');
  EXPECT_EQ(time_rate, 8.0f) << "8 is the fastest";
  for (int k = 0; k < 12; ++k) press('[');
  EXPECT_EQ(time_rate, 1.0f / 16) << "1/16 the slowest";
  press('m');
  EXPECT_EQ(time_rate, 1.0f / 16) << "a reset leaves the rate";
}

TEST_F(CameraViews, ADotMovesThePausedSceneByOneTickAndARunningOneByNone) {
  press('.');
  const std::vector<float> start = angles();
  EXPECT_EQ(angles(), start) << "running, \".\" does nothing";
  press('p');
  press('.');
  const std::vector<float> stepped = angles();
  gl_test::rebuild_scene();
  demo_idle(tick_s);
  EXPECT_EQ(stepped, angles()) << "one tick, exactly";
  frozen = true;
  demo_idle(tick_s);
  EXPECT_EQ(stepped, angles()) << "paused, the timer moves nothing";
}

// Each view drawn and taken away again must leave the frame byte for byte as it was (no line width, polygon
// mode or smoothing left behind), and none may change what a pick finds.
TEST_F(CameraViews, EachViewToggledTwiceLeavesTheFrameAndThePicksAsTheyWere) {
  frame();
  const std::vector<unsigned char> before = frame();
  const int points[][2] = {{256, 256}, {6, 6}, {300, 280}, {100, 300}, {256, 70}, {220, 300}};
  std::vector<int> found;
  for (const auto& p : points) found.push_back(demo_pick(p[0], p[1]));
  for (unsigned char key : {'i', 'v', 'o'}) {
    press(key);
    EXPECT_NE(frame(), before) << key << " shows";
    press(key);
    EXPECT_EQ(frame(), before) << "in the first frame after " << key << " twice";
  }
  for (unsigned char key : {'i', 'v', 'o'}) {
    press(key);
    for (size_t k = 0; k < found.size(); ++k)
      EXPECT_EQ(demo_pick(points[k][0], points[k][1]), found[k]) << key << " at " << points[k][0];
    press(key);
  }
}

}  // namespace
