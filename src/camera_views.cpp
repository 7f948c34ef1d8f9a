// SPDX-License-Identifier: MIT
// The camera readout's text, the view volume's corners and the lines of the view volume and the bodies'
// frames. The lines are sent from client-side arrays, unlit and one pixel wide, with the depth test on so
// that bodies in front hide them.
#include "camera_views.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "opengl.h"
#include "solar_system.h"

namespace {

constexpr float frame_axis_length = 1.6f;  // in body radii, so the axes stand out of the sphere
constexpr float view_volume_rgb[3] = {1.0f, 0.5f, 0.0f};
constexpr float axis_rgb[3][3] = {{1, 0.2f, 0.2f}, {0.2f, 1, 0.2f}, {0.3f, 0.5f, 1}};  // x, y, z
constexpr float spin_axis_rgb[3] = {1, 1, 0.2f};

void draw_lines(const std::vector<float>& vertices, const float* rgb) {
  glColor3fv(rgb);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, vertices.data());
  glDrawArrays(GL_LINES, 0, GLsizei(vertices.size() / 3));
  glDisableClientState(GL_VERTEX_ARRAY);
}

// Line smoothing is left as Saturn's rings left it: the next frame's orbit rings are drawn with it, and a
// view switched off again must leave that frame as it was.
void set_line_state(float width_px) {
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glLineWidth(width_px);
}

}  // namespace

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

std::string compute_perspective_call(double fovy_deg, float aspect, double near_plane, double far_plane) {
  char text[96];
  std::snprintf(text, sizeof text, "gluPerspective(%s, %.2f, %s, %s)",
                compute_significant_text(fovy_deg, plane_digits).c_str(), aspect,
                compute_significant_text(near_plane, plane_digits).c_str(),
                compute_significant_text(far_plane, plane_digits).c_str());
  return text;
}

namespace {

// The value as printing it with decimals decimals shows it, its sign gone when that shows only zeros.
double round_away_negative_zero(double value, int decimals) {
  return std::fabs(value) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : value;
}

}  // namespace

std::string compute_significant_text(double value, int digits) {
  if (!std::isfinite(value) || value == 0) return compute_number_text(value, 0);
  const int magnitude = int(std::floor(std::log10(std::fabs(value))));
  return compute_number_text(value, std::max(0, digits - 1 - magnitude));
}

std::string compute_number_text(double value, int decimals) {
  char text[400];  // a float's largest, written out in full, fits
  std::snprintf(text, sizeof text, "%.*f", decimals, round_away_negative_zero(value, decimals));
  std::string written = text;
  if (written.find('.') != std::string::npos) {
    written.erase(written.find_last_not_of('0') + 1);
    if (written.back() == '.') written.pop_back();
  }
  return written;
}

namespace {

template <typename real>
std::vector<std::string> compute_rows(const real* m, int decimals) {
  const auto shown = [&](real value) { return round_away_negative_zero(value, decimals); };
  const int width = decimals + 5;  // sign, four digits before the point, the point
  std::vector<std::string> rows;
  for (int row = 0; row < 4; ++row) {
    char text[128];
    std::snprintf(text, sizeof text, "[ %*.*f %*.*f %*.*f %*.*f ]", width, decimals, shown(m[row]), width,
                  decimals, shown(m[4 + row]), width, decimals, shown(m[8 + row]), width, decimals,
                  shown(m[12 + row]));
    rows.emplace_back(text);
  }
  return rows;
}

}  // namespace

std::vector<std::string> compute_matrix_rows(const float* m) { return compute_rows(m, 3); }

std::vector<std::string> compute_matrix_rows(const double* m, int decimals) {
  return compute_rows(m, decimals);
}

std::vector<float> compute_body_ring(const std::array<float, 3>& centre, float radius, const float* view,
                                     const double* projection, const int* viewport) {
  constexpr int segments = 48;
  constexpr double clearance_px = 4;  // between the disc's edge and the ring
  const auto at = compute_window_point(centre, view, projection, viewport);
  const double depth = compute_eye_depth(view, {centre[0], centre[1], centre[2]});
  if (!at || !(depth > 0)) return {};
  // The disc's radius in pixels: the sphere's radius at its centre's depth, scaled as the projection scales
  // y.
  const double ring_px = radius * projection[5] * viewport[3] / 2 / depth + clearance_px;
  std::vector<float> ring;
  for (int k = 0; k < segments; ++k)
    for (const int end : {k, k + 1}) {
      const double angle = 2 * pi * end / segments;
      ring.insert(ring.end(),
                  {float((*at)[0] + ring_px * std::cos(angle)), float((*at)[1] + ring_px * std::sin(angle))});
    }
  return ring;
}

void draw_view_volume(const std::array<point3, 5>& volume, const float* rgb, float width_px) {
  if (!std::isfinite(volume[1][0])) return;
  std::vector<float> vertices;
  const auto add = [&](const point3& p) {
    vertices.insert(vertices.end(), {float(p[0]), float(p[1]), float(p[2])});
  };
  for (int c = 1; c <= 4; ++c) {
    add(volume[0]);  // an edge from the eye
    add(volume[c]);
    add(volume[c]);  // a side of the far rectangle
    add(volume[c % 4 + 1]);
  }
  set_line_state(width_px);
  draw_lines(vertices, rgb != nullptr ? rgb : view_volume_rgb);
  glLineWidth(1.0f);
}

void draw_body_frame(const body& b, float width_px) {
  const float* m = b.world_pose;
  const float length = frame_axis_length * b.radius;
  set_line_state(width_px);
  for (int axis = 0; axis < 3; ++axis) {
    const std::vector<float> vertices = {m[12],
                                         m[13],
                                         m[14],
                                         m[12] + length * m[4 * axis],
                                         m[13] + length * m[4 * axis + 1],
                                         m[14] + length * m[4 * axis + 2]};
    draw_lines(vertices, axis_rgb[axis]);
  }
  // The spin axis in the world: the spin turns about it, so the world matrix leaves it where it was.
  float spin[3];
  for (int i = 0; i < 3; ++i)
    spin[i] = m[i] * b.spin_axis[0] + m[4 + i] * b.spin_axis[1] + m[8 + i] * b.spin_axis[2];
  std::vector<float> vertices;
  for (const float sign : {-1.0f, 1.0f})
    for (int i = 0; i < 3; ++i) vertices.push_back(m[12 + i] + sign * length * spin[i]);
  draw_lines(vertices, spin_axis_rgb);
  glLineWidth(1.0f);
}
