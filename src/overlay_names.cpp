// SPDX-License-Identifier: MIT
#include "overlay_names.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "matrix_math.h"

namespace {

constexpr int label_offset_px = 8;   // a name starts this far right of its body's disc and above its centre
constexpr int label_padding_px = 1;  // the name's backing reaches this far beyond its text
constexpr int name_row_px = glyph_height_px + 2 * label_padding_px;  // a name's image, backing included
constexpr int label_gap_px = 2;                                      // kept clear between two names' backings
constexpr int label_newcomer_gap_px = 12;  // kept clear besides by a name that was not shown the frame before

bool overlaps(const window_rect& a, const window_rect& b) {
  return a.left < b.right && b.left < a.right && a.bottom < b.top && b.bottom < a.top;
}

window_rect grow(const window_rect& r, int px) {
  return {r.left - px, r.bottom - px, r.right + px, r.top + px};
}

// A name that could be shown: its body lies in the window and nothing hides it.
struct label_candidate {
  size_t request;
  int x, y;       // the body's centre in window pixels
  double depth;   // 0 at the near plane, 1 at the far one
  int radius_px;  // the body's disc, roughly, in pixels
  bool shown_before;
};

std::vector<label_candidate> find_label_candidates(const std::vector<label_request>& requests,
                                                   const camera_place& camera, const double* projection,
                                                   const int* viewport,
                                                   const std::vector<std::string>& shown_before) {
  if (camera.fault != nullptr) return {};
  const std::array<double, 3>& eye = camera.eye;
  std::vector<sphere> bodies;
  for (const label_request& request : requests)
    if (request.hides_others) bodies.push_back({request.world, request.radius});
  std::vector<label_candidate> candidates;
  for (size_t r = 0; r < requests.size(); ++r) {
    const label_request& request = requests[r];
    const std::optional<std::array<double, 3>> at =
        compute_window_point(request.world, camera.view, projection, viewport);
    if (!at || (*at)[0] < 0 || (*at)[1] < 0 || (*at)[0] >= viewport[2] || (*at)[1] >= viewport[3]) continue;
    if (compute_is_hidden(eye, request.world, bodies)) continue;
    // The radius at the body's distance, through the projection's horizontal scale; never wider than the
    // window, so that a body around the eye still gives a number of pixels.
    double distance = 0;
    for (int i = 0; i < 3; ++i) distance += std::pow(request.world[i] - eye[i], 2);
    distance = std::sqrt(distance);
    const double radius_px =
        distance > 0
            ? std::min(request.radius * projection[0] * viewport[2] / 2 / distance, double(viewport[2]))
            : 0.0;
    const bool before =
        std::find(shown_before.begin(), shown_before.end(), request.text) != shown_before.end();
    candidates.push_back({r, int((*at)[0]), int((*at)[1]), (*at)[2], int(radius_px), before});
  }
  return candidates;
}

// What a name must keep clear of: a band, or the backing of a name placed before it in this frame, and
// whether that name stays from the last frame.
struct taken_rect {
  window_rect at;
  bool stays;
};

// Where a name of length characters goes beside its body, on a baseline above the body's centre: right of
// the disc, or else left of it, clear of everything taken, which it then joins; nothing when neither side is
// free. Where the right would run off the window the left comes first. A name shown in the last frame may
// go to the left to stay; a newcomer goes there only when the right would run off, and keeps more room from a
// name that stays, so that two names passing each other do not take turns frame by frame.
std::optional<std::array<int, 2>> place_label(const label_candidate& name, int length, const int* viewport,
                                              std::vector<taken_rect>& taken) {
  const int window_width = viewport[2];
  const int length_px = glyph_width_px * length;
  const int beside = label_offset_px + name.radius_px;
  const int y = name.y + label_offset_px;
  const int right = name.x + beside, left = name.x - beside - length_px;
  const bool right_runs_off = right + length_px > window_width;
  const bool left_allowed = name.shown_before || right_runs_off;
  // Text whose first pixel lies outside the window is not drawn at all, as with glBitmap.
  if (y >= viewport[3]) return std::nullopt;
  // Where the right runs off, a name that fits neither side (its body is wider than the window) goes against
  // the window's right edge, over its own body.
  const int inside = window_width - length_px;
  const std::array<int, 2> sides =
      right_runs_off ? std::array<int, 2>{left, inside} : std::array<int, 2>{right, left};
  for (const int x : sides) {
    if (x == left && !left_allowed) continue;
    if (x < 0 || x >= window_width) continue;
    const window_rect backing = grow(
        {x, y - glyph_descent_px, x + length_px, y - glyph_descent_px + glyph_height_px}, label_padding_px);
    const auto too_close = [&](const taken_rect& other) {
      const bool keep_away = other.stays && !name.shown_before;
      return overlaps(grow(backing, label_gap_px + (keep_away ? label_newcomer_gap_px : 0)), other.at);
    };
    if (std::any_of(taken.begin(), taken.end(), too_close)) continue;
    taken.push_back({backing, name.shown_before});
    return std::array<int, 2>{x, y};
  }
  return std::nullopt;
}

}  // namespace

bool compute_is_hidden(const std::array<double, 3>& eye, const std::array<float, 3>& point,
                       const std::vector<sphere>& spheres) {
  double segment[3], length_squared = 0;
  for (int i = 0; i < 3; ++i) {
    segment[i] = point[i] - eye[i];
    length_squared += segment[i] * segment[i];
  }
  for (const sphere& s : spheres) {
    double to_centre[3], along = 0, eye_distance_squared = 0;
    for (int i = 0; i < 3; ++i) {
      to_centre[i] = s.centre[i] - eye[i];
      along += to_centre[i] * segment[i];
      eye_distance_squared += to_centre[i] * to_centre[i];
    }
    const double radius_squared = double(s.radius) * s.radius;
    if (eye_distance_squared <= radius_squared) continue;
    double point_distance_squared = 0;  // from the sphere's centre
    for (int i = 0; i < 3; ++i) point_distance_squared += std::pow(point[i] - s.centre[i], 2);
    if (point_distance_squared <= radius_squared) continue;  // the point's own body
    // The point of the segment nearest the centre, as a fraction of the way from the eye to the point.
    const double t = length_squared > 0 ? std::clamp(along / length_squared, 0.0, 1.0) : 0.0;
    double nearest_squared = 0;
    for (int i = 0; i < 3; ++i) {
      const double d = to_centre[i] - t * segment[i];
      nearest_squared += d * d;
    }
    if (nearest_squared < radius_squared) return true;
  }
  return false;
}

std::vector<placed_label> compute_label_layout(const std::vector<label_request>& requests,
                                               const camera_place& camera, const double* projection,
                                               const int* viewport, const std::vector<window_rect>& reserved,
                                               const std::vector<std::string>& shown_before) {
  std::vector<label_candidate> candidates =
      find_label_candidates(requests, camera, projection, viewport, shown_before);
  // The names of the last frame first, so that a newcomer never pushes one out; nearer ones first within.
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const label_candidate& a, const label_candidate& b) {
                     return a.shown_before != b.shown_before ? a.shown_before : a.depth < b.depth;
                   });
  std::vector<placed_label> placed;
  std::vector<taken_rect> taken;
  for (const window_rect& band : reserved) taken.push_back({band, false});
  for (const label_candidate& each : candidates) {
    const std::string& text = requests[each.request].text;
    if (const std::optional<std::array<int, 2>> at = place_label(each, int(text.size()), viewport, taken))
      placed.push_back({each.request, text, (*at)[0], (*at)[1]});
  }
  return placed;
}

int name_rows(size_t request_count) { return int(request_count) * name_row_px; }

void add_name_blocks(std::vector<text_block>& blocks, const std::vector<placed_label>& placed) {
  for (const placed_label& label : placed) {
    const int width = glyph_width_px * int(label.text.size()) + 2 * label_padding_px;
    blocks.push_back({int(label.request) * name_row_px, label.text, width, name_row_px,
                      label.x - label_padding_px, label.y - glyph_descent_px - label_padding_px, [=] {
                        text_image image(width, name_row_px, backing_alpha);
                        image.add(label.text, label_padding_px, label_padding_px + glyph_descent_px);
                        return image;
                      }});
  }
}
