// SPDX-License-Identifier: MIT
// The little matrix arithmetic the views do in double, beside what the GL stack composes: a perspective
// matrix as gluPerspective makes it, a general 4x4 inverse, and a point's depth in front of a camera. Every
// matrix is 16 values in OpenGL's column-major order.
#pragma once

#include <array>
#include <optional>

#include "frame_constants.h"

using point3 = std::array<double, 3>;

// The matrix gluPerspective multiplies on: the same numbers for the same arguments, in double, before the
// driver keeps them as floats.
std::array<double, 16> compute_perspective(double fovy_deg, double aspect, double near_plane,
                                           double far_plane);

// The adjugate of m (the transposed matrix of its cofactors) into c, which must not be m, and the
// determinant, for float and double: the one 4x4 inverse of the program, ship::invert_pose's in float and
// compute_inverse's in double, is the adjugate over the determinant.
template <typename real>
real compute_adjugate(const real* m, real* c);

// The inverse in double; false, with out untouched, when the determinant is zero or not finite.
bool compute_inverse(const double* m, double* out);

// m applied to (x, y, z, w), divided by the result's w.
point3 apply_projective(const double* m, double x, double y, double z, double w);

// How far in front of a camera (view, world to eye) a world point lies, along its viewing axis.
double compute_eye_depth(const float* view, const point3& world);

// The near plane's distance of a perspective projection (compute_perspective's form), as it loads it.
double compute_near_distance(const double* projection);

// Where a world point shows in a window seen through view (a ship's pose) and projection: x and y in pixels
// from the bottom left, and depth from 0 at the near plane to 1 at the far one; nothing when the point lies
// before the projection's near plane or beyond its far one, where the frame draws nothing, or any of the
// three is not finite.
std::optional<std::array<double, 3>> compute_window_point(const std::array<float, 3>& world,
                                                          const float* view, const double* projection,
                                                          const int* viewport);

// Whether every one of count values is a finite number.
bool all_finite(const float* values, int count);

// Where a camera is, from its ship's state as it stands now: the view its mode makes, the eye and the
// viewing direction in the world, and how far ahead lies what it looks at. A view that has no inverse, or
// holds a value that is not finite, places no camera: fault then says why, as the camera readout writes it.
struct camera_place {
  float view[16] = {};                 // world to eye, column-major, as apply_camera would load it now
  std::array<double, 3> eye = {};      // the camera's position in the world
  std::array<double, 3> forward = {};  // the world direction it looks along, unit length
  double target_depth = 0;  // LOOKAT: the target's depth ahead; GEOSYNCH: the body centre's; RELATIVE: 0
  const char* fault = nullptr;
};

// The place of a camera whose view (world to eye) is given: its eye and direction, or the fault.
camera_place compute_camera_place(const float* view);
