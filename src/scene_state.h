// SPDX-License-Identifier: MIT
// The scene's state, which the demo's modules share: the bodies and the ships, which ship is active, what
// is shown and how fast the scene runs, whether it is paused, each window's state, and the message about
// the last key that changed nothing. The scene's life (demo.cpp) creates and deletes the objects; the command
// table, picking and the views' words read and change the rest. Plain data and the few changes every module
// makes the same way.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "body_labels.h"
#include "matrix_math.h"
#include "scene_names.h"
#include "ship.h"
#include "solar_system.h"

// The body catalogue, one entry per body in body_name order, every parent before its children.
struct catalogue_entry {
  body_name name;
  float diameter;      // scene units
  float spin_speed;    // degrees per second
  body_name parent;    // the root names itself
  float orbit_radius;  // scene units from the parent's centre
  float orbit_speed;   // degrees per second
  const char* image_path;
};
extern const catalogue_entry body_catalogue[body_count];
static_assert(body_label_count == body_count, "a name for every body");
// The name a person knows the body by.
const char* demo_body_label(body_name b);
// The planets, from the Sun outwards: what the digit keys 1 to 9 follow, and all a pick may follow (never
// the Sun or the Moon).
constexpr body_name followable_planets[] = {MERCURY, VENUS,  EARTH,   MARS, JUPITER,
                                            SATURN,  URANUS, NEPTUNE, PLUTO};

extern ship* ships[ship_count];   // indexed by ship_name; owned by the scene's life
extern body* planet[body_count];  // indexed by body_name; planet[STARFIELD] is the root; owned likewise
extern bool demo_initialized;     // true once the bodies and ships exist
extern bool frozen;               // while true the timer does not advance the bodies
extern int active_ship;           // the ship_name that receives commands and ship keys
extern bool is_picking;           // true only while demo_pick's selection pass is drawn
extern int pick_x;                // where it picks: window pixels from the left edge, kept after the pass
extern int pick_y;                // and from the top edge, as GLUT reports the pointer
extern unsigned int glut_mother_ship_window;  // GLUT window id of "Mother Ship"
extern unsigned int glut_scout_ship_window;   // GLUT window id of "Scout Ship"
extern unsigned int glut_board_window;        // GLUT window id of "Board" while it is open, else 0
// Makes a ship's window GLUT's current window.
void set_ship_window(ship_name window);
extern int text_scale;         // the overlays draw each pixel of a glyph as text_scale x text_scale, 1 to 4
extern std::string save_file;  // where "S" appends the scene as a lesson's state; empty when nowhere

// What is shown in both windows, and how fast the scene runs: the start-up values are these, and "m" leaves
// them. A new view is its module, its row in the command table and its field here.
struct shown_views {
  bool status = false;     // "h": the status lines and the keys
  bool names = false;      // "n": each body's name beside it, and the other ship's beside its model
  bool camera = false;     // "i": each window's camera as numbers: its pose, projection and matrix
  bool volume = false;     // "v": the other ship's view volume
  bool frames = false;     // "o": each body's axes and spin axis, the spheres as wireframe
  bool pick = false;       // "k": the last pick's region, hit records and choice
  bool chain = false;      // "t": the chain of transforms that places one body, with its numbers
  bool depth = false;      // "u": each window's depth buffer as grey in place of its colours
  float time_rate = 1.0f;  // scene seconds per second of ticks, 1/16 to 8; "[" halves it, "]" doubles it
};
extern shown_views shown;

// The part of a window the driver draws in, from its bottom-left corner: glViewport cuts a larger size down
// to GL_MAX_VIEWPORT_DIMS.
struct granted_viewport {
  int width, height;
};

// What the program keeps of each window besides its ship and its overlays: the projection it loads, and what
// its latest normal frame drew with (the viewport, the aspect and the projection it loaded). The window's
// ship_name finds it, as GLUT's current window finds that.
struct window_state {
  projection_lens lens;
  int width = 0, height = 0;
  float aspect = 1.0f;
  std::array<double, 16> projection =
      compute_perspective(lens.field_of_view, 1.0, lens.near_distance, lens.far_distance);
};
extern window_state window_states[ship_count];

// What the program says after a key that changed nothing anyone could see, so that no key seems dead, and
// for how many more ticks: in the status band, or on a line of its own while that is off.
struct key_notice {
  std::string message;
  int ticks = 0;
  bool until_key = false;  // held, whatever the ticks, until the next key
};
extern key_notice notice;
void say(std::string message);
// Says what must not be missed, held in both windows until a key is pressed: a lesson the program was
// handed but cannot use, where nobody may be watching a terminal.
void say_until_key(std::string message);
// The notice's words while it lasts, or null.
const char* current_notice();

// The lesson's state last gone to, "F3: Saturn from 15 units", and its notes, which the status band shows;
// empty before the first and after "m".
extern std::string lesson_step;
extern std::vector<std::string> lesson_notes;

// The active ship follows a body: it switches to GEOSYNCH (or stays in it) above that body.
void follow(body_name target);
// Both ships back to their defaults, the mother ship's eye 20 units behind the scout's, and both windows'
// projections as at start.
void demo_reset_ships();
// "m": both ships and both lenses back to their defaults, which leaves the lesson's state too.
void leave_lesson_state();
// Keeps every body's angles as they were made, once the bodies exist; a lesson's state begins from them.
void keep_start_angles();
// The scene as start-up leaves it before any key, but for the last pick (picking's to forget): the bodies
// where they started, both ships at their defaults, the mother ship with the keys, every view off, the rate
// 1, not paused and no message shown.
void restore_start_scene();
