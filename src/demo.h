// SPDX-License-Identifier: MIT
// The demo module owns the scene: the twelve bodies and the two ships, from the first window set-up to the
// exit path; it draws a window's frame and runs a key through the command table, picking and the frame. The
// shell in main.cpp reaches it only through the demo_ functions; the scene's state (scene_state.h) is shared
// with the tests. What the overlays write is built from the views' words and handed to overlay.cpp, which
// reads none of it by itself.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "band_words.h"
#include "commands.h"
#include "lesson_play.h"
#include "overlay.h"
#include "pick_report.h"
#include "picking.h"
#include "scene_state.h"
#include "window_frame.h"

// What a window's latest normal frame drew with, and what its overlays keep: the names it placed.
const window_state& demo_window(ship_name viewer);
const window_overlay& demo_overlay(ship_name viewer);

void demo_set_window_ids(unsigned int mother, unsigned int scout);
// MOTHER_SHIP when GLUT's current window is the mother window; any other window counts as the scout's.
ship_name demo_get_current_window();
// Creates the scene on the first call; in every call sets up the current window's GL context and loads the
// projection its first frame will load.
void demo_init();
// Advances the scene by step seconds times the time rate, unless it does not exist yet or is frozen.
void demo_idle(float step);
void demo_resize(int width, int height);
// Gives each ship the pose its window's first frame would store, drawing nothing: keys typed before the first
// frame then act on the start-up views, as keys typed later act on the views shown.
void demo_place_cameras();
// Types keys in a window (the mother window unless told) with the pointer at (x, y), as a user would before
// the first tick: each on the cameras the frames before it would place, so that "r" after "g" flies on from
// the view "g" showed. Leaves the mother window current.
void demo_type_keys(const std::string& keys, int x, int y, ship_name window = MOTHER_SHIP);
// What start-up types for --keys and --pick (or --inspect), and a lesson's state alike: the keys in the
// mother window with the pointer in its middle, then the pick, as space or Shift+space with the pointer there
// would make it. Leaves the mother window current.
void demo_type_start(const std::string& keys, const std::optional<start_pick>& pick);
// Goes to a state of the loaded lesson (0 for F1): a fresh start-up scene, its keys, its pick and the first
// tick, as the program shows it when started with those keys and that pick; or says why there is none.
void demo_go_to_lesson_state(int index);
// Draws the current window's view, overlays and all; while is_picking is set, the selection pass around
// (pick_x, pick_y) instead, which draws the bodies alone under their names.
void demo_display();
// The command table first, then the pick's selection pass or the active ship; then both windows redraw.
void demo_keyboard(unsigned char key, int x, int y);
// The body_name of the nearest body under the pick region around (x, y) in the current window, or -1.
int demo_pick(int x, int y);
// What a selection pass around (x, y) in the current window left: it sets is_picking, pick_x and pick_y,
// draws through demo_display and clears is_picking, as demo_pick's pass does.
selection_records demo_select(int x, int y);
// Deletes the ships and the bodies.
void demo_cleanup();

// The view volume the window of viewer draws for the other ship ("v"), from that ship's camera as it stands
// now: its eye, then the corners of the rectangle where it ends. Nothing when that camera has no place.
std::optional<std::array<point3, 5>> demo_view_volume(ship_name viewer);
