// SPDX-License-Identifier: MIT
// What a pick's selection records mean, as text and as geometry.
#include "pick_report.h"

#include <cstdio>

#include "frame_constants.h"
#include "number_forms.h"
#include "view_geometry.h"

namespace {

constexpr double selection_depth_max = 4294967295.0;  // 2^32 - 1: the buffer maps window depth 1 to it
constexpr int half_region_px = pick_region_px / 2;

// A selection depth as the buffer holds it, as window depth and as the distance along the viewing axis that
// depth means.
std::string compute_depth_text(const char* label, unsigned int z, double near_plane, double far_plane) {
  char text[96];
  // Seven decimals: the guide's formula on the depth as shown gives the distance shown to its third digit.
  std::snprintf(text, sizeof text, "%s %u (%.7f, %s units)", label, z, compute_selection_depth(z),
                compute_significant_text(compute_selection_distance(z, near_plane, far_plane), 4).c_str());
  return text;
}

}  // namespace

void walk_selection_records(const unsigned int* records, int hit_count, int buffer_size,
                            const std::function<void(const selection_record&)>& visit) {
  int read = 0;
  for (int record = 0; record < hit_count && read + 3 <= buffer_size; ++record) {
    const unsigned int count = records[read], z1 = records[read + 1], z2 = records[read + 2];
    read += 3;
    // Compared unsigned, so that a count past what an int holds cannot step the walk backwards.
    const bool whole = count <= unsigned(buffer_size - read);
    const unsigned int names = whole ? count : unsigned(buffer_size - read);
    visit({record, records + read, names, z1, z2});
    if (!whole) return;
    read += int(count);
  }
}

std::optional<chosen_record> compute_chosen_record(const unsigned int* records, int hit_count,
                                                   int buffer_size) {
  std::optional<chosen_record> chosen;
  walk_selection_records(records, hit_count, buffer_size, [&](const selection_record& record) {
    if (record.name_count > 0 && (!chosen || record.z1 < chosen->z1))
      chosen = chosen_record{record.index, record.names[0], record.z1};
  });
  return chosen;
}

int compute_nearest_hit(const unsigned int* records, int hit_count, int buffer_size) {
  const std::optional<chosen_record> chosen = compute_chosen_record(records, hit_count, buffer_size);
  return chosen ? static_cast<int>(chosen->name) : -1;
}

double compute_selection_depth(unsigned int z) { return z / selection_depth_max; }

double compute_selection_distance(unsigned int z, double near_plane, double far_plane) {
  return near_plane * far_plane / (far_plane - compute_selection_depth(z) * (far_plane - near_plane));
}

std::vector<std::string> compute_pick_lines(const pick_report& pick,
                                            const std::function<std::string(unsigned int)>& name,
                                            double near_plane, double far_plane) {
  char call[128];
  std::snprintf(call, sizeof call, "gluPickMatrix(%d, %d, %d, %d, {%d, %d, %d, %d})", pick.x,
                compute_gl_row(pick.window_height, pick.y), pick_region_px, pick_region_px, pick.viewport[0],
                pick.viewport[1], pick.viewport[2], pick.viewport[3]);
  std::vector<std::string> lines = {std::string("last pick: ") + call,
                                    "glRenderMode(GL_RENDER) returned " + std::to_string(pick.hits)};
  const size_t first_record_line = lines.size();
  const int size = int(pick.buffer.size());
  walk_selection_records(pick.buffer.data(), pick.hits, size, [&](const selection_record& record) {
    std::string names;
    for (unsigned int n = 0; n < record.name_count; ++n)
      names += (n == 0 ? "" : ", ") + name(record.names[n]);
    // z2 on a line of its own under z1, so that a record keeps its columns in a narrow band.
    const std::string head = "  " + names + ": ";
    lines.push_back(head + compute_depth_text("z1", record.z1, near_plane, far_plane));
    lines.push_back(std::string(head.size(), ' ') +
                    compute_depth_text("z2", record.z2, near_plane, far_plane));
  });
  if (const auto chosen = compute_chosen_record(pick.buffer.data(), pick.hits, size))
    lines[first_record_line + 2 * chosen->index][0] = '*';
  lines.push_back(pick.outcome);
  return lines;
}

std::array<point3, 5> compute_pick_volume(const float* view, const double* projection,
                                          const pick_report& pick, double depth) {
  const std::array<int, 4>& v = pick.viewport;
  const double x = pick.x, y = compute_gl_row(pick.window_height, pick.y);
  const auto ndc_x = [&](double px) { return 2 * (px - v[0]) / v[2] - 1; };
  const auto ndc_y = [&](double px) { return 2 * (px - v[1]) / v[3] - 1; };
  return compute_view_volume(view, projection, depth,
                             {ndc_x(x - half_region_px), ndc_y(y - half_region_px), ndc_x(x + half_region_px),
                              ndc_y(y + half_region_px)});
}

std::vector<float> compute_pick_outline(const pick_report& pick) {
  const float centre_y = float(compute_gl_row(pick.window_height, pick.y));
  const float left = pick.x - half_region_px - 0.5f, right = pick.x + half_region_px - 0.5f + 1;
  const float bottom = centre_y - half_region_px - 0.5f, top = centre_y + half_region_px - 0.5f + 1;
  return {left,  bottom, right, bottom, right, bottom, right, top,
          right, top,    left,  top,    left,  top,    left,  bottom};
}
