// SPDX-License-Identifier: MIT
#include "overlay_bands.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int small_text_margin_px = 2;  // the same in a window below small_window_px either way
constexpr int small_window_px = 256;
// The status band takes at most half of a window's height and the key band a third: in a small window
// they keep the lines that fit rather than covering the scene.
constexpr int status_band_share = 2;
constexpr int keys_band_share = 3;
constexpr int band_gap_px = 2;           // between the status band and the camera's band below it
constexpr int scene_share = 2;           // at least 1 / scene_share of a window is left to the scene
constexpr const char* ellipsis = "...";  // ends a band's last line when lines that follow are left out
// Between one line's lowest glyph row and the next line's highest lie text_line_px - glyph_height_px empty
// rows; a line's strip ends below its glyphs with as many of them as this.
constexpr int line_gap_below_px = (text_line_px - glyph_height_px) / 2;

// The line ended with "..." within the columns: whole when there is room, else cut at its last space that
// leaves room (or, a single word, where it must be).
std::string end_with_ellipsis(const std::string& line, int columns) {
  const size_t room = size_t(std::max(0, columns - int(std::strlen(ellipsis))));
  if (line.size() <= room) return line + ellipsis;
  const size_t space = line.rfind(' ', room);
  return line.substr(0, space != std::string::npos && space > 0 ? space : room) + ellipsis;
}

}  // namespace

size_t lines_that_fit(int max_height, int margin) {
  const int room = max_height - 2 * margin - glyph_height_px;
  return room < 0 ? 0 : size_t(1 + room / text_line_px);
}

int band_height_px(size_t lines, int margin) {
  return 2 * margin + int(lines - 1) * text_line_px + glyph_height_px;
}

std::string compute_cut_line(const std::string& line, int columns) {
  return int(line.size()) <= columns ? line : end_with_ellipsis(line, columns);
}

namespace {

std::vector<std::string> cut_each_line(const std::vector<std::string>& lines, int columns) {
  std::vector<std::string> cut;
  for (const std::string& line : lines) cut.push_back(compute_cut_line(line, columns));
  return cut;
}

// A band's lines as strips, from the gap above each line's glyphs to the gap below them, in text pixels
// from the band's bottom: the first strip takes the top margin, the last the bottom one. Width is the text
// pixels of its backing: the band's (a rectangle), or, ragged, each line's own.
struct band_strip {
  int bottom, height, baseline, width;
};
std::vector<band_strip> compute_band_strips(const std::vector<std::string>& lines, int margin, int width,
                                            bool ragged) {
  const int height = band_height_px(lines.size(), margin);
  const int first_baseline = height - margin - glyph_height_px + glyph_descent_px;
  std::vector<band_strip> strips;
  int strip_top = height;
  for (size_t line = 0; line < lines.size(); ++line) {
    const int baseline = first_baseline - int(line) * text_line_px;
    const int strip_bottom = line + 1 < lines.size() ? baseline - glyph_descent_px - line_gap_below_px : 0;
    const int own_width = 2 * margin + glyph_width_px * int(lines[line].size());
    strips.push_back(
        {strip_bottom, strip_top - strip_bottom, baseline - strip_bottom, ragged ? own_width : width});
    strip_top = strip_bottom;
  }
  return strips;
}

// The window pixels a ragged band's backing covers, each text pixel scale x scale.
long ragged_band_area(const std::vector<std::string>& lines, int margin, int scale) {
  long area = 0;
  for (const band_strip& strip : compute_band_strips(lines, margin, 0, true))
    area += long(scale) * strip.width * scale * strip.height;
  return area;
}

// A band of lines with its bottom-left corner at (left, bottom) of the window: as wide as its longest line,
// or given a width in text pixels that wide, its dark background reaching band_right in window pixels; or,
// ragged, each line's backing as wide as that line. Its text blocks go from row row of the texture on, each
// text pixel drawn scale times larger. Each line is a block of its own, a strip of the band, so that a line
// that changes (a number that moves every tick) is the only one made and sent again; strips of one width
// join into one quad. Returns the window pixels each backing covers.
std::vector<window_rect> add_band(std::vector<text_block>& blocks, const std::vector<std::string>& lines,
                                  int bottom, int margin, int row, int scale, int width = 0,
                                  int band_right = 0, bool ragged = false, int left = 0) {
  if (width == 0) width = 2 * margin + glyph_width_px * int(longest_line(lines));
  std::vector<window_rect> covered;
  const std::vector<band_strip> strips = compute_band_strips(lines, margin, width, ragged);
  for (size_t line = 0; line < lines.size(); ++line) {
    const band_strip& strip = strips[line];
    const int right = left + (ragged ? scale * strip.width : std::max(scale * width, band_right));
    const std::string& text = lines[line];
    const int strip_width = strip.width, strip_height = strip.height, strip_baseline = strip.baseline;
    blocks.push_back({row + strip.bottom,
                      text + '\n' + std::to_string(strip_width) + ' ' + std::to_string(strip_height) + ' ' +
                          std::to_string(strip_baseline),
                      strip_width, strip_height, left, bottom + scale * strip.bottom,
                      [=] {
                        text_image image(strip_width, strip_height, backing_alpha);
                        image.add(text, margin, strip_baseline);
                        return image;
                      },
                      right, line > 0 && strips[line - 1].width == strip.width});
    covered.push_back(
        {left, bottom + scale * strip.bottom, right, bottom + scale * (strip.bottom + strip.height)});
  }
  return covered;
}

long covered_area(const std::vector<window_rect>& rects) {
  long area = 0;
  for (const window_rect& r : rects) area += long(r.right - r.left) * (r.top - r.bottom);
  return area;
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
  const auto add = [&](const std::vector<std::string>& lines, int bottom, int band_width, int band_right,
                       bool ragged) {
    const std::vector<window_rect> covered =
        add_band(blocks, lines, bottom, margin, row, scale, band_width, band_right, ragged);
    bands.insert(bands.end(), covered.begin(), covered.end());
    row += band_height_px(lines.size(), margin);
    return window_rect{0, covered.back().bottom, 0, covered.front().top};
  };
  // The status lines take their share of the window; a notice below them takes what it needs of the whole
  // window, the status lines giving way: what a key did (where a file was saved) must be read whole.
  const int whole = height / scale;
  const std::vector<std::string> notice =
      text.notice.empty()
          ? std::vector<std::string>{}
          : compute_band_lines(compute_wrapped_lines({{text.notice}}, columns), columns, whole, margin);
  const size_t status_room = std::min(lines_that_fit(whole / status_band_share, margin),
                                      lines_that_fit(whole, margin) - notice.size());
  std::vector<std::string> status = compute_band_lines(cut_each_line(text.status, columns), columns,
                                                       band_height_px(status_room, margin), margin);
  status.insert(status.end(), notice.begin(), notice.end());
  if (!status.empty()) status_bottom = add(status, height - band_height(status.size()), 0, 0, false).bottom;
  const std::vector<std::string> keys = compute_band_lines(compute_wrapped_lines(text.keys, columns), columns,
                                                           height / scale / keys_band_share, margin);
  if (!keys.empty()) keys_top = add(keys, 0, text_width, width, false).top;
  // The camera's band takes the height left between the others, and no more of the window than leaves half
  // of it to the scene.
  const int top = status_bottom - scale * band_gap_px;
  std::vector<std::string> camera =
      compute_band_lines(cut_each_line(text.camera, columns), columns, (top - keys_top) / scale, margin);
  const long room = long(width) * height / scene_share - covered_area(bands);
  // A band with no room for its lines keeps the first, or at least "...": it never vanishes unsaid.
  while (camera.size() > 1 && ragged_band_area(camera, margin, scale) > room)
    camera = compute_band_lines(camera, columns, band_height_px(camera.size() - 1, margin), margin);
  if (camera.size() == 1 && ragged_band_area(camera, margin, scale) > room) camera = {ellipsis};
  if (!camera.empty()) add(camera, top - band_height(camera.size()), 0, 0, true);
  return bands;
}

bool compute_camera_band_whole(const band_text& text, int width, int height, int text_width, int scale) {
  std::vector<text_block> blocks;
  add_bands(blocks, text, width, height, text_width, 0, scale);
  std::vector<std::string> shown;
  for (const text_block& block : blocks) shown.push_back(block.content.substr(0, block.content.find('\n')));
  return std::search(shown.begin(), shown.end(), text.camera.begin(), text.camera.end()) != shown.end();
}

int add_text_column(std::vector<text_block>& blocks, const std::vector<std::string>& lines, int left, int top,
                    int row, int scale) {
  if (lines.empty()) return 0;
  add_band(blocks, lines, top - scale * band_height_px(lines.size(), text_margin_px), text_margin_px, row,
           scale, 0, 0, false, left);
  return band_height_px(lines.size(), text_margin_px);
}

std::vector<std::string> compute_band_lines(std::vector<std::string> lines, int columns, int max_height,
                                            int margin) {
  const size_t kept = lines_that_fit(max_height, margin);
  if (lines.size() <= kept) return lines;
  lines.resize(kept);
  if (!lines.empty()) lines.back() = end_with_ellipsis(lines.back(), columns);
  return lines;
}
