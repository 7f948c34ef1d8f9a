// SPDX-License-Identifier: MIT
// The bands' words: which lines each window's bands hold, from the views that are on.
#include "band_words.h"

#include "commands.h"
#include "depth_view.h"
#include "lesson_play.h"
#include "picking.h"
#include "transform_chain.h"
#include "view_words.h"

band_text demo_band_text(ship_name viewer) {
  band_text bands;
  if (shown.status) bands.status = demo_status_lines(viewer);
  if (!shown.status && current_notice() != nullptr) bands.notice = current_notice();
  if (shown.status && !(shown.chain && viewer == active_ship)) bands.keys = demo_key_sections();
  bands.camera = demo_camera_band_lines(viewer);
  return bands;
}

std::vector<std::string> demo_camera_band_lines(ship_name viewer) {
  std::vector<std::string> lines;
  const auto add = [&](const std::vector<std::string>& more) {
    lines.insert(lines.end(), more.begin(), more.end());
  };
  if (shown.depth) {
    const projection_lens& lens = window_states[viewer].lens;
    lines.push_back(compute_depth_view_line(lens.near_distance, lens.far_distance));
  }
  if (shown.camera) add(demo_camera_lines(viewer));
  if (shown.pick) add(demo_pick_lines(viewer));
  if (shown.chain && viewer == active_ship) add(demo_chain_lines());
  return lines;
}

std::vector<std::string> demo_status_lines(ship_name window) {
  return compute_status_lines(window, *ships[window],
                              {active_ship == window, frozen, shown.time_rate, text_scale, current_notice(),
                               lesson_step, lesson_notes});
}

std::vector<std::string> demo_camera_lines(ship_name window) {
  return compute_camera_lines(window, *ships[window], window_states[window], shown.time_rate);
}

std::vector<std::string> demo_pick_lines(ship_name viewer) {
  return compute_kept_pick_lines(last_pick(), viewer);
}

const body& demo_chain_body() {
  return choose_chain_body(*ships[active_ship], last_picked_body(), *planet[SUN]);
}

std::vector<std::string> demo_chain_lines() { return compute_named_chain_lines(demo_chain_body()); }
