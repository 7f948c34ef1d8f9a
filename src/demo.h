// SPDX-License-Identifier: MIT
// The demo module owns the scene: the twelve bodies and the two ships, from the first window set-up to the
// exit path, and draws a window's frame, runs the command table and picks. The shell in main.cpp reaches it
// only through the demo_ functions; the globals below are shared with the tests. What the overlays write is
// built here and handed to overlay.cpp, which reads none of it by itself.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "matrix_math.h"
#include "overlay.h"
#include "scene_names.h"
#include "ship.h"
#include "solar_system.h"

extern ship* ships[ship_count];   // indexed by ship_name; owned here
extern body* planet[body_count];  // indexed by body_name; planet[STARFIELD] is the root; owned here
extern bool demo_initialized;     // true once the bodies and ships exist
extern bool frozen;               // while true the timer does not advance the bodies
extern int active_ship;           // the ship_name that receives commands and ship keys
extern unsigned int glut_mother_ship_window;  // GLUT window id of "Mother Ship"
extern unsigned int glut_scout_ship_window;   // GLUT window id of "Scout Ship"
extern int text_scale;  // the overlays draw each pixel of a glyph as text_scale x text_scale, 1 to 4

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
  float time_rate = 1.0f;  // scene seconds per second of ticks, 1/16 to 8; "[" halves it, "]" doubles it
};
extern shown_views shown;

// The part of a window the driver draws in, from its bottom-left corner: glViewport cuts a larger size down
// to GL_MAX_VIEWPORT_DIMS.
struct granted_viewport {
  int width, height;
};

// The largest viewport the current window's driver grants (GL_MAX_VIEWPORT_DIMS).
granted_viewport demo_largest_viewport();
// Whether a window of this size has no more pixels than the largest viewport: the most the driver promises
// to draw. A window past that is drawn in part at best, and Mesa's software renderer crashes on one whose
// frame buffer reaches 4 GB.
bool compute_drawable(int width, int height, const granted_viewport& largest);

// What the program keeps of each window besides its ship: what its latest normal frame drew with (the
// viewport, the aspect and the projection it loaded) and its overlays' texture and names. The window's
// ship_name finds it, as GLUT's current window finds that.
struct window_state {
  int width = 0, height = 0;
  float aspect = 1.0f;
  std::array<double, 16> projection = compute_perspective(field_of_view_deg, 1.0, near_plane, far_plane);
  window_overlay overlay;
};

// The body whose chain of transforms "t" shows: the one the active ship follows, else the nearest body the
// last pick hit, else the Sun; and the band's lines for it.
const body& demo_chain_body();
std::vector<std::string> demo_chain_lines();
// The "k" band's lines in a window: the last pick's call, records and outcome where it ran.
std::vector<std::string> demo_pick_lines(ship_name viewer);
// What a window's latest normal frame drew with, the names it placed among it.
const window_state& demo_window(ship_name viewer);

void demo_set_window_ids(unsigned int mother, unsigned int scout);
// MOTHER_SHIP when GLUT's current window is the mother window; any other window counts as the scout's.
ship_name demo_get_current_window();
// Creates the scene on the first call; in every call sets up the current window's GL context.
void demo_init();
// Both ships back to their defaults, the mother ship's eye 20 units behind the scout's.
void demo_reset_ships();
// Advances the scene by step seconds times the time rate, unless it does not exist yet or is frozen.
void demo_idle(float step);
void demo_resize(int width, int height);
// Gives each ship the pose its window's first frame would store, drawing nothing: keys typed before the first
// frame then act on the start-up views, as keys typed later act on the views shown.
void demo_place_cameras();
// Types keys in the mother window with the pointer at (x, y), as a user would before the first tick: each on
// the cameras the frames before it would place, so that "r" after "g" flies on from the view "g" showed.
// Leaves the mother window current.
void demo_type_keys(const std::string& keys, int x, int y);
// Draws the current window's view, overlays and all.
void demo_display();
// The command table: demo keys first, every other key to the active ship; then both windows redraw.
void demo_keyboard(unsigned char key, int x, int y);
// The body_name of the nearest body under the pick region around (x, y) in the current window, or -1.
int demo_pick(int x, int y);
// What a selection pass around (x, y) in the current window left: the count glRenderMode returned (negative
// when the buffer overflowed) and the buffer of hit records.
constexpr int selection_buffer_size = 1024;
struct selection_records {
  int hits = 0;
  std::array<unsigned int, selection_buffer_size> buffer = {};
};
selection_records demo_select(int x, int y);
// Walks OpenGL selection records and returns the first name of the record with the smallest minimum depth
// (compared unsigned; the first record wins a tie), or -1 for no hit. A negative count (the buffer
// overflowed) counts as no hit, and no record is read past buffer_size entries.
int compute_nearest_hit(const unsigned int* records, int hit_count, int buffer_size);
// Deletes the ships and the bodies.
void demo_cleanup();

// The name a person knows the body by, from the body catalogue.
const char* demo_body_label(body_name b);
// The keys as --help lists them, from the command table and a mode's key table (ship_key_table): the demo's
// commands, and one mode's keys. Each is a few lines separated by newlines.
const char* demo_command_keys_help();
const char* demo_mode_keys_help(navigation_mode mode);
// What the status overlay says in a window: its ship, whether it has the keys, its mode and step, the body
// it follows, "paused", and what the last pick found when it found nothing to follow (for two seconds).
std::vector<std::string> demo_status_lines(ship_name window);
// What the camera readout says of a window's camera: its mode, where it is (LOOKAT: eye, target and up;
// GEOSYNCH: the body and the distance), the projection call of its latest frame and the model-view matrix
// the frame loads, in rows.
std::vector<std::string> demo_camera_lines(ship_name window);
// The key band's sections: the active ship's keys under a title that names the ship and its mode, then the
// commands.
std::vector<std::vector<std::string>> demo_key_sections();
// Why a key cannot be typed for the user at start-up (--keys), or null when it can: it must be one that a
// command or some mode's key table takes, and need no pointer.
const char* demo_refuse_typed_key(unsigned char key);
// The view volume the window of viewer draws for the other ship ("v"), from that ship's camera as it stands
// now: its eye, then the corners of the rectangle where it ends. Nothing when that camera has no place.
std::optional<std::array<point3, 5>> demo_view_volume(ship_name viewer);
// With "k" and "v" on, in the window where the last pick did not run: the pick's own volume, from the
// picking camera's eye (as it was) through the region's corners out to the depth of the chosen record, or
// to the far plane without a record.
std::optional<std::array<point3, 5>> demo_pick_volume(ship_name viewer);
// Every row of the command table as its keys, Escape's (which the shell takes) included.
std::vector<std::string> demo_command_keys();
