// SPDX-License-Identifier: MIT
#include "overlay_bands.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int text_margin_px = 6;        // around a band's text
constexpr int small_text_margin_px = 2;  // the same in a window below small_window_px either way
constexpr int small_window_px = 256;
// The status band takes at most half of a window's height and the key band a third: in a small window
// they keep the lines that fit rather than covering the scene.
constexpr int status_band_share = 2;
constexpr int keys_band_share = 3;
constexpr int band_gap_px = 2;           // between the status band and the camera's band below it
constexpr const char* ellipsis = "...";  // ends a band's last line when lines that follow are left out
// Between one line's lowest glyph row and the next line's highest lie text_line_px - glyph_height_px empty
// rows; a line's strip ends below its glyphs with as many of them as this.
constexpr int line_gap_below_px = (text_line_px - glyph_height_px) / 2;

// A band's height for lines of text: a margin, the lines text_line_px apart, a margin, with every glyph row
// of the first and the last line (descenders included) inside.
int band_height_px(size_t lines, int margin) {
  return 2 * margin + int(lines - 1) * text_line_px + glyph_height_px;
}

// How many lines of text a band of at most max_height pixels holds.
size_t lines_that_fit(int max_height, int margin) {
  const int room = max_height - 2 * margin - glyph_height_px;
  return room < 0 ? 0 : size_t(1 + room / text_line_px);
}

// Each line wrapped on its own to the columns.
std::vector<std::string> wrap_each_line(const std::vector<std::string>& lines, int columns) {
  std::vector<std::vector<std::string>> sections;
  for (const std::string& line : lines) sections.push_back({line});
  return compute_wrapped_lines(sections, columns);
}

// A band of lines with its bottom-left corner at (0, bottom) of the window, as wide as its longest line or,
// given a width in text pixels, that wide, its dark background reaching band_right in window pixels; its text
// blocks from row row of the texture on, each text pixel drawn scale times larger. Each line is a block of
// its own, a strip of the band from the gap above its glyphs to the gap below them, so that a line that
// changes (a number that moves every tick) is the only one made and sent again; the strips join into the
// band's one quad.
window_rect add_band(std::vector<text_block>& blocks, const std::vector<std::string>& lines, int bottom,
                     int margin, int row, int scale, int width = 0, int band_right = 0) {
  const int height = band_height_px(lines.size(), margin);
  if (width == 0) width = 2 * margin + glyph_width_px * int(longest_line(lines));
  band_right = std::max(scale * width, band_right);
  const int first_baseline = height - margin - glyph_height_px + glyph_descent_px;
  int strip_top = height;
  for (size_t line = 0; line < lines.size(); ++line) {
    const int baseline = first_baseline - int(line) * text_line_px;
    const int strip_bottom = line + 1 < lines.size() ? baseline - glyph_descent_px - line_gap_below_px : 0;
    const int strip_height = strip_top - strip_bottom, strip_baseline = baseline - strip_bottom;
    const std::string& text = lines[line];
    blocks.push_back({row + strip_bottom,
                      text + '\n' + std::to_string(width) + ' ' + std::to_string(strip_height) + ' ' +
                          std::to_string(strip_baseline),
                      width, strip_height, 0, bottom + scale * strip_bottom,
                      [=] {
                        text_image image(width, strip_height, backing_alpha);
                        image.add(text, margin, strip_baseline);
                        return image;
                      },
                      band_right, line > 0});
    strip_top = strip_bottom;
  }
  return {0, bottom, band_right, bottom + scale * height};
}

}  // namespace

std::vector<window_rect> add_bands(std::vector<text_block>& blocks, const band_text& text, int width,
                                   int height, int text_width, int first_row, int scale) {
  // Laid out in text pixels, each scale window pixels wide, and placed in window pixels.
  const int margin =
      std::min(width, height) / scale < small_window_px ? small_text_margin_px : text_margin_px;
  const int columns = (text_width - 2 * margin) / glyph_width_px;
  if (columns < 1) return {};
  const auto band_height = [&](size_t lines) { return scale * band_height_px(lines, margin); };
  std::vector<window_rect> bands;
  int row = first_row, status_bottom = height, keys_top = 0;
  const auto add = [&](const std::vector<std::string>& lines, int bottom, int band_width, int band_right) {
    bands.push_back(add_band(blocks, lines, bottom, margin, row, scale, band_width, band_right));
    row += band_height_px(lines.size(), margin);
    return bands.back();
  };
  const std::vector<std::string> status = compute_band_lines(wrap_each_line(text.status, columns), columns,
                                                             height / scale / status_band_share, margin);
  if (!status.empty()) status_bottom = add(status, height - band_height(status.size()), 0, 0).bottom;
  const std::vector<std::string> keys = compute_band_lines(compute_wrapped_lines(text.keys, columns), columns,
                                                           height / scale / keys_band_share, margin);
  if (!keys.empty()) keys_top = add(keys, 0, text_width, width).top;
  const int top = status_bottom - scale * band_gap_px;
  const std::vector<std::string> camera =
      compute_band_lines(wrap_each_line(text.camera, columns), columns, (top - keys_top) / scale, margin);
  if (!camera.empty()) add(camera, top - band_height(camera.size()), 0, 0);
  return bands;
}

std::vector<std::string> compute_band_lines(std::vector<std::string> lines, int columns, int max_height,
                                            int margin) {
  const size_t kept = lines_that_fit(max_height, margin);
  if (lines.size() <= kept) return lines;
  lines.resize(kept);
  if (!lines.empty()) {
    std::string& last = lines.back();
    last = last.substr(0, size_t(std::max(0, columns - int(std::strlen(ellipsis))))) + ellipsis;
  }
  return lines;
}
