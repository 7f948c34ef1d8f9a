// SPDX-License-Identifier: MIT
// The overlays written over a finished frame: the status (a window's ship and its state, and the active
// ship's keys) and the camera's numbers on dark translucent bands, and the names beside the bodies and the
// other ship, each on a
// small dark backing, leaving out a name whose body is hidden or that would cover another. The overlay is
// told what to write (overlay_content, built by the demo) and reads no scene state of its own; its text is
// the glyph table of text_font.h, composed into textures of each window's context. Nothing here draws in
// the selection pass, so picks find the same bodies either way.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "ship.h"

// A rectangle of window pixels, origin at the bottom left: [left, right) by [bottom, top).
struct window_rect {
  int left, bottom, right, top;
};

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

// All that a window's overlays write in one frame.
struct overlay_content {
  bool status_on = false;
  bool names_on = false;
  bool camera_on = false;
  std::vector<std::string> status_lines;               // the window's ship and its state, one line each
  std::vector<std::vector<std::string>> key_sections;  // items such as "l/r: LOOKAT/RELATIVE"; each section
                                                       // starts on a line of its own
  std::vector<std::string> camera_lines;               // the window's camera as numbers, one line each
  std::vector<label_request> labels;                   // the bodies and the other ship
  camera_place camera;                                 // the window's camera, for the names
};

// Draws whichever overlays are on over the current window's finished frame; window tells the two GL
// contexts (and their names' history) apart. Expects the frame's projection and viewport. Leaves the
// matrix stacks and every enable as a frame without overlays finds them.
void overlay_draw(int window, const overlay_content& content, int width, int height);

// Where a world point shows in a window seen through view (a ship's pose) and projection: x and y in pixels
// from the bottom left, and depth from 0 at the near plane to 1 at the far one; nothing when the point lies
// on or behind the near plane or any of the three is not finite.
std::optional<std::array<double, 3>> compute_window_point(const std::array<float, 3>& world,
                                                          const float* view, const double* projection,
                                                          const int* viewport);

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

// Sections of items wrapped into lines of at most columns characters: items two spaces apart, an item that
// does not fit starting a new line, an item longer than a line broken between its words, and a word longer
// than a line cut.
std::vector<std::string> compute_wrapped_lines(const std::vector<std::vector<std::string>>& sections,
                                               int columns);
// The lines of a band at most max_height pixels high with the given margin: all of them, or those that fit
// with the last ending in "..." (within the columns) to say that more was left out.
std::vector<std::string> compute_band_lines(std::vector<std::string> lines, int columns, int max_height,
                                            int margin);
