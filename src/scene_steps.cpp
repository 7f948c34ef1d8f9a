// SPDX-License-Identifier: MIT
#include "scene_steps.h"

#include <algorithm>
#include <deque>

namespace {

// A step, and whether the key after it moved the bodies ("." and a lesson's state do; flying does not).
struct kept_step {
  scene_step scene;
  bool bodies_moved;
};
std::deque<kept_step> steps;
bool oldest_let_go = false;  // once a step has been let go, an empty history is used up, not unused

bool same_ship(const ship& a, const ship& b) {
  return a.mode == b.mode && a.lookat_speed == b.lookat_speed && std::equal(a.eye, a.eye + 3, b.eye) &&
         std::equal(a.origin, a.origin + 3, b.origin) && std::equal(a.up, a.up + 3, b.up) &&
         a.relative_speed == b.relative_speed && a.relative_turn == b.relative_turn &&
         std::equal(a.pose, a.pose + 16, b.pose) && a.geosynch_body == b.geosynch_body &&
         a.geosynch_speed == b.geosynch_speed && a.geosynch_distance == b.geosynch_distance;
}

bool same_lens(const projection_lens& a, const projection_lens& b) {
  return a.field_of_view == b.field_of_view && a.near_distance == b.near_distance &&
         a.far_distance == b.far_distance;
}

bool same_views(const shown_views& a, const shown_views& b) {
  return a.status == b.status && a.names == b.names && a.camera == b.camera && a.volume == b.volume &&
         a.frames == b.frames && a.pick == b.pick && a.chain == b.chain && a.depth == b.depth &&
         a.time_rate == b.time_rate;
}

// Everything but the bodies' angles.
bool same_but_bodies(const scene_step& a, const scene_step& b) {
  return std::equal(a.ships.begin(), a.ships.end(), b.ships.begin(), same_ship) &&
         std::equal(a.lenses.begin(), a.lenses.end(), b.lenses.begin(), same_lens) &&
         same_views(a.views, b.views) && a.paused == b.paused && a.active == b.active &&
         a.pick.number == b.pick.number && a.lesson_state == b.lesson_state && a.notes == b.notes;
}

}  // namespace

scene_step capture_scene_step() {
  scene_step step;
  for (const ship* each : ships) step.ships.push_back(*each);
  for (int b = 0; b < body_count; ++b)
    step.angles[size_t(b)] = {planet[b]->spin_angle, planet[b]->orbit_angle};
  for (int w = 0; w < ship_count; ++w) step.lenses[size_t(w)] = window_states[w].lens;
  step.views = shown;
  step.paused = frozen;
  step.active = active_ship;
  step.pick = last_pick();
  step.lesson_state = lesson_step;
  step.notes = lesson_notes;
  return step;
}

void remember_step(scene_step before) {
  const scene_step now = capture_scene_step();
  const bool bodies_moved = before.angles != now.angles;
  if (!bodies_moved && same_but_bodies(before, now)) return;
  if (steps.size() == most_steps_back) {
    steps.pop_front();
    oldest_let_go = true;
  }
  steps.push_back({std::move(before), bodies_moved});
}

bool step_back() {
  if (steps.empty()) return false;
  const kept_step& last = steps.back();
  const scene_step& step = last.scene;
  for (size_t s = 0; s < step.ships.size(); ++s) *ships[s] = step.ships[s];
  if (last.bodies_moved)
    for (int b = 0; b < body_count; ++b) {
      planet[b]->spin_angle = step.angles[size_t(b)][0];
      planet[b]->orbit_angle = step.angles[size_t(b)][1];
    }
  for (int w = 0; w < ship_count; ++w) window_states[w].lens = step.lenses[size_t(w)];
  shown = step.views;
  frozen = step.paused;
  active_ship = step.active;
  restore_pick(step.pick);
  lesson_step = step.lesson_state;
  lesson_notes = step.notes;
  steps.pop_back();
  return true;
}

void forget_steps() {
  steps.clear();
  oldest_let_go = false;
}

std::string why_no_step_back() {
  return oldest_let_go ? "nothing older to step back to: the last " + std::to_string(most_steps_back) +
                             " steps are kept"
                       : "Backspace steps back after a key that changed the scene";
}

namespace {

// Each view's flag, in the order of view_letters.
std::array<bool*, 8> view_flags() {
  return {&shown.status, &shown.names, &shown.camera, &shown.volume,
          &shown.frames, &shown.pick,  &shown.chain,  &shown.depth};
}

}  // namespace

state_numbers capture_state_numbers() {
  state_numbers numbers;
  for (size_t s = 0; s < 2; ++s) {
    const ship& from = *ships[s];
    ship_numbers& to = numbers.ships[s];
    to.mode = from.get_mode();
    std::copy(from.eye, from.eye + 3, to.eye.begin());
    std::copy(from.origin, from.origin + 3, to.target.begin());
    std::copy(from.up, from.up + 3, to.up.begin());
    std::copy(from.pose, from.pose + 16, to.pose.begin());
    to.follows = from.geosynch_body != nullptr ? int(from.geosynch_body->name) : -1;
    to.distance = from.geosynch_distance;
    to.steps = {from.lookat_speed, from.relative_speed, from.relative_turn, from.geosynch_speed};
    numbers.lenses[s] = window_states[s].lens;
  }
  for (int b = 0; b < body_count; ++b)
    numbers.angles[size_t(b)] = {planet[b]->spin_angle, planet[b]->orbit_angle};
  const std::array<bool*, 8> flags = view_flags();
  for (size_t v = 0; v < flags.size(); ++v)
    if (*flags[v]) numbers.views += view_letters[v];
  numbers.rate = shown.time_rate;
  numbers.paused = frozen;
  numbers.keys_to = ship_name(active_ship);
  if (const kept_pick& pick = last_pick(); pick.made)
    numbers.pick = pick_numbers{pick.window, pick.report, pick.view, pick.projection, pick.lens};
  return numbers;
}

void apply_state_numbers(const state_numbers& numbers) {
  for (size_t s = 0; s < 2; ++s) {
    const ship_numbers& from = numbers.ships[s];
    ship& to = *ships[s];
    to.set_mode(from.mode, from.follows >= 0 ? planet[from.follows] : nullptr);
    std::copy(from.eye.begin(), from.eye.end(), to.eye);
    std::copy(from.target.begin(), from.target.end(), to.origin);
    std::copy(from.up.begin(), from.up.end(), to.up);
    std::copy(from.pose.begin(), from.pose.end(), to.pose);
    to.geosynch_distance = from.distance;
    to.lookat_speed = from.steps[0];
    to.relative_speed = from.steps[1];
    to.relative_turn = from.steps[2];
    to.geosynch_speed = from.steps[3];
  }
  for (int b = 0; b < body_count; ++b) {
    planet[b]->spin_angle = numbers.angles[size_t(b)][0];
    planet[b]->orbit_angle = numbers.angles[size_t(b)][1];
  }
  const std::array<bool*, 8> flags = view_flags();
  for (size_t v = 0; v < flags.size(); ++v)
    *flags[v] = numbers.views.find(view_letters[v]) != std::string::npos;
  shown.time_rate = numbers.rate;
  frozen = numbers.paused;
  active_ship = numbers.keys_to;
  if (const std::optional<pick_numbers>& pick = numbers.pick) {
    kept_pick kept = last_pick();
    kept.made = true;
    kept.window = pick->window;
    kept.report = pick->report;
    kept.view = pick->view;
    kept.projection = pick->projection;
    kept.lens = pick->lens;
    ++kept.number;
    restore_pick(kept);
  }
}
