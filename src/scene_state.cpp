// SPDX-License-Identifier: MIT
// The scene's state itself: the body catalogue, the objects and flags every module shares, and the few
// changes (a message shown, a body followed, the ships reset) that each module makes alike.
#include "scene_state.h"

#include "opengl.h"

// clang-format off
const catalogue_entry body_catalogue[body_count] = {
  // name     diameter spin  parent     orbit_r orbit_v image_path
  {STARFIELD, 1000,    0,    STARFIELD,  0,      0,    "source_textures/starfield.jpg"},
  {SUN,       8,       60,   STARFIELD,  0,      0,    "source_textures/sun.jpg"},
  {MERCURY,   4,       120,  SUN,        8,      90,   "source_textures/mercury.jpg"},
  {VENUS,     4,       60,   SUN,        12,     80,   "source_textures/venus.jpg"},
  {EARTH,     4,       40,   SUN,        20,     70,   "source_textures/earth.jpg"},
  {MOON,      3,       0,    EARTH,      4,      120,  "source_textures/moon.jpg"},
  {MARS,      4,       50,   SUN,        28,     60,   "source_textures/mars.jpg"},
  {JUPITER,   6,       30,   SUN,        32,     50,   "source_textures/jupiter.jpg"},
  {SATURN,    6,       30,   SUN,        38,     40,   "source_textures/saturn.jpg"},
  {URANUS,    6,       20,   SUN,        44,     30,   "source_textures/uranus.jpg"},
  {NEPTUNE,   6,       20,   SUN,        50,     20,   "source_textures/neptune.jpg"},
  {PLUTO,     4,       40,   SUN,        56,     10,   "source_textures/pluto.jpg"},
};
// clang-format on

ship* ships[ship_count] = {};
body* planet[body_count] = {};
bool demo_initialized = false;
bool frozen = false;
int active_ship = MOTHER_SHIP;
bool is_picking = false;
int pick_x = 0;
int pick_y = 0;
unsigned int glut_mother_ship_window = 0;
unsigned int glut_scout_ship_window = 0;
unsigned int glut_board_window = 0;
int text_scale = 1;
std::string save_file;
shown_views shown;
window_state window_states[ship_count];
key_notice notice;
std::string lesson_step;
std::vector<std::string> lesson_notes;

namespace {

constexpr int notice_duration_ticks = 90;  // three seconds of 33 ms ticks
constexpr float mother_ship_eye_offset_z = 20.0f;

// Where every body's angles started: the scene the random draws built.
struct start_angles {
  float spin, orbit;
};
std::array<start_angles, body_count> body_start_angles;

}  // namespace

const char* demo_body_label(body_name b) { return body_labels[b]; }

void set_ship_window(ship_name window) {
  glutSetWindow(int(window == MOTHER_SHIP ? glut_mother_ship_window : glut_scout_ship_window));
}

void say(std::string message) { notice = {std::move(message), notice_duration_ticks}; }

void say_until_key(std::string message) { notice = {std::move(message), notice_duration_ticks, true}; }

const char* current_notice() {
  return notice.ticks > 0 || notice.until_key ? notice.message.c_str() : nullptr;
}

void follow(body_name target) { ships[active_ship]->set_mode(GEOSYNCH, planet[target]); }

void demo_reset_ships() {
  ships[MOTHER_SHIP]->reset();
  ships[SCOUT_SHIP]->reset();
  ships[MOTHER_SHIP]->move_lookat_eye(0, 0, mother_ship_eye_offset_z);
  for (window_state& window : window_states) window.lens = {};
}

void leave_lesson_state() {
  demo_reset_ships();
  lesson_step.clear();
  lesson_notes.clear();
}

void keep_start_angles() {
  for (const catalogue_entry& entry : body_catalogue)
    body_start_angles[entry.name] = {planet[entry.name]->spin_angle, planet[entry.name]->orbit_angle};
}

void restore_start_scene() {
  for (const catalogue_entry& entry : body_catalogue) {
    planet[entry.name]->spin_angle = body_start_angles[entry.name].spin;
    planet[entry.name]->orbit_angle = body_start_angles[entry.name].orbit;
  }
  demo_reset_ships();
  active_ship = MOTHER_SHIP;
  shown = shown_views{};
  frozen = false;
  notice = {};
}
