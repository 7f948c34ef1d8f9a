// SPDX-License-Identifier: MIT
// Where the views' shapes lie, as plain arithmetic with no GL: a camera's view volume in the world, and the
// size and ring of a body's disc in a window. The views draw them; the names' layout sizes its discs the
// same way.
#pragma once

#include <array>
#include <vector>

#include "matrix_math.h"

// A camera's view volume cut off at an eye-space depth: the eye, then the corners of the rectangle where the
// volume reaches that depth, bottom left, bottom right, top right, top left as the camera sees them. Each
// corner is a corner of a rectangle of normalised device coordinates (left, bottom, right, top: the whole
// view unless given) taken back through the inverse of projection x view; nothing (all NaN) for a view or
// projection that has no inverse.
std::array<point3, 5> compute_view_volume(const float* view, const double* projection, double depth,
                                          const std::array<double, 4>& ndc = {-1, -1, 1, 1});

// The radius in window pixels of the disc a ball of the world shows as, its centre distance away, seen
// through projection in the viewport: its radius at that distance, scaled as the projection scales y. Given
// the centre's depth along the viewing axis, it is the narrower half-axis of the ellipse a ball off the axis
// shows as, so a ring that far out never cuts it; given the straight distance, the layout's rougher disc.
double compute_disc_radius_px(double radius, double distance, const double* projection, const int* viewport);

// A ring around where a body shows in a window, as line segments (x0, y0, x1, y1, ...) in window pixels from
// the bottom left, a few pixels outside its disc: its centre and radius in the world, seen through view and
// projection in the viewport. Nothing when its centre lies on or behind the near plane.
std::vector<float> compute_body_ring(const std::array<float, 3>& centre, float radius, const float* view,
                                     const double* projection, const int* viewport);
