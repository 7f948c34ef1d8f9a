// SPDX-License-Identifier: MIT
// The status and names overlays. Each block of text (a band's lines, a name) is composed from the glyph
// table into an image, kept in a texture of the window's context and uploaded again only when its text
// changes, so a frame's text is a few blended quads; the glyph pixels come out as glBitmap would draw
// freeglut's font. No texture is ever made larger than the driver allows, and a window of any size gets
// text that fits it: the bands wrap to its width and keep only the lines that fit its height.
#include "overlay.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>

#include "opengl.h"
#include "text_font.h"

namespace {

constexpr int glyph_width_px = font_glyph_width_px;
constexpr int glyph_height_px = font_glyph_rows;
constexpr int glyph_descent_px = font_descent_px;
constexpr int text_line_px = 15;
constexpr int text_margin_px = 6;        // around a band's text
constexpr int small_text_margin_px = 2;  // the same in a window below small_window_px either way
constexpr int small_window_px = 256;
constexpr int label_offset_px = 8;   // a name starts this far right of its body's disc and above its centre
constexpr int label_padding_px = 1;  // the name's backing reaches this far beyond its text
constexpr int name_row_px = glyph_height_px + 2 * label_padding_px;  // a name's image, backing included
constexpr int label_gap_px = 2;                                      // kept clear between two names' backings
constexpr int label_newcomer_gap_px = 12;  // kept clear besides by a name that was not shown the frame before
constexpr unsigned char text_rgba[4] = {255, 255, 153, 255};  // (1, 1, 0.6): pale yellow
constexpr GLubyte band_alpha = 153;  // 0.6: the backings darken what lies behind them to two fifths
constexpr double near_plane = 0.1f;  // the frame's near plane, the float 0.1 widened
// The status band takes at most half of a window's height and the key band a third: in a small window
// they keep the lines that fit rather than covering the scene.
constexpr int status_band_share = 2;
constexpr int keys_band_share = 3;
constexpr int band_gap_px = 2;
constexpr const char* ellipsis = "...";  // ends a band's last line when lines that follow are left out  //
                                         // between the status band and the camera's band below it

// A block of text as an RGBA image, bottom row first: glyph pixels opaque in the text colour, the rest
// black with the backing's alpha (a band's or a name's). Blended over the frame, the glyph pixels
// come out exactly as glBitmap draws them.
struct text_image {
  int width = 0, height = 0;
  std::vector<unsigned char> pixels;  // red, green, blue, alpha

  text_image(int width_px, int height_px, unsigned char background_alpha)
      : width(std::max(width_px, 1)), height(std::max(height_px, 1)) {
    pixels.resize(size_t(4) * width * height);
    for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = background_alpha;
  }
  // Writes text from (x, y) on its baseline, in the image's pixels, one glyph further right per character.
  void add(const std::string& text, int x, int y) {
    for (const char each : text) {
      add_glyph(static_cast<unsigned char>(each), x, y - glyph_descent_px);
      x += glyph_width_px;
    }
  }
  // Several lines, the first on the baseline first_y, the others below it.
  void add_lines(const std::vector<std::string>& lines, int x, int first_y) {
    for (size_t line = 0; line < lines.size(); ++line)
      add(lines[line], x, first_y - int(line) * text_line_px);
  }

 private:
  void add_glyph(unsigned char c, int left, int bottom) {
    for (int row = 0; row < glyph_height_px; ++row)
      for (int column = 0; column < glyph_width_px; ++column) {
        const int x = left + column, y = bottom + row;
        if (x < 0 || x >= width || y < 0 || y >= height || !font_pixel(c, column, row)) continue;
        std::copy(text_rgba, text_rgba + 4, &pixels[4 * (size_t(y) * width + x)]);
      }
  }
};

// One block of a frame's text: its first row in the window's text texture, all that decides its pixels, its
// image's size, where the image's bottom-left corner goes in the window and how to make the image; for a
// band, where the band ends on the right, since a band wider than the largest texture has the rest of its
// dark background drawn plain. The names take the first rows, a fixed few each, then the bands.
struct text_block {
  int row;
  std::string content;
  int width, height;
  int left, bottom;
  std::function<text_image()> make;
  int band_right = 0;
};

// One texture per window holds all its text, so that a frame's text is one draw however many names it has:
// llvmpipe sets up every draw at a cost. Its size in texels, and what each block's rows were last made from.
struct text_sheet {
  GLuint name = 0;
  int width = 0, height = 0;
  struct held_block {
    int height;
    std::string content;
  };
  std::map<int, held_block> held;  // by first row
};

// What one window's context keeps: its text, the largest texture its driver takes, and the names it showed
// in its last frame.
struct window_text {
  text_sheet sheet;
  GLint max_texture_px = 0;
  std::vector<std::string> shown;
};
std::map<int, window_text> windows;

int next_power_of_two(int n) {
  int p = 1;
  while (p < n) p *= 2;
  return p;
}

// Binds the window's texture, made at least as large as the blocks need, a power of two on each side and
// never larger than the driver takes: what would not fit is cut off rather than sent in an upload that would
// fail. A new texture starts empty, so every block is made again.
void bind_sheet(text_sheet& sheet, const std::vector<text_block>& blocks, int max_texture_px) {
  int width = 1, height = 1;
  for (const text_block& block : blocks) {
    width = std::max(width, block.width);
    height = std::max(height, block.row + block.height);
  }
  width = std::min(next_power_of_two(width), max_texture_px);
  height = std::min(next_power_of_two(height), max_texture_px);
  if (sheet.name == 0) glGenTextures(1, &sheet.name);
  glBindTexture(GL_TEXTURE_2D, sheet.name);
  if (width <= sheet.width && height <= sheet.height) return;
  sheet.width = std::max(width, sheet.width);
  sheet.height = std::max(height, sheet.height);
  sheet.held.clear();
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, sheet.width, sheet.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
}

// The part of a block's image that the sheet holds.
int held_width(const text_sheet& sheet, const text_block& block) {
  return std::min(block.width, sheet.width);
}
int held_height(const text_sheet& sheet, const text_block& block) {
  return std::max(0, std::min(block.height, sheet.height - block.row));
}

// Makes the block's image into its rows of the bound sheet, unless they hold it already. Whatever else lay
// in those rows (a band before it grew by a line) is forgotten, so that it is made again when next drawn.
void upload(text_sheet& sheet, const text_block& block) {
  const auto same = sheet.held.find(block.row);
  if (same != sheet.held.end() && same->second.content == block.content &&
      same->second.height == block.height)
    return;
  const int width = held_width(sheet, block), height = held_height(sheet, block);
  if (height == 0) return;
  for (auto each = sheet.held.begin(); each != sheet.held.end();)
    each = each->first < block.row + height && block.row < each->first + each->second.height
               ? sheet.held.erase(each)
               : std::next(each);
  const text_image image = block.make();
  glPixelStorei(GL_UNPACK_ROW_LENGTH, image.width);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, block.row, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                  image.pixels.data());
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  sheet.held[block.row] = {block.height, block.content};
}

// Adds a quad's corners, counter-clockwise from the bottom left, to the arrays.
void add_quad(std::vector<GLfloat>& vertices, std::vector<GLfloat>& tex_coords, const window_rect& at,
              GLfloat s0, GLfloat t0, GLfloat s1, GLfloat t1) {
  vertices.insert(vertices.end(),
                  {GLfloat(at.left), GLfloat(at.bottom), GLfloat(at.right), GLfloat(at.bottom),
                   GLfloat(at.right), GLfloat(at.top), GLfloat(at.left), GLfloat(at.top)});
  tex_coords.insert(tex_coords.end(), {s0, t0, s1, t0, s1, t1, s0, t1});
}

void draw_quads(const std::vector<GLfloat>& vertices, const std::vector<GLfloat>& tex_coords) {
  glVertexPointer(2, GL_FLOAT, 0, vertices.data());
  glTexCoordPointer(2, GL_FLOAT, 0, tex_coords.data());
  glDrawArrays(GL_QUADS, 0, GLsizei(vertices.size() / 2));
}

// Every block from the window's texture, made anew where its text changed, blended over the frame in one
// draw; then what a band's texture could not hold of its background. The texture is unbound again: the
// bodies are drawn with texturing enabled and must find no texture bound.
void draw_text(window_text& window, const std::vector<text_block>& blocks) {
  if (blocks.empty()) return;
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  text_sheet& sheet = window.sheet;
  bind_sheet(sheet, blocks, window.max_texture_px);
  std::vector<GLfloat> vertices, tex_coords, plain_vertices, plain_tex_coords;
  for (const text_block& block : blocks) {
    upload(sheet, block);
    const int width = held_width(sheet, block), height = held_height(sheet, block);
    const window_rect at = {block.left, block.bottom, block.left + width, block.bottom + height};
    add_quad(vertices, tex_coords, at, 0, GLfloat(block.row) / sheet.height, GLfloat(width) / sheet.width,
             GLfloat(block.row + height) / sheet.height);
    if (block.band_right > at.right)
      add_quad(plain_vertices, plain_tex_coords, {at.right, at.bottom, block.band_right, at.top}, 0, 0, 0, 0);
  }
  draw_quads(vertices, tex_coords);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
  glColor4ub(0, 0, 0, band_alpha);
  if (!plain_vertices.empty()) draw_quads(plain_vertices, plain_tex_coords);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisable(GL_BLEND);
}

std::string join_lines(const std::vector<std::string>& lines) {
  std::string joined;
  for (const std::string& line : lines) joined += line + "\n";
  return joined;
}

size_t longest_line(const std::vector<std::string>& lines) {
  size_t longest = 0;
  for (const std::string& line : lines) longest = std::max(longest, line.size());
  return longest;
}

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

// A band of lines with its bottom-left corner at (0, bottom), as wide as its longest line or, given a width,
// that wide; its text blocks from row row of the texture on, and its dark background reaching band_right.
window_rect add_band(std::vector<text_block>& blocks, const std::vector<std::string>& lines, int bottom,
                     int margin, int row, int width = 0, int band_right = 0) {
  const int height = band_height_px(lines.size(), margin);
  if (width == 0) width = 2 * margin + glyph_width_px * int(longest_line(lines));
  const int first_baseline = height - margin - glyph_height_px + glyph_descent_px;
  blocks.push_back({row, join_lines(lines) + std::to_string(width), width, height, 0, bottom,
                    [=] {
                      text_image image(width, height, band_alpha);
                      image.add_lines(lines, margin, first_baseline);
                      return image;
                    },
                    std::max(width, band_right)});
  return {0, bottom, std::max(width, band_right), bottom + height};
}

// The bands: the window's ship and its state at the top left and the active ship's keys along the bottom
// (the status overlay), and the camera's numbers at the left below the status; each wrapped to the window's
// width and cut to the lines that fit, the camera's to the room the other two leave. Adds their text
// blocks, from row first_row of the texture on, and returns the bands, which names keep clear of.
std::vector<window_rect> add_bands(std::vector<text_block>& blocks, const overlay_content& content, int width,
                                   int height, int text_width, int first_row) {
  const int margin = std::min(width, height) < small_window_px ? small_text_margin_px : text_margin_px;
  const int columns = (text_width - 2 * margin) / glyph_width_px;
  if (columns < 1) return {};
  std::vector<window_rect> bands;
  int row = first_row, status_bottom = height, keys_top = 0;
  const auto add = [&](const std::vector<std::string>& lines, int bottom, int band_width, int band_right) {
    bands.push_back(add_band(blocks, lines, bottom, margin, row, band_width, band_right));
    row += bands.back().top - bands.back().bottom;
    return bands.back();
  };
  if (content.status_on) {
    const std::vector<std::string> status = compute_band_lines(wrap_each_line(content.status_lines, columns),
                                                               columns, height / status_band_share, margin);
    if (!status.empty())
      status_bottom = add(status, height - band_height_px(status.size(), margin), 0, 0).bottom;
    const std::vector<std::string> keys = compute_band_lines(
        compute_wrapped_lines(content.key_sections, columns), columns, height / keys_band_share, margin);
    if (!keys.empty()) keys_top = add(keys, 0, text_width, width).top;
  }
  if (content.camera_on) {
    const int top = status_bottom - band_gap_px;
    const std::vector<std::string> camera =
        compute_band_lines(wrap_each_line(content.camera_lines, columns), columns, top - keys_top, margin);
    if (!camera.empty()) add(camera, top - band_height_px(camera.size(), margin), 0, 0);
  }
  return bands;
}

void add_names(std::vector<text_block>& blocks, window_text& window, const overlay_content& content,
               const int* viewport, const std::vector<window_rect>& bands) {
  GLdouble projection[16];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  const std::vector<placed_label> placed =
      compute_label_layout(content.labels, content.camera, projection, viewport, bands, window.shown);
  window.shown.clear();
  for (const placed_label& label : placed) {
    window.shown.push_back(label.text);
    const int width = glyph_width_px * int(label.text.size()) + 2 * label_padding_px;
    blocks.push_back({int(label.request) * name_row_px, label.text, width, name_row_px,
                      label.x - label_padding_px, label.y - glyph_descent_px - label_padding_px, [=] {
                        text_image image(width, name_row_px, band_alpha);
                        image.add(label.text, label_padding_px, label_padding_px + glyph_descent_px);
                        return image;
                      }});
  }
}

// Draws the blocks in window pixels, with lighting, texturing and the depth test off; the depth test is
// switched back on after, because nothing else in a frame switches it on.
void draw_in_pixels(window_text& window, const std::vector<text_block>& blocks, int width, int height) {
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  {
    glLoadIdentity();
    gluOrtho2D(0, width, 0, height);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    {
      glLoadIdentity();
      draw_text(window, blocks);
    }
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
  }
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glEnable(GL_DEPTH_TEST);
}

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

std::optional<std::array<double, 3>> compute_window_point(const std::array<float, 3>& world,
                                                          const float* view, const double* projection,
                                                          const int* viewport) {
  double eye[4];
  for (int row = 0; row < 4; ++row)
    eye[row] = double(view[row]) * world[0] + double(view[4 + row]) * world[1] +
               double(view[8 + row]) * world[2] + double(view[12 + row]);
  if (eye[2] >= -near_plane) return std::nullopt;
  double clip[4];
  for (int row = 0; row < 4; ++row)
    clip[row] = projection[row] * eye[0] + projection[4 + row] * eye[1] + projection[8 + row] * eye[2] +
                projection[12 + row] * eye[3];
  if (clip[3] == 0.0) return std::nullopt;
  const std::array<double, 3> at = {viewport[0] + (1 + clip[0] / clip[3]) * viewport[2] / 2,
                                    viewport[1] + (1 + clip[1] / clip[3]) * viewport[3] / 2,
                                    (1 + clip[2] / clip[3]) / 2};
  if (!std::isfinite(at[0]) || !std::isfinite(at[1]) || !std::isfinite(at[2])) return std::nullopt;
  return at;
}

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

std::vector<std::string> compute_wrapped_lines(const std::vector<std::vector<std::string>>& sections,
                                               int columns) {
  std::vector<std::string> lines;
  if (columns < 1) return lines;
  const size_t width = size_t(columns);
  for (const std::vector<std::string>& section : sections) {
    std::string line;
    const auto finish = [&] {
      if (!line.empty()) lines.push_back(line);
      line.clear();
    };
    // Appends a piece with its separator, starting a new line when it would not fit.
    const auto place = [&](const std::string& piece, const char* separator) {
      if (!line.empty() && line.size() + std::string(separator).size() + piece.size() > width) finish();
      line += (line.empty() ? "" : separator) + piece;
    };
    for (const std::string& item : section) {
      if (item.size() <= width) {
        place(item, "  ");
        continue;
      }
      finish();  // an item longer than a line starts a line of its own and breaks between its words
      for (size_t start = 0; start < item.size();) {
        const size_t end = std::min(item.find(' ', start), item.size());
        std::string word = item.substr(start, end - start);
        start = end + 1;
        if (word.size() > width) finish();
        for (; word.size() > width; word.erase(0, width)) lines.push_back(word.substr(0, width));
        if (!word.empty()) place(word, " ");
      }
    }
    finish();
  }
  return lines;
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

void overlay_draw(int window_id, const overlay_content& content, int width, int height) {
  window_text& window = windows[window_id];
  if (!content.names_on) window.shown.clear();
  if ((!content.status_on && !content.names_on && !content.camera_on) || width < 1 || height < 1) return;
  if (window.max_texture_px == 0) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &window.max_texture_px);
  const int viewport[4] = {0, 0, width, height};
  std::vector<text_block> blocks;
  std::vector<window_rect> bands;
  if (content.status_on || content.camera_on)
    bands = add_bands(blocks, content, width, height, std::min(width, int(window.max_texture_px)),
                      int(content.labels.size()) * name_row_px);
  if (content.names_on) add_names(blocks, window, content, viewport, bands);
  draw_in_pixels(window, blocks, width, height);
}
