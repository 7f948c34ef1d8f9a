// SPDX-License-Identifier: MIT
// The views that show the guide's ideas at work while the program runs: the numbers of a camera (its
// projection call and the model-view matrix written in rows), another camera's view volume, and a body's own
// frame beside its spin axis. The arithmetic is plain functions; the drawing takes what it draws and keeps
// no state. Nothing here is drawn in the selection pass.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "matrix_math.h"
#include "solar_system.h"

// A camera's view volume cut off at an eye-space depth: the eye, then the corners of the rectangle where the
// volume reaches that depth, bottom left, bottom right, top right, top left as the camera sees them. Each
// corner is a clip-space corner taken back through the inverse of projection x view; nothing (all NaN) for a
// view or projection that has no inverse.
std::array<point3, 5> compute_view_volume(const float* view, const double* projection, double depth);

// The projection call as a frame makes it, with the window's aspect: "gluPerspective(70, 1.00, 0.1, 2000)".
std::string compute_perspective_call(double fovy_deg, float aspect, double near_plane, double far_plane);

// A column-major matrix as a student writes it: four rows, each "[ a  b  c  d ]" with three decimals.
std::vector<std::string> compute_matrix_rows(const float* m);

// The chain of transforms that places a body, as the scene graph makes it from the root down: for each level,
// the body of that level and the calls after its push; an ancestor's stop at its orbit radius (its children
// are walked there, before its spin), the body's own end with its spin. Replayed on the identity, each level
// pushed, they leave the body's world_pose.
struct chain_level {
  const body* of;
  std::vector<transform_call> calls;
};
std::vector<chain_level> compute_transform_chain(const body& b);

// The chain as the "t" band writes it: a line per level with its stack depth (the identity at 1) and its
// calls, the body's own ending with glPopMatrix(); then the body's world_pose in rows.
std::vector<std::string> compute_chain_lines(const body& b,
                                             const std::function<std::string(const body&)>& name);

// The record a pick's walk chooses among OpenGL selection records: the first with the smallest minimum
// depth (z1, compared unsigned) of those that hold a name, read no further than buffer_size entries; nothing
// for no hit, or for a negative count (the buffer overflowed).
struct chosen_record {
  int index;          // in the buffer's order
  unsigned int name;  // its first name
  unsigned int z1;
};
std::optional<chosen_record> compute_chosen_record(const unsigned int* records, int hit_count,
                                                   int buffer_size);

// What the "k" band reports of a pick: where it ran, what glRenderMode returned and the buffer as the
// selection pass left it, and what came of it in the status band's words.
struct pick_report {
  int x = 0, y = 0;                  // the pointer, in GLUT's pixels from the window's top left
  int window_height = 0;             // GLUT's y is flipped against it for gluPickMatrix
  std::array<int, 4> viewport = {};  // the viewport gluPickMatrix was given
  int hits = 0;
  std::vector<unsigned int> buffer;
  std::string outcome;
};

// The band's lines: the gluPickMatrix call with its numbers, the count, one line per hit record in the
// buffer's order (its names, z1 and z2 as the buffer holds them, as window depth z / (2^32 - 1) and as the
// eye distance that depth means between the near and far planes), the record the walk chose marked "*",
// then the outcome. name gives a selection name's body.
std::vector<std::string> compute_pick_lines(const pick_report& pick,
                                            const std::function<std::string(unsigned int)>& name,
                                            double near_plane, double far_plane);

// The part of the picking camera's view volume that the pick region cut, as compute_view_volume gives a
// whole one: the eye, then the region's corners at an eye-space depth. view and projection are the picking
// window's at the time of the pick.
std::array<point3, 5> compute_pick_volume(const float* view, const double* projection,
                                          const pick_report& pick, double depth);
// The eye-space depth a selection buffer's z means, between the planes: z / (2^32 - 1) is the window depth.
double compute_selection_distance(unsigned int z, double near_plane, double far_plane);

// The outline of the pick region, one pixel outside the 10 x 10 pixels gluPickMatrix kept, as line segments
// (x0, y0, x1, y1, ...) through pixel centres in window pixels from the bottom left: GLUT's y flipped as the
// pick flips it.
std::vector<float> compute_pick_outline(const pick_report& pick);

// The four edges from the eye and the far rectangle, as lines under the current camera, depth-tested, in
// the view volume's orange or the colour given.
void draw_view_volume(const std::array<point3, 5>& volume, const float* rgb = nullptr);

// The body's own x, y and z axes (red, green, blue) from its centre, turning with its spin, and its spin
// axis (yellow) through both poles, which does not.
void draw_body_frame(const body& b);
