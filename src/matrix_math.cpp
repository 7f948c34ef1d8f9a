// SPDX-License-Identifier: MIT
#include "matrix_math.h"

#include <cmath>
#include <cstring>

std::array<double, 16> compute_perspective(double fovy_deg, double aspect, double near_plane,
                                           double far_plane) {
  // GLU's own steps, so that the band shows every digit of what the frame's call loads.
  const double radians = fovy_deg / 2 * pi / 180;
  const double depth = far_plane - near_plane;
  const double cotangent = std::cos(radians) / std::sin(radians);
  std::array<double, 16> m = {};
  m[0] = cotangent / aspect;
  m[5] = cotangent;
  m[10] = -(far_plane + near_plane) / depth;
  m[11] = -1;
  m[14] = -2 * near_plane * far_plane / depth;
  return m;
}

// Each entry a signed sum of six products of three entries, evaluated from the left, in the order c[0],
// c[4], c[8], c[12], c[1], ...: the pose's inverse depends on the order to its last bit.
template <typename real>
real compute_adjugate(const real* m, real* c) {
  c[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] +
         m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
  c[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] -
         m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
  c[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] +
         m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
  c[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] -
          m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
  c[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] -
         m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
  c[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] +
         m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
  c[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] -
         m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
  c[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] +
          m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
  c[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] +
         m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
  c[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] -
         m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
  c[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] +
          m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
  c[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] -
          m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
  c[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] -
         m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
  c[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] +
         m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
  c[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] -
          m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
  c[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] +
          m[8] * m[1] * m[6] - m[8] * m[2] * m[5];

  return m[0] * c[0] + m[1] * c[4] + m[2] * c[8] + m[3] * c[12];
}
template float compute_adjugate(const float*, float*);
template double compute_adjugate(const double*, double*);

bool compute_inverse(const double* m, double* out) {
  double c[16];
  const double det = compute_adjugate(m, c);
  if (det == 0 || !std::isfinite(det)) return false;
  for (int k = 0; k < 16; ++k) out[k] = c[k] / det;
  return true;
}

point3 apply_projective(const double* m, double x, double y, double z, double w) {
  double out[4];
  for (int row = 0; row < 4; ++row) out[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row] * w;
  return {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
}

double compute_eye_depth(const float* view, const point3& world) {
  return -(view[2] * world[0] + view[6] * world[1] + view[10] * world[2] + view[14]);
}

double compute_near_distance(const double* projection) { return projection[14] / (projection[10] - 1); }

std::optional<std::array<double, 3>> compute_window_point(const std::array<float, 3>& world,
                                                          const float* view, const double* projection,
                                                          const int* viewport) {
  double eye[4];
  for (int row = 0; row < 4; ++row)
    eye[row] = double(view[row]) * world[0] + double(view[4 + row]) * world[1] +
               double(view[8 + row]) * world[2] + double(view[12 + row]);
  double clip[4];
  for (int row = 0; row < 4; ++row)
    clip[row] = projection[row] * eye[0] + projection[4 + row] * eye[1] + projection[8 + row] * eye[2] +
                projection[12 + row] * eye[3];
  // Between the planes of the projection in force, as the frame clips: nearer or farther, nothing is drawn.
  if (!(clip[3] > 0) || clip[2] < -clip[3] || clip[2] > clip[3]) return std::nullopt;
  const std::array<double, 3> at = {viewport[0] + (1 + clip[0] / clip[3]) * viewport[2] / 2,
                                    viewport[1] + (1 + clip[1] / clip[3]) * viewport[3] / 2,
                                    (1 + clip[2] / clip[3]) / 2};
  if (!std::isfinite(at[0]) || !std::isfinite(at[1]) || !std::isfinite(at[2])) return std::nullopt;
  return at;
}

bool all_finite(const float* values, int count) {
  for (int i = 0; i < count; ++i)
    if (!std::isfinite(values[i])) return false;
  return true;
}

camera_place compute_camera_place(const float* view) {
  camera_place place;
  std::memcpy(place.view, view, sizeof place.view);
  double view_d[16], eye_to_world[16];
  for (int i = 0; i < 16; ++i) view_d[i] = view[i];
  if (!all_finite(view, 16)) {
    place.fault = "not finite: the view holds inf or NaN";
  } else if (!compute_inverse(view_d, eye_to_world)) {
    place.fault = "no inverse: the view matrix is singular";
  } else {
    // The eye-space origin and -z axis, taken into the world.
    const double length = std::hypot(eye_to_world[8], eye_to_world[9], eye_to_world[10]);
    for (int i = 0; i < 3; ++i) {
      place.eye[i] = eye_to_world[12 + i];
      place.forward[i] = -eye_to_world[8 + i] / length;
    }
  }
  return place;
}
