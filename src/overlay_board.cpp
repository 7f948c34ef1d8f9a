// SPDX-License-Identifier: MIT
#include "overlay_board.h"

#include <algorithm>
#include <optional>

#include "overlay_bands.h"

namespace {

// Between two columns, and between the parts above and below them, in text pixels.
constexpr int column_gap_px = 2 * text_margin_px;

int column_width(const std::vector<std::string>& lines) {
  return 2 * text_margin_px + glyph_width_px * int(longest_line(lines));
}

// Topics in columns of at most max_lines lines, read down then across: a topic starts a new column where it
// does not fit below the one before, and only a topic longer than a column is split.
std::vector<std::vector<std::string>> flow(const std::vector<std::vector<std::string>>& topics,
                                           size_t max_lines) {
  std::vector<std::vector<std::string>> columns(1);
  for (const std::vector<std::string>& topic : topics) {
    if (!columns.back().empty() && columns.back().size() + topic.size() > max_lines) columns.emplace_back();
    for (const std::string& line : topic) {
      if (columns.back().size() == max_lines) columns.emplace_back();
      columns.back().push_back(line);
    }
  }
  if (columns.back().empty()) columns.pop_back();
  return columns;
}

// The name of the window a topic belongs to, where the board has one ("" names none).
const std::string& head_of(const board_text& text, size_t window) {
  static const std::string none;
  return window < text.heads.size() ? text.heads[window] : none;
}

// A topic as the packing sees it: its window, its lines, and whether its first line names its window.
struct topic_ref {
  size_t window;
  const std::vector<std::string>* lines;
  bool names_itself;
};

// Whether the topic at place k of a column, in reading order, is headed by its window's name: at the
// column's top or below another window's topic, unless its first line says it.
bool headed(const std::vector<topic_ref>& topics, const std::vector<size_t>& column, size_t k) {
  const topic_ref& topic = topics[column[k]];
  return !topic.names_itself && (k == 0 || topics[column[k - 1]].window != topic.window);
}

size_t column_lines(const std::vector<topic_ref>& topics, const std::vector<size_t>& column) {
  size_t lines = 0;
  for (size_t k = 0; k < column.size(); ++k)
    lines += topics[column[k]].lines->size() + headed(topics, column, k);
  return lines;
}

// First fit in the given order: each topic into the first column that still holds it, its topics in reading
// order, else into a new column; nothing when a topic alone is taller than a column. The columns are read
// down then across, by their first topic.
std::optional<std::vector<std::vector<size_t>>> assign(const std::vector<topic_ref>& topics,
                                                       const std::vector<size_t>& order, size_t max_lines) {
  std::vector<std::vector<size_t>> columns;
  for (const size_t t : order) {
    bool placed = false;
    for (std::vector<size_t>& column : columns) {
      std::vector<size_t> with = column;
      with.insert(std::upper_bound(with.begin(), with.end(), t), t);
      if (column_lines(topics, with) > max_lines) continue;
      column = std::move(with);
      placed = true;
      break;
    }
    if (placed) continue;
    if (column_lines(topics, {t}) > max_lines) return std::nullopt;
    columns.push_back({t});
  }
  std::sort(columns.begin(), columns.end());
  return columns;
}

// The topics packed whole into columns no taller than height and no wider than width, in reading order
// where that fits, else the tallest first, which leaves fewer and fuller columns; a topic at a column's top
// or below another window's is headed by its window's name. Nothing when neither fits.
std::optional<std::vector<board_column>> pack(const board_text& text, int width, int top, int height) {
  const size_t max_lines = lines_that_fit(height, text_margin_px);
  std::vector<topic_ref> topics;
  for (size_t window = 0; window < text.windows.size(); ++window)
    for (const std::vector<std::string>& topic : text.windows[window])
      topics.push_back(
          {window, &topic, !topic.empty() && topic.front().rfind(head_of(text, window), 0) == 0});
  std::vector<size_t> in_order(topics.size());
  for (size_t t = 0; t < topics.size(); ++t) in_order[t] = t;
  std::vector<size_t> tallest_first = in_order;
  std::stable_sort(tallest_first.begin(), tallest_first.end(),
                   [&](size_t a, size_t b) { return topics[a].lines->size() > topics[b].lines->size(); });
  for (const std::vector<size_t>& order : {in_order, tallest_first}) {
    const auto columns = assign(topics, order, max_lines);
    if (!columns) return std::nullopt;
    std::vector<board_column> placed;
    int left = 0;
    for (const std::vector<size_t>& column : *columns) {
      board_column lines{{}, left, top};
      for (size_t k = 0; k < column.size(); ++k) {
        const topic_ref& topic = topics[column[k]];
        if (headed(topics, column, k)) lines.lines.push_back(head_of(text, topic.window) + ":");
        lines.lines.insert(lines.lines.end(), topic.lines->begin(), topic.lines->end());
      }
      left += column_width(lines.lines) + column_gap_px;
      placed.push_back(std::move(lines));
    }
    if (left - column_gap_px <= width) return placed;
  }
  return std::nullopt;
}

int lines_height(size_t lines) { return lines == 0 ? 0 : band_height_px(lines, text_margin_px); }

int columns_bottom(const std::vector<board_column>& columns) {
  int bottom = 0;
  for (const board_column& column : columns)
    bottom = std::max(bottom, column.top + lines_height(column.lines.size()));
  return bottom;
}

int board_chars(int text_width) { return (text_width - 2 * text_margin_px) / glyph_width_px; }

// Each of these lines on lines of its own, broken between words where wider than the board.
std::vector<std::string> wrap_each(const std::vector<std::string>& lines, int chars) {
  std::vector<std::vector<std::string>> sections;
  for (const std::string& line : lines) sections.push_back({line});
  return compute_wrapped_lines(sections, chars);
}

// The board at one scale, or nothing when its numbers do not fit whole; with_keys keeps the keys' lines a
// place of their own, else they take what the numbers leave.
std::optional<board_layout> lay_out_at(const board_text& text, int scale, int text_width, int text_height,
                                       bool with_keys) {
  const int chars = board_chars(text_width);
  if (chars < 1) return std::nullopt;
  board_layout layout;
  layout.scale = scale;
  layout.heading = {wrap_each(text.heading, chars), 0, 0};
  const int columns_top =
      layout.heading.lines.empty() ? 0 : lines_height(layout.heading.lines.size()) + column_gap_px;
  const std::vector<std::string> keys = compute_wrapped_lines(text.keys, chars);
  const int keys_height = with_keys && !keys.empty() ? lines_height(keys.size()) + column_gap_px : 0;
  const int message_top = text_height - lines_height(board_message_lines);
  const auto columns =
      pack(text, text_width, columns_top, message_top - column_gap_px - keys_height - columns_top);
  if (!columns) return std::nullopt;
  layout.columns = *columns;
  int below = std::max(columns_bottom(layout.columns), columns_top);
  if (!keys.empty()) {
    const int keys_top = below + column_gap_px;
    layout.keys = {compute_band_lines(keys, chars, message_top - column_gap_px - keys_top, text_margin_px), 0,
                   keys_top};
    below = keys_top + lines_height(layout.keys.lines.size());
  }
  if (!text.message.empty()) {
    const int top = std::min(message_top, below + column_gap_px);
    layout.message = {
        compute_band_lines(wrap_each({text.message}, chars), chars, text_height - top, text_margin_px), 0,
        top};
  }
  return layout;
}

// When nothing fits whole: scale 1, the title, the topics and the message flowed down then across, a topic
// longer than a column split, each line cut to the width left, and what is left out said with "...".
board_layout cut_to_fit(const board_text& text, int width, int height) {
  board_layout layout;
  layout.whole = false;
  std::vector<std::vector<std::string>> topics = {text.heading};
  for (const auto& window : text.windows) topics.insert(topics.end(), window.begin(), window.end());
  topics.push_back({text.message});
  topics.erase(std::remove_if(topics.begin(), topics.end(),
                              [](const std::vector<std::string>& t) { return t.empty() || t[0].empty(); }),
               topics.end());
  const size_t max_lines = std::max<size_t>(1, lines_that_fit(height, text_margin_px));
  int left = 0;
  for (std::vector<std::string> column : flow(topics, max_lines)) {
    const int chars = board_chars(width - left);
    if (chars < 1) break;
    for (std::string& line : column) line = compute_cut_line(line, chars);
    layout.columns.push_back({column, left, 0});
    left += column_width(column) + column_gap_px;
  }
  if (!layout.columns.empty()) {
    std::string& last = layout.columns.back().lines.back();
    last = compute_cut_line(last + "...", board_chars(width - layout.columns.back().left));
  }
  return layout;
}

}  // namespace

board_layout compute_board_layout(const board_text& text, int width, int height, int max_text_width) {
  // The keys are welcome, the numbers are needed: a scale that holds the numbers alone beats none.
  for (const bool with_keys : {true, false})
    for (int scale = largest_board_scale; scale >= 1; --scale)
      if (const auto layout =
              lay_out_at(text, scale, std::min(width / scale, max_text_width), height / scale, with_keys))
        return *layout;
  return cut_to_fit(text, std::min(width, max_text_width), height);
}

void add_board_blocks(std::vector<text_block>& blocks, const board_layout& layout, int height) {
  int row = 0;
  const auto add = [&](const board_column& column) {
    row += add_text_column(blocks, column.lines, layout.scale * column.left,
                           height - layout.scale * column.top, row, layout.scale);
  };
  add(layout.heading);
  for (const board_column& column : layout.columns) add(column);
  add(layout.keys);
  add(layout.message);
}

board_layout add_board(std::vector<text_block>& blocks, const board_text& text, int width, int height,
                       int text_width) {
  const board_layout layout = compute_board_layout(text, width, height, text_width);
  add_board_blocks(blocks, layout, height);
  return layout;
}
