// SPDX-License-Identifier: MIT
#include "state_numbers.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "body_labels.h"
#include "number_forms.h"

namespace {

constexpr const char* ship_words[] = {"mother", "scout"};
constexpr const char* ship_settings[] = {"mode", "eye",     "target",   "up",
                                         "pose", "follows", "distance", "steps"};
constexpr const char* scene_settings[] = {"angles", "views", "rate", "paused", "keys to"};
constexpr const char* pick_settings[] = {"kept pick", "kept pick view", "kept pick projection",
                                         "kept pick lens", "kept pick outcome"};

// Nine significant digits give a float back exactly, seventeen a double.
std::string number_text(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", double(value));
  return text;
}
std::string number_text(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}
std::string number_text(int value) { return std::to_string(value); }
std::string number_text(unsigned value) { return std::to_string(value); }

// How many words of a selection buffer its hit records take: each its name count, z1, z2 and its names.
size_t used_words(const pick_report& report) {
  size_t used = 0;
  for (int hit = 0; hit < report.hits && used < report.buffer.size(); ++hit) used += 3 + report.buffer[used];
  return std::min(used, report.buffer.size());
}

template <typename T>
std::string list_text(const T* values, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += (i == 0 ? "" : ", ") + number_text(values[i]);
  return text;
}

// The numbers of a comma-separated list, in the one grammar every saved number is written in.
template <typename T>
std::optional<std::vector<T>> read_list(const std::string& value) {
  const std::optional<std::vector<double>> read = read_number_list(value, std::is_same_v<T, float>);
  if (!read) return std::nullopt;
  return std::vector<T>(read->begin(), read->end());
}

template <typename T, size_t n>
bool read_array(const std::string& value, std::array<T, n>& into) {
  const std::optional<std::vector<T>> read = read_list<T>(value);
  if (!read || read->size() != n) return false;
  std::copy(read->begin(), read->end(), into.begin());
  return true;
}

int find_word(const char* const* words, size_t count, const std::string& word) {
  for (size_t i = 0; i < count; ++i)
    if (word == words[i]) return int(i);
  return -1;
}

}  // namespace

std::vector<std::string> compute_state_lines(const state_numbers& state) {
  std::vector<std::string> lines;
  for (size_t s = 0; s < 2; ++s) {
    const ship_numbers& ship = state.ships[s];
    const std::string who = std::string(ship_words[s]) + " ";
    lines.push_back(who + "mode = " + mode_names[ship.mode]);
    lines.push_back(who + "eye = " + list_text(ship.eye.data(), 3));
    lines.push_back(who + "target = " + list_text(ship.target.data(), 3));
    lines.push_back(who + "up = " + list_text(ship.up.data(), 3));
    lines.push_back(who + "pose = " + list_text(ship.pose.data(), 16));
    lines.push_back(who + "follows = " + (ship.follows < 0 ? "nothing" : body_labels[ship.follows]));
    lines.push_back(who + "distance = " + number_text(ship.distance));
    lines.push_back(who + "steps = " + list_text(ship.steps.data(), 4));
    lines.push_back(who + "lens = " + list_text(&state.lenses[s].field_of_view, 1) + ", " +
                    list_text(&state.lenses[s].near_distance, 1) + ", " +
                    list_text(&state.lenses[s].far_distance, 1));
  }
  lines.push_back("angles = " + list_text(state.angles[0].data(), 2 * body_count));
  lines.push_back("views = " + (state.views.empty() ? std::string("none") : state.views));
  lines.push_back("rate = " + number_text(state.rate));
  lines.push_back(std::string("paused = ") + (state.paused ? "yes" : "no"));
  lines.push_back(std::string("keys to = ") + ship_words[state.keys_to]);
  if (const std::optional<pick_numbers>& pick = state.pick) {
    const pick_report& r = pick->report;
    const size_t used = used_words(r);  // the rest of the buffer is what no record reached
    const int head[] = {r.x,           r.y,           r.window_height, r.viewport[0], r.viewport[1],
                        r.viewport[2], r.viewport[3], r.hits,          int(used)};
    lines.push_back(std::string("kept pick = ") + ship_words[pick->window] + ", " + list_text(head, 9) +
                    (used == 0 ? "" : ", " + list_text(r.buffer.data(), used)));
    lines.push_back("kept pick view = " + list_text(pick->view.data(), 16));
    lines.push_back("kept pick projection = " + list_text(pick->projection.data(), 16));
    lines.push_back("kept pick lens = " + list_text(&pick->lens.field_of_view, 1) + ", " +
                    list_text(&pick->lens.near_distance, 1) + ", " + list_text(&pick->lens.far_distance, 1));
    lines.push_back("kept pick outcome = " + r.outcome);
  }
  return lines;
}

bool state_reader::knows(const std::string& name) const {
  const size_t space = name.find(' ');
  if (space != std::string::npos && find_word(ship_words, 2, name.substr(0, space)) >= 0 &&
      find_word(ship_settings, std::size(ship_settings), name.substr(space + 1)) >= 0)
    return true;
  return find_word(scene_settings, std::size(scene_settings), name) >= 0 ||
         find_word(pick_settings, std::size(pick_settings), name) >= 0;
}

std::string state_reader::take(const std::string& name, const std::string& value) {
  if (std::find(given_.begin(), given_.end(), name) != given_.end()) return name + " is given twice";
  given_.push_back(name);
  const std::string wrong = name + " takes ";
  const size_t space = name.find(' ');
  const int who = space == std::string::npos ? -1 : find_word(ship_words, 2, name.substr(0, space));
  if (who >= 0) {
    ship_numbers& ship = state_.ships[size_t(who)];
    const std::string setting = name.substr(space + 1);
    if (setting == "mode") {
      const int mode = find_word(mode_names, 3, value);
      if (mode < 0) return wrong + "LOOKAT, RELATIVE or GEOSYNCH";
      ship.mode = navigation_mode(mode);
    } else if (setting == "follows") {
      ship.follows = value == "nothing" ? -1 : find_aimable_body(value.c_str());
      if (ship.follows < 0 && value != "nothing") return wrong + "a body's name or nothing";
    } else if (setting == "distance") {
      std::array<float, 1> distance{};
      if (!read_array(value, distance)) return wrong + "one number";
      ship.distance = distance[0];
    } else if (!(setting == "eye"      ? read_array(value, ship.eye)
                 : setting == "target" ? read_array(value, ship.target)
                 : setting == "up"     ? read_array(value, ship.up)
                 : setting == "pose"   ? read_array(value, ship.pose)
                                       : read_array(value, ship.steps))) {
      const char* counts = setting == "pose" ? "16" : setting == "steps" ? "4" : "3";
      return wrong + counts + " finite numbers, commas between them";
    }
    return "";
  }
  if (name == "angles") {
    std::array<float, 2 * body_count> angles{};
    if (!read_array(value, angles)) return wrong + std::to_string(2 * body_count) + " finite numbers";
    for (size_t b = 0; b < size_t(body_count); ++b) state_.angles[b] = {angles[2 * b], angles[2 * b + 1]};
  } else if (name == "views") {
    state_.views = value == "none" ? "" : value;
    for (const char letter : state_.views)
      if (std::strchr(view_letters, letter) == nullptr ||
          std::count(state_.views.begin(), state_.views.end(), letter) > 1)
        return wrong + "none, or some of the letters " + view_letters + " once each";
  } else if (name == "rate") {
    std::array<float, 1> rate{};
    if (!read_array(value, rate) || !(rate[0] >= 1.0f / 16 && rate[0] <= 8))
      return wrong + "a number from 1/16 to 8";
    state_.rate = rate[0];
  } else if (name == "paused") {
    if (value != "yes" && value != "no") return wrong + "yes or no";
    state_.paused = value == "yes";
  } else if (name == "keys to") {
    const int ship = find_word(ship_words, 2, value);
    if (ship < 0) return wrong + "mother or scout";
    state_.keys_to = ship_name(ship);
  } else {
    return take_pick(name, value);
  }
  return "";
}

std::string state_reader::take_pick(const std::string& name, const std::string& value) {
  if (!state_.pick) state_.pick.emplace();
  pick_numbers& pick = *state_.pick;
  const std::string wrong = name + " takes ";
  if (name == "kept pick") {
    const size_t comma = value.find(',');
    const int window = find_word(ship_words, 2, value.substr(0, comma));
    const std::optional<std::vector<double>> numbers =
        comma == std::string::npos ? std::nullopt : read_list<double>(value.substr(comma + 1));
    constexpr size_t head = 9;  // x, y, the window's height, the viewport, the hits, the buffer's size
    // Whole numbers all: the head's within an int, the buffer's within an unsigned int, as GL returns them.
    const auto whole = [&](size_t i) {
      const double n = (*numbers)[i];
      return n == std::floor(n) &&
             (i < head ? n >= -2147483648.0 && n <= 2147483647.0 : n >= 0 && n <= 4294967295.0);
    };
    bool valid = window >= 0 && numbers && numbers->size() >= head;
    for (size_t i = 0; valid && i < numbers->size(); ++i) valid = whole(i);
    valid = valid && (*numbers)[8] >= 0 && double(numbers->size() - head) == (*numbers)[8];
    if (!valid)
      return wrong +
             "mother or scout, then X, Y, the window's height, the viewport, the hits, the "
             "buffer's size and its values, whole numbers";
    const std::vector<double>& n = *numbers;
    pick.window = ship_name(window);
    pick.report.x = int(n[0]);
    pick.report.y = int(n[1]);
    pick.report.window_height = int(n[2]);
    pick.report.viewport = {int(n[3]), int(n[4]), int(n[5]), int(n[6])};
    pick.report.hits = int(n[7]);
    pick.report.buffer.clear();
    for (size_t i = head; i < n.size(); ++i) pick.report.buffer.push_back(unsigned(n[i]));
  } else if (name == "kept pick view") {
    if (!read_array(value, pick.view)) return wrong + "16 finite numbers";
  } else if (name == "kept pick projection") {
    if (!read_array(value, pick.projection)) return wrong + "16 finite numbers";
  } else if (name == "kept pick lens") {
    std::array<double, 3> lens{};
    if (!read_array(value, lens)) return wrong + "FIELD OF VIEW, NEAR, FAR";
    pick.lens = {lens[0], lens[1], lens[2]};
  } else {
    pick.report.outcome = value;
  }
  return "";
}

std::string state_reader::finish() const {
  std::vector<std::string> needed;
  for (const char* who : ship_words)
    for (const char* setting : ship_settings) needed.push_back(std::string(who) + " " + setting);
  needed.insert(needed.end(), std::begin(scene_settings), std::end(scene_settings));
  if (state_.pick) needed.insert(needed.end(), std::begin(pick_settings), std::end(pick_settings));
  for (const std::string& each : needed)
    if (std::find(given_.begin(), given_.end(), each) == given_.end())
      return "a state given by numbers gives " + each + " too";
  for (size_t s = 0; s < 2; ++s)
    if (state_.ships[s].mode == GEOSYNCH && state_.ships[s].follows < 0)
      return std::string(ship_words[s]) + " follows nothing, and GEOSYNCH follows a body";
  return "";
}
