// SPDX-License-Identifier: MIT
#include "gl_test_support.h"

#include <GL/glu.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lesson_play.h"

#ifdef SOLAR_SANITIZED
#include <sanitizer/lsan_interface.h>
#endif

namespace gl_test {
namespace {

int mother_id = 0;
int scout_id = 0;
int mother_redraws = 0;
int scout_redraws = 0;

void count_redraw() { ++(glutGetWindow() == mother_id ? mother_redraws : scout_redraws); }

// A set-up failure must end the process: GoogleTest would otherwise report every test as skipped, and CTest
// counts a skip as no failure.
[[noreturn]] void abort_set_up(const char* why) {
  std::fprintf(stderr, "GL test set-up failed: %s\n", why);
  std::exit(1);
}

// One glutInit per process and two windows like the program's, so that every test runs against real
// contexts. Without an X server the tests are skipped locally, but CI must never pass silently.
class GlEnvironment : public testing::Environment {
 public:
  void SetUp() override {
    if (std::getenv("DISPLAY") == nullptr) {
      if (std::getenv("CI") != nullptr) abort_set_up("no DISPLAY under CI: the GL tests need an X server");
      GTEST_SKIP() << "no DISPLAY: GL tests skipped";
    }
    int argc = 1;
    char name[] = "solar_tests";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    mother_id = create_window("Mother Ship", 0);
    scout_id = create_window("Scout Ship", window_size_px + 50);
    // Each context's state as new, kept on its attribute stacks for every test to start from.
    for (const int window : {mother_id, scout_id}) {
      glutSetWindow(window);
      glPushAttrib(GL_ALL_ATTRIB_BITS);
      glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    }
    demo_set_window_ids(mother_id, scout_id);
    // freeglut redraws a window only once the server has mapped it, which a loaded machine may delay.
    if (!wait_for_redraws()) abort_set_up("the test windows were never mapped and drawn");
  }
#ifdef SOLAR_SANITIZED
  // The leak check at exit would come after the GL libraries have unloaded their driver, whose allocations
  // could then no longer be told from the program's: check here, with everything still loaded. The scene of
  // the last test is deleted first, as the program's exit path deletes it.
  void TearDown() override {
    demo_cleanup();
    __lsan_do_leak_check();
  }
#endif

 private:
  static int create_window(const char* title, int left) {
    glutInitWindowSize(window_size_px, window_size_px);
    glutInitWindowPosition(left, 100);
    const int id = glutCreateWindow(title);
    glutDisplayFunc(count_redraw);
    return id;
  }
};

const testing::Environment* const environment = testing::AddGlobalTestEnvironment(new GlEnvironment);

}  // namespace

int mother_window() { return mother_id; }
int redraws(int window) { return window == mother_id ? mother_redraws : scout_redraws; }

void handle_pending_events() {
  const int current = glutGetWindow();
  glutMainLoopEvent();
  glutSetWindow(current);
}

bool wait_for_redraws() {
  // A bound for a lost redraw, far above the few milliseconds one takes even on a loaded machine.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (mother_redraws == 0 || scout_redraws == 0) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    handle_pending_events();
  }
  return true;
}

void reset_redraws() {
  handle_pending_events();
  mother_redraws = scout_redraws = 0;
}
int scout_window() { return scout_id; }

bool resize_window(int window, int width, int height) {
  glutSetWindow(window);
  glutReshapeWindow(width, height);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (glutGet(GLUT_WINDOW_WIDTH) != width || glutGet(GLUT_WINDOW_HEIGHT) != height) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    handle_pending_events();
  }
  return true;
}

void make_current(int window) {
  glutSetWindow(window);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

void reseed_default_stream() {
  // glibc starts drand48 from an all-zero state with the standard multiplier; seed48 restores exactly that.
  unsigned short zero_state[3] = {0, 0, 0};
  seed48(zero_state);
}

void rebuild_scene() {
  demo_cleanup();
  frozen = false;
  shown = {};
  active_ship = MOTHER_SHIP;
  // What the program keeps beside the scene, as a fresh start has it: no lesson, no state reached from one,
  // no pick under way, the windows' lenses and the text at their start.
  loaded_lesson = {};
  lesson_step.clear();
  lesson_notes.clear();
  is_picking = false;
  pick_x = pick_y = 0;
  text_scale = 1;
  save_file.clear();
  for (window_state& window : window_states) window = {};
  reseed_default_stream();
  demo_set_window_ids(mother_id, scout_id);
  for (int window : {mother_id, scout_id}) {
    glutSetWindow(window);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    // The lights are placed through the model-view matrix, which the last test's frame left as its camera.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    demo_init();
    demo_resize(window_size_px, window_size_px);
  }
  make_current(mother_id);
}

std::array<float, 3> body_centre(body_name b) {
  const float* m = planet[b]->world_pose;
  return {m[12], m[13], m[14]};
}

std::array<float, 3> window_point(const std::array<float, 3>& world, ship_name viewer) {
  GLdouble projection[16];
  GLint viewport[4];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  glGetIntegerv(GL_VIEWPORT, viewport);
  const auto at = compute_window_point(world, ships[viewer]->pose, projection, viewport);
  if (!at) return {NAN, NAN, NAN};
  return {float((*at)[0]), float((*at)[1]), float((*at)[2])};
}

std::array<float, 16> current_modelview() {
  std::array<float, 16> m;
  glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
  return m;
}

int modelview_depth() {
  GLint depth = 0;
  glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
  return depth;
}

int name_stack_depth() {
  GLint depth = 0;
  glGetIntegerv(GL_NAME_STACK_DEPTH, &depth);
  return depth;
}

rgb read_pixel(int x, int y) {
  unsigned char px[3] = {};
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, px);
  return {px[0], px[1], px[2]};
}

std::vector<unsigned char> read_frame() {
  std::vector<unsigned char> pixels(window_size_px * window_size_px * 3);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, window_size_px, window_size_px, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

void draw_frame() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  demo_display();
}

std::vector<unsigned char> draw_and_read_frame() {
  draw_frame();
  return read_frame();
}

void press(unsigned char key) {
  demo_keyboard(key, window_size_px / 2, window_size_px / 2);
  make_current(mother_id);
}

hit_list select(int x, int y) {
  const selection_records selection = demo_select(x, y);
  hit_list list = {static_cast<unsigned int>(selection.hits)};
  size_t read = 0;
  for (int record = 0; record < selection.hits && read + 3 <= selection.buffer.size(); ++record) {
    const size_t end = std::min(read + 3 + selection.buffer[read], selection.buffer.size());
    list.insert(list.end(), selection.buffer.begin() + long(read), selection.buffer.begin() + long(end));
    read = end;
  }
  return list;
}

}  // namespace gl_test

// Every test starts from windows of the start-up size and contexts as new, whatever the test before left (a
// frame leaves line smoothing on, which changes how an outline drawn after it covers its faces).
void GlTest::SetUp() {
  for (const int window : {gl_test::mother_window(), gl_test::scout_window()}) {
    gl_test::resize_window(window, gl_test::window_size_px, gl_test::window_size_px);
    glPopAttrib();
    glPopClientAttrib();
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
  }
  gl_test::rebuild_scene();
  while (glGetError() != GL_NO_ERROR) {
  }
}

// The invariants every GL path must keep: no error raised, the model-view stack and the name stack as found.
void GlTest::TearDown() {
  for (int window : {gl_test::mother_window(), gl_test::scout_window()}) {
    glutSetWindow(window);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "in window " << window;
    EXPECT_EQ(gl_test::modelview_depth(), 1) << "in window " << window;
    EXPECT_EQ(gl_test::name_stack_depth(), 0) << "in window " << window;
  }
}
