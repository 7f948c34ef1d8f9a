// SPDX-License-Identifier: MIT
// What a pick does in the scene. It runs only where the pointer lies in the part of the window the driver
// draws; it keeps what the selection pass found for "k" (where it ran, the picking camera and projection,
// the records), sends the active ship after a planet, and says why when it sends none; and it gives the
// pick's own volume that "v" draws in the other window. It is handed the records: the selection pass is the
// frame's.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "pick_report.h"
#include "scene_state.h"

// Where a pick ran in its window: the pointer in GLUT's pixels from the top left, the window's height, the
// viewport the driver granted, and the projection the selection pass loaded under its pick region, with the
// lens it was made from: a key may have changed the lens since the window's last frame.
struct pick_place {
  int x, y;
  int window_height;
  std::array<int, 4> viewport;
  std::array<double, 16> projection;
  projection_lens lens;
};

// Whether a pick may run there: outside the viewport a pick region still reaches into the frustum beyond the
// picture, where it would find what nobody sees. Says so when it may not.
bool admit_pick(const pick_place& where);

// Keeps the pick that ran in window at where, with what the selection pass found, the window's camera as the
// pass placed it and the pass's projection, and sends the active ship after a planet it found, unless it
// holds still.
void take_pick(ship_name window, const pick_place& where, const selection_records& selection,
               bool holds_still);

// The last pick, for "k": the window it ran in and what it found.
struct kept_pick {
  bool made = false;
  ship_name window = MOTHER_SHIP;
  pick_report report;
  std::array<float, 16> view = {};         // the picking camera's, as the selection pass placed it
  std::array<double, 16> projection = {};  // what the selection pass loaded, the pick region aside
  projection_lens lens;                    // the near and far planes that projection has
  unsigned long number = 0;                // how many picks the scene has made: a new pick is a new number
  std::string not_run;                     // why the pick asked for last did not run, until the next
};
const kept_pick& last_pick();
// Puts back a pick kept earlier, as a step back does.
void restore_pick(const kept_pick& pick);
// The record the last pick's walk chose; nothing before a pick or after one that hit nothing.
std::optional<chosen_record> last_pick_choice();
// The body the last pick chose, the star-field never: what the views name as the pick's; null before a pick
// and after one that chose no body.
const body* last_picked_body();
// Forgets the last pick, with the scene it was made in.
void forget_pick();
// A pick asked for that could not run (its body out of view): the pick forgotten, and why kept in its place.
void keep_pick_not_run(const std::string& why);

// With "k" and "v" on, in the window where the last pick did not run: the pick's own volume, from the
// picking eye (as it was) through the region's corners out to the depth of the chosen record, or to the far
// plane without a record. Drawn in pick_volume_rgb.
std::optional<std::array<point3, 5>> demo_pick_volume(ship_name viewer);
constexpr float pick_volume_rgb[3] = {1.0f, 0.3f, 0.3f};
