// SPDX-License-Identifier: MIT
// The lines of the views that show the guide's ideas at work while the program runs: another camera's view
// volume, and a body's own frame beside its spin axis. Where they lie is worked out in view_geometry, the
// numbers the views write in number_forms. The drawing takes what it draws and keeps no state. Nothing here
// is drawn in the selection pass.
#pragma once

#include <array>

#include "solar_system.h"
#include "view_geometry.h"

// The four edges from the eye and the far rectangle, as lines under the current camera, depth-tested, in
// the view volume's orange or the colour given, width_px wide (the text scale, so a projector shows them).
void draw_view_volume(const std::array<point3, 5>& volume, const float* rgb = nullptr, float width_px = 1);

// The body's own x, y and z axes (red, green, blue) from its centre, turning with its spin, and its spin
// axis (yellow) through both poles, which does not; width_px wide.
void draw_body_frame(const body& b, float width_px = 1);
