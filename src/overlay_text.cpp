// SPDX-License-Identifier: MIT
#include "overlay_text.h"

#include <algorithm>

namespace {

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

// Where a quad goes in the window, the texture's rectangle it shows, and where its band's background ends.
struct sheet_quad {
  window_rect at;
  window_rect texels;
  int band_right;
};

// Grows a quad by the one lying against it, above or below, in the window as in the texture.
void join(sheet_quad& quad, const sheet_quad& next) {
  quad.texels.bottom = std::min(quad.texels.bottom, next.texels.bottom);
  quad.texels.top = std::max(quad.texels.top, next.texels.top);
  quad.at.bottom = std::min(quad.at.bottom, next.at.bottom);
  quad.at.top = std::max(quad.at.top, next.at.top);
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
void draw_text(window_text& window, const std::vector<text_block>& blocks, int scale) {
  if (blocks.empty()) return;
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  text_sheet& sheet = window.sheet;
  bind_sheet(sheet, blocks, window.max_texture_px);
  std::vector<sheet_quad> quads;
  for (const text_block& block : blocks) {
    upload(sheet, block);
    const int width = held_width(sheet, block), height = held_height(sheet, block);
    if (height == 0) continue;
    const sheet_quad quad = {
        {block.left, block.bottom, block.left + scale * width, block.bottom + scale * height},
        {0, block.row, width, block.row + height},
        block.band_right};
    if (block.joins_previous && !quads.empty())
      join(quads.back(), quad);
    else
      quads.push_back(quad);
  }
  std::vector<GLfloat> vertices, tex_coords, plain_vertices, plain_tex_coords;
  for (const sheet_quad& quad : quads) {
    const window_rect &at = quad.at, &texels = quad.texels;
    add_quad(vertices, tex_coords, at, 0, GLfloat(texels.bottom) / sheet.height,
             GLfloat(texels.right) / sheet.width, GLfloat(texels.top) / sheet.height);
    if (quad.band_right > at.right)
      add_quad(plain_vertices, plain_tex_coords, {at.right, at.bottom, quad.band_right, at.top}, 0, 0, 0, 0);
  }
  draw_quads(vertices, tex_coords);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
  glColor4ub(0, 0, 0, backing_alpha);
  if (!plain_vertices.empty()) draw_quads(plain_vertices, plain_tex_coords);
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisable(GL_BLEND);
}

// Unsmoothed, for crisp pixels whatever Saturn's rings left on, in a colour and width; the width goes back
// to the one pixel the rings hand back.
void draw_lines(const std::vector<GLfloat>& lines, const unsigned char* rgba, int width_px) {
  if (lines.empty()) return;
  const GLboolean smooth = glIsEnabled(GL_LINE_SMOOTH);
  glDisable(GL_LINE_SMOOTH);
  glLineWidth(GLfloat(width_px));
  glColor4ubv(rgba);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(2, GL_FLOAT, 0, lines.data());
  glDrawArrays(GL_LINES, 0, GLsizei(lines.size() / 2));
  glDisableClientState(GL_VERTEX_ARRAY);
  glLineWidth(1.0f);
  if (smooth) glEnable(GL_LINE_SMOOTH);
}

// The marks over the scene and under the text, which they must never hide: the text colour on a black edge a
// pixel wide on each side, which stands out on every body and on black alike.
constexpr unsigned char mark_edge_rgba[4] = {0, 0, 0, 255};
void draw_marks(const std::vector<GLfloat>& marks, int scale) {
  draw_lines(marks, mark_edge_rgba, mark_width_px * scale + 2);
  draw_lines(marks, text_rgba, mark_width_px * scale);
}

}  // namespace

void draw_text_blocks(window_text& window, const std::vector<text_block>& blocks, int scale, int width,
                      int height, const std::vector<GLfloat>& leaders, const std::vector<GLfloat>& marks) {
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  draw_in_window_pixels(width, height, [&] {
    draw_lines(leaders, text_rgba, scale);
    draw_marks(marks, scale);
    draw_text(window, blocks, scale);
  });
  glEnable(GL_DEPTH_TEST);
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

size_t longest_line(const std::vector<std::string>& lines) {
  size_t longest = 0;
  for (const std::string& line : lines) longest = std::max(longest, line.size());
  return longest;
}
