// SPDX-License-Identifier: MIT
// The status and names overlays. Text used to go character by character through glBitmap, which cost a
// frame a quarter more. Now freeglut's glyphs are taken once, each block of text (a band, a name) is
// composed into an image in a texture of the window's context, uploaded again only when its text changes,
// and a frame's text is a few blended quads, pixel for pixel the glyphs glBitmap would draw.
#include "overlay.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>

#include "demo.h"
#include "opengl.h"

bool status_overlay_on = false;
bool names_overlay_on = false;

namespace {

// freeglut's fixed 8x13 font: 64 characters fill a 512-pixel line.
void* const text_font = GLUT_BITMAP_8_BY_13;
constexpr int glyph_width_px = 8;
constexpr int glyph_height_px = 13;
constexpr int glyph_descent_px = 3;  // of the 13, below the baseline
constexpr int text_line_px = 15;
constexpr int text_margin_px = 6;
constexpr int label_offset_px = 8;  // a name starts this far right of and above its point
constexpr unsigned char text_rgba[4] = {255, 255, 153, 255};  // (1, 1, 0.6): pale yellow
constexpr GLubyte band_alpha = 153;  // 0.6: the bands darken what lies behind them to two fifths
constexpr double near_plane = 0.1f;  // the frame's near plane, the float 0.1 widened

// The glyphs as freeglut draws them: character c in cell (c % 16, c / 16) of a 128-pixel square, each cell
// one glyph wide and 16 pixels high with its baseline 4 pixels above the cell's bottom; printable ASCII
// fills rows 2 to 7. One byte a pixel, 255 where the glyph has a pixel.
constexpr int glyph_sheet_px = 128;
constexpr int cell_height_px = 16;
constexpr int cells_per_row = glyph_sheet_px / glyph_width_px;
constexpr int cell_baseline_px = 4;
constexpr unsigned char first_glyph = 32, last_glyph = 126;
std::vector<unsigned char> glyph_sheet;

// Lets freeglut draw every printable glyph in white on black into a corner of the back buffer, reads them
// back and puts the corner's pixels back as they were. Run once, under the pixel projection of begin_text.
void capture_glyphs() {
  std::vector<unsigned char> saved(3 * glyph_sheet_px * glyph_sheet_px);
  glReadPixels(0, 0, glyph_sheet_px, glyph_sheet_px, GL_RGB, GL_UNSIGNED_BYTE, saved.data());
  glColor3f(0, 0, 0);
  glRecti(0, 0, glyph_sheet_px, glyph_sheet_px);
  glColor3f(1, 1, 1);
  for (int c = first_glyph; c <= last_glyph; ++c) {
    glRasterPos2i(c % cells_per_row * glyph_width_px, c / cells_per_row * cell_height_px + cell_baseline_px);
    glutBitmapCharacter(text_font, c);
  }
  glyph_sheet.resize(glyph_sheet_px * glyph_sheet_px);
  glReadPixels(0, 0, glyph_sheet_px, glyph_sheet_px, GL_RED, GL_UNSIGNED_BYTE, glyph_sheet.data());
  glRasterPos2i(0, 0);
  glDrawPixels(glyph_sheet_px, glyph_sheet_px, GL_RGB, GL_UNSIGNED_BYTE, saved.data());
}

// A block of text as an RGBA image, bottom row first: glyph pixels opaque in the text colour, the rest black
// with the background's alpha (a band's, or none). Blended over the frame, the glyph pixels come out
// exactly as glBitmap draws them and the background darkens what lies behind it.
struct text_image {
  int width = 0, height = 0;
  std::vector<unsigned char> pixels;  // red, green, blue, alpha

  text_image(int width_px, int height_px, unsigned char background_alpha)
      : width(width_px), height(height_px) {
    pixels.resize(size_t(4) * width * height);
    for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = background_alpha;
  }
  // Writes text from (x, y) on its baseline, in the image's pixels, one glyph further right per character.
  void add(const std::string& text, int x, int y) {
    for (const char each : text) {
      const auto c = static_cast<unsigned char>(each);
      if (c >= first_glyph && c <= last_glyph) add_glyph(c, x, y - cell_baseline_px);
      x += glyph_width_px;
    }
  }
  // Several lines from (x, top_y) downwards.
  void add_lines(const std::string& text, int x, int top_y) {
    size_t start = 0;
    for (int line = 0; start <= text.size(); ++line) {
      const size_t end = std::min(text.find('\n', start), text.size());
      add(text.substr(start, end - start), x, top_y - line * text_line_px);
      start = end + 1;
    }
  }

 private:
  void add_glyph(unsigned char c, int cell_left, int cell_bottom) {
    const int sheet_left = c % cells_per_row * glyph_width_px,
              sheet_bottom = c / cells_per_row * cell_height_px;
    for (int row = 0; row < cell_height_px; ++row) {
      const int y = cell_bottom + row;
      if (y < 0 || y >= height) continue;
      for (int column = 0; column < glyph_width_px; ++column) {
        const int x = cell_left + column;
        if (x < 0 || x >= width ||
            glyph_sheet[(sheet_bottom + row) * glyph_sheet_px + sheet_left + column] == 0)
          continue;
        unsigned char* p = &pixels[4 * (size_t(y) * width + x)];
        p[0] = text_rgba[0];
        p[1] = text_rgba[1];
        p[2] = text_rgba[2];
        p[3] = text_rgba[3];
      }
    }
  }
};

// One block of a frame's text: its slot in the window's texture (the status, the keys, then one per name),
// all that decides its pixels, where it goes in the window, and how to make its image when the slot does
// not hold it yet. The status and the keys change only with a key, a name never: most frames upload nothing.
struct text_block {
  int slot;
  std::string content;
  window_rect at;
  std::function<text_image()> make;
};
constexpr int status_slot = 0, keys_slot = 1, first_name_slot = 2;
constexpr int band_slot_rows = 128, name_slot_rows = 16, slot_count = first_name_slot + 16;
constexpr int atlas_rows = 2 * band_slot_rows + (slot_count - first_name_slot) * name_slot_rows;

int slot_row(int slot) {
  return slot < first_name_slot ? slot * band_slot_rows
                                : 2 * band_slot_rows + (slot - first_name_slot) * name_slot_rows;
}

// Each window's context has its own texture, and so its own record of what each slot holds.
struct text_atlas {
  GLuint texture = 0;
  int width = 0;
  std::string contents[slot_count];
};
text_atlas atlases[ship_count];

int next_power_of_two(int n) {
  int p = 1;
  while (p < n) p *= 2;
  return p;
}

// Brings the window's texture up to date with the blocks (a wider window needs a wider texture, which
// starts empty), then draws one textured quad per block, blended over the frame. The texture is unbound
// again: the bodies are drawn with texturing enabled and must find no texture bound.
void draw_text_blocks(text_atlas& atlas, const std::vector<text_block>& blocks, int window_width) {
  if (atlas.texture == 0) glGenTextures(1, &atlas.texture);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, atlas.texture);
  const int width = next_power_of_two(std::max(window_width, glyph_sheet_px));
  if (width > atlas.width) {
    atlas = {atlas.texture, width, {}};
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, atlas.width, atlas_rows, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  }
  std::vector<GLfloat> vertices, tex_coords;
  for (const text_block& block : blocks) {
    if (block.slot >= slot_count) continue;
    const int row = slot_row(block.slot);
    if (atlas.contents[block.slot] != block.content) {
      const text_image image = block.make();
      glTexSubImage2D(GL_TEXTURE_2D, 0, 0, row, image.width, image.height, GL_RGBA, GL_UNSIGNED_BYTE,
                      image.pixels.data());
      atlas.contents[block.slot] = block.content;
    }
    const window_rect& r = block.at;
    const GLfloat s1 = GLfloat(r.right - r.left) / atlas.width;
    const GLfloat t0 = GLfloat(row) / atlas_rows, t1 = GLfloat(row + r.top - r.bottom) / atlas_rows;
    vertices.insert(vertices.end(), {GLfloat(r.left), GLfloat(r.bottom), GLfloat(r.right), GLfloat(r.bottom),
                                     GLfloat(r.right), GLfloat(r.top), GLfloat(r.left), GLfloat(r.top)});
    tex_coords.insert(tex_coords.end(), {0, t0, s1, t0, s1, t1, 0, t1});
  }
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  glVertexPointer(2, GL_FLOAT, 0, vertices.data());
  glTexCoordPointer(2, GL_FLOAT, 0, tex_coords.data());
  glDrawArrays(GL_QUADS, 0, GLsizei(vertices.size() / 2));
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  glDisable(GL_BLEND);
  glBindTexture(GL_TEXTURE_2D, 0);
  glDisable(GL_TEXTURE_2D);
}

int count_lines(const std::string& text) { return 1 + int(std::count(text.begin(), text.end(), '\n')); }

int longest_line(const std::string& text) {
  int longest = 0, current = 0;
  for (const char c : text) {
    current = c == '\n' ? 0 : current + 1;
    longest = std::max(longest, current);
  }
  return longest;
}

constexpr const char* mode_names[] = {"LOOKAT", "RELATIVE", "GEOSYNCH"};

std::string compute_status_text(ship_name window) {
  const ship& s = *ships[window];
  char step[32];
  const float steps[] = {s.lookat_speed, s.relative_speed, s.geosynch_speed};
  std::snprintf(step, sizeof step, "%g", steps[s.get_mode()]);
  std::string text =
      std::string(ship_titles[window]) + (active_ship == window ? ", has the keys" : "") + "\n";
  text += std::string(mode_names[s.get_mode()]) + ", step " + step;
  if (s.get_mode() == GEOSYNCH && s.geosynch_body != nullptr)
    text += std::string("\nfollowing ") + demo_body_label(s.geosynch_body->name);
  if (frozen) text += "\npaused";
  return text;
}

// The status overlay: the window's ship and its state on a band at the top left, the active ship's keys and
// the commands on a band along the bottom. Returns the bands, which names keep clear of.
std::vector<window_rect> add_status(std::vector<text_block>& blocks, ship_name window, int width,
                                    int height) {
  const std::string status = compute_status_text(window);
  const int status_height =
      2 * text_margin_px + (count_lines(status) - 1) * text_line_px + glyph_height_px + 1;
  const int status_width = 2 * text_margin_px + glyph_width_px * longest_line(status);
  const int status_top_y = status_height - text_margin_px - text_line_px;
  const std::string keys =
      std::string(demo_mode_keys_help(ships[active_ship]->get_mode())) + "\n" + demo_command_keys_help();
  const int keys_top_y = text_margin_px + (count_lines(keys) - 1) * text_line_px;
  const int keys_height = keys_top_y + glyph_height_px;
  const window_rect status_band = {0, height - status_height, status_width, height};
  const window_rect keys_band = {0, 0, width, keys_height};
  blocks.push_back({status_slot, status + "|" + std::to_string(status_width), status_band, [=] {
                      text_image image(status_width, status_height, band_alpha);
                      image.add_lines(status, text_margin_px, status_top_y);
                      return image;
                    }});
  blocks.push_back({keys_slot, keys + "|" + std::to_string(width), keys_band, [=] {
                      text_image image(width, keys_height, band_alpha);
                      image.add_lines(keys, text_margin_px, keys_top_y);
                      return image;
                    }});
  return {status_band, keys_band};
}

// Every body but the star-field, whose centre is the sun's, and the other ship where its camera is.
std::vector<label_request> compute_label_requests(ship_name viewer) {
  std::vector<label_request> requests;
  for (int b = SUN; b < body_count; ++b) {
    const float* centre = &planet[b]->world_pose[12];
    requests.push_back({demo_body_label(body_name(b)), {centre[0], centre[1], centre[2]}});
  }
  const ship_name other = ship_name((viewer + 1) % ship_count);
  float camera[16];
  std::memcpy(camera, ships[other]->pose, sizeof camera);
  ships[other]->invert_pose(camera);
  requests.push_back({ship_titles[other], {camera[12], camera[13], camera[14]}});
  return requests;
}

// Pixel coordinates for text; lighting, texturing and the depth test off. The depth test is switched back
// on in end_text because nothing else in a frame switches it on.
void begin_text(int width, int height) {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  gluOrtho2D(0, width, 0, height);
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
}

void end_text() {
  glEnable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
}

bool overlaps(const window_rect& a, const window_rect& b) {
  return a.left < b.right && b.left < a.right && a.bottom < b.top && b.bottom < a.top;
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
  return std::array<double, 3>{viewport[0] + (1 + clip[0] / clip[3]) * viewport[2] / 2,
                               viewport[1] + (1 + clip[1] / clip[3]) * viewport[3] / 2,
                               (1 + clip[2] / clip[3]) / 2};
}

std::vector<placed_label> compute_label_layout(const std::vector<label_request>& requests, const float* view,
                                               const double* projection, const int* viewport,
                                               const std::vector<window_rect>& reserved) {
  struct candidate {
    const label_request* request;
    std::array<double, 3> at;
  };
  std::vector<candidate> seen;
  for (const label_request& request : requests) {
    const std::optional<std::array<double, 3>> at =
        compute_window_point(request.world, view, projection, viewport);
    if (at && (*at)[0] >= 0 && (*at)[1] >= 0 && (*at)[0] < viewport[2] && (*at)[1] < viewport[3])
      seen.push_back({&request, *at});
  }
  std::stable_sort(seen.begin(), seen.end(),
                   [](const candidate& a, const candidate& b) { return a.at[2] < b.at[2]; });

  std::vector<placed_label> placed;
  std::vector<window_rect> taken = reserved;
  for (const candidate& each : seen) {
    const int x = int(each.at[0]) + label_offset_px, y = int(each.at[1]) + label_offset_px;
    // Text whose first pixel lies outside the window is not drawn at all, as with glBitmap.
    if (x >= viewport[2] || y >= viewport[3]) continue;
    const window_rect box = {x, y - glyph_descent_px, x + glyph_width_px * int(each.request->text.size()),
                             y - glyph_descent_px + glyph_height_px};
    if (std::any_of(taken.begin(), taken.end(), [&](const window_rect& r) { return overlaps(box, r); }))
      continue;
    taken.push_back(box);
    placed.push_back({size_t(each.request - requests.data()), each.request->text, x, y});
  }
  return placed;
}

void overlay_draw(ship_name viewer, int width, int height) {
  // The glyphs are taken from a corner of the frame, which must be that large.
  if ((!status_overlay_on && !names_overlay_on) || width < glyph_sheet_px || height < glyph_sheet_px) return;
  GLdouble projection[16];
  glGetDoublev(GL_PROJECTION_MATRIX, projection);
  const int viewport[4] = {0, 0, width, height};
  begin_text(width, height);
  if (glyph_sheet.empty()) capture_glyphs();
  std::vector<text_block> blocks;
  std::vector<window_rect> bands;
  if (status_overlay_on) bands = add_status(blocks, viewer, width, height);
  if (names_overlay_on) {
    const std::vector<label_request> requests = compute_label_requests(viewer);
    for (const placed_label& label :
         compute_label_layout(requests, ships[viewer]->pose, projection, viewport, bands)) {
      const int slot = first_name_slot + int(label.request);
      const int length = glyph_width_px * int(label.text.size());
      const window_rect at = {label.x, label.y - glyph_descent_px, std::min(label.x + length, width),
                              std::min(label.y - glyph_descent_px + glyph_height_px, height)};
      blocks.push_back({slot, label.text, at, [=] {
                          text_image image(length, glyph_height_px, 0);
                          image.add(label.text, 0, glyph_descent_px);
                          return image;
                        }});
    }
  }
  draw_text_blocks(atlases[viewer], blocks, width);
  end_text();
}
