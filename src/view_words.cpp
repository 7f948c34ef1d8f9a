// SPDX-License-Identifier: MIT
// The words of the views, each made from what it is handed.
#include "view_words.h"

#include <algorithm>
#include <cstdio>

#include "number_forms.h"
#include "transform_chain.h"

namespace {

constexpr int coordinate_decimals = 3;

// "(x, y, z)", each to three decimals.
std::string compute_vector_text(const float* v) {
  return "(" + compute_number_text(v[0], coordinate_decimals) + ", " +
         compute_number_text(v[1], coordinate_decimals) + ", " +
         compute_number_text(v[2], coordinate_decimals) + ")";
}

// "x8" or "x1/16": the rate as a factor.
std::string compute_rate_text(float rate) {
  char text[32];
  if (rate >= 1.0f)
    std::snprintf(text, sizeof text, "x%g", rate);
  else
    std::snprintf(text, sizeof text, "x1/%g", 1.0f / rate);
  return text;
}

// The step of the mode the ship is in, as %g writes it, and when "=" can take it no further, that it cannot.
std::string compute_step_text(const ship& s) {
  const std::string step = compute_number_text(s.get_step(), coordinate_decimals);
  return s.at_largest_step() ? step + ", the largest" : step;
}

// Whether a body, as drawn, lies between the eye and the point; the point's own body never counts.
bool is_hidden(body* const* bodies, const std::array<double, 3>& eye, const std::array<float, 3>& point,
               int own_body) {
  for (int b = SUN; b < body_count; ++b)
    if (b != own_body && bodies[b]->hides(eye, point)) return true;
  return false;
}

std::string name_of_record(unsigned int n) {
  return n < unsigned(body_count) ? demo_body_label(body_name(n)) : "?";
}

}  // namespace

std::vector<std::string> compute_status_lines(ship_name window, const ship& s, const status_facts& facts) {
  std::vector<std::string> lines;
  if (!facts.lesson_step.empty()) lines.push_back(facts.lesson_step);
  lines.insert(lines.end(), facts.lesson_notes.begin(), facts.lesson_notes.end());
  lines.push_back(std::string(ship_titles[window]) + (facts.has_keys ? ", has the keys" : ""));
  lines.push_back(std::string(mode_names[s.get_mode()]) + ", step " + compute_step_text(s));
  if (s.get_mode() == GEOSYNCH && s.geosynch_body != nullptr)
    lines.push_back(std::string("following ") + demo_body_label(s.geosynch_body->name));
  if (facts.paused) lines.emplace_back("paused");
  if (facts.time_rate != 1.0f) lines.push_back("time " + compute_rate_text(facts.time_rate));
  if (facts.text_scale != 1) lines.push_back("text scale " + std::to_string(facts.text_scale));
  if (facts.notice != nullptr) lines.emplace_back(facts.notice);
  return lines;
}

std::vector<std::string> compute_camera_lines(ship_name window, const ship& s, const window_state& frame,
                                              float time_rate, bool exact_aspect) {
  std::vector<std::string> lines = {std::string(ship_titles[window]) + "'s camera, " +
                                    mode_names[s.get_mode()]};
  const camera_place camera = s.locate_camera();
  if (s.get_mode() == LOOKAT) {
    lines.push_back("eye    " + compute_vector_text(s.eye));
    lines.push_back("target " + compute_vector_text(s.origin));
    lines.push_back("up     " + compute_vector_text(s.up));
  } else if (camera.fault == nullptr) {
    const float eye[3] = {float(camera.eye[0]), float(camera.eye[1]), float(camera.eye[2])};
    lines.push_back("eye at " + compute_vector_text(eye));
  }
  if (camera.fault != nullptr) lines.emplace_back(camera.fault);
  if (s.get_mode() == GEOSYNCH && s.geosynch_body != nullptr) {
    lines.push_back(std::string("following ") + demo_body_label(s.geosynch_body->name) + " at distance " +
                    compute_number_text(s.geosynch_distance, coordinate_decimals));
  }
  const projection_lens& lens = frame.lens;
  lines.push_back(compute_perspective_call(lens.field_of_view, frame.aspect, lens.near_distance,
                                           lens.far_distance,
                                           exact_aspect ? board_aspect_decimals : band_aspect_decimals));
  if (exact_aspect)
    lines.push_back(
        "aspect = width/height = " + std::to_string(frame.width) + "/" +
        std::to_string(std::max(frame.height, 1)));  // a window shrunk to nothing is one pixel high
  // Four decimals: the near and far planes show in the third row only from the fourth on (-1.0001, -0.2).
  constexpr int projection_decimals = 4;
  lines.emplace_back("projection, eye to clip:");
  for (std::string& row : compute_matrix_rows(frame.projection.data(), projection_decimals))
    lines.push_back(std::move(row));
  lines.push_back("scene time " + compute_rate_text(time_rate));
  lines.emplace_back("model-view, world to eye:");
  for (std::string& row : compute_matrix_rows(camera.view)) lines.push_back(std::move(row));
  return lines;
}

std::string compute_depth_view_line(double near_distance, double far_distance) {
  return "depth as grey: white at near " + compute_significant_text(near_distance, plane_digits) +
         ", black at far " + compute_significant_text(far_distance, plane_digits);
}

std::vector<std::string> compute_kept_pick_lines(const kept_pick& pick, ship_name viewer) {
  if (!pick.made) return {pick.not_run.empty() ? "no pick yet: press space over a body" : pick.not_run};
  if (pick.window != viewer) return {};  // shown where it ran
  return compute_pick_lines(pick.report, name_of_record, pick.lens.near_distance, pick.lens.far_distance);
}

const body& choose_chain_body(const ship& active, const body* picked, const body& sun) {
  if (active.get_mode() == GEOSYNCH && active.geosynch_body != nullptr) return *active.geosynch_body;
  return picked != nullptr ? *picked : sun;
}

std::vector<std::string> compute_named_chain_lines(const body& b) {
  return compute_chain_lines(b, [](const body& each) { return std::string(demo_body_label(each.name)); });
}

void add_label_requests(overlay_content& content, ship_name viewer, body* const* bodies, const ship& other) {
  const std::array<double, 3>& eye = content.camera.eye;
  for (int b = SUN; b < body_count; ++b) {
    const std::array<float, 3> world = bodies[b]->centre();
    const bool hidden = is_hidden(bodies, eye, world, b);
    const size_t request = content.labels.size();
    content.labels.push_back({demo_body_label(body_name(b)), world, bodies[b]->radius, hidden});
    if (hidden || bodies[b]->holds(eye)) continue;
    content.obstacles.push_back({world, bodies[b]->radius, request});
    for (const std::array<float, 4>& ball : bodies[b]->ring_bounds())
      content.obstacles.push_back({{ball[0], ball[1], ball[2]}, ball[3], request});
  }
  const camera_place other_camera = other.locate_camera();
  if (other_camera.fault == nullptr) {
    const std::array<float, 3> world = {float(other_camera.eye[0]), float(other_camera.eye[1]),
                                        float(other_camera.eye[2])};
    content.labels.push_back(
        {ship_titles[other_ship(viewer)], world, ship_model_radius, is_hidden(bodies, eye, world, -1)});
  }
}
