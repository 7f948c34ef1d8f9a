// SPDX-License-Identifier: MIT
// The chain of transforms that places a body, as the scene graph makes it from the root down, and the "t"
// band's lines for it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "solar_system.h"

// For each level from the root down, the body of that level and the calls after its push; an ancestor's
// stop at its orbit radius (its children are walked there, before its spin), the body's own end with its
// spin. Replayed on the identity, each level pushed, they leave the body's world_pose.
struct chain_level {
  const body* of;
  std::vector<transform_call> calls;
};
std::vector<chain_level> compute_transform_chain(const body& b);

// The chain as the "t" band writes it: a line per level with its stack depth (the identity at 1) and its
// calls, the body's own ending with glPopMatrix(); then the body's world_pose in rows.
std::vector<std::string> compute_chain_lines(const body& b,
                                             const std::function<std::string(const body&)>& name);
