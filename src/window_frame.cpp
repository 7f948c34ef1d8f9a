// SPDX-License-Identifier: MIT
// The viewport, aspect and projection of a window's frame, in one place.
#include "window_frame.h"

#include <algorithm>

#include "opengl.h"

namespace {

// Width over height in single precision. A window can be shrunk to height 0; it is then treated as one
// pixel high so that no infinity or NaN reaches the projection.
float compute_aspect(int width, int height) {
  const int safe_height = height > 0 ? height : 1;
  return static_cast<float>(width) / static_cast<float>(safe_height);
}

}  // namespace

granted_viewport demo_largest_viewport() {
  GLint largest[2];
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, largest);
  return {int(largest[0]), int(largest[1])};
}

bool compute_drawable(int width, int height, const granted_viewport& largest) {
  return double(width) * height <= double(largest.width) * largest.height;
}

// glViewport cuts a larger size down to GL_MAX_VIEWPORT_DIMS, and the projection and the overlays must fit
// what it grants, not the window.
window_frame query_window_frame(const projection_lens& lens, int width, int height) {
  const granted_viewport largest = demo_largest_viewport();
  const granted_viewport granted = {std::min(width, largest.width), std::min(height, largest.height)};
  const float aspect = compute_aspect(granted.width, granted.height);
  return {granted, aspect, lens,
          compute_perspective(lens.field_of_view, aspect, lens.near_distance, lens.far_distance)};
}

void load_window_frame(const window_frame& frame, int window_height, const pick_point* pick) {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glViewport(0, 0, frame.granted.width, frame.granted.height);
  if (pick != nullptr) {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluPickMatrix(pick->x, compute_gl_row(window_height, pick->y), pick_region_px, pick_region_px, viewport);
  }
  gluPerspective(frame.lens.field_of_view, frame.aspect, frame.lens.near_distance, frame.lens.far_distance);
  glMatrixMode(GL_MODELVIEW);
}
