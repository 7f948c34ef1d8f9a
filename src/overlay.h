// SPDX-License-Identifier: MIT
// The overlays written over a finished frame: the bands (overlay_bands.h) and the names beside the bodies
// and the other ship (overlay_names.h), whose text overlay_text.h draws. The overlay is told what to write
// (overlay_content, built by the demo) and reads no scene state of its own. Nothing here draws in the
// selection pass, so picks find the same bodies either way.
#pragma once

#include <string>
#include <vector>

#include "overlay_bands.h"
#include "overlay_names.h"

// What one window keeps of its overlays from frame to frame: its text texture, and the names it showed in its
// last frame, which keep their places while they fit.
struct window_overlay {
  window_text text;
  std::vector<placed_label> names;
};

// All that a window's overlays write in one frame.
struct overlay_content {
  band_text bands;  // the status, keys and camera bands; empty lines for a band that is off
  bool names_on = false;
  std::vector<label_request> labels;      // the bodies and the other ship
  std::vector<label_obstacle> obstacles;  // the discs and rings no other name may cover
  camera_place camera;                    // the window's camera, for the names
  std::vector<float> marks;  // lines in window pixels (x0, y0, x1, y1, ...), drawn under the text
  int text_scale = 1;        // every text pixel drawn as text_scale x text_scale window pixels
};

// Draws whichever overlays are on over the current window's finished frame, in a width x height viewport
// seen through projection, the frame's own. Leaves the matrix stacks and every enable as a frame without
// overlays finds them.
void overlay_draw(window_overlay& window, const overlay_content& content, const double* projection, int width,
                  int height);
