// SPDX-License-Identifier: MIT
// The shell: process entry, the two GLUT windows and their callbacks, and the fixed-step frame timer.
// Everything about the scene lives in the demo module; this file only talks to GLUT and hands events on.
// Arguments go to glutInit, except --help, --version, --keys, --pick, --inspect, --lesson (or a FILE.lesson
// alone) and --text-scale, which the shell takes itself; -geometry places the mother window and sizes both;
// any argument that GLUT does not take either is named on stderr and ignored. The process ends with status 0
// on Escape, 1 when the display is lost and 2 on a usage error.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "board_window.h"
#include "command_line.h"
#include "demo.h"
#include "opengl.h"
#include "platform.h"
#include "state_saving.h"

namespace {

constexpr int window_top_px = 100;
constexpr int window_gap_px = 50;

void print_usage() {
  std::printf("%s\nCommands:\n%s\n\nLOOKAT keys:\n%s\n\nRELATIVE keys:\n%s\n\nGEOSYNCH keys:\n%s\n",
              compute_usage_text(ship_titles[MOTHER_SHIP], ship_titles[SCOUT_SHIP]).c_str(),
              demo_command_keys_help(), demo_mode_keys_help(LOOKAT), demo_mode_keys_help(RELATIVE),
              demo_mode_keys_help(GEOSYNCH));
}

// Ends the process with status 2 and one line that says why. What the user gave (a file's name, its lines,
// an argument) is written printable: their bytes must not reach the terminal as its own control codes.
[[noreturn]] void end_refused(const std::string& why) {
  std::fprintf(stderr, "solar_demo: %s\n", compute_printable(why).c_str());
  std::exit(2);
}

// Ends the process with status 2 and one line when a key cannot be typed for the user.
void refuse_untypable_keys(const std::string& keys) {
  if (keys.size() > most_typed_keys)
    end_refused("--keys types at most " + std::to_string(most_typed_keys) + " keys, and it was given " +
                std::to_string(keys.size()));
  for (const char c : keys)
    if (const char* why = demo_refuse_typed_key(static_cast<unsigned char>(c)))
      end_refused("--keys cannot type " + describe_typed_byte(static_cast<unsigned char>(c)) + ": " + why);
}

// Why the lesson the program was handed by itself cannot be used, as the windows show it; empty when it can.
std::string unusable_lesson;

// A lesson that cannot be used, named with --lesson, ends the process with status 2 and one line naming the
// file, the line and what is wrong. Handed over by itself, as a file manager's double click hands it, it is
// dropped: the program opens without it and the windows say why, for nobody may see a terminal.
void refuse_lesson(const std::string& why, bool by_itself) {
  if (!by_itself) end_refused(why);
  unusable_lesson = compute_printable(why);
  std::fprintf(stderr, "solar_demo: %s; going on without the lesson\n", unusable_lesson.c_str());
  loaded_lesson = {};
}

// A lesson is read whole before any window opens, and nothing of one that cannot be used is kept.
void load_lesson(const own_options& options) {
  if (options.lesson.empty()) return;
  lesson_reading reading = read_lesson_file(options.lesson, demo_refuse_typed_key);
  if (!reading.error.empty()) return refuse_lesson(reading.error, options.lesson_by_itself);
  loaded_lesson = std::move(reading.read);
}

// A start-up pick in pixels, or a lesson's, must land in the window it names: elsewhere it would pick
// nothing, silently. Both windows have the mother window's size. Why one does not, or empty when it does.
std::string find_pick_outside(const start_pick& pick, const window_placement& window,
                              const std::string& where) {
  if (pick.aim != pick_aim::pixel || (pick.at[0] < window.width && pick.at[1] < window.height)) return "";
  return where + " " + std::to_string(pick.at[0]) + "," + std::to_string(pick.at[1]) + " lies outside the " +
         std::to_string(window.width) + "x" + std::to_string(window.height) +
         (pick.in_scout ? " scout" : " mother") + " window (see --help)";
}

void refuse_picks_outside(const own_options& options, const window_placement& window) {
  if (options.pick) {
    const std::string why =
        find_pick_outside(*options.pick, window, options.pick->holds_still ? "--inspect" : "--pick");
    if (!why.empty()) end_refused(why);
  }
  for (const std::optional<lesson_state>& state : loaded_lesson.states) {
    if (!state || !state->pick) continue;
    const std::string why = find_pick_outside(*state->pick, window,
                                              loaded_lesson.file + ":" + std::to_string(state->pick_line) +
                                                  ": " + (state->pick->holds_still ? "inspect" : "pick"));
    if (!why.empty()) return refuse_lesson(why, options.lesson_by_itself);
  }
}

// glutInit takes out of argv the options it knows; what is left is known to nobody, most likely mistyped.
void name_ignored_arguments(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    std::fprintf(stderr, "solar_demo: ignoring \"%s\": neither the program nor GLUT knows it (see --help)\n",
                 compute_printable(argv[i]).c_str());
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

// Shift+space has no character of its own: it reaches the command table as inspect_key.
void keyboard_callback(unsigned char key, int x, int y) {
  if (key == escape_key) {
    quit = true;
    return;
  }
  if (key == pick_key && (glutGetModifiers() & GLUT_ACTIVE_SHIFT) != 0) key = inspect_key;
  demo_keyboard(key, x, y);
}

// F1 to F12 reach the command table as the lesson's keys; no other key without a character does anything.
// Registered only with a lesson loaded: without one the program takes no key but those with a character.
void special_callback(int key, int x, int y) {
  if (key >= GLUT_KEY_F1 && key < GLUT_KEY_F1 + lesson_state_count)
    demo_keyboard(lesson_key(key - GLUT_KEY_F1), x, y);
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
  board_check_window();
  board_post_redisplay();
  glutSetWindow(mother_window);
  platform_check_window();
  glutPostRedisplay();
  glutSetWindow(scout_window);
  platform_check_window();
  glutPostRedisplay();
  glutTimerFunc(compute_timer_delay_ms(dt), idle, 0);
}

namespace {

// Where the mother window goes: at its default size and place, or as -geometry says; a value X cannot
// hold ends the process with status 2.
window_placement place_mother_window(const char* geometry) {
  const window_placement defaults = {disp_width, disp_height, 0, window_top_px};
  if (geometry == nullptr) return defaults;
  const std::optional<window_placement> placed =
      compute_geometry(geometry, defaults, glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT));
  if (placed) return *placed;
  end_refused("-geometry \"" + std::string(geometry) + "\" is not WIDTHxHEIGHT+X+Y with sizes 1 to " +
              std::to_string(largest_window_px) + " and a place X can hold (" +
              std::to_string(smallest_position_px) + " to " + std::to_string(largest_position_px) + ")");
}

// The driver is known once a window's context is current, before anything is drawn in it: a size it cannot
// draw ends the process with status 2, as a malformed -geometry does.
void refuse_undrawable_size(const window_placement& at) {
  const granted_viewport largest = demo_largest_viewport();
  if (compute_drawable(at.width, at.height, largest)) return;
  end_refused("-geometry " + std::to_string(at.width) + "x" + std::to_string(at.height) +
              " has more pixels than this driver draws: " + std::to_string(largest.width) + "x" +
              std::to_string(largest.height) + " at most (see --help)");
}

// Where the board goes when it opens, where --board or else the lesson names a place; nothing leaves it to
// the room the windows leave when it opens. A place X cannot hold or the driver cannot draw ends the process
// with status 2, as -geometry's does.
std::optional<window_placement> place_board(const own_options& options) {
  const std::string asked = options.board ? options.board_geometry : loaded_lesson.board.value_or("");
  if (asked.empty()) return std::nullopt;
  const std::string where = options.board ? "--board " : loaded_lesson.file + ": board = ";
  const std::optional<window_placement> placed =
      compute_geometry(asked.c_str(), {disp_width, smallest_board_px, 0, 0}, glutGet(GLUT_SCREEN_WIDTH),
                       glutGet(GLUT_SCREEN_HEIGHT));
  if (!placed) end_refused(where + asked + " is not a place X can hold (see --help)");
  // The board lays its text out on the whole window, so each side must be one the driver draws.
  const granted_viewport largest = demo_largest_viewport();
  if (placed->width > largest.width || placed->height > largest.height)
    end_refused(where + asked + " is larger than this driver draws: " + std::to_string(largest.width) + "x" +
                std::to_string(largest.height) + " at most (see --help)");
  return placed;
}

// The board is named as the scene windows are, and another program may destroy it without ending this one.
void name_board_window() {
  platform_name_window();
  platform_let_board_go();
}

// A scene window closed through the window manager ends the program, board or not.
void end_on_window_close() {
  cleanup();
  std::exit(0);
}

// Each window gets the keyboard, display and reshape callbacks, and nothing else unless a lesson is loaded,
// whose F keys need the special-key callback.
int create_window(const char* title, const window_placement& at) {
  glutInitWindowSize(at.width, at.height);
  glutInitWindowPosition(at.x, at.y);
  const int window = glutCreateWindow(title);
  platform_name_window();
  glutKeyboardFunc(keyboard_callback);
  glutDisplayFunc(display_callback);
  glutReshapeFunc(resize_callback);
  if (!loaded_lesson.file.empty()) glutSpecialFunc(special_callback);
  return window;
}

}  // namespace

int main(int argc, char** argv) {
  // The program's own options are answered before GLUT looks for a display, so they work without one.
  const own_options options = take_own_options(argc, argv);
  if (options.help) {
    print_usage();
    return 0;
  }
  if (options.version) {
    std::printf("solar_demo %s\n", SOLAR_VERSION);
    return 0;
  }
  if (!options.usage_error.empty()) {
    std::fprintf(stderr, "solar_demo: %s (see --help)\n", options.usage_error.c_str());
    return 2;
  }
  refuse_untypable_keys(options.keys);
  save_file = !options.save_to.empty()
                  ? options.save_to
                  : compute_default_save_file(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"),
                                              std::getenv("APPDATA"));
  load_lesson(options);
  platform_end_promptly_on_display_loss(argc, argv);
  glutInit(&argc, argv);
  name_ignored_arguments(argc, argv);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  // A lesson may say the windows' size and the text scale it was made for; the command line wins. A lesson
  // played on a smaller screen than its own, from a file manager that cannot add -geometry, is fitted to it.
  double fitted_scale = 1;
  std::string fitted_words;
  if (loaded_lesson.size && options.geometry == nullptr) {
    const auto [width, height] = *loaded_lesson.size;
    const fitted_size fitted = compute_fitted_size(width, height, window_gap_px, glutGet(GLUT_SCREEN_WIDTH),
                                                   glutGet(GLUT_SCREEN_HEIGHT) - window_top_px);
    disp_width = fitted.width;
    disp_height = fitted.height;
    fitted_scale = fitted.scale;
    if (fitted.scale < 1)
      fitted_words = "made for " + std::to_string(width) + "x" + std::to_string(height) + ", shown at " +
                     std::to_string(fitted.width) + "x" + std::to_string(fitted.height);
  }
  const window_placement mother = place_mother_window(options.geometry);
  refuse_picks_outside(options, mother);
  disp_width = mother.width;
  disp_height = mother.height;
  mother_window = create_window(ship_titles[MOTHER_SHIP], mother);
  refuse_undrawable_size(mother);
  text_scale = compute_text_scale(options.text_scale ? options.text_scale : loaded_lesson.text_scale,
                                  std::getenv("GDK_SCALE"), platform_display_dpi());
  if (!options.text_scale) text_scale = std::max(1, int(std::lround(text_scale * fitted_scale)));
  const window_placement scout =
      compute_scout_placement(mother, window_gap_px, glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT));
  board_prepare(place_board(options), window_gap_px,
                {keyboard_callback, loaded_lesson.file.empty() ? nullptr : special_callback,
                 end_on_window_close, name_board_window, platform_board_exists});
  scout_window = create_window(ship_titles[SCOUT_SHIP], scout);
  glutSetWindow(mother_window);
  init();
  glutSetWindow(scout_window);
  init();
  // A lesson can start where it begins: the keys, then the pick, before the first tick.
  demo_type_start(options.keys, options.pick);
  if (!unusable_lesson.empty()) say_until_key(unusable_lesson);
  // The lesson's title greets the class, with how to go on, and says what was fitted to this screen.
  std::string greeting =
      loaded_lesson.title.empty() ? "" : loaded_lesson.title + ": F1 to F12 go to its states";
  if (!fitted_words.empty()) greeting += (greeting.empty() ? "" : "; ") + fitted_words;
  if (!greeting.empty()) say(greeting);
  if (options.board || loaded_lesson.board) board_open();
  glutSetWindow(mother_window);
  std::printf("solar_demo: press h in either window to show the keys\n");
  std::fflush(stdout);
  // The first tick runs before the loop: the scene has moved one step before anything is drawn.
  idle(0);
  glutMainLoop();
  return 0;
}
