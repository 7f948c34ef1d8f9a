// SPDX-License-Identifier: MIT
// The names overlay's layout, as pure functions: which bodies can be seen from a camera (not behind it, not
// outside the window, not hidden by a nearer body) and where each name goes beside its body's disc, clear of
// the bands and of each other, keeping the names of the last frame where they still fit.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "overlay_text.h"
#include "ship.h"

// A name to write beside a point of the world, and where it went. A body's name goes beside its disc, the
// radius, in world units, telling how far that reaches; a body also hides the names of what lies behind it.
struct label_request {
  std::string text;
  std::array<float, 3> world;
  float radius = 0;
  bool hides_others = false;
};
struct placed_label {
  size_t request;  // which of the requests
  std::string text;
  int x, y;  // where the text starts, on its baseline, in window pixels from the bottom left
};

// Whether a body between the eye and the point hides it: the segment from the eye to the point passes
// through one of the spheres (centre, radius). A sphere the eye is inside hides nothing, since its faces
// are culled from within; nor does one the point is inside, the point's own body.
struct sphere {
  std::array<float, 3> centre;
  float radius;
};
bool compute_is_hidden(const std::array<double, 3>& eye, const std::array<float, 3>& point,
                       const std::vector<sphere>& spheres);

// Where each name goes: beside its point, to the right of its disc. A name is left out when its point is
// behind the camera, outside the window, not finite or hidden by another body, or when its text and backing
// would overlap a name already placed or a reserved rectangle (the status bands); a camera that has no place
// (camera.fault) gets no names at all. Names in shown_before (those of the last frame) are placed first, so
// that a name stays while it still fits; then the others, nearer first.
std::vector<placed_label> compute_label_layout(const std::vector<label_request>& requests,
                                               const camera_place& camera, const double* projection,
                                               const int* viewport, const std::vector<window_rect>& reserved,
                                               const std::vector<std::string>& shown_before = {});

// The text blocks of placed names, each on its backing, in its fixed rows of the window's texture: a name's
// rows follow from its request, so that a name keeps its rows from frame to frame.
void add_name_blocks(std::vector<text_block>& blocks, const std::vector<placed_label>& placed);
// The texture rows one name takes, backing included.
int name_rows(size_t request_count);
