// SPDX-License-Identifier: MIT
#include "overlay_board.h"

#include <algorithm>
#include <optional>

#include "overlay_bands.h"

namespace {

constexpr int column_gap_px = 2 * text_margin_px;  // between two columns, two rows and the keys, text pixels

int column_width(const std::vector<std::string>& lines) {
  return 2 * text_margin_px + glyph_width_px * int(longest_line(lines));
}

// One window's topics in columns of at most max_lines lines, read down then across: a topic starts a new
// column where it does not fit below the one before, and only a topic longer than a column is split.
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

// Places a window's columns side by side from the left, the row's top at top; returns the row's width.
int place_row(std::vector<board_column>& placed, const std::vector<std::vector<std::string>>& columns,
              int left, int top) {
  for (const std::vector<std::string>& column : columns) {
    placed.push_back({column, left, top});
    left += column_width(column) + column_gap_px;
  }
  return left - column_gap_px;
}

// The windows laid out in rows within text_width x height text pixels, or nothing when they do not fit
// whole: in one row every window's columns as high as the room, in two each window's row half of it.
std::optional<std::vector<board_column>> arrange(const board_text& text, int rows, int text_width,
                                                 int height) {
  const int row_height = (height - (rows - 1) * column_gap_px) / rows;
  const size_t max_lines = lines_that_fit(row_height, text_margin_px);
  if (max_lines == 0) return std::nullopt;
  std::vector<board_column> placed;
  int left = 0, top = 0, widest = 0;
  for (size_t window = 0; window < text.windows.size(); ++window) {
    if (rows > 1 && window > 0) {
      left = 0;
      top += row_height + column_gap_px;
    }
    left = place_row(placed, flow(text.windows[window], max_lines), left, top) + column_gap_px;
    widest = std::max(widest, left - column_gap_px);
  }
  if (widest > text_width) return std::nullopt;
  return placed;
}

int columns_bottom(const std::vector<board_column>& columns) {
  int bottom = 0;
  for (const board_column& column : columns)
    bottom = std::max(bottom, column.top + band_height_px(column.lines.size(), text_margin_px));
  return bottom;
}

int board_chars(int text_width) { return (text_width - 2 * text_margin_px) / glyph_width_px; }

// When nothing fits whole: scale 1, one row, each column's lines cut to the width left, and what is left out
// said with "...".
board_layout cut_to_fit(const board_text& text, int width, int height) {
  board_layout layout;
  layout.whole = false;
  const size_t max_lines = std::max<size_t>(1, lines_that_fit(height, text_margin_px));
  int left = 0;
  for (const std::vector<std::vector<std::string>>& window : text.windows)
    for (std::vector<std::string> column : flow(window, max_lines)) {
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
    for (int scale = largest_board_scale; scale >= 1; --scale) {
      const int text_width = std::min(width / scale, max_text_width), text_height = height / scale;
      const std::vector<std::string> keys =
          with_keys ? compute_wrapped_lines(text.keys, board_chars(text_width)) : std::vector<std::string>{};
      const int keys_height = keys.empty() ? 0 : band_height_px(keys.size(), text_margin_px) + column_gap_px;
      for (const int rows : {1, 2})
        if (const auto columns = arrange(text, rows, text_width, text_height - keys_height)) {
          board_layout layout{scale, rows, *columns, {}, true};
          // Without room for all the keys, they take what the columns leave, cut with "..." if need be.
          const int keys_top = columns_bottom(*columns) + column_gap_px;
          const int chars = board_chars(text_width);
          layout.keys = {compute_band_lines(compute_wrapped_lines(text.keys, chars), chars,
                                            text_height - keys_top, text_margin_px),
                         0, keys_top};
          return layout;
        }
    }
  return cut_to_fit(text, std::min(width, max_text_width), height);
}

board_layout add_board(std::vector<text_block>& blocks, const board_text& text, int width, int height,
                       int text_width) {
  const board_layout layout = compute_board_layout(text, width, height, text_width);
  int row = 0;
  for (const board_column& column : layout.columns)
    row += add_text_column(blocks, column.lines, layout.scale * column.left,
                           height - layout.scale * column.top, row, layout.scale);
  add_text_column(blocks, layout.keys.lines, 0, height - layout.scale * layout.keys.top, row, layout.scale);
  return layout;
}
