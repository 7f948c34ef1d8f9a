// SPDX-License-Identifier: MIT
// The lines of the view volume and the bodies' frames, sent from client-side arrays, unlit and one pixel
// wide, with the depth test on so that bodies in front hide them.
#include "camera_views.h"

#include <cmath>
#include <vector>

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
