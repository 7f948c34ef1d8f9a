// SPDX-License-Identifier: MIT
#include "overlay.h"

#include <algorithm>

namespace {

// The leader lines of the names offset from their bodies, as the text's lines take them.
std::vector<GLfloat> compute_leader_lines(const std::vector<placed_label>& placed) {
  std::vector<GLfloat> lines;
  for (const placed_label& label : placed)
    if (label.has_leader)
      for (const int each : label.leader) lines.push_back(GLfloat(each) + 0.5f);  // through pixel centres
  return lines;
}

}  // namespace

void overlay_draw(window_overlay& window, const overlay_content& content, const double* projection, int width,
                  int height) {
  if (!content.names_on) window.names.clear();
  const band_text& bands_text = content.bands;
  const bool bands_on = !bands_text.status.empty() || !bands_text.notice.empty() ||
                        !bands_text.keys.empty() || !bands_text.camera.empty();
  // The marks stand in the scene itself: with the board open they are drawn with no band at all.
  if ((!bands_on && !content.names_on && content.marks.empty()) || width < 1 || height < 1) return;
  if (window.text.max_texture_px == 0) glGetIntegerv(GL_MAX_TEXTURE_SIZE, &window.text.max_texture_px);
  std::vector<text_block> blocks;
  // The names take the texture's first rows, a fixed few each, then the bands.
  const int scale = std::max(1, content.text_scale);
  const std::vector<window_rect> bands =
      bands_on
          ? add_bands(blocks, bands_text, width, height, std::min(width / scale, window.text.max_texture_px),
                      name_rows(content.labels.size()), scale)
          : std::vector<window_rect>{};
  std::vector<placed_label> placed;
  if (content.names_on) {
    const int viewport[4] = {0, 0, width, height};
    placed = compute_label_layout(content.labels, content.obstacles, content.camera, projection, viewport,
                                  bands, scale, window.names);
    window.names = placed;
    add_name_blocks(blocks, placed, scale);
  }
  draw_text_blocks(window.text, blocks, scale, width, height, compute_leader_lines(placed), content.marks);
}
