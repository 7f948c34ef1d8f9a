// SPDX-License-Identifier: MIT
#include "overlay_names.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "matrix_math.h"
#include "view_geometry.h"

namespace {

// In text pixels, drawn as text_scale x text_scale window pixels each.
constexpr int label_offset_px = 8;   // a name starts this far right of its body's disc and above its centre
constexpr int label_padding_px = 1;  // the name's backing reaches this far beyond its text
constexpr int name_row_px = glyph_height_px + 2 * label_padding_px;  // a name's image, backing included
constexpr int label_gap_px = 2;                                      // kept clear between two names' backings
constexpr int label_newcomer_gap_px = 12;  // kept clear besides by a name that was not shown the frame before
constexpr int keep_slack_px = 3;           // how far others may come into a name that keeps its place
constexpr int leader_step_px = 16;         // a name offset on a leader goes this much farther out at each try
constexpr int leader_steps = 4;
constexpr int leader_directions = 8;  // up right first, then round the disc
constexpr int side_slots = 2;         // right and left of the disc, without a leader
// The last resort of a body wider than its name, a window filled by a planet followed close by: the name
// written over the middle of its own disc.
constexpr int over_own_slot = side_slots + leader_steps * leader_directions;
constexpr int slot_count = over_own_slot + 1;

// A name's sizes in window pixels at a text scale.
struct name_sizes {
  int glyph_width, glyph_height, descent, offset, padding, row, gap, newcomer_gap, slack, leader_step;
};

name_sizes scale_name_sizes(int scale) {
  return {scale * glyph_width_px,  scale * glyph_height_px,       scale * glyph_descent_px,
          scale * label_offset_px, scale * label_padding_px,      scale * name_row_px,
          scale * label_gap_px,    scale * label_newcomer_gap_px, scale * keep_slack_px,
          scale * leader_step_px};
}

bool overlaps(const window_rect& a, const window_rect& b) {
  return a.left < b.right && b.left < a.right && a.bottom < b.top && b.bottom < a.top;
}

window_rect grow(const window_rect& r, int px) {
  return {r.left - px, r.bottom - px, r.right + px, r.top + px};
}

// Whether two segments of the window, (x0, y0, x1, y1) each, cross or touch.
bool segments_cross(const std::array<int, 4>& a, const std::array<int, 4>& b) {
  const auto side = [](int x0, int y0, int x1, int y1, int x, int y) {
    const long long cross = (long long)(x1 - x0) * (y - y0) - (long long)(y1 - y0) * (x - x0);
    return (cross > 0) - (cross < 0);
  };
  const auto within = [](int p, int q, int r) { return std::min(p, q) <= r && r <= std::max(p, q); };
  const int d1 = side(a[0], a[1], a[2], a[3], b[0], b[1]), d2 = side(a[0], a[1], a[2], a[3], b[2], b[3]);
  const int d3 = side(b[0], b[1], b[2], b[3], a[0], a[1]), d4 = side(b[0], b[1], b[2], b[3], a[2], a[3]);
  if (d1 * d2 < 0 && d3 * d4 < 0) return true;
  // Touching: an end on the other segment.
  const auto on = [&](const std::array<int, 4>& s, int d, int x, int y) {
    return d == 0 && within(s[0], s[2], x) && within(s[1], s[3], y);
  };
  return on(a, d1, b[0], b[1]) || on(a, d2, b[2], b[3]) || on(b, d3, a[0], a[1]) || on(b, d4, a[2], a[3]);
}

bool segment_meets_rect(const std::array<int, 4>& s, const window_rect& r) {
  const auto inside = [&](int x, int y) { return r.left <= x && x < r.right && r.bottom <= y && y < r.top; };
  if (inside(s[0], s[1]) || inside(s[2], s[3])) return true;
  const int right = r.right - 1, top = r.top - 1;
  const std::array<std::array<int, 4>, 4> edges = {{{r.left, r.bottom, right, r.bottom},
                                                    {right, r.bottom, right, top},
                                                    {right, top, r.left, top},
                                                    {r.left, top, r.left, r.bottom}}};
  return std::any_of(edges.begin(), edges.end(),
                     [&](const std::array<int, 4>& e) { return segments_cross(s, e); });
}

// A disc of the window: a ball of the world as the camera shows it, roughly.
struct window_disc {
  double x, y, radius;
  size_t owner;
};

// Squared distances: the layout asks these tens of thousands of times a frame, and std::hypot's care for
// overflow, which window pixels never need, made it a tenth of the layout's cost.
bool inside_disc(double x, double y, const window_disc& d) {
  return d.radius > 0 && (x - d.x) * (x - d.x) + (y - d.y) * (y - d.y) < d.radius * d.radius;
}

bool rect_meets_disc(const window_rect& r, const window_disc& d) {
  return inside_disc(std::clamp(d.x, double(r.left), double(r.right)),
                     std::clamp(d.y, double(r.bottom), double(r.top)), d);
}

bool segment_meets_disc(double x0, double y0, double x1, double y1, const window_disc& d) {
  const double dx = x1 - x0, dy = y1 - y0, length_squared = dx * dx + dy * dy;
  const double t =
      length_squared > 0 ? std::clamp(((d.x - x0) * dx + (d.y - y0) * dy) / length_squared, 0.0, 1.0) : 0.0;
  return inside_disc(x0 + t * dx, y0 + t * dy, d);
}

// The smallest disc holding two discs.
window_disc enclose(const window_disc& a, const window_disc& b) {
  const double apart = std::hypot(b.x - a.x, b.y - a.y);
  if (a.radius >= apart + b.radius) return a;
  if (b.radius >= apart + a.radius) return b;
  const double radius = (apart + a.radius + b.radius) / 2, along = (radius - a.radius) / apart;
  return {a.x + along * (b.x - a.x), a.y + along * (b.y - a.y), radius, a.owner};
}

// Where a ball shows: its centre's window point and its disc's radius at its distance from the eye. A ball
// that reaches the camera's side of the near plane is bounded by what its slices from the near plane to its
// far side could cover: at depth z a slice lies within a disc whose centre and radius both go as 1 / z, so
// the two end slices' discs enclose them all. One wholly behind covers nothing.
std::optional<window_disc> project_ball(const std::array<float, 3>& centre, double radius, size_t owner,
                                        const camera_place& camera, const double* projection,
                                        const int* viewport) {
  const double whole_window = std::hypot(viewport[2], viewport[3]);
  const double depth = compute_eye_depth(camera.view, {centre[0], centre[1], centre[2]});
  const double near_distance = compute_near_distance(projection);  // the window's own, which keys move
  if (!std::isfinite(depth) || depth + radius <= near_distance) return std::nullopt;
  const auto capped = [&](window_disc disc) {
    disc.radius = std::min(disc.radius, whole_window);
    return disc;
  };
  if (depth - radius > near_distance) {
    const std::optional<std::array<double, 3>> at =
        compute_window_point(centre, camera.view, projection, viewport);
    if (!at) return std::nullopt;
    double distance = 0;
    for (int i = 0; i < 3; ++i) distance += std::pow(centre[i] - camera.eye[i], 2);
    const double radius_px = compute_disc_radius_px(radius, std::sqrt(distance), projection, viewport);
    return capped({(*at)[0], (*at)[1], radius_px, owner});
  }
  double lateral[2] = {0, 0};  // the centre's eye-space x and y
  for (int row = 0; row < 2; ++row)
    lateral[row] = camera.view[row] * centre[0] + camera.view[4 + row] * centre[1] +
                   camera.view[8 + row] * centre[2] + camera.view[12 + row];
  const double scale_x = projection[0] * viewport[2] / 2, scale_y = projection[5] * viewport[3] / 2;
  const auto slice = [&](double z) {
    return window_disc{viewport[0] + viewport[2] / 2.0 + lateral[0] / z * scale_x,
                       viewport[1] + viewport[3] / 2.0 + lateral[1] / z * scale_y,
                       compute_disc_radius_px(radius, z, projection, viewport), owner};
  };
  return capped(enclose(slice(near_distance), slice(depth + radius)));
}

// A name that could be shown: its body lies in the window and nothing drawn hides it.
struct label_candidate {
  size_t request;
  window_disc disc;  // the body's, in window pixels
  double depth;      // 0 at the near plane, 1 at the far one
  std::optional<int> slot_before;
};

std::vector<label_candidate> find_label_candidates(const std::vector<label_request>& requests,
                                                   const camera_place& camera, const double* projection,
                                                   const int* viewport,
                                                   const std::vector<placed_label>& shown_before) {
  std::vector<label_candidate> candidates;
  for (size_t r = 0; r < requests.size(); ++r) {
    const label_request& request = requests[r];
    if (request.hidden) continue;
    const std::optional<std::array<double, 3>> at =
        compute_window_point(request.world, camera.view, projection, viewport);
    if (!at || (*at)[0] < 0 || (*at)[1] < 0 || (*at)[0] >= viewport[2] || (*at)[1] >= viewport[3]) continue;
    const std::optional<window_disc> disc =
        project_ball(request.world, request.radius, r, camera, projection, viewport);
    if (!disc) continue;
    const auto same = [&](const placed_label& s) { return s.text == request.text; };
    const auto before = std::find_if(shown_before.begin(), shown_before.end(), same);
    candidates.push_back({r,
                          {(*at)[0], (*at)[1], disc->radius, r},
                          (*at)[2],
                          before != shown_before.end() ? std::optional<int>(before->slot) : std::nullopt});
  }
  return candidates;
}

// One place a name may take: its text's start on the baseline, and for a name offset on a leader, the
// leader's ends.
struct label_place {
  int x, y;
  bool has_leader;
  std::array<int, 4> leader;
};

// The place of a slot around a disc for a text length_px wide: right or left of the disc a little above its
// centre, or out in one of eight directions, the text on the side facing away from the disc.
label_place compute_place(const window_disc& disc, int slot, int length_px, const name_sizes& px) {
  const int x = int(disc.x), y = int(disc.y), beside = px.offset + int(disc.radius);
  if (slot == 0) return {x + beside, y + px.offset, false, {}};
  if (slot == 1) return {x - beside - length_px, y + px.offset, false, {}};
  if (slot == over_own_slot) return {x - length_px / 2, y - px.glyph_height / 2 + px.descent, false, {}};
  const int step = (slot - side_slots) / leader_directions + 1;
  const double angle = 2 * pi * ((slot - side_slots) % leader_directions + 0.5) / leader_directions;
  const double dx = std::cos(angle), dy = std::sin(angle);
  const double out = disc.radius + px.offset + step * px.leader_step;
  const int end_x = int(disc.x + out * dx), end_y = int(disc.y + out * dy);
  // The text's backing touches the leader's end with its nearest corner or edge.
  const int text_x = dx > 0.3 ? end_x : dx < -0.3 ? end_x - length_px : end_x - length_px / 2;
  const int backing_bottom = dy > 0.3 ? end_y : dy < -0.3 ? end_y - px.row : end_y - px.row / 2;
  const int start_x = int(disc.x + disc.radius * dx), start_y = int(disc.y + disc.radius * dy);
  return {text_x, backing_bottom + px.padding + px.descent, true, {start_x, start_y, end_x, end_y}};
}

window_rect backing_of(const label_place& place, int length_px, const name_sizes& px) {
  const int bottom = place.y - px.descent;
  return grow({place.x, bottom, place.x + length_px, bottom + px.glyph_height}, px.padding);
}

// What a name must keep clear of: a band, or the backing and leader of a name placed before it in this frame,
// and whether that name stays from the last frame.
struct taken_rect {
  window_rect at;
  bool stays;
  bool has_leader = false;
  std::array<int, 4> leader = {};
};

// Whether a name's backing, and its leader if it has one, keep off the discs: every other body's, and its
// own too when the name is offset on a leader. A name keeping its place may come a few pixels into a disc
// with its backing, so that bodies moving a pixel or two do not make it jump; never with its leader.
bool clear_of_discs(const label_place& place, const window_rect& backing, size_t request, bool keeps,
                    const std::vector<window_disc>& discs, const name_sizes& px) {
  for (const window_disc& disc : discs) {
    const bool own = disc.owner == request;
    if (own && !place.has_leader) continue;
    if (rect_meets_disc(keeps ? grow(backing, -px.slack) : backing, disc)) return false;
    if (place.has_leader && !own &&
        segment_meets_disc(place.leader[0], place.leader[1], place.leader[2], place.leader[3], disc))
      return false;
  }
  return true;
}

// How far a backing lies from a disc's edge, in window pixels: 0 when it reaches into it.
double distance_to_disc(const window_rect& r, const window_disc& d) {
  const double x = std::clamp(d.x, double(r.left), double(r.right));
  const double y = std::clamp(d.y, double(r.bottom), double(r.top));
  return std::max(0.0, std::hypot(d.x - x, d.y - y) - d.radius);
}

// Whether a name is read as its own body's: its backing lies nearer that body's disc than any other's, or
// at least a side's offset away from every other (a name offset on a leader in a crowd), so that it
// never sits beside another body.
bool reads_as_its_own(const window_rect& backing, const window_disc& own,
                      const std::vector<window_disc>& discs, const name_sizes& px) {
  const double beside = std::min(distance_to_disc(backing, own), double(px.offset));
  return std::none_of(discs.begin(), discs.end(), [&](const window_disc& other) {
    return other.owner != own.owner && distance_to_disc(backing, other) <= beside;
  });
}

// Whether a name keeps its gap from what is taken (names and bands), its leader crosses none of them nor
// another leader, and no other leader crosses it. A newcomer keeps more room from a name that stays, so that
// two names passing each other do not take turns frame by frame; a name keeping its place needs no gap.
bool clear_of_taken(const label_place& place, const window_rect& backing, bool newcomer, bool keeps,
                    const std::vector<taken_rect>& taken, const name_sizes& px) {
  const auto too_close = [&](const taken_rect& other) {
    const int gap = keeps ? 0 : px.gap + (other.stays && newcomer ? px.newcomer_gap : 0);
    return overlaps(grow(backing, gap), other.at) ||
           (place.has_leader && segment_meets_rect(place.leader, other.at)) ||
           (other.has_leader && segment_meets_rect(other.leader, backing)) ||
           (place.has_leader && other.has_leader && segments_cross(place.leader, other.leader));
  };
  return std::none_of(taken.begin(), taken.end(), too_close);
}

// The first free place of a name, its last frame's place first: inside the window, clear of the discs and of
// everything taken, which it then joins, and read as its own body's (a name keeping its place goes only when
// a disc comes into it). A newcomer goes left of its disc only
// when the right would run off the window, and over its own disc only when that disc is wider than the name.
std::optional<placed_label> place_label(const label_candidate& name, const std::string& text,
                                        const std::vector<window_disc>& discs, const int* viewport,
                                        const name_sizes& px, std::vector<taken_rect>& taken) {
  const int length_px = px.glyph_width * int(text.size());
  const bool newcomer = !name.slot_before;
  const window_rect window = {0, 0, viewport[2], viewport[3]};
  const auto fits = [&](int slot, const label_place& place) {
    const bool keeps = name.slot_before && slot == *name.slot_before;
    const window_rect backing = backing_of(place, length_px, px);
    if (backing.left < window.left || backing.bottom < window.bottom || backing.right > window.right ||
        backing.top > window.top)
      return false;
    if (slot == over_own_slot && 2 * name.disc.radius < length_px) return false;
    if (slot == 1 && newcomer &&
        backing_of(compute_place(name.disc, 0, length_px, px), length_px, px).right <= window.right)
      return false;
    return clear_of_discs(place, backing, name.request, keeps, discs, px) &&
           (keeps || reads_as_its_own(backing, name.disc, discs, px)) &&
           clear_of_taken(place, backing, newcomer, keeps, taken, px);
  };
  std::vector<int> order;
  if (name.slot_before) order.push_back(*name.slot_before);
  for (int slot = 0; slot < slot_count; ++slot)
    if (slot != name.slot_before) order.push_back(slot);
  for (const int slot : order) {
    const label_place place = compute_place(name.disc, slot, length_px, px);
    if (!fits(slot, place)) continue;
    taken.push_back({backing_of(place, length_px, px), !newcomer, place.has_leader, place.leader});
    return placed_label{name.request, text, place.x, place.y, slot, place.has_leader, place.leader};
  }
  return std::nullopt;
}

}  // namespace

std::vector<placed_label> compute_label_layout(const std::vector<label_request>& requests,
                                               const std::vector<label_obstacle>& obstacles,
                                               const camera_place& camera, const double* projection,
                                               const int* viewport, const std::vector<window_rect>& reserved,
                                               int scale, const std::vector<placed_label>& shown_before) {
  if (camera.fault != nullptr) return {};
  const name_sizes px = scale_name_sizes(scale);
  std::vector<label_candidate> candidates =
      find_label_candidates(requests, camera, projection, viewport, shown_before);
  // The names of the last frame first, so that a newcomer never pushes one out; nearer ones first within.
  std::stable_sort(
      candidates.begin(), candidates.end(), [](const label_candidate& a, const label_candidate& b) {
        return bool(a.slot_before) != bool(b.slot_before) ? bool(a.slot_before) : a.depth < b.depth;
      });
  std::vector<window_disc> discs;
  for (const label_obstacle& each : obstacles)
    if (const auto disc = project_ball(each.centre, each.radius, each.owner, camera, projection, viewport))
      discs.push_back(*disc);
  std::vector<placed_label> placed;
  std::vector<taken_rect> taken;
  for (const window_rect& band : reserved) taken.push_back({band, false});
  for (const label_candidate& each : candidates)
    if (auto label = place_label(each, requests[each.request].text, discs, viewport, px, taken))
      placed.push_back(*label);
  return placed;
}

int name_rows(size_t request_count) { return int(request_count) * name_row_px; }

void add_name_blocks(std::vector<text_block>& blocks, const std::vector<placed_label>& placed, int scale) {
  const name_sizes px = scale_name_sizes(scale);
  for (const placed_label& label : placed) {
    const int width = glyph_width_px * int(label.text.size()) + 2 * label_padding_px;
    blocks.push_back({int(label.request) * name_row_px, label.text, width, name_row_px, label.x - px.padding,
                      label.y - px.descent - px.padding, [=] {
                        text_image image(width, name_row_px, backing_alpha);
                        image.add(label.text, label_padding_px, label_padding_px + glyph_descent_px);
                        return image;
                      }});
  }
}
