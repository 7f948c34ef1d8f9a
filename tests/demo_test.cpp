// SPDX-License-Identifier: MIT
// The demo module's set-up, timer step and reshape, in the real windows' contexts.
#include <gmock/gmock.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

#include "gl_test_support.h"
#include "view_words.h"

using testing::Each;
using testing::ElementsAre;

namespace {

std::array<float, 16> projection_matrix() {
  std::array<float, 16> m;
  glGetFloatv(GL_PROJECTION_MATRIX, m.data());
  return m;
}

// The drand48 state, read without disturbing it: seed48 hands back the old state, which is then restored.
std::array<unsigned short, 3> stream_state() {
  unsigned short probe[3] = {};
  const unsigned short* old = seed48(probe);
  std::array<unsigned short, 3> state = {old[0], old[1], old[2]};
  seed48(state.data());
  return state;
}

std::array<int, 4> viewport() {
  std::array<int, 4> v;
  glGetIntegerv(GL_VIEWPORT, v.data());
  return v;
}

TEST(FrameTimer, DelayIsTheTruncatedPeriodWhileTheStepKeepsItsFraction) {
  EXPECT_EQ(compute_timer_delay_ms(default_timer_period_ms), 33)
      << "truncated, not rounded to 34 or kept as 33.3";
  // Formed in double and then narrowed, the step would be 0.033333331.
  EXPECT_EQ(compute_timer_step_s(default_timer_period_ms), 0.033333335f);
  EXPECT_EQ(default_timer_period_ms, static_cast<float>(100.0 / 3.0));
}

class SceneSetUp : public GlTest {};

TEST_F(SceneSetUp, SecondWindowInitCreatesNothingAndKeepsTheShips) {
  body* const earth = planet[EARTH];
  ship* const scout = ships[SCOUT_SHIP];
  scout->handle_keyboard('x');
  const auto stream_before = stream_state();
  glutSetWindow(gl_test::scout_window());
  demo_init();
  EXPECT_EQ(stream_state(), stream_before) << "a later init takes no random draws";
  EXPECT_EQ(planet[EARTH], earth);
  EXPECT_EQ(ships[SCOUT_SHIP], scout);
  EXPECT_EQ(scout->eye[0], 1.0f) << "the second init does not reset the ships";
}

// GLUT may run a due tick between an F key and the frames it asks for: the frame after the key is the state's
// first all the same. Only that one tick waits, so a window never drawn cannot stop the scene.
TEST_F(SceneSetUp, TheFrameAfterAnFKeyIsTheStatesFirstWhateverTickCameBetween) {
  loaded_lesson =
      compute_lesson("title = Week 3\n[F1]\ntitle = t\nnote = n\nkeys = g\nscout lens = 50, 1, 100\n",
                     "a.lesson", demo_refuse_typed_key)
          .read;
  EXPECT_EQ(demo_status_lines(SCOUT_SHIP).at(0), "Week 3") << "the lesson's title until the first state";
  const float tick = compute_timer_step_s(default_timer_period_ms);
  frozen = true;          // a state starts from the start-up scene, which runs
  say_until_key("held");  // as for a lesson that cannot be used: longer than any notice, until a key
  for (int t = 0; t < 200; ++t) demo_idle(tick);
  EXPECT_STREQ(current_notice(), "held");
  // Nor does it keep the pick or the names of the scene before it.
  demo_keyboard('n', 256, 256);
  demo_keyboard(inspect_key, 256, 256);
  gl_test::make_current(gl_test::mother_window());
  gl_test::draw_frame();
  ASSERT_TRUE(last_pick().made);
  ASSERT_FALSE(demo_overlay(MOTHER_SHIP).names.empty());
  demo_keyboard(lesson_key(0), 256, 256);
  EXPECT_FALSE(last_pick().made);
  EXPECT_TRUE(demo_overlay(MOTHER_SHIP).names.empty());
  // The band off, the state names itself as a notice; the presenter's band stays on across F keys, and "m"
  // leaves the state, so that the band no longer names it.
  EXPECT_STREQ(current_notice(), "F1: t");
  for (const unsigned char key : {static_cast<unsigned char>('h'), lesson_key(0)})
    demo_keyboard(key, 256, 256);
  EXPECT_TRUE(shown.status);
  EXPECT_EQ(lesson_step, "F1: t");
  const std::vector<std::string> status = demo_status_lines(MOTHER_SHIP);
  EXPECT_EQ(std::vector<std::string>(status.begin(), status.begin() + 2),
            (std::vector<std::string>{"F1: t", "n"}));
  // Its lens is the scout window's exactly, as "i" writes it; the mother's stays as at start.
  const std::vector<std::string> camera = demo_camera_lines(SCOUT_SHIP);
  EXPECT_NE(std::find(camera.begin(), camera.end(), "gluPerspective(50, 1.00, 1, 100)"), camera.end())
      << camera.at(1);
  EXPECT_EQ(window_states[MOTHER_SHIP].lens.field_of_view, 70);
  demo_keyboard('m', 256, 256);
  EXPECT_EQ(lesson_step, "");
  demo_keyboard(lesson_key(0), 256, 256);
  const float first = planet[EARTH]->orbit_angle;
  demo_idle(tick);
  EXPECT_EQ(planet[EARTH]->orbit_angle, first) << "a tick before the state's first frames";
  for (const int window : {gl_test::mother_window(), gl_test::scout_window()}) {
    gl_test::make_current(window);
    gl_test::draw_frame();
  }
  demo_idle(tick);
  EXPECT_GT(planet[EARTH]->orbit_angle, first) << "the state drawn, the scene runs on";
  demo_keyboard(lesson_key(0), 256, 256);
  demo_idle(tick);
  demo_idle(tick);
  EXPECT_GT(planet[EARTH]->orbit_angle, first) << "no frame drawn, one tick held back";
  // A pick at a body out of view says so, and "k" and the board keep saying it after the notice has gone.
  loaded_lesson =
      compute_lesson("[F2]\ntitle = t\nkeys = g\npick = mother:Sun\n", "b.lesson", demo_refuse_typed_key)
          .read;
  demo_keyboard(lesson_key(1), 256, 256);
  const std::string unseen =
      "Sun is not in view in the Mother Ship window: the state goes on without its pick";
  EXPECT_STREQ(current_notice(), unseen.c_str());
  for (int t = 0; t < 200; ++t) demo_idle(tick);
  EXPECT_EQ(compute_kept_pick_lines(last_pick(), MOTHER_SHIP), std::vector<std::string>{unseen});
}

// The shipped lesson aims its picks at bodies and at fractions of the window, so that a lesson made on a
// laptop plays on a projector: at 512x512 and at 950x1000 every state picks the same body, and a state aimed
// at a body picks that body.
TEST_F(SceneSetUp, TheShippedLessonPicksTheSameBodyAtEverySize) {
  const lesson_reading shipped =
      read_lesson_file(SOLAR_SOURCE_DIR "/docs/lessons/guide.lesson", demo_refuse_typed_key);
  ASSERT_EQ(shipped.error, "");
  loaded_lesson = shipped.read;
  std::array<std::array<int, lesson_state_count>, 2> chosen{};
  for (const auto& [size, width, height] : {std::tuple{0, 512, 512}, {1, 950, 1000}}) {
    for (const int window : {gl_test::mother_window(), gl_test::scout_window()})
      ASSERT_TRUE(gl_test::resize_window(window, width, height));
    for (int i = 0; i < lesson_state_count; ++i) {
      const std::optional<lesson_state>& state = loaded_lesson.states[size_t(i)];
      if (!state || !state->pick) continue;
      demo_keyboard(lesson_key(i), 0, 0);
      const std::optional<chosen_record> choice = last_pick_choice();
      chosen[size_t(size)][size_t(i)] = choice ? int(choice->name) : -1;
      EXPECT_EQ(last_pick().window, state->pick->in_scout ? SCOUT_SHIP : MOTHER_SHIP) << "F" << i + 1;
      if (state->pick->aim != pick_aim::body) continue;
      EXPECT_EQ(chosen[size_t(size)][size_t(i)], find_aimable_body(state->pick->body))
          << "F" << i + 1 << " at " << width << "x" << height << ": "
          << (current_notice() ? current_notice() : "");
    }
  }
  EXPECT_EQ(chosen[0], chosen[1]);
}

TEST_F(SceneSetUp, EveryWindowContextGetsDepthCullingLightsAndColourMaterial) {
  for (int window : {gl_test::mother_window(), gl_test::scout_window()}) {
    glutSetWindow(window);
    for (GLenum cap : {GL_DEPTH_TEST, GL_CULL_FACE, GL_LIGHTING, GL_LIGHT0, GL_LIGHT1, GL_COLOR_MATERIAL})
      EXPECT_TRUE(glIsEnabled(cap)) << "cap " << cap << " in window " << window;
    GLint depth_func = 0, cull = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depth_func);
    glGetIntegerv(GL_CULL_FACE_MODE, &cull);
    EXPECT_EQ(depth_func, GL_LESS);
    EXPECT_EQ(cull, GL_BACK);
    GLfloat light1_dir[4], light1_ambient[4], light0_ambient[4], light0_specular[4];
    glGetLightfv(GL_LIGHT1, GL_POSITION, light1_dir);
    glGetLightfv(GL_LIGHT1, GL_AMBIENT, light1_ambient);
    glGetLightfv(GL_LIGHT0, GL_AMBIENT, light0_ambient);
    glGetLightfv(GL_LIGHT0, GL_SPECULAR, light0_specular);
    EXPECT_THAT(light1_dir, ElementsAre(-1.0f, -1.0f, -1.0f, 0.0f)) << "given under an identity model-view";
    EXPECT_THAT(light1_ambient, ElementsAre(0.05f, 0.05f, 0.05f, 1.0f));
    EXPECT_THAT(light0_ambient, ElementsAre(0.0f, 0.0f, 0.0f, 1.0f)) << "light 0 keeps the default ambient";
    EXPECT_THAT(light0_specular, ElementsAre(0.4f, 0.4f, 0.4f, 1.0f));
  }
}

TEST_F(SceneSetUp, AnyWindowButTheMotherCountsAsTheScouts) {
  glutSetWindow(gl_test::mother_window());
  EXPECT_EQ(demo_get_current_window(), MOTHER_SHIP);
  glutSetWindow(gl_test::scout_window());
  EXPECT_EQ(demo_get_current_window(), SCOUT_SHIP);
  const int stranger = glutCreateWindow("neither");
  EXPECT_EQ(demo_get_current_window(), SCOUT_SHIP);
  glutDestroyWindow(stranger);
  gl_test::make_current(gl_test::mother_window());
}

TEST_F(SceneSetUp, CleanupDeletesEverythingAndLeavesNoDanglingPointers) {
  demo_cleanup();
  EXPECT_FALSE(demo_initialized);
  EXPECT_THAT(planet, Each(nullptr));
  EXPECT_THAT(ships, Each(nullptr));
  demo_idle(0.1f);  // must not touch the deleted scene
  demo_display();
  gl_test::rebuild_scene();
}

class Reshape : public GlTest {};

TEST_F(Reshape, SetsViewportAndPerspectiveOfThatWindowOnly) {
  glutSetWindow(gl_test::scout_window());
  const auto scout_projection = projection_matrix();
  glutSetWindow(gl_test::mother_window());
  demo_resize(300, 150);
  EXPECT_THAT(viewport(), ElementsAre(0, 0, 300, 150));
  const auto p = projection_matrix();
  const double f = 1.0 / std::tan(35.0 * M_PI / 180.0);
  EXPECT_NEAR(p[5], f, 1e-5);
  EXPECT_NEAR(p[0], f / 2.0, 1e-5) << "aspect 2";
  const double near = 0.1f, far = 2000.0;
  EXPECT_NEAR(p[10], (far + near) / (near - far), 1e-6);
  EXPECT_NEAR(p[14], 2 * far * near / (near - far), 1e-6);
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  glutSetWindow(gl_test::scout_window());
  EXPECT_EQ(projection_matrix(), scout_projection);
  glutSetWindow(gl_test::mother_window());
  demo_resize(gl_test::window_size_px, gl_test::window_size_px);
}

TEST_F(Reshape, AZeroHeightWindowGetsAFiniteProjection) {
  demo_resize(200, 0);
  for (float v : projection_matrix()) EXPECT_TRUE(std::isfinite(v));
  demo_resize(0, 0);
  for (float v : projection_matrix()) EXPECT_TRUE(std::isfinite(v));
  demo_resize(gl_test::window_size_px, gl_test::window_size_px);
}

}  // namespace
