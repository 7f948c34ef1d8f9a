// SPDX-License-Identifier: MIT
// One frame of a window, worked out in one place: the part of the window the driver draws in, the aspect and
// the projection its lens gives, which the frame, the reshape handler and a pick all load or keep, and the
// largest viewport the driver grants.
#pragma once

#include <array>

#include "scene_state.h"

// The largest viewport the current window's driver grants (GL_MAX_VIEWPORT_DIMS).
granted_viewport demo_largest_viewport();
// Whether a window of this size has no more pixels than the largest viewport: the most the driver promises
// to draw. A window past that is drawn in part at best, and Mesa's software renderer crashes on one whose
// frame buffer reaches 4 GB.
bool compute_drawable(int width, int height, const granted_viewport& largest);

// A window's frame: the viewport the driver grants it (from its bottom-left corner), width over height in
// single precision, the lens, and the matrix the frame's gluPerspective call loads with them, in double as
// the call computes it.
struct window_frame {
  granted_viewport granted;
  float aspect;
  projection_lens lens;
  std::array<double, 16> projection;
};
// The frame of a window of this size seen through the lens, asking the current window's driver what it
// grants.
window_frame query_window_frame(const projection_lens& lens, int width, int height);

// Where a selection pass looks: the pointer, in GLUT's window pixels from the top left.
struct pick_point {
  int x, y;
};
// Loads the frame's viewport and projection into the current window, narrowed to the pick region around the
// pick point when there is one (window_height is the window's, which GLUT's y counts down from), and leaves
// the model-view matrix current.
void load_window_frame(const window_frame& frame, int window_height, const pick_point* pick);
