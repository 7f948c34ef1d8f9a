// SPDX-License-Identifier: MIT
// The fixed numbers every frame is made with, each defined here once: the timer's tick, which the bodies
// move by, the projection a window's view goes through, and pi, which standard C++ does not provide.
#pragma once

// The frame timer's period in milliseconds: the float nearest to 100/3. The bodies move by fixed steps of it.
constexpr float default_timer_period_ms = 33.333332f;
// The delay the timer is armed with: the period truncated toward zero, 33 ms by default.
constexpr int compute_timer_delay_ms(float period_ms) { return static_cast<int>(period_ms); }
// The scene time one tick advances: the period times 0.001 in single precision, 0.033333335 s by default.
constexpr float compute_timer_step_s(float period_ms) { return period_ms * 0.001f; }

// Every window's projection: gluPerspective(field_of_view_deg, aspect, near_plane, far_plane). The near
// plane is the float 0.1 widened to double.
constexpr double field_of_view_deg = 70.0;
constexpr double near_plane = 0.1f;
constexpr double far_plane = 2000.0;

// The projection a window's frames load: gluPerspective's field of view and near and far planes. The
// start-up values are the frame's constants; the projection keys change the active ship's window's, a
// lesson's state may set either window's, and "m" puts both back.
struct projection_lens {
  double field_of_view = field_of_view_deg;
  double near_distance = near_plane;  // "near" and "far" are macros of Windows' headers
  double far_distance = far_plane;
};
// A lens's limits, which keep every number a frame loads finite and the near plane nearer than the far one:
// the field of view in degrees, and how far from its start the near or far plane may be halved or doubled.
constexpr int narrowest_view_deg = 5, widest_view_deg = 170;
constexpr int plane_steps = 1024;
constexpr double nearest_near_plane = near_plane / plane_steps, farthest_far_plane = far_plane * plane_steps;

// The region a pick looks in: this many pixels wide and high, centred on the pointer.
constexpr int pick_region_px = 10;
// GLUT counts the pointer's y from the window's top, OpenGL its rows from the bottom: the flip is
// height - y, with no further -1.
constexpr int compute_gl_row(int window_height, int glut_y) { return window_height - glut_y; }

// The value of POSIX M_PI (Windows hides it under -std=c++17).
constexpr double pi = 3.14159265358979323846;
