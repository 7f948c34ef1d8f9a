// SPDX-License-Identifier: MIT
#include "transform_chain.h"

#include <cstdio>

#include "camera_views.h"

namespace {

std::string compute_call_text(const transform_call& call) {
  char text[96];
  if (call.rotate)
    std::snprintf(text, sizeof text, "glRotatef(%.4g, %.3g, %.3g, %.3g)", call.angle, call.x, call.y, call.z);
  else
    std::snprintf(text, sizeof text, "glTranslatef(%g, %g, %g)", call.x, call.y, call.z);
  return text;
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
    std::string line = name(*level.of) + ", depth " + std::to_string(++depth) + ": glPushMatrix()";
    for (const transform_call& call : level.calls) line += "  " + compute_call_text(call);
    if (level.of == &b) line += "  glPopMatrix()";
    lines.push_back(line);
  }
  lines.push_back("world_pose of " + name(b) + ":");
  for (const std::string& row : compute_matrix_rows(b.world_pose)) lines.push_back(row);
  return lines;
}
