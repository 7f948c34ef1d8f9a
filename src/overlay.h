// SPDX-License-Identifier: MIT
// The two overlays written over a finished frame: the status ("h": the window's ship, whether it has the
// keys, its mode and step, the body it follows, "paused", and the active ship's keys) on dark translucent
// bands, and the names ("n") beside the bodies and the other ship, nearer ones first, none over another or
// over a band. The text is freeglut's 8x13 font, its glyphs taken once and composed into a texture of each
// window's context. Nothing here draws in the selection pass, so picks find the same bodies either way.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "scene_names.h"

extern bool status_overlay_on;  // "h": the status lines and the keys, in both windows
extern bool names_overlay_on;   // "n": each body's name beside it, and the other ship's beside its model

// Draws whichever overlays are on over the current window's finished frame, seen by viewer's camera;
// expects the frame's projection and viewport. Leaves the matrix stacks and every enable as a frame
// without overlays finds them.
void overlay_draw(ship_name viewer, int width, int height);

// A rectangle of window pixels, origin at the bottom left: [left, right) by [bottom, top).
struct window_rect {
  int left, bottom, right, top;
};

// A name to write beside a point of the world, and where it went.
struct label_request {
  std::string text;
  std::array<float, 3> world;
};
struct placed_label {
  size_t request;  // which of the requests
  std::string text;
  int x, y;  // where the text starts, on its baseline, in window pixels from the bottom left
};

// Where a world point shows in a window seen through view (a ship's pose) and projection: x and y in pixels
// from the bottom left, and depth from 0 at the near plane to 1 at the far one; nothing when the point lies
// on or behind the near plane.
std::optional<std::array<double, 3>> compute_window_point(const std::array<float, 3>& world,
                                                          const float* view, const double* projection,
                                                          const int* viewport);

// Where each name goes: beside its point, nearest points first. A name is left out when its point is behind
// the camera or outside the window, or when its text would overlap a name already placed or a reserved
// rectangle (the status bands).
std::vector<placed_label> compute_label_layout(const std::vector<label_request>& requests, const float* view,
                                               const double* projection, const int* viewport,
                                               const std::vector<window_rect>& reserved);
