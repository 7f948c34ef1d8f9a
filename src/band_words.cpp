// SPDX-License-Identifier: MIT
// The bands' words: which lines each window's bands hold, from the views that are on.
#include "band_words.h"

#include <algorithm>

#include "commands.h"
#include "lesson_play.h"
#include "overlay_bands.h"
#include "picking.h"
#include "transform_chain.h"
#include "view_words.h"

band_text demo_band_text(ship_name viewer) {
  band_text bands;
  // The notice is wrapped below the status lines, or in their place, and never cut as they may be.
  if (shown.status) bands.status = demo_status_lines(viewer, false);
  if (current_notice() != nullptr) bands.notice = current_notice();
  if (glut_board_window != 0) {
    bands.status.resize(std::min<size_t>(bands.status.size(), 1));
    return bands;
  }
  if (shown.status && !(shown.chain && viewer == active_ship)) bands.keys = demo_key_sections();
  bands.camera = demo_camera_band_lines(viewer);
  return bands;
}

bool demo_bands_hold_views() {
  for (const ship_name each : {MOTHER_SHIP, SCOUT_SHIP}) {
    const window_state& window = window_states[each];
    const int scale = std::max(1, text_scale);
    if (window.width > 0 && !compute_camera_band_whole(demo_band_text(each), window.width, window.height,
                                                       window.width / scale, scale))
      return false;
  }
  return true;
}

board_text demo_board_text() {
  board_text board;
  static const std::string no_step;
  static const std::vector<std::string> no_notes;
  for (const ship_name each : {MOTHER_SHIP, SCOUT_SHIP}) {
    // The state's title heads the whole board, and the message has a place of its own.
    std::vector<std::vector<std::string>> topics = {compute_status_lines(
        each, *ships[each],
        {active_ship == each, frozen, shown.time_rate, text_scale, nullptr, no_step, no_notes})};
    for (std::vector<std::string>& topic : demo_camera_band_topics(each, true))
      topics.push_back(std::move(topic));
    board.windows.push_back(std::move(topics));
    board.heads.emplace_back(ship_titles[each]);
  }
  if (shown.status) board.keys = demo_key_sections();
  board.heading = demo_lesson_lines();
  if (current_notice() != nullptr) board.message = current_notice();
  return board;
}

std::vector<std::string> demo_lesson_lines() {
  if (lesson_step.empty())
    return loaded_lesson.title.empty() ? std::vector<std::string>{}
                                       : std::vector<std::string>{loaded_lesson.title};
  std::vector<std::string> lines = {lesson_step};
  lines.insert(lines.end(), lesson_notes.begin(), lesson_notes.end());
  return lines;
}

std::vector<std::vector<std::string>> demo_camera_band_topics(ship_name viewer, bool exact_aspect) {
  std::vector<std::vector<std::string>> topics;
  const auto add = [&](std::vector<std::string> topic) {
    if (!topic.empty()) topics.push_back(std::move(topic));
  };
  if (shown.depth) {
    const projection_lens& lens = window_states[viewer].lens;
    add({compute_depth_view_line(lens.near_distance, lens.far_distance)});
  }
  if (shown.camera) add(demo_camera_lines(viewer, exact_aspect));
  if (shown.pick) add(demo_pick_lines(viewer));
  if (shown.chain && viewer == active_ship) add(demo_chain_lines());
  return topics;
}

std::vector<std::string> demo_camera_band_lines(ship_name viewer) {
  std::vector<std::string> lines;
  for (const std::vector<std::string>& topic : demo_camera_band_topics(viewer, false))
    lines.insert(lines.end(), topic.begin(), topic.end());
  return lines;
}

std::vector<std::string> demo_status_lines(ship_name window, bool with_notice) {
  // Before the first state the lesson's own title stands where a state's would.
  const std::string& step = lesson_step.empty() ? loaded_lesson.title : lesson_step;
  return compute_status_lines(window, *ships[window],
                              {active_ship == window, frozen, shown.time_rate, text_scale,
                               with_notice ? current_notice() : nullptr, step, lesson_notes});
}

std::vector<std::string> demo_camera_lines(ship_name window, bool exact_aspect) {
  return compute_camera_lines(window, *ships[window], window_states[window], shown.time_rate, exact_aspect);
}

std::vector<std::string> demo_pick_lines(ship_name viewer) {
  return compute_kept_pick_lines(last_pick(), viewer);
}

const body& demo_chain_body() {
  return choose_chain_body(*ships[active_ship], last_picked_body(), *planet[SUN]);
}

std::vector<std::string> demo_chain_lines() { return compute_named_chain_lines(demo_chain_body()); }
