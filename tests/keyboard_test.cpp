// SPDX-License-Identifier: MIT
// The demo's command table and picking, in-process on real rendered frames.
#include <GL/glu.h>
#include <gmock/gmock.h>

#include <cstring>
#include <sstream>
#include <tuple>

#include "gl_test_support.h"
#include "matrix_math.h"
#include "scene_steps.h"

using testing::ElementsAre;

namespace {

using matrix_math::vec3;

// Where a world point shows in the current window, in GLUT's pixels (origin top left), after a normal frame.
std::array<int, 2> on_screen(const vec3& world) {
  const vec3 at = gl_test::window_point(world, demo_get_current_window());
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  return {int(at[0]), viewport[3] - int(at[1])};
}

void look_from(ship& s, const vec3& eye, const vec3& target) {
  std::memcpy(s.eye, eye.data(), sizeof s.eye);
  std::memcpy(s.origin, target.data(), sizeof s.origin);
}

class CommandTable : public GlTest {
 protected:
  ship& mother() { return *ships[MOTHER_SHIP]; }
  ship& scout() { return *ships[SCOUT_SHIP]; }
  void press(unsigned char key, int x = 256, int y = 256) { demo_keyboard(key, x, y); }
};

TEST_F(CommandTable, AngleBracketsChooseTheShipThatReceivesKeys) {
  press('<');
  EXPECT_EQ(active_ship, SCOUT_SHIP);
  press('x');
  EXPECT_EQ(scout().eye[0], 1.0f);
  EXPECT_EQ(mother().eye[0], 0.0f) << "ship keys reach only the active ship";
  press('<');
  EXPECT_EQ(active_ship, SCOUT_SHIP);
  press('>');
  EXPECT_EQ(active_ship, MOTHER_SHIP);
  press('=');
  EXPECT_EQ(mother().lookat_speed, 1.5f);
  EXPECT_EQ(scout().lookat_speed, 1.0f);
}

TEST_F(CommandTable, ModeKeysSwitchTheActiveShip) {
  press('r');
  EXPECT_EQ(mother().get_mode(), RELATIVE);
  press('g');
  EXPECT_EQ(mother().get_mode(), GEOSYNCH);
  EXPECT_EQ(mother().geosynch_body, planet[EARTH]);
  press('l');
  EXPECT_EQ(mother().get_mode(), LOOKAT);
  EXPECT_EQ(mother().geosynch_body, nullptr);
  EXPECT_EQ(scout().get_mode(), LOOKAT);
}

// "--keys g6ssssssssssr" flew on in RELATIVE from the start-up view, not from Saturn's: the keys were typed
// with no frame between them, and RELATIVE continues from the pose the last frame stored. Typed keys must
// leave the pose that a user pressing them one by one, a frame after each, would see.
TEST_F(CommandTable, TypedKeysActOnTheViewsTheFramesBetweenThemWouldShow) {
  const std::string keys = "g6ssssssssssrqw";
  demo_type_keys(keys, 256, 256);
  std::array<float, 16> typed;
  std::copy(ships[MOTHER_SHIP]->pose, ships[MOTHER_SHIP]->pose + 16, typed.begin());
  gl_test::rebuild_scene();
  demo_place_cameras();
  for (const char key : keys) {
    gl_test::make_current(gl_test::mother_window());
    press(static_cast<unsigned char>(key));
    for (const int window : {gl_test::mother_window(), gl_test::scout_window()}) {
      gl_test::make_current(window);
      gl_test::draw_frame();
    }
  }
  gl_test::make_current(gl_test::mother_window());
  EXPECT_THAT(typed, testing::Pointwise(testing::FloatEq(), ships[MOTHER_SHIP]->pose));
  EXPECT_NEAR(ships[MOTHER_SHIP]->locate_camera().target_depth, 0, 1e-9) << "RELATIVE";
}

TEST_F(CommandTable, DigitsFollowPlanetsOnlyInGeosynchAndNeverReachTheShip) {
  press('r');
  const std::array<float, 16> pose = [&] {
    std::array<float, 16> m;
    std::memcpy(m.data(), mother().pose, sizeof m);
    return m;
  }();
  press('5');
  EXPECT_EQ(mother().get_mode(), RELATIVE) << "a digit outside GEOSYNCH does nothing";
  EXPECT_EQ(std::memcmp(mother().pose, pose.data(), sizeof mother().pose), 0);
  press('g');
  const body_name by_digit[] = {MERCURY, VENUS, EARTH, MARS, JUPITER, SATURN, URANUS, NEPTUNE, PLUTO};
  for (int digit = 1; digit <= 9; ++digit) {
    press(static_cast<unsigned char>('0' + digit));
    EXPECT_EQ(mother().geosynch_body, planet[by_digit[digit - 1]]) << "digit " << digit;
  }
  const float distance = mother().geosynch_distance;
  press('0');
  EXPECT_EQ(mother().geosynch_body, planet[PLUTO]) << "0 goes to the ship, which ignores it";
  EXPECT_EQ(mother().geosynch_distance, distance);
}

TEST_F(CommandTable, PauseAndResumeOnlyTouchTheFrozenFlag) {
  press('p');
  EXPECT_TRUE(frozen);
  press('p');
  EXPECT_TRUE(frozen);
  const float orbit = planet[EARTH]->orbit_angle;
  demo_idle(0.1f);
  EXPECT_EQ(planet[EARTH]->orbit_angle, orbit);
  press('P');
  EXPECT_FALSE(frozen);
  press('P');
  EXPECT_FALSE(frozen);
}

TEST_F(CommandTable, ResetPutsBothShipsBackButKeepsActiveShipAndPause) {
  press('<');
  press('g');
  press('w');
  press('>');
  press('z');
  press('r');
  press('p');
  press('m');
  EXPECT_EQ(mother().get_mode(), LOOKAT);
  EXPECT_EQ(scout().get_mode(), LOOKAT);
  EXPECT_THAT(mother().eye, ElementsAre(0.0f, 50.0f, 120.0f));
  EXPECT_THAT(scout().eye, ElementsAre(0.0f, 50.0f, 100.0f));
  EXPECT_EQ(scout().geosynch_distance, 5.0f);
  EXPECT_EQ(active_ship, MOTHER_SHIP);
  EXPECT_TRUE(frozen);
}

// Backspace returns to the scene before each key that changed it, most recent first: a key that changed
// nothing leaves no step, a lesson's state and "m" are one step each, a running scene runs on, and no more
// than a hundred steps are kept.
TEST_F(CommandTable, BackspaceStepsBackThroughEachKeyThatChangedTheScene) {
  loaded_lesson =
      compute_lesson("[F1]\ntitle = t\nnote = a\nkeys = pg6ww\n[F2]\ntitle = u\nnote = b\nkeys = g6ww\n",
                     "a.lesson", demo_refuse_typed_key)
          .read;
  const auto seen = [&] {
    std::ostringstream out;
    out << active_ship << " " << scout().get_mode() << " " << scout().geosynch_distance << " "
        << mother().get_mode() << " " << mother().eye[0] << " "
        << window_states[SCOUT_SHIP].lens.field_of_view << " " << shown.camera << frozen << " "
        << last_pick().made << " " << lesson_step << " " << (lesson_notes.empty() ? "" : lesson_notes[0]);
    return out.str();
  };
  std::vector<std::string> before;
  // A pick that moves no ship, between two visits to one state, is a step of its own though the state
  // forgets it.
  const std::string f1(1, char(lesson_key(0))), f2(1, char(lesson_key(1))), inspect(1, char(inspect_key));
  for (const unsigned char key : "<gw(Qip>x " + f1 + inspect + f1 + f2 + "m") {
    before.push_back(seen());
    press(key);
    gl_test::draw_frame();
    if (key == 'Q') before.pop_back();  // nothing to step back to
  }
  for (auto step = before.rbegin(); step != before.rend(); ++step) {
    press(back_key);
    EXPECT_EQ(seen(), *step) << before.rend() - step;
  }
  press(back_key);
  EXPECT_STREQ(current_notice(), "Backspace steps back after a key that changed the scene");
  // Running on, the planets do not go back with the camera; a paused tick ('.') they do.
  const float tick = compute_timer_step_s(default_timer_period_ms);
  const float start = planet[EARTH]->orbit_angle;
  press('(');
  for (int t = 0; t < 3 && planet[EARTH]->orbit_angle == start; ++t) demo_idle(tick);
  const float moved = planet[EARTH]->orbit_angle;
  ASSERT_NE(moved, start);
  press(back_key);
  EXPECT_EQ(planet[EARTH]->orbit_angle, moved);
  press('p');
  const float paused = planet[EARTH]->orbit_angle;
  press('.');
  press(back_key);
  EXPECT_EQ(planet[EARTH]->orbit_angle, paused);
  for (int i = 0; i < 105; ++i) press('n');
  for (int i = 0; i < 100; ++i) press(back_key);
  EXPECT_TRUE(shown.names) << "the state after the fifth n: the first five are forgotten";
  press(back_key);
  EXPECT_TRUE(shown.names);
  EXPECT_STREQ(current_notice(), "nothing older to step back to: the last 100 steps are kept");
}

// A state taken as numbers and set again after a reset brings back the scene it was taken from: the ship
// with the keys, what it follows and its step, the bodies, the views, the rate and the pause.
TEST_F(CommandTable, AStatesNumbersBringBackTheSceneTheyWereTakenFrom) {
  for (const unsigned char key : {'<', 'g', '6', '=', ']', 'i', 'k', 'p'}) press(key);
  const float step = scout().geosynch_speed, saturn_orbit = planet[SATURN]->orbit_angle + 1;
  planet[SATURN]->orbit_angle = saturn_orbit;
  const state_numbers taken = capture_state_numbers();
  restore_start_scene();
  apply_state_numbers(taken);
  EXPECT_EQ(std::tie(active_ship, scout().geosynch_body, scout().geosynch_speed, planet[SATURN]->orbit_angle),
            std::make_tuple(int(SCOUT_SHIP), planet[SATURN], step, saturn_orbit));
  EXPECT_EQ(std::tie(shown.camera, shown.pick, shown.names, shown.time_rate, frozen),
            std::make_tuple(true, true, false, 2.0f, true));
}

TEST_F(CommandTable, EveryKeyRedrawsBothWindowsAndLeavesTheScoutCurrent) {
  for (unsigned char key : {'5', ' ', 'x', 'p', 'Q'}) {
    gl_test::reset_redraws();
    glutSetWindow(gl_test::mother_window());
    press(key, 600, 600);
    EXPECT_EQ(glutGetWindow(), gl_test::scout_window()) << "key " << key;
    EXPECT_TRUE(gl_test::wait_for_redraws()) << "key " << key;
  }
  gl_test::make_current(gl_test::mother_window());
}

class Picking : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    gl_test::draw_frame();
  }
  // The command table leaves the scout window current; the tests go on drawing in the mother window.
  void press_space(int x, int y) {
    demo_keyboard(' ', x, y);
    gl_test::make_current(gl_test::mother_window());
  }
};

TEST_F(Picking, SpaceOverAPlanetMakesTheActiveShipFollowIt) {
  const auto at = on_screen(gl_test::body_centre(JUPITER));
  EXPECT_EQ(demo_pick(at[0], at[1]), JUPITER);
  // Shift+space, and --inspect from either window, keep the pick for "k" and leave every camera as it was.
  const std::vector<float> mother_pose(ships[MOTHER_SHIP]->pose, ships[MOTHER_SHIP]->pose + 16);
  for (const ship_name window : {MOTHER_SHIP, SCOUT_SHIP}) {
    if (window == MOTHER_SHIP)
      demo_keyboard(inspect_key, at[0], at[1]);
    else
      demo_type_keys(std::string(1, char(inspect_key)), 256, 256, SCOUT_SHIP);
    gl_test::make_current(gl_test::mother_window());
    gl_test::draw_frame();
    EXPECT_EQ(std::vector<float>(ships[MOTHER_SHIP]->pose, ships[MOTHER_SHIP]->pose + 16), mother_pose)
        << "after the inspect in " << window;
    EXPECT_EQ(ships[MOTHER_SHIP]->get_mode(), LOOKAT);
    EXPECT_EQ(last_pick().window, window);
    EXPECT_STREQ(current_notice(), "inspected: press k to see the pick") << "k is off";
    const auto chosen = last_pick_choice();
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->name, unsigned(window == MOTHER_SHIP ? JUPITER : SUN)) << "what k shows as chosen";
  }
  say("an older word");
  press_space(at[0], at[1]);
  EXPECT_EQ(current_notice(), nullptr) << "a ship sent says nothing, and the older word goes";
  EXPECT_EQ(ships[MOTHER_SHIP]->get_mode(), GEOSYNCH);
  EXPECT_EQ(ships[MOTHER_SHIP]->geosynch_body, planet[JUPITER]);
  EXPECT_FALSE(is_picking);
  EXPECT_EQ(pick_x, at[0]) << "the pick's point is kept after its pass";
  EXPECT_EQ(pick_y, at[1]);
}

TEST_F(Picking, TheSunTheMoonAndTheSkyCannotBeFollowed) {
  EXPECT_EQ(demo_pick(256, 256), SUN);
  press_space(256, 256);
  EXPECT_EQ(ships[MOTHER_SHIP]->get_mode(), LOOKAT);
  EXPECT_EQ(last_picked_body(), planet[SUN]) << "the views ring the Sun as the pick's";

  EXPECT_EQ(demo_pick(3, 3), STARFIELD) << "from inside, the star-field lies under every pixel";
  press_space(3, 3);
  EXPECT_EQ(ships[MOTHER_SHIP]->get_mode(), LOOKAT);

  // Look straight down at the moon from close by, so that it fills the window's centre.
  const vec3 moon = gl_test::body_centre(MOON);
  look_from(*ships[MOTHER_SHIP], {moon[0], moon[1] + 3, moon[2]}, moon);
  ships[MOTHER_SHIP]->up[1] = 0, ships[MOTHER_SHIP]->up[2] = 1;
  gl_test::draw_frame();
  EXPECT_EQ(demo_pick(256, 256), MOON);
  press_space(256, 256);
  EXPECT_EQ(ships[MOTHER_SHIP]->get_mode(), LOOKAT);
}

TEST_F(Picking, OutsideTheStarfieldLookingAwayNothingIsHit) {
  look_from(*ships[MOTHER_SHIP], {0, 0, 600}, {0, 0, 1000});
  gl_test::draw_frame();
  EXPECT_EQ(demo_pick(256, 256), -1);
  press_space(256, 256);
  EXPECT_EQ(ships[MOTHER_SHIP]->get_mode(), LOOKAT);
  // With no record, the pick's volume in the other window reaches the far plane, 2000 ahead of the eye.
  shown.pick = shown.volume = true;
  const auto volume = demo_pick_volume(SCOUT_SHIP);
  ASSERT_TRUE(volume);
  for (int corner = 1; corner < 5; ++corner)
    EXPECT_NEAR((*volume)[size_t(corner)][2], 600 + 2000, 1) << corner;
}

TEST_F(Picking, OfTwoBodiesInLineTheNearerWins) {
  const vec3 mars = gl_test::body_centre(MARS);
  look_from(*ships[MOTHER_SHIP], {mars[0] * 1.5f, mars[1] * 1.5f + 1, mars[2] * 1.5f}, {0, 0, 0});
  gl_test::draw_frame();
  EXPECT_EQ(demo_pick(256, 256), MARS) << "the sun lies behind Mars on the same line";
  look_from(*ships[MOTHER_SHIP], {-mars[0] * 0.5f, -mars[1] * 0.5f + 0.3f, -mars[2] * 0.5f}, mars);
  gl_test::draw_frame();
  EXPECT_EQ(demo_pick(256, 256), SUN) << "seen from the other side the sun hides Mars";
}

TEST_F(Picking, APickInTheScoutWindowUsesTheScoutsViewForTheActiveMother) {
  // The mother's window made to see wider than the scout's: the scout's own lens must place its pick.
  for (int press = 0; press < 8; ++press) demo_keyboard(')', 256, 256);
  // Turn the scout to a little beside Saturn, which then shows off the centre of its window.
  gl_test::make_current(gl_test::scout_window());
  const vec3 saturn = gl_test::body_centre(SATURN);
  const float across = 0.25f;  // of Saturn's distance, at right angles to it in the orbits' plane
  look_from(*ships[SCOUT_SHIP], {0, 20, 0},
            {saturn[0] - across * saturn[2], saturn[1], saturn[2] + across * saturn[0]});
  gl_test::draw_frame();
  const auto at = on_screen(saturn);
  ASSERT_GT(std::abs(at[0] - 256) + std::abs(at[1] - 256), 50) << "Saturn at " << at[0] << "," << at[1];
  demo_keyboard(' ', at[0], at[1]);
  EXPECT_EQ(ships[MOTHER_SHIP]->geosynch_body, planet[SATURN]);
  // What "k" shows of it is the scout window's too: its field of view, not the mother's 110 degrees.
  EXPECT_EQ(last_pick().lens.field_of_view, 70.0);
  gl_test::make_current(gl_test::mother_window());
  demo_keyboard(inspect_key, 256, 256);
  EXPECT_EQ(last_pick().lens.field_of_view, 110.0) << "and one in the mother window, the mother's";
  EXPECT_EQ(ships[SCOUT_SHIP]->get_mode(), LOOKAT);
  gl_test::make_current(gl_test::mother_window());
}

TEST_F(Picking, PickRegionFollowsGlutsTopLeftOrigin) {
  // The sun sits at the window centre; a pick 40 pixels below it (GLUT's y grows downwards) misses it, and
  // so does one 40 pixels above, while 3 pixels off still hits.
  const auto earth =
      on_screen(gl_test::body_centre(EARTH));  // before a pick leaves its region in the projection
  EXPECT_EQ(demo_pick(256, 259), SUN);
  EXPECT_NE(demo_pick(256, 296), SUN);
  EXPECT_EQ(demo_pick(earth[0], earth[1]), EARTH) << "at " << earth[0] << "," << earth[1];
  // A pick runs on every pixel of the window and on none beside it, in a window wider than high.
  for (const auto& [x, y, admitted] : {std::tuple{0, 0, true},
                                       {299, 199, true},
                                       {-1, 100, false},
                                       {300, 100, false},
                                       {150, -1, false},
                                       {150, 200, false}})
    EXPECT_EQ(admit_pick({x, y, 200, {0, 0, 300, 200}, {}, {}}), admitted) << x << "," << y;
}

// Pins the flip of GLUT's y: the region is centred on (x, height - y), with no further -1. One pixel off
// moves the region by a tenth of its width, which picks near a body's edge would only show now and then.
TEST_F(Picking, ThePickRegionIsCentredOnTheFlippedPointerPosition) {
  const int x = 100, y = 30;
  demo_pick(x, y);
  GLfloat left_behind[16];  // the pick region stays in the projection until the next frame
  glGetFloatv(GL_PROJECTION_MATRIX, left_behind);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  GLint viewport[4] = {0, 0, gl_test::window_size_px, gl_test::window_size_px};
  gluPickMatrix(x, gl_test::window_size_px - y, 10, 10, viewport);
  gluPerspective(70, 1.0f, 0.1f, 2000);
  GLfloat expected[16];
  glGetFloatv(GL_PROJECTION_MATRIX, expected);
  glMatrixMode(GL_MODELVIEW);
  EXPECT_THAT(left_behind, testing::Pointwise(testing::FloatNear(1e-4f), expected));
}

TEST(NearestHit, SmallestUnsignedMinimumDepthWinsAndTiesGoToTheFirst) {
  const unsigned int far = 0xF0000000u, near = 0x10000000u;
  const unsigned int two[] = {1, far, far, SUN, 1, near, far, MARS};
  EXPECT_EQ(compute_nearest_hit(two, 2, 8), MARS);
  // Depths above 2^31 must not be taken as negative numbers.
  const unsigned int high[] = {1, 0x90000000u, 0xFFFFFFFFu, EARTH, 1, 0xA0000000u, 0xFFFFFFFFu, VENUS};
  EXPECT_EQ(compute_nearest_hit(high, 2, 8), EARTH);
  const unsigned int tie[] = {1, near, far, SATURN, 1, near, near, JUPITER};
  EXPECT_EQ(compute_nearest_hit(tie, 2, 8), SATURN);
  const unsigned int first_zero[] = {1, 0, 5, STARFIELD, 1, 0, 0, SUN};
  EXPECT_EQ(compute_nearest_hit(first_zero, 2, 8), STARFIELD) << "depth 0 is a real hit";
  // A record drawn with an empty name stack names nothing, however near: its count is no body.
  const unsigned int nameless[] = {0, near, near, 1, far, far, NEPTUNE};
  EXPECT_EQ(compute_nearest_hit(nameless, 2, 7), NEPTUNE);
}

TEST(NearestHit, NoHitsAndOverflowReturnMinusOne) {
  const unsigned int one[] = {1, 7, 9, PLUTO};
  EXPECT_EQ(compute_nearest_hit(one, 0, 4), -1);
  EXPECT_EQ(compute_nearest_hit(one, -1, 4), -1) << "an overflowed buffer counts as no hit";
  // A record that claims more names than the buffer holds is read no further than its end.
  const unsigned int truncated[] = {1000, 7, 9, URANUS};
  EXPECT_EQ(compute_nearest_hit(truncated, 1, 4), URANUS);
  EXPECT_EQ(compute_nearest_hit(truncated, 5, 4), URANUS);
  // A count past what an int holds must not turn into a step backwards.
  const unsigned int huge[] = {0xFFFFFFFFu, 0x90000000u, 9, URANUS, 1, 1, 1, SUN};
  EXPECT_EQ(compute_nearest_hit(huge, 2, 8), URANUS);
}

}  // namespace
