// SPDX-License-Identifier: MIT
// The views that show the guide's ideas (the camera's numbers, the other ship's view volume, the bodies'
// frames) and the scene's time rate: each must show what the frame really does, and with every view off
// nothing may change.
#include <GL/glu.h>
#include <gmock/gmock.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "depth_view.h"
#include "gl_test_support.h"
#include "number_forms.h"
#include "overlay_text.h"
#include "pick_report.h"
#include "transform_chain.h"
#include "view_geometry.h"

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
  ASSERT_TRUE(gl_test::resize_window(gl_test::scout_window(), 400, 256));  // not square: the aspect counts
  gl_test::make_current(gl_test::scout_window());
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
  const auto rate_line = [] {
    const std::vector<std::string> lines = demo_camera_lines(MOTHER_SHIP);
    return *std::find_if(lines.begin(), lines.end(),
                         [](const std::string& l) { return l.rfind("scene", 0) == 0; });
  };
  EXPECT_EQ(rate_line(), "scene time x1");
  for (int k = 0; k < 3; ++k) press(']');
  EXPECT_EQ(rate_line(), "scene time x8");
  EXPECT_EQ(shown.time_rate, 8.0f);
  for (int tick = 0; tick < 10; ++tick) demo_idle(tick_s);
  const std::vector<float> fast = angles();
  gl_test::rebuild_scene();
  for (int tick = 0; tick < 80; ++tick) demo_idle(tick_s);
  const std::vector<float> slow = angles();
  for (size_t i = 0; i < fast.size(); ++i)
    EXPECT_NEAR(fast[i], slow[i], 1e-3f * std::fabs(slow[i]) + 1e-4f) << i;
  for (int k = 0; k < 4; ++k) press(']');
  EXPECT_EQ(shown.time_rate, 8.0f) << "8 is the fastest";
  for (int k = 0; k < 12; ++k) press('[');
  EXPECT_EQ(shown.time_rate, 1.0f / 16) << "1/16 the slowest";
  EXPECT_EQ(rate_line(), "scene time x1/16");
  press('m');
  EXPECT_EQ(shown.time_rate, 1.0f / 16) << "a reset leaves the rate";
}

TEST_F(CameraViews, ADotMovesThePausedSceneByOneTickAndARunningOneByNone) {
  const std::vector<float> start = angles();
  press('.');
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

// A line has no face to catch the lamps: lit as the filled sphere is, Earth's wireframe came out about
// (14, 35, 3), lost on black. Its lines must show in its own colour, bright.
TEST_F(CameraViews, AWireframeBodyIsBrightEnoughToSeeOnBlack) {
  press('g');
  press('o');
  frame();
  const std::vector<unsigned char> pixels = frame();
  const float* c = planet[EARTH]->color;
  const double c_length = std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
  int brightest = 0;
  for (size_t i = 0; i + 2 < pixels.size(); i += 3) {
    const double length = std::sqrt(
        double(pixels[i] * pixels[i] + pixels[i + 1] * pixels[i + 1] + pixels[i + 2] * pixels[i + 2]));
    if (length < 8 ||
        (pixels[i] * c[0] + pixels[i + 1] * c[1] + pixels[i + 2] * c[2]) / (length * c_length) < 0.98)
      continue;
    brightest = std::max({brightest, int(pixels[i]), int(pixels[i + 1]), int(pixels[i + 2])});
  }
  EXPECT_GE(brightest, 160) << "Earth's lines in Earth's hue";
  press('o');
  frame();
  float ambient[4];
  glGetFloatv(GL_LIGHT_MODEL_AMBIENT, ambient);
  EXPECT_THAT(ambient, testing::ElementsAre(0.2f, 0.2f, 0.2f, 1.0f)) << "the filled frame is lit as ever";
}

// The guide's experiment with "o" said that Earth's axes turn with its spin while the moon's do not, and
// the picture showed the opposite from a camera that followed Earth. As the guide now runs it, from a camera
// that does not turn: Earth's green axis changes its tilt to the vertical as Earth spins, its yellow spin
// axis keeps its tilt, and so does the moon's green axis; and the picture draws Earth's green axis where its
// matrix says, at the start and at the end.
TEST_F(CameraViews, TheGuidesAxesExperimentShowsWhatTheGuideSays) {
  for (const unsigned char key : std::string("o[[=====YYYYYZZZZZZZZZZ")) press(key);
  const auto tilt = [](const float* direction) {  // degrees from the world's vertical
    return std::acos(direction[1] / std::hypot(direction[0], direction[1], direction[2])) * 180 / M_PI;
  };
  const auto spin_axis = [](const body& b) {
    const float* m = b.world_pose;
    static float world[3];
    for (int i = 0; i < 3; ++i)
      world[i] = m[i] * b.spin_axis[0] + m[4 + i] * b.spin_axis[1] + m[8 + i] * b.spin_axis[2];
    return world;
  };
  // Whether the frame shows green where Earth's green axis ends, past its sphere.
  const auto green_axis_drawn = [] {
    const std::vector<unsigned char> pixels = frame();
    const float* m = planet[EARTH]->world_pose;
    const float reach = 1.4f * planet[EARTH]->radius;
    const std::array<float, 3> at = gl_test::window_point(
        {m[12] + reach * m[4], m[13] + reach * m[5], m[14] + reach * m[6]}, MOTHER_SHIP);
    int green = 0;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) {
        const size_t i = 3 * (size_t(int(at[1]) + dy) * gl_test::window_size_px + int(at[0]) + dx);
        green += pixels[i + 1] > 150 && pixels[i] < 120 && pixels[i + 2] < 120;
      }
    return green > 0;
  };
  frame();
  EXPECT_TRUE(green_axis_drawn()) << "at the start";
  double earth_pole_least = 180, earth_pole_most = 0;
  const double earth_spin_tilt = tilt(spin_axis(*planet[EARTH]));
  const double moon_pole_tilt = tilt(&planet[MOON]->world_pose[4]);
  for (int tick = 0; tick < 240; ++tick) {
    demo_idle(tick_s);
    frame();
    const double pole = tilt(&planet[EARTH]->world_pose[4]);
    earth_pole_least = std::min(earth_pole_least, pole);
    earth_pole_most = std::max(earth_pole_most, pole);
    ASSERT_NEAR(tilt(spin_axis(*planet[EARTH])), earth_spin_tilt, 0.01) << "tick " << tick;
    ASSERT_NEAR(tilt(&planet[MOON]->world_pose[4]), moon_pole_tilt, 0.01) << "tick " << tick;
  }
  EXPECT_GT(earth_pole_most - earth_pole_least, 10) << "Earth's green axis circles its spin axis";
  EXPECT_TRUE(green_axis_drawn()) << "at the end";
}

// "t" shows how a body's place is built. Its calls, replayed on the identity with a push per level, must
// give the body's world_pose: the Moon's chain holds Earth's orbit but not Earth's spin, Pluto's its tilt.
TEST_F(CameraViews, TheChainOfTransformsReplayedGivesTheBodysWorldPose) {
  frame();
  for (const body_name b : {MOON, PLUTO, SATURN}) {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const std::vector<chain_level> chain = compute_transform_chain(*planet[b]);
    for (const chain_level& level : chain) {
      glPushMatrix();
      for (const transform_call& call : level.calls) apply_transform_call(call);
    }
    EXPECT_THAT(gl_test::current_modelview(),
                testing::Pointwise(testing::FloatNear(1e-4f), planet[b]->world_pose))
        << demo_body_label(b);
    EXPECT_EQ(gl_test::modelview_depth(), int(chain.size()) + 1);
    for (size_t level = 0; level < chain.size(); ++level) glPopMatrix();
  }
  EXPECT_EQ(compute_transform_chain(*planet[MOON]).size(), 4u) << "star-field, Sun, Earth, Moon";
}

// The chain shown is the followed body's, else the last pick's nearest body, else the Sun's.
TEST_F(CameraViews, TheChainIsOfTheFollowedBodyElseTheLastPicksElseTheSuns) {
  frame();
  EXPECT_EQ(demo_chain_body().name, SUN);
  const std::array<float, 3> jupiter = gl_test::window_point(gl_test::body_centre(JUPITER), MOTHER_SHIP);
  const int x = int(jupiter[0]), y = gl_test::window_size_px - 1 - int(jupiter[1]);
  const gl_test::hit_list hits = gl_test::select(x, y);
  const int nearest = compute_nearest_hit(hits.data() + 1, int(hits[0]), int(hits.size()) - 1);
  ASSERT_EQ(nearest, JUPITER);
  demo_keyboard(' ', x, y);
  press('l');  // the pick made the ship follow Jupiter; LOOKAT leaves only the pick
  EXPECT_EQ(demo_chain_body().name, JUPITER);
  press('g');
  EXPECT_EQ(demo_chain_body().name, EARTH);
  press('t');
  frame();
  EXPECT_TRUE(demo_camera_band_lines(SCOUT_SHIP).empty()) << "t only in the window of the ship with the keys";
  EXPECT_EQ(demo_camera_band_lines(MOTHER_SHIP), demo_chain_lines());
  const std::vector<std::string> lines = demo_chain_lines();
  ASSERT_GE(lines.size(), 9u);
  EXPECT_EQ(lines[7].substr(0, 15), "Earth, depth 4:") << "each call on a line of its own";
  // After two minutes at rate 8 the angles run to tens of thousands of degrees: each is written out, never
  // with an exponent, and beside it the same angle within a turn.
  shown.time_rate = 8;
  for (int tick = 0; tick < 3600; ++tick) demo_idle(tick_s);
  frame();
  const std::string earth = demo_chain_lines()[8];
  EXPECT_EQ(earth.find("e+"), std::string::npos) << earth;
  EXPECT_EQ(earth.find("e-0"), std::string::npos) << earth;
  const size_t turn = earth.find("[= ");
  ASSERT_NE(turn, std::string::npos) << earth;
  const double within = std::atof(earth.c_str() + turn + 3);
  EXPECT_TRUE(within >= 0 && within < 360) << earth;
  planet[EARTH]->orbit_angle = planet[EARTH]->spin_angle = 360;  // a whole turn exactly is past a turn too
  frame();
  int whole_turns = 0;
  for (const std::string& line : demo_chain_lines())
    if (line.find("glRotatef(360,") != std::string::npos) {
      EXPECT_EQ(line.substr(line.size() - 6), " [= 0]") << line;
      ++whole_turns;
    }
  EXPECT_EQ(whole_turns, 2);
}

// The number forms a student redoes: no "-0" where only zeros show, no exponent, no trailing zeros.
TEST(NumberForms, NoMinusZeroNoExponentNoTrailingZeros) {
  EXPECT_EQ(compute_number_text(-0.00004, 4), "0");
  EXPECT_EQ(compute_number_text(-0.00051, 3), "-0.001") << "only what rounds to zero loses its sign";
  EXPECT_EQ(compute_wrapped_lines({{"abcd", "ef"}}, 8), std::vector<std::string>{"abcd  ef"})
      << "a line just full";
  EXPECT_EQ(compute_number_text(2048000, 4), "2048000");
  EXPECT_EQ(compute_significant_text(double(0.1f) / 1024, 4), "0.00009766");
}

// "k" reports a pick's records as the buffer holds them: z as an unsigned 32-bit number, as window depth
// z / (2^32 - 1) (not 2^31 - 1, which would make the far half read as beyond the far plane) and as distance;
// the record the walk chose, the first with the smallest z1, marked.
TEST(PickReport, EachRecordWithItsDepthsAndTheWalksChoiceMarked) {
  pick_report pick;
  pick.x = 100;
  pick.y = 30;
  pick.window_height = 512;
  pick.viewport = {0, 0, 512, 512};
  pick.hits = 4;
  // The last record, drawn with no name, ends exactly at the buffer's end and is listed all the same.
  pick.buffer = {1, 2147483647u, 4294967295u, STARFIELD, 1, 1000, 2000, SUN, 1, 1000, 3000, MOON, 0, 5, 6};
  pick.outcome = "the Sun is never followed";
  const std::vector<std::string> lines = compute_pick_lines(
      pick, [](unsigned int n) { return std::string(demo_body_label(body_name(n))); }, 0.1, 2000);
  ASSERT_EQ(lines.size(), 11u);
  EXPECT_EQ(lines[0], "last pick: gluPickMatrix(100, 482, 10, 10, {0, 0, 512, 512})");
  EXPECT_EQ(lines[1], "glRenderMode(GL_RENDER) returned 4");
  EXPECT_EQ(lines[2], "  Star-field: z1 2147483647 (0.5000000, 0.2 units)");
  EXPECT_EQ(lines[3], "              z2 4294967295 (1.0000000, 2000 units)") << "z2 under z1";
  EXPECT_EQ(lines[4].substr(0, 7), "* Sun: ") << "the first of the two nearest";
  EXPECT_EQ(lines[6].substr(0, 8), "  Moon: ");
  EXPECT_EQ(lines[8].substr(0, 10), "  : z1 5 (");
  EXPECT_EQ(lines[10], "the Sun is never followed");
  // A student redoes near * far / (far - depth * (far - near)) on the depth as shown: it must give the
  // distance shown to its third digit, near the camera and far from it.
  for (const double depth : {0.990415, 0.99904, 0.999317, 0.99995, 0.9999917}) {
    pick.hits = 1;
    pick.buffer = {1, unsigned(depth * 4294967295.0), 0, SUN};
    double shown_depth = 0, shown_distance = 0;
    const std::string line = compute_pick_lines(
        pick, [](unsigned int) { return "b"; }, 0.1, 2000)[2];
    ASSERT_EQ(std::sscanf(line.c_str(), "%*c b: z1 %*u (%lf, %lf units)", &shown_depth, &shown_distance), 2)
        << line;
    const double redone = 0.1 * 2000 / (2000 - shown_depth * (2000 - 0.1));
    EXPECT_NEAR(redone, shown_distance, 0.5 * std::pow(10.0, std::floor(std::log10(shown_distance)) - 2))
        << line;
  }
}

// In the window where it ran, the band lists the very records the selection pass returns, marks the body
// the pick found, and outlines the region where the pointer was, GLUT's y flipped.
TEST_F(CameraViews, TheLastPickShowsItsRecordsAndItsRegionWhereThePointerWas) {
  frame();
  const gl_test::hit_list hits = gl_test::select(100, 400);
  press('k');
  demo_keyboard(' ', 100, 400);
  gl_test::make_current(gl_test::mother_window());
  const std::vector<unsigned char> pixels = frame();
  const std::vector<std::string> lines = demo_pick_lines(MOTHER_SHIP);
  ASSERT_EQ(lines.size(), 2 * hits[0] + 3) << "the call, the count, two lines per record, the outcome";
  const int nearest = compute_nearest_hit(hits.data() + 1, int(hits[0]), int(hits.size()) - 1);
  ASSERT_GE(nearest, 0);
  int marked = 0;
  for (size_t i = 2; i < lines.size() - 1; ++i)
    if (lines[i][0] == '*') {
      ++marked;
      EXPECT_EQ(lines[i].substr(2, std::string(demo_body_label(body_name(nearest))).size()),
                demo_body_label(body_name(nearest)));
    }
  EXPECT_EQ(marked, 1);
  const auto lit = [&](int x, int y) {
    const size_t i = 3 * (size_t(y) * gl_test::window_size_px + x);
    return pixels[i] > 200 && pixels[i + 1] > 200 && pixels[i + 2] > 100 && pixels[i + 2] < 190;
  };
  const int y = gl_test::window_size_px - 400;
  for (const auto& corner :
       {std::array<int, 2>{94, y - 6}, {105, y - 6}, {105, y + 5}, {94, y + 5}, {100, y - 6}})
    EXPECT_TRUE(lit(corner[0], corner[1])) << corner[0] << "," << corner[1];
  int across = 0;  // the left edge, wide enough to see from the back of a room
  for (int x = 88; x < 100; ++x) across += lit(x, y);
  EXPECT_EQ(across, 2);
  EXPECT_TRUE(demo_camera_band_lines(SCOUT_SHIP).empty()) << "k only where the pick ran";
}

// With "k" and "v" on, the other window draws what the selection pass looked at: from the picking eye
// through the region's corners out to the chosen record's depth. Its corners must be where gluUnProject takes
// the region's corners at that window depth, through the picking window's matrices and viewport as a normal
// frame leaves them (the selection pass narrows the projection; a state kept from it would pass otherwise).
TEST_F(CameraViews, ThePickVolumeReachesTheRegionsCornersAtTheChosenDepth) {
  press('k');
  press('v');
  struct pick_case {
    ship_name window;
    int width, height, x, y_from_top;
    int narrower = 0;  // "(" pressed after the frame, in the same burst of keys as the pick
  };
  // Over nothing but the star-field, from either window and in a wide one whose lens a key has just changed;
  // then over Jupiter, which the mother ship then follows: the volume stays where the pick looked from.
  const pick_case cases[] = {{SCOUT_SHIP, 512, 512, 300, 100},
                             {MOTHER_SHIP, 700, 300, 80, 250, 4},
                             {MOTHER_SHIP, 512, 512, 220, 300}};
  float picked_from_z = 0;  // the picking camera's translation along z, which a ship sent away changes
  for (const pick_case& pick : cases) {
    const int window = pick.window == MOTHER_SHIP ? gl_test::mother_window() : gl_test::scout_window();
    ASSERT_TRUE(gl_test::resize_window(window, pick.width, pick.height));
    gl_test::make_current(window);
    frame();
    GLdouble projection[16], view[16];
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    for (int key = 0; key < pick.narrower; ++key) demo_keyboard('(', 0, 0);
    gl_test::make_current(window);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(70 - 5 * pick.narrower, float(pick.width) / float(pick.height), 0.1f, 2000);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glMatrixMode(GL_MODELVIEW);
    for (int i = 0; i < 16; ++i) view[i] = ships[pick.window]->pose[i];
    picked_from_z = ships[pick.window]->pose[14];
    const gl_test::hit_list hits = gl_test::select(pick.x, pick.y_from_top);
    unsigned int nearest = 0xffffffffu;
    for (size_t read = 1, record = 0; record < hits[0]; ++record, read += 3 + hits[read])
      nearest = std::min(nearest, hits[read + 1]);
    demo_keyboard(' ', pick.x, pick.y_from_top);
    demo_place_cameras();
    const ship_name other = ship_name((pick.window + 1) % ship_count);
    EXPECT_FALSE(demo_pick_volume(pick.window)) << "drawn in the other window only";
    const auto volume = demo_pick_volume(other);
    ASSERT_TRUE(volume);
    const double x = pick.x, y = pick.height - pick.y_from_top, depth = nearest / 4294967295.0;
    const double corners[4][2] = {{x - 5, y - 5}, {x + 5, y - 5}, {x + 5, y + 5}, {x - 5, y + 5}};
    for (int c = 0; c < 4; ++c) {
      point3 expected;
      ASSERT_TRUE(gluUnProject(corners[c][0], corners[c][1], depth, view, projection, viewport, &expected[0],
                               &expected[1], &expected[2]));
      for (int i = 0; i < 3; ++i)
        EXPECT_NEAR((*volume)[1 + c][i], expected[i], 1e-3 * (1 + std::fabs(expected[i])))
            << "at " << pick.x << " in a " << pick.width << "x" << pick.height << " window";
    }
    for (int key = 0; key < pick.narrower; ++key) demo_keyboard(')', 0, 0);
  }
  EXPECT_EQ(ships[MOTHER_SHIP]->get_mode(), GEOSYNCH) << "the last pick found a planet";
  EXPECT_NE(ships[MOTHER_SHIP]->pose[14], picked_from_z) << "and the mother ship has gone after it";
}

// --pick runs before the first frame, as start-up leaves the windows: its volume must be the one space at the
// same place draws once the windows have been drawn, in a window whose shape is not the square default.
TEST_F(CameraViews, APickBeforeTheFirstFrameHasTheVolumeOfTheSamePickAfterIt) {
  ASSERT_TRUE(gl_test::resize_window(gl_test::mother_window(), 800, 400));
  gl_test::rebuild_scene();  // the start-up of a program whose window has that size
  demo_type_keys("kv", 400, 200);
  demo_type_keys(" ", 100, 300);  // over the star-field alone: no ship moves
  const auto before_any_frame = demo_pick_volume(SCOUT_SHIP);
  for (const int window : {gl_test::mother_window(), gl_test::scout_window()}) {
    gl_test::make_current(window);
    frame();
  }
  gl_test::make_current(gl_test::mother_window());
  demo_keyboard(' ', 100, 300);
  const auto after_frames = demo_pick_volume(SCOUT_SHIP);
  ASSERT_TRUE(before_any_frame && after_frames);
  for (int corner = 0; corner < 5; ++corner)
    for (int i = 0; i < 3; ++i)
      EXPECT_NEAR((*before_any_frame)[corner][i], (*after_frames)[corner][i], 1e-9) << "corner " << corner;
}

// Each view drawn and taken away again must leave the frame byte for byte as it was (no line width, polygon
// mode or smoothing left behind), and none may change what a pick finds.
TEST_F(CameraViews, EachViewToggledTwiceLeavesTheFrameAndThePicksAsTheyWere) {
  frame();
  const std::vector<unsigned char> before = frame();
  const int points[][2] = {{256, 256}, {6, 6}, {300, 280}, {100, 300}, {256, 70}, {220, 300}};
  std::vector<gl_test::hit_list> found;
  for (const auto& p : points) found.push_back(gl_test::select(p[0], p[1]));
  for (unsigned char key : {'i', 'v', 'o', 'k', 't'}) {
    press(key);
    EXPECT_NE(frame(), before) << key << " shows";
    press(key);
    EXPECT_EQ(frame(), before) << "in the first frame after " << key << " twice";
  }
  // A view drawn in the selection pass would add records of its own, even where it names nothing.
  for (unsigned char key : {'i', 'v', 'o', 'k', 't'}) press(key);
  frame();
  for (size_t k = 0; k < found.size(); ++k)
    EXPECT_EQ(gl_test::select(points[k][0], points[k][1]), found[k]) << "at " << points[k][0];
}

// The volume is drawn from the other ship's camera as it stands now and the other window's own aspect: one
// frame after "g" it must already be the followed body's view, and its rectangle as wide as that window.
TEST_F(CameraViews, TheViewVolumeIsTheOtherCamerasAsItStandsNowInItsOwnWindowsShape) {
  ASSERT_TRUE(gl_test::resize_window(gl_test::scout_window(), 400, 200));
  gl_test::make_current(gl_test::scout_window());
  gl_test::draw_frame();
  gl_test::make_current(gl_test::mother_window());
  gl_test::draw_frame();
  std::optional<std::array<point3, 5>> volume = demo_view_volume(MOTHER_SHIP);
  ASSERT_TRUE(volume);
  const auto distance = [](const point3& a, const point3& b) {
    return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
  };
  EXPECT_NEAR(distance((*volume)[1], (*volume)[2]) / distance((*volume)[2], (*volume)[3]), 2.0, 1e-6)
      << "the scout window is twice as wide as high";
  // A body's ring in that window lies its clearance outside the Sun's disc as GLU projects the disc's top.
  const body& sun = *planet[SUN];
  const float* pose = ships[SCOUT_SHIP]->pose;
  const double* projection = window_states[SCOUT_SHIP].projection.data();
  const int viewport[4] = {0, 0, 400, 200};
  GLdouble model[16], centre[3], top[3];
  std::copy(pose, pose + 16, model);
  const std::array<float, 3> at = sun.centre();
  gluProject(at[0], at[1], at[2], model, projection, viewport, &centre[0], &centre[1], &centre[2]);
  gluProject(at[0] + sun.radius * pose[1], at[1] + sun.radius * pose[5], at[2] + sun.radius * pose[9], model,
             projection, viewport, &top[0], &top[1], &top[2]);
  const std::vector<float> ring = compute_body_ring(at, sun.radius, pose, projection, viewport);
  ASSERT_FALSE(ring.empty());
  EXPECT_NEAR(std::hypot(ring[0] - centre[0], ring[1] - centre[1]),
              std::hypot(top[0] - centre[0], top[1] - centre[1]) + 4, 0.01);

  press('<');
  press('g');  // the scout follows Earth; no scout frame is drawn before the volume is asked for
  volume = demo_view_volume(MOTHER_SHIP);
  ASSERT_TRUE(volume);
  const std::array<float, 3> earth = gl_test::body_centre(EARTH);
  EXPECT_NEAR(distance((*volume)[0], {earth[0], earth[1], earth[2]}), ships[SCOUT_SHIP]->geosynch_distance,
              1e-3)
      << "the eye is where GEOSYNCH puts it, not where the LOOKAT frame left it";

  press('l');
  ships[SCOUT_SHIP]->origin[2] = -3000;  // 3100 units ahead, beyond the far plane
  volume = demo_view_volume(MOTHER_SHIP);
  ASSERT_TRUE(volume);
  const camera_place scout = ships[SCOUT_SHIP]->locate_camera();
  for (int corner = 1; corner <= 4; ++corner) {
    double depth = 0;
    for (int i = 0; i < 3; ++i) depth += ((*volume)[corner][i] - scout.eye[i]) * scout.forward[i];
    EXPECT_NEAR(depth, 2000, 1e-2) << "corner " << corner << " ends at the far plane";
  }
}

// A camera whose view has no inverse must say so and place nothing: with a zero up vector the view is blank,
// and names placed through the un-inverted matrix would stand at the window's centre over nothing.
TEST_F(CameraViews, AViewWithNoInverseSaysWhyAndGetsNoNamesAndNoVolume) {
  press('E');
  EXPECT_EQ(ships[MOTHER_SHIP]->locate_camera().fault, std::string("no inverse: the up vector is zero"));
  frame();  // stores the singular view, which RELATIVE then turns from
  press('r');
  const std::vector<unsigned char> blank = frame();
  const std::vector<std::string> lines = demo_camera_lines(MOTHER_SHIP);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "no inverse: the view matrix is singular"), lines.end());
  EXPECT_EQ(
      std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("eye", 0) == 0; }),
      0)
      << "no eye is shown for a camera that has none";
  press('n');
  EXPECT_EQ(frame(), blank) << "no names";
  EXPECT_FALSE(demo_view_volume(SCOUT_SHIP)) << "no volume for the mother ship in the scout window";
}

// 219 presses of "=" would make the step infinite and the camera NaN, and a NaN position cast to int is
// undefined. The step stops at the largest finite one and says so; a view flown to infinity anyway draws
// nothing from it.
TEST_F(CameraViews, TheStepStopsBeforeInfinityAndSaysSo) {
  for (int k = 0; k < 300; ++k) press('=');
  EXPECT_TRUE(std::isfinite(ships[MOTHER_SHIP]->lookat_speed));
  EXPECT_GT(ships[MOTHER_SHIP]->lookat_speed, 1e38f);
  const std::vector<std::string> status = demo_status_lines(MOTHER_SHIP);
  EXPECT_TRUE(status[1].find(", the largest") != std::string::npos) << status[1];
  press('-');
  EXPECT_EQ(demo_status_lines(MOTHER_SHIP)[1].find("largest"), std::string::npos);
  // Flown with it anyway, the view runs to infinity: every view must then draw nothing from it.
  for (unsigned char key : {'n', 'i', 'v', 'r'}) press(key);
  for (int k = 0; k < 300; ++k) press('=');
  for (int k = 0; k < 3; ++k) press('w');
  for (int window : {gl_test::scout_window(), gl_test::mother_window()}) {
    gl_test::make_current(window);
    gl_test::draw_frame();
  }
  const camera_place place = ships[MOTHER_SHIP]->locate_camera();
  ASSERT_NE(place.fault, nullptr);
  const std::vector<std::string> lines = demo_camera_lines(MOTHER_SHIP);
  EXPECT_NE(std::find(lines.begin(), lines.end(), place.fault), lines.end());
  EXPECT_FALSE(demo_view_volume(SCOUT_SHIP));
}

}  // namespace

// The projection keys change what the active ship's window loads: GLU's own matrix for the new numbers; the
// other window's volume ends at the near plane pushed past the target; a near plane doubled onto the far one
// is refused, saying why; "m" brings back the start-up picture byte for byte.
TEST_F(CameraViews, TheProjectionKeysChangeWhatTheFrameLoadsAndMPutsItBack) {
  press('p');
  gl_test::make_current(gl_test::scout_window());
  gl_test::draw_frame();  // the scout ship's model stands where its own window places it
  gl_test::make_current(gl_test::mother_window());
  frame();  // a context's first frame has no line smoothing yet
  const std::vector<unsigned char> start = frame();
  for (const unsigned char key : {'(', '(', '(', '('}) press(key);
  gl_test::draw_frame();
  GLdouble loaded[16], glu[16];
  glGetDoublev(GL_PROJECTION_MATRIX, loaded);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluPerspective(50, 1.0, 0.1f, 2000);
  glGetDoublev(GL_PROJECTION_MATRIX, glu);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(loaded[i], glu[i]) << i;
  EXPECT_THAT(demo_camera_lines(MOTHER_SHIP), testing::Contains("gluPerspective(50, 1.00, 0.1, 2000)"));
  for (int doubling = 0; doubling < 11; ++doubling) press('}');  // 204.8, beyond the target at 130
  gl_test::draw_frame();
  const auto volume = demo_view_volume(SCOUT_SHIP);
  ASSERT_TRUE(volume.has_value());
  EXPECT_NEAR(compute_eye_depth(ships[MOTHER_SHIP]->pose, (*volume)[1]), 0.1f * 2048, 1e-6);
  for (int doubling = 0; doubling < 3; ++doubling) press('}');  // 1638.4, then 3276.8 would pass 2000
  press('}');
  EXPECT_DOUBLE_EQ(window_states[MOTHER_SHIP].lens.near_distance, double(0.1f) * 16384);
  EXPECT_STREQ(current_notice(), "the near plane must stay nearer than the far plane");
  // "i" shows the entry that places the planes to every digit the frame's call computes, in double (the
  // driver's float copy reads -18123.8945).
  gl_test::draw_frame();
  char entry[32];
  std::snprintf(entry, sizeof entry, "%.4f ]", -2 * (0.1f * 16384.0) * 2000 / (2000 - 0.1f * 16384.0));
  EXPECT_THAT(demo_camera_lines(MOTHER_SHIP), testing::Contains(testing::EndsWith(entry)));
  // Each window loads its own lens: the scout's is still the start-up one, until its own keys change it.
  gl_test::make_current(gl_test::scout_window());
  gl_test::draw_frame();
  glGetDoublev(GL_PROJECTION_MATRIX, loaded);
  EXPECT_NEAR(loaded[5], 1 / std::tan(35 * M_PI / 180), 1e-6) << "the scout window loads 70 degrees";
  gl_test::make_current(gl_test::mother_window());
  // Every limit, reached and then refused with its word: 170 degrees, 1/1024 and 1024 times the start.
  press('<');
  for (const auto& [key, presses, field, reached, said] :
       {std::tuple{')', 20, &projection_lens::field_of_view, 170.0, "runs from 5 to 170 degrees"},
        std::tuple{'(', 33, &projection_lens::field_of_view, 5.0, "runs from 5 to 170 degrees"},
        std::tuple{'{', 10, &projection_lens::near_distance, double(0.1f) / 1024, "1/1024 of"},
        std::tuple{'+', 10, &projection_lens::far_distance, 2000.0 * 1024, "1024 times its start"}}) {
    for (int i = 0; i <= presses; ++i) press(key);  // one past the limit
    EXPECT_EQ(window_states[SCOUT_SHIP].lens.*field, reached) << key;
    ASSERT_NE(current_notice(), nullptr) << key;
    EXPECT_NE(std::string(current_notice()).find(said), std::string::npos) << current_notice();
  }
  press('m');  // with the scout's keys: the mother window's lens, back too, makes the start-up frame below
  EXPECT_TRUE(window_states[SCOUT_SHIP].lens.field_of_view == 70 &&
              window_states[SCOUT_SHIP].lens.near_distance == 0.1f &&
              window_states[SCOUT_SHIP].lens.far_distance == 2000);
  press('>');
  for (int tick = 0; tick < 90; ++tick) demo_idle(tick_s);  // the word's three seconds, paused
  EXPECT_EQ(frame(), start);
}

// The depth view shows, where a body is drawn, the grey of the window depth the buffer holds there, which
// lies between the depths of the body's centre and of its nearest point.
TEST_F(CameraViews, TheDepthViewsGreyAtABodysCentreIsItsWindowDepth) {
  for (const unsigned char key : {'p', 'u', '}', '}', '}', '}', '}', '}', '}', '}', '}', '}'}) press(key);
  const std::vector<unsigned char> pixels = frame();
  // Each window's line names its own planes, the mother's moved out by her keys.
  EXPECT_EQ(demo_camera_band_topics(MOTHER_SHIP, false).at(0).at(0),
            "depth as grey: white at near 102.4, black at far 2000");
  EXPECT_EQ(demo_camera_band_topics(SCOUT_SHIP, false).at(0).at(0),
            "depth as grey: white at near 0.1, black at far 2000");
  const std::array<float, 3> centre = gl_test::body_centre(SUN);
  const std::array<float, 3> at = gl_test::window_point(centre, MOTHER_SHIP);
  const int x = int(at[0]), y = int(at[1]);
  GLuint buffer_depth = 0;
  glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, &buffer_depth);
  const unsigned char grey = pixels[3 * (size_t(y) * gl_test::window_size_px + x)];
  EXPECT_EQ(grey, std::lround(255 * (1 - buffer_depth / 4294967295.0)));
  const std::array<double, 3> eye = ships[MOTHER_SHIP]->locate_camera().eye;
  std::array<float, 3> nearest = centre;
  const double apart = std::hypot(eye[0] - centre[0], eye[1] - centre[1], eye[2] - centre[2]);
  for (int i = 0; i < 3; ++i) nearest[i] += float((eye[i] - centre[i]) / apart * planet[SUN]->radius);
  const double far_grey = 255 * (1 - at[2]),
               near_grey = 255 * (1 - gl_test::window_point(nearest, MOTHER_SHIP)[2]);
  EXPECT_GE(grey, far_grey - 1);
  EXPECT_LE(grey, near_grey + 1);
  EXPECT_GT(grey, 100) << "the near plane at 102.4 spreads the greys";
  // Across a window wider than high, every pixel's three channels are its own depth as grey, rounded.
  ASSERT_TRUE(gl_test::resize_window(gl_test::mother_window(), 500, 300));
  gl_test::draw_frame();
  for (int y = 5; y < 300; y += 37)
    for (int x = 7; x < 500; x += 53) {
      GLuint depth = 0;
      glReadPixels(x, y, 1, 1, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, &depth);
      const gl_test::rgb p = gl_test::read_pixel(x, y);
      const long expected = std::lround(255 * (1 - depth / 4294967295.0));
      EXPECT_TRUE(p.r == expected && p.g == expected && p.b == expected)
          << "at " << x << "," << y << ": " << p.r << "," << p.g << "," << p.b << " for " << expected;
    }
  // Memory: one window's read-back at most, kept for an ordinary window, given back while the view is off
  // and after a larger window's frame.
  EXPECT_EQ(depth_view_held_bytes(), size_t(4) * gl_test::window_size_px * gl_test::window_size_px);
  for (const auto& [key, width, height] : {std::tuple{'u', 500, 300}, {'u', 1100, 1000}}) {
    press(key);
    ASSERT_TRUE(gl_test::resize_window(gl_test::mother_window(), width, height));
    gl_test::draw_frame();
    EXPECT_EQ(depth_view_held_bytes(), 0u) << "u pressed again, then a frame of " << width << "x" << height;
  }
}
