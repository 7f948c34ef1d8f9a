// SPDX-License-Identifier: MIT
#include "matrix_math.h"

#include <cmath>

namespace {

// The 3x3 minor of m without row r and column c, m column-major.
double minor3(const double* m, int r, int c) {
  double a[9];
  int k = 0;
  for (int column = 0; column < 4; ++column)
    for (int row = 0; row < 4; ++row)
      if (row != r && column != c) a[k++] = m[4 * column + row];
  // a is column-major too: a[col * 3 + row]
  return a[0] * (a[4] * a[8] - a[7] * a[5]) - a[3] * (a[1] * a[8] - a[7] * a[2]) +
         a[6] * (a[1] * a[5] - a[4] * a[2]);
}

}  // namespace

std::array<double, 16> compute_perspective(double fovy_deg, double aspect, double near_plane,
                                           double far_plane) {
  const double f = 1.0 / std::tan(fovy_deg * pi / 360.0);
  const double depth = near_plane - far_plane;
  std::array<double, 16> m = {};
  m[0] = f / aspect;
  m[5] = f;
  m[10] = (far_plane + near_plane) / depth;
  m[11] = -1;
  m[14] = 2 * far_plane * near_plane / depth;
  return m;
}

bool compute_inverse(const double* m, double* out) {
  double cofactor[16];
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column)
      cofactor[4 * column + row] = ((row + column) % 2 == 0 ? 1 : -1) * minor3(m, row, column);
  double det = 0;
  for (int column = 0; column < 4; ++column) det += m[4 * column] * cofactor[4 * column];
  if (det == 0 || !std::isfinite(det)) return false;
  // The inverse is the transposed cofactor matrix over the determinant.
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) out[4 * column + row] = cofactor[4 * row + column] / det;
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

std::optional<std::array<double, 3>> compute_window_point(const std::array<float, 3>& world,
                                                          const float* view, const double* projection,
                                                          const int* viewport) {
  double eye[4];
  for (int row = 0; row < 4; ++row)
    eye[row] = double(view[row]) * world[0] + double(view[4 + row]) * world[1] +
               double(view[8 + row]) * world[2] + double(view[12 + row]);
  if (eye[2] >= -near_plane) return std::nullopt;
  double clip[4];
  for (int row = 0; row < 4; ++row)
    clip[row] = projection[row] * eye[0] + projection[4 + row] * eye[1] + projection[8 + row] * eye[2] +
                projection[12 + row] * eye[3];
  if (clip[3] == 0.0) return std::nullopt;
  const std::array<double, 3> at = {viewport[0] + (1 + clip[0] / clip[3]) * viewport[2] / 2,
                                    viewport[1] + (1 + clip[1] / clip[3]) * viewport[3] / 2,
                                    (1 + clip[2] / clip[3]) / 2};
  if (!std::isfinite(at[0]) || !std::isfinite(at[1]) || !std::isfinite(at[2])) return std::nullopt;
  return at;
}
