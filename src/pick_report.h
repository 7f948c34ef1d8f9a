// SPDX-License-Identifier: MIT
// What a pick's selection records mean, as plain functions: the walk over them and the record it chooses,
// the eye distance a record's depth stands for, the "k" band's lines, the region's outline in the window and
// the part of the picking camera's view volume that the region cut. Nothing here reads the scene or GL.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "matrix_math.h"

// One OpenGL selection record as the buffer holds it: its names (the bottom of the name stack first) and its
// minimum and maximum depths, 0 at the near plane and 2^32 - 1 at the far one.
struct selection_record {
  int index;  // in the buffer's order
  const unsigned int* names;
  unsigned int name_count;
  unsigned int z1, z2;
};
// Visits the records in the buffer's order, reading no further than buffer_size entries: a record whose
// name count is larger than what is left is visited with the names that are there, and ends the walk.
void walk_selection_records(const unsigned int* records, int hit_count, int buffer_size,
                            const std::function<void(const selection_record&)>& visit);

// What a selection pass left: the count glRenderMode returned (negative when the buffer overflowed) and the
// buffer of hit records.
constexpr int selection_buffer_size = 1024;
struct selection_records {
  int hits = 0;
  std::array<unsigned int, selection_buffer_size> buffer = {};
};

// The record a pick's walk chooses: the first with the smallest minimum depth (z1, compared unsigned) of
// those that hold a name; nothing for no hit, or for a negative count (the buffer overflowed).
struct chosen_record {
  int index;          // in the buffer's order
  unsigned int name;  // its first name
  unsigned int z1;
};
std::optional<chosen_record> compute_chosen_record(const unsigned int* records, int hit_count,
                                                   int buffer_size);

// The first name of the record compute_chosen_record chooses, or -1 for none.
int compute_nearest_hit(const unsigned int* records, int hit_count, int buffer_size);

// The window depth, 0 to 1, that a selection depth z stands for, and the eye-space distance that depth
// means for a perspective projection between the planes.
double compute_selection_depth(unsigned int z);
double compute_selection_distance(unsigned int z, double near_plane, double far_plane);

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
// buffer's order (its names, z1 and z2 as the buffer holds them, as window depth and as the eye distance
// that depth means between the near and far planes), the record the walk chose marked "*", then the
// outcome. name gives a selection name's body.
std::vector<std::string> compute_pick_lines(const pick_report& pick,
                                            const std::function<std::string(unsigned int)>& name,
                                            double near_plane, double far_plane);

// The part of the picking camera's view volume that the pick region cut, as compute_view_volume gives a
// whole one: the eye, then the region's corners at an eye-space depth. view and projection are the picking
// window's at the time of the pick.
std::array<point3, 5> compute_pick_volume(const float* view, const double* projection,
                                          const pick_report& pick, double depth);

// The outline of the pick region, one pixel outside the pixels gluPickMatrix kept, as line segments (x0, y0,
// x1, y1, ...) through pixel centres in window pixels from the bottom left: GLUT's y flipped as the pick
// flips it.
std::vector<float> compute_pick_outline(const pick_report& pick);
