// SPDX-License-Identifier: MIT
// The views that show the guide's ideas at work while the program runs: the numbers of a camera (its
// projection call and the model-view matrix written in rows), another camera's view volume, and a body's own
// frame beside its spin axis. A pick's records and a body's chain of transforms have rooms of their own. The
// arithmetic is plain functions; the drawing takes what it draws and keeps no state. Nothing here is drawn in
// the selection pass.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "matrix_math.h"
#include "solar_system.h"

// A camera's view volume cut off at an eye-space depth: the eye, then the corners of the rectangle where the
// volume reaches that depth, bottom left, bottom right, top right, top left as the camera sees them. Each
// corner is a corner of a rectangle of normalised device coordinates (left, bottom, right, top: the whole
// view unless given) taken back through the inverse of projection x view; nothing (all NaN) for a view or
// projection that has no inverse.
std::array<point3, 5> compute_view_volume(const float* view, const double* projection, double depth,
                                          const std::array<double, 4>& ndc = {-1, -1, 1, 1});

// The projection call as a frame makes it, with the window's aspect: "gluPerspective(70, 1.00, 0.1, 2000)".
std::string compute_perspective_call(double fovy_deg, float aspect, double near_plane, double far_plane);

// A number as a student copies it onto the board: fixed notation, never an exponent, at most decimals
// decimals with the trailing zeros dropped ("120", "0.5", "13480.1"), and "0" for a value that rounds to
// zero there, whatever its sign.
std::string compute_number_text(double value, int decimals);
// A value in fixed notation to so many significant digits, trailing zeros dropped: 569.9, 0.00009766, 2000,
// 2048000 (never 2.048e+06).
std::string compute_significant_text(double value, int digits);
// The digits a plane or a field of view is written with: 0.1, 102.4, 0.00009766.
constexpr int plane_digits = 4;

// A column-major matrix as a student writes it: four rows, each "[ a  b  c  d ]" with three decimals, in
// columns; a value that rounds to zero is written 0.000, not -0.000.
std::vector<std::string> compute_matrix_rows(const float* m);
// The same for a matrix kept in double, with as many decimals as asked.
std::vector<std::string> compute_matrix_rows(const double* m, int decimals);

// A ring around where a body shows in a window, as line segments (x0, y0, x1, y1, ...) in window pixels from
// the bottom left, a few pixels outside its disc: its centre and radius in the world, seen through view and
// projection in the viewport. Nothing when its centre lies on or behind the near plane.
std::vector<float> compute_body_ring(const std::array<float, 3>& centre, float radius, const float* view,
                                     const double* projection, const int* viewport);

// The four edges from the eye and the far rectangle, as lines under the current camera, depth-tested, in
// the view volume's orange or the colour given, width_px wide (the text scale, so a projector shows them).
void draw_view_volume(const std::array<point3, 5>& volume, const float* rgb = nullptr, float width_px = 1);

// The body's own x, y and z axes (red, green, blue) from its centre, turning with its spin, and its spin
// axis (yellow) through both poles, which does not; width_px wide.
void draw_body_frame(const body& b, float width_px = 1);
