// SPDX-License-Identifier: MIT
// Typing keys into the scene as a user would, and reaching a lesson's state: what start-up does with --keys
// and --pick, and what an F key does with a state of the loaded lesson. The keys go through the functions it
// is handed, the demo's keyboard and its placing of the cameras, so this module needs nothing above it.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "command_line.h"
#include "lesson.h"
#include "scene_names.h"

// The lesson F1 to F12 go to (none without --lesson).
extern lesson loaded_lesson;

// How a typed key reaches the scene: as the keyboard callback takes it in the current window, then both
// ships' cameras placed as the frame a user sees between two keys would place them.
struct key_typist {
  void (*keyboard)(unsigned char key, int x, int y);
  void (*place_cameras)();
};

// Types keys in window with the pointer at (x, y), as a user would before the first tick: each on the
// cameras the frames before it would place, so that "r" after "g" flies on from the view "g" showed. Leaves
// the mother window current.
void type_keys(const key_typist& typist, const std::string& keys, int x, int y, ship_name window);
// The keys in the mother window with the pointer in its middle, then the lenses a lesson's state sets
// exactly (the mother window's first), then the pick, as space or Shift+space with the pointer there would
// make it. Leaves the mother window current.
void type_start(const key_typist& typist, const std::string& keys, const std::optional<start_pick>& pick,
                const std::array<std::optional<projection_lens>, 2>& lenses = {});
// A state of the loaded lesson (0 for F1) reached afresh: the start-up scene with no pick kept, its keys and
// its pick typed, and the status band naming it; the presenter's "h" as it was, and with the band off the
// state's name said for a while, as a notice. False, with nothing changed but a message saying why, when
// there is no such state.
bool reach_lesson_state(const key_typist& typist, int index);
