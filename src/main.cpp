// SPDX-License-Identifier: MIT
// The shell: process entry, the two GLUT windows and their callbacks, and the fixed-step frame timer.
// Everything about the scene lives in the demo module; this file only talks to GLUT and hands events on.
// Arguments go to glutInit, except --help and --version, which the shell answers itself; -geometry places
// the mother window and sizes both; any argument that GLUT does not take either is named on stderr and
// ignored. The process ends with status 0 on Escape and with status 1 when the display is lost.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "command_line.h"
#include "demo.h"
#include "opengl.h"
#include "platform.h"

namespace {

constexpr unsigned char escape_key = 27;
constexpr int window_top_px = 100;
constexpr int window_gap_px = 50;

void print_usage() {
  std::printf(
      "Usage: solar_demo [--help | -h | --version] [-geometry WxH+X+Y] [GLUT options such as -display NAME]\n"
      "\n"
      "A small solar system in two windows, \"%s\" and \"%s\", each showing the view\n"
      "from one of two ships that fly through the same scene. -geometry sizes and places the\n"
      "first window; the second takes the same size beside it. Other arguments go to GLUT\n"
      "unchanged. Keys go to the window that has the keyboard focus.\n"
      "\nCommands:\n%s\n\nLOOKAT keys:\n%s\n\nRELATIVE keys:\n%s\n\nGEOSYNCH keys:\n%s\n",
      ship_titles[MOTHER_SHIP], ship_titles[SCOUT_SHIP], demo_command_keys_help(),
      demo_mode_keys_help(LOOKAT), demo_mode_keys_help(RELATIVE), demo_mode_keys_help(GEOSYNCH));
}

// The program's only options; they are answered before GLUT looks for a display, so they work without one.
// Returns true when the process should end here.
bool answer_own_options(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help" || argument == "-h") {
      print_usage();
      return true;
    }
    if (argument == "--version") {
      std::printf("solar_demo %s\n", SOLAR_VERSION);
      return true;
    }
  }
  return false;
}

// glutInit takes out of argv the options it knows; what is left is known to nobody, most likely mistyped.
void name_ignored_arguments(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    std::fprintf(stderr, "solar_demo: ignoring \"%s\": neither the program nor GLUT knows it (see --help)\n",
                 argv[i]);
}

}  // namespace

float dt = default_timer_period_ms;  // timer period, ms: truncated it is the delay, times 0.001 the step (s)
int disp_width = 512;                // both windows' width at creation, px
int disp_height = 512;               // both windows' height at creation, px
bool quit = false;                   // set by Escape; the next tick ends the process
int mother_window = 0;               // GLUT id of "Mother Ship"
int scout_window = 0;                // GLUT id of "Scout Ship"

void cleanup() { demo_cleanup(); }

// Per-window set-up, run with that window current so that the state lands in its own GL context.
void init() {
  glClearColor(0, 0, 0, 0);
  glClearDepth(1.0);
  demo_set_window_ids(mother_window, scout_window);
  demo_init();
}

void display_callback() {
  const int window = glutGetWindow();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  demo_display();
  glutSetWindow(window);
  glutSwapBuffers();
}

void keyboard_callback(unsigned char key, int x, int y) {
  if (key == escape_key) {
    quit = true;
    return;
  }
  demo_keyboard(key, x, y);
}

void resize_callback(int width, int height) { demo_resize(width, height); }

// One tick: the scene moves by a fixed step whatever time really passed, then both windows are asked to
// redraw and the timer is armed again.
void idle(int /*value*/) {
  if (quit) {
    cleanup();
    std::exit(0);
  }
  demo_idle(compute_timer_step_s(dt));
  glutSetWindow(mother_window);
  platform_check_window();
  glutPostRedisplay();
  glutSetWindow(scout_window);
  platform_check_window();
  glutPostRedisplay();
  glutTimerFunc(compute_timer_delay_ms(dt), idle, 0);
}

namespace {

// Where the mother window goes: at its default size and place, or as -geometry says.
window_placement place_mother_window(const char* geometry) {
  const window_placement defaults = {disp_width, disp_height, 0, window_top_px};
  if (geometry == nullptr) return defaults;
  const std::optional<window_placement> placed =
      compute_geometry(geometry, defaults, glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT));
  if (placed) return *placed;
  std::fprintf(stderr, "solar_demo: ignoring -geometry \"%s\": not WIDTHxHEIGHT+X+Y\n", geometry);
  return defaults;
}

int create_window(const char* title, const window_placement& at) {
  glutInitWindowSize(at.width, at.height);
  glutInitWindowPosition(at.x, at.y);
  const int window = glutCreateWindow(title);
  platform_name_window();
  glutKeyboardFunc(keyboard_callback);
  glutDisplayFunc(display_callback);
  glutReshapeFunc(resize_callback);
  return window;
}

}  // namespace

int main(int argc, char** argv) {
  if (answer_own_options(argc, argv)) return 0;
  const char* geometry = find_geometry_argument(argc, argv);
  platform_end_promptly_on_display_loss(argc, argv);
  glutInit(&argc, argv);
  name_ignored_arguments(argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  const window_placement mother = place_mother_window(geometry);
  disp_width = mother.width;
  disp_height = mother.height;
  mother_window = create_window(ship_titles[MOTHER_SHIP], mother);
  scout_window = create_window(ship_titles[SCOUT_SHIP], {mother.width, mother.height,
                                                         mother.x + mother.width + window_gap_px, mother.y});
  glutSetWindow(mother_window);
  init();
  glutSetWindow(scout_window);
  init();
  std::printf("solar_demo: press h in either window to show the keys\n");
  std::fflush(stdout);
  // The first tick runs before the loop: the scene has moved one step before anything is drawn.
  idle(0);
  glutMainLoop();
  return 0;
}
