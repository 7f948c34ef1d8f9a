// SPDX-License-Identifier: MIT
// The names overlay's layout, as pure functions: which bodies can be seen from a camera (not behind it, not
// outside the window, not hidden by what is drawn nearer) and where each name goes around its body's disc,
// clear of other bodies, the bands and each other, keeping the names of the last frame where they still fit.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "matrix_math.h"
#include "overlay_text.h"

// A name to write beside a point of the world, and where it went. A body's name goes beside its disc, the
// radius, in world units, telling how far that reaches.
struct label_request {
  std::string text;
  std::array<float, 3> world;
  float radius = 0;
  bool hidden = false;  // something drawn lies between the camera and the point
};
// A ball of the world (a body's disc, a part of Saturn's rings) that no name but its owner's may cover.
struct label_obstacle {
  std::array<float, 3> centre;
  float radius;
  size_t owner;  // the request whose body draws it
};
struct placed_label {
  size_t request;  // which of the requests
  std::string text;
  int x, y;  // where the text starts, on its baseline, in window pixels from the bottom left
  // Which of the places around its body it took, which it tries first in the next frame: 0 right of the
  // disc, 1 left of it, then 2 + 8 x (step - 1) + direction on a leader, up and right first and on
  // anticlockwise, each step farther out.
  int slot;
  // A name offset from its body is joined to the edge of its disc by a line, from (x0, y0) to (x1, y1).
  bool has_leader = false;
  std::array<int, 4> leader = {};
};

// Where each name goes: right of its body's disc, or left of it, or a little farther away in one of eight
// directions, joined to the disc by a leader line; never over another body's disc or rings (the obstacles),
// a reserved rectangle (the status bands) or another name. A name is left out when its point is behind the
// camera, outside the window, not finite or hidden, or when no place is free; a camera that has no place
// (camera.fault) gets no names at all. Names of the last frame (shown_before) are placed first, each trying
// its last place first, so that a name stays where it was while it fits; then the others, nearer first.
// Every size and distance of a name's is scale times its size in text pixels.
std::vector<placed_label> compute_label_layout(const std::vector<label_request>& requests,
                                               const std::vector<label_obstacle>& obstacles,
                                               const camera_place& camera, const double* projection,
                                               const int* viewport, const std::vector<window_rect>& reserved,
                                               int scale, const std::vector<placed_label>& shown_before = {});

// The text blocks of placed names at a text scale, each on its backing, in its fixed rows of the window's
// texture: a name's rows follow from its request, so that a name keeps its rows from frame to frame.
void add_name_blocks(std::vector<text_block>& blocks, const std::vector<placed_label>& placed, int scale);
// The texture rows one name takes, backing included.
int name_rows(size_t request_count);
