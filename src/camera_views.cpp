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
void set_line_state() {
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glLineWidth(1.0f);
}

}  // namespace

namespace {

// The eye, then the corners of a rectangle of normalised device coordinates (left, bottom, right, top) taken
// back at an eye-space depth through the inverse of projection x view; all NaN without an inverse.
std::array<point3, 5> compute_volume_part(const float* view, const double* projection, double depth,
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

}  // namespace

std::array<point3, 5> compute_view_volume(const float* view, const double* projection, double depth) {
  return compute_volume_part(view, projection, depth, {-1, -1, 1, 1});
}

std::array<point3, 5> compute_pick_volume(const float* view, const double* projection,
                                          const pick_report& pick, double depth) {
  constexpr double half_region_px = 5;
  const std::array<int, 4>& v = pick.viewport;
  const double x = pick.x, y = pick.window_height - pick.y;
  const auto ndc_x = [&](double px) { return 2 * (px - v[0]) / v[2] - 1; };
  const auto ndc_y = [&](double px) { return 2 * (px - v[1]) / v[3] - 1; };
  return compute_volume_part(view, projection, depth,
                             {ndc_x(x - half_region_px), ndc_y(y - half_region_px), ndc_x(x + half_region_px),
                              ndc_y(y + half_region_px)});
}

double compute_selection_distance(unsigned int z, double near_plane, double far_plane) {
  const double depth = z / 4294967295.0;  // 2^32 - 1: the buffer maps window depth 1 to it
  return near_plane * far_plane / (far_plane - depth * (far_plane - near_plane));
}

std::string compute_perspective_call(double fovy_deg, float aspect, double near_plane, double far_plane) {
  char text[96];
  std::snprintf(text, sizeof text, "gluPerspective(%g, %.2f, %g, %g)", fovy_deg, aspect, near_plane,
                far_plane);
  return text;
}

std::vector<std::string> compute_matrix_rows(const float* m) {
  std::vector<std::string> rows;
  for (int row = 0; row < 4; ++row) {
    char text[96];
    std::snprintf(text, sizeof text, "[ %8.3f %8.3f %8.3f %8.3f ]", m[row], m[4 + row], m[8 + row],
                  m[12 + row]);
    rows.emplace_back(text);
  }
  return rows;
}

std::vector<chain_level> compute_transform_chain(const body& b) {
  std::vector<chain_level> chain;
  for (const body* level = &b; level != nullptr; level = level->parent)
    chain.insert(chain.begin(), {level, level->orbit_calls()});
  chain.back().calls.push_back(b.spin_call());
  return chain;
}

namespace {

std::string compute_call_text(const transform_call& call) {
  char text[96];
  if (call.rotate)
    std::snprintf(text, sizeof text, "glRotatef(%.4g, %.3g, %.3g, %.3g)", call.angle, call.x, call.y, call.z);
  else
    std::snprintf(text, sizeof text, "glTranslatef(%g, %g, %g)", call.x, call.y, call.z);
  return text;
}

}  // namespace

std::vector<std::string> compute_chain_lines(const body& b,
                                             const std::function<std::string(const body&)>& name) {
  std::vector<std::string> lines = {"transform chain of " + name(b) + ", from the root:"};
  int depth = 1;  // the identity, loaded before the walk
  for (const chain_level& level : compute_transform_chain(b)) {
    std::string line = name(*level.of) + ", depth " + std::to_string(++depth) + ": glPushMatrix()";
    for (const transform_call& call : level.calls) line += "  " + compute_call_text(call);
    if (level.of == &b) line += "  glPopMatrix()";
    lines.push_back(line);
  }
  lines.push_back("world_pose of " + name(b) + ":");
  for (const std::string& row : compute_matrix_rows(b.world_pose)) lines.push_back(row);
  return lines;
}

namespace {

// A selection depth as the buffer holds it, as window depth and as the distance along the viewing axis that
// depth means for a perspective projection between the planes.
std::string compute_depth_text(const char* label, unsigned int z, double near_plane, double far_plane) {
  const double depth = z / 4294967295.0;
  const double distance = compute_selection_distance(z, near_plane, far_plane);
  char text[96];
  std::snprintf(text, sizeof text, "%s %u (%.4f, %.4g units)", label, z, depth, distance);
  return text;
}

}  // namespace

std::optional<chosen_record> compute_chosen_record(const unsigned int* records, int hit_count,
                                                   int buffer_size) {
  std::optional<chosen_record> chosen;
  int read = 0;
  for (int record = 0; record < hit_count && read + 3 <= buffer_size; ++record) {
    const unsigned int name_count = records[read], z1 = records[read + 1];
    read += 3;  // the maximum depth plays no part
    if (name_count > 0 && read < buffer_size && (!chosen || z1 < chosen->z1))
      chosen = chosen_record{record, records[read], z1};
    // A count larger than what is left ends the walk, rather than wrapping round as an int.
    read = name_count < unsigned(buffer_size - read) ? read + int(name_count) : buffer_size;
  }
  return chosen;
}

std::vector<std::string> compute_pick_lines(const pick_report& pick,
                                            const std::function<std::string(unsigned int)>& name,
                                            double near_plane, double far_plane) {
  char call[128];
  std::snprintf(call, sizeof call, "gluPickMatrix(%d, %d, 10, 10, {%d, %d, %d, %d})", pick.x,
                pick.window_height - pick.y, pick.viewport[0], pick.viewport[1], pick.viewport[2],
                pick.viewport[3]);
  std::vector<std::string> lines = {std::string("last pick: ") + call,
                                    "glRenderMode(GL_RENDER) returned " + std::to_string(pick.hits)};
  const size_t first_record_line = lines.size();
  size_t read = 0;
  for (int record = 0; record < pick.hits && read + 3 <= pick.buffer.size(); ++record) {
    const unsigned int count = pick.buffer[read], z1 = pick.buffer[read + 1], z2 = pick.buffer[read + 2];
    read += 3;
    std::string names;
    for (unsigned int n = 0; n < count && read < pick.buffer.size(); ++n, ++read)
      names += (n == 0 ? "" : ", ") + name(pick.buffer[read]);
    lines.push_back("  " + names + ": " + compute_depth_text("z1", z1, near_plane, far_plane) + "  " +
                    compute_depth_text("z2", z2, near_plane, far_plane));
  }
  const auto chosen = compute_chosen_record(pick.buffer.data(), pick.hits, int(pick.buffer.size()));
  if (chosen) lines[first_record_line + chosen->index][0] = '*';
  lines.push_back(pick.outcome);
  return lines;
}

std::vector<float> compute_pick_outline(const pick_report& pick) {
  constexpr int half_region_px = 5;
  const float centre_y = float(pick.window_height - pick.y);
  const float left = pick.x - half_region_px - 0.5f, right = pick.x + half_region_px - 0.5f + 1;
  const float bottom = centre_y - half_region_px - 0.5f, top = centre_y + half_region_px - 0.5f + 1;
  return {left,  bottom, right, bottom, right, bottom, right, top,
          right, top,    left,  top,    left,  top,    left,  bottom};
}

void draw_view_volume(const std::array<point3, 5>& volume, const float* rgb) {
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
  set_line_state();
  draw_lines(vertices, rgb != nullptr ? rgb : view_volume_rgb);
}

void draw_body_frame(const body& b) {
  const float* m = b.world_pose;
  const float length = frame_axis_length * b.radius;
  set_line_state();
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
}
