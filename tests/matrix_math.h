// SPDX-License-Identifier: MIT
// Small column-major 4x4 helpers that let tests state expected matrices without OpenGL, so that what the
// program composes on the GL stack is checked against arithmetic of another origin.
#pragma once

#include <array>
#include <cmath>

namespace matrix_math {

using mat4 = std::array<float, 16>;
using vec3 = std::array<float, 3>;

// A copy of 16 floats in OpenGL's column-major order, as the program stores its matrices.
inline mat4 from_gl(const float* m) {
  mat4 r;
  for (int i = 0; i < 16; ++i) r[i] = m[i];
  return r;
}

inline mat4 identity() { return {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}; }

inline mat4 multiply(const mat4& a, const mat4& b) {
  mat4 r{};
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 4; ++row) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += double(a[k * 4 + row]) * b[col * 4 + k];
      r[col * 4 + row] = static_cast<float>(sum);
    }
  return r;
}

// The rotation glRotatef builds: degrees, right-hand rule, about the normalised axis.
inline mat4 rotation(double angle_deg, double x, double y, double z) {
  const double len = std::sqrt(x * x + y * y + z * z);
  x /= len, y /= len, z /= len;
  const double a = angle_deg * M_PI / 180.0, c = std::cos(a), s = std::sin(a), t = 1 - c;
  mat4 r = identity();
  r[0] = float(t * x * x + c), r[4] = float(t * x * y - s * z), r[8] = float(t * x * z + s * y);
  r[1] = float(t * x * y + s * z), r[5] = float(t * y * y + c), r[9] = float(t * y * z - s * x);
  r[2] = float(t * x * z - s * y), r[6] = float(t * y * z + s * x), r[10] = float(t * z * z + c);
  return r;
}

inline mat4 translation(double x, double y, double z) {
  mat4 r = identity();
  r[12] = float(x), r[13] = float(y), r[14] = float(z);
  return r;
}

inline vec3 transform_point(const mat4& m, const vec3& p) {
  vec3 r{};
  for (int row = 0; row < 3; ++row)
    r[row] = m[row] * p[0] + m[4 + row] * p[1] + m[8 + row] * p[2] + m[12 + row];
  return r;
}

inline vec3 translation_of(const mat4& m) { return {m[12], m[13], m[14]}; }

}  // namespace matrix_math
