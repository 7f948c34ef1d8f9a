// SPDX-License-Identifier: MIT
#include "view_geometry.h"

#include <cmath>
#include <limits>

std::array<point3, 5> compute_view_volume(const float* view, const double* projection, double depth,
                                          const std::array<double, 4>& ndc) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  std::array<point3, 5> volume;
  volume.fill({nan, nan, nan});
  double view_d[16], clip_from_world[16], world_from_clip[16], world_from_eye[16];
  for (int i = 0; i < 16; ++i) view_d[i] = view[i];
  for (int row = 0; row < 4; ++row)
    for (int column = 0; column < 4; ++column) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += projection[4 * k + row] * view_d[4 * column + k];
      clip_from_world[4 * column + row] = sum;
    }
  if (!compute_inverse(clip_from_world, world_from_clip) || !compute_inverse(view_d, world_from_eye))
    return volume;
  // The depth's z in normalised device coordinates: the projection of the eye-space point (0, 0, -depth).
  const point3 at_depth = apply_projective(projection, 0, 0, -depth, 1);
  volume[0] = apply_projective(world_from_eye, 0, 0, 0, 1);
  const double corners[4][2] = {{ndc[0], ndc[1]}, {ndc[2], ndc[1]}, {ndc[2], ndc[3]}, {ndc[0], ndc[3]}};
  for (int c = 0; c < 4; ++c)
    volume[1 + c] = apply_projective(world_from_clip, corners[c][0], corners[c][1], at_depth[2], 1);
  return volume;
}

double compute_disc_radius_px(double radius, double distance, const double* projection, const int* viewport) {
  return radius * projection[5] * viewport[3] / 2 / distance;
}

std::vector<float> compute_body_ring(const std::array<float, 3>& centre, float radius, const float* view,
                                     const double* projection, const int* viewport) {
  constexpr int segments = 48;
  constexpr double clearance_px = 4;  // between the disc's edge and the ring
  const auto at = compute_window_point(centre, view, projection, viewport);
  const double depth = compute_eye_depth(view, {centre[0], centre[1], centre[2]});
  if (!at || !(depth > 0)) return {};
  const double ring_px = compute_disc_radius_px(radius, depth, projection, viewport) + clearance_px;
  std::vector<float> ring;
  for (int k = 0; k < segments; ++k)
    for (const int end : {k, k + 1}) {
      const double angle = 2 * pi * end / segments;
      ring.insert(ring.end(),
                  {float((*at)[0] + ring_px * std::cos(angle)), float((*at)[1] + ring_px * std::sin(angle))});
    }
  return ring;
}
