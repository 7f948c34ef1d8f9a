// SPDX-License-Identifier: MIT
// A state of the scene as numbers, as a lesson can give it instead of keys: each ship's mode, eye, target,
// up, pose, the body it follows, its distance and steps; each body's angles; each window's lens; the views
// that are on, the rate, the pause, the active ship, and the kept pick with its records. Written
// so that reading it back gives every number as it was; read line by line, as a lesson's settings.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "frame_constants.h"
#include "pick_report.h"
#include "scene_names.h"

// One ship's navigation: its steps are LOOKAT's, RELATIVE's length and turn, and GEOSYNCH's.
struct ship_numbers {
  navigation_mode mode = LOOKAT;
  std::array<float, 3> eye{}, target{}, up{};
  std::array<float, 16> pose{};
  int follows = -1;  // a body_name, or -1
  float distance = 0;
  std::array<float, 4> steps{};
};

// The kept pick: where it ran, its report and what the selection pass used.
struct pick_numbers {
  ship_name window = MOTHER_SHIP;
  pick_report report;
  std::array<float, 16> view{};
  std::array<double, 16> projection{};
  projection_lens lens;
};

struct state_numbers {
  std::array<ship_numbers, 2> ships;
  std::array<std::array<float, 2>, body_count> angles{};  // spin and orbit, in body_name order
  std::array<projection_lens, 2> lenses;
  std::string views;  // the letters of the views that are on, such as "hikt"
  float rate = 1;
  bool paused = false;
  ship_name keys_to = MOTHER_SHIP;
  std::optional<pick_numbers> pick;
};

// The views' letters in the order they are written, each the key that shows its view.
constexpr const char* view_letters = "hnivoktu";

// The state's lines, "NAME = VALUE", every float to nine significant digits and every double to
// seventeen, which read back exactly.
std::vector<std::string> compute_state_lines(const state_numbers& state);

// Reads a state line by line: take() answers whether the name is one of the state's settings, and what is
// wrong with its value (empty when nothing); finish() what is missing. A state given by numbers gives all of
// them, the kept pick's but when there is none.
class state_reader {
 public:
  bool knows(const std::string& name) const;
  std::string take(const std::string& name, const std::string& value);
  std::string finish() const;
  bool any() const { return !given_.empty(); }
  const state_numbers& read() const { return state_; }

 private:
  std::string take_pick(const std::string& name, const std::string& value);
  state_numbers state_;
  std::vector<std::string> given_;
};
