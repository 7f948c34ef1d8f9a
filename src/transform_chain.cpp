// SPDX-License-Identifier: MIT
// A body's chain of transforms from the root, and the t band's lines for it.
#include "transform_chain.h"

#include <cmath>

#include "number_forms.h"

namespace {

constexpr int angle_decimals = 1, length_decimals = 3;

// Where an angle has run past a turn, the same angle within 0 to 360, to write beside the call: the angles
// accumulate without being reduced.
std::string compute_turn_text(float angle) {
  if (angle >= 0 && angle < 360) return "";
  const double tenths = std::pow(10.0, angle_decimals), shown = std::round(angle * tenths) / tenths;
  const double within = std::fmod(std::fmod(shown, 360.0) + 360.0, 360.0);
  return " [= " + compute_number_text(within, angle_decimals) + "]";
}

std::string compute_call_text(const transform_call& call) {
  const std::string axis = compute_number_text(call.x, length_decimals) + ", " +
                           compute_number_text(call.y, length_decimals) + ", " +
                           compute_number_text(call.z, length_decimals);
  if (!call.rotate) return "glTranslatef(" + axis + ")";
  return "glRotatef(" + compute_number_text(call.angle, angle_decimals) + ", " + axis + ")" +
         compute_turn_text(call.angle);
}

}  // namespace

std::vector<chain_level> compute_transform_chain(const body& b) {
  std::vector<chain_level> chain;
  for (const body* level = &b; level != nullptr; level = level->parent)
    chain.insert(chain.begin(), {level, level->orbit_calls()});
  chain.back().calls.push_back(b.spin_call());
  return chain;
}

std::vector<std::string> compute_chain_lines(const body& b,
                                             const std::function<std::string(const body&)>& name) {
  std::vector<std::string> lines = {"transform chain of " + name(b) + ", from the root:"};
  int depth = 1;  // the identity, loaded before the walk
  for (const chain_level& level : compute_transform_chain(b)) {
    // A call a line, indented under its level, so that no line outgrows a narrow band.
    lines.push_back(name(*level.of) + ", depth " + std::to_string(++depth) + ": glPushMatrix()");
    for (const transform_call& call : level.calls) lines.push_back("  " + compute_call_text(call));
    if (level.of == &b) lines.emplace_back("  glPopMatrix()");
  }
  lines.push_back("world_pose of " + name(b) + ":");
  for (const std::string& row : compute_matrix_rows(b.world_pose)) lines.push_back(row);
  return lines;
}
