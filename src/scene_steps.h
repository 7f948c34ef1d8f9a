// SPDX-License-Identifier: MIT
// Steps back: the scene as it stood before each of the last keys that changed it, so that Backspace can
// return to it. A lesson's state, or "m", is one step however many keys it types. And the scene as numbers,
// which a lesson's state can give and the save key writes.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "picking.h"
#include "scene_state.h"
#include "state_numbers.h"

// How many steps back are kept; the oldest goes first.
constexpr size_t most_steps_back = 100;

// All a key may change: both ships, each body's angles, both lenses, the views, the rate, the pause, which
// ship is active, the kept pick and the lesson's state.
struct scene_step {
  std::vector<ship> ships;
  std::array<std::array<float, 2>, body_count> angles{};
  std::array<projection_lens, ship_count> lenses{};
  shown_views views;
  bool paused = false;
  int active = MOTHER_SHIP;
  kept_pick pick;
  std::string lesson_state;
  std::vector<std::string> notes;
};
scene_step capture_scene_step();

// Keeps before as a step back when the scene now differs from it.
void remember_step(scene_step before);
// Returns to the last step kept and forgets it: the bodies where they were only if that key moved them, so
// that a running scene runs on. False when there is none.
bool step_back();
// Forgets every step, with the scene they were taken in.
void forget_steps();
// Why Backspace found no step: no key changed the scene yet, or the oldest steps were let go.
std::string why_no_step_back();

// The scene as numbers, and the scene set from them: everything but the lenses, which the caller sets.
state_numbers capture_state_numbers();
void apply_state_numbers(const state_numbers& numbers);
