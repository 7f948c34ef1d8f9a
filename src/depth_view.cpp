// SPDX-License-Identifier: MIT
// The depth buffer read back as window depths and drawn over the frame as grey pixels.
#include "depth_view.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "opengl.h"

unsigned char compute_depth_grey(std::uint32_t depth) {
  constexpr std::uint64_t depth_max = 0xFFFFFFFFu;
  return static_cast<unsigned char>((255 * (depth_max - depth) + depth_max / 2) / depth_max);
}

namespace {

// One read-back for both windows, turned into greys in place. Kept between frames up to this many pixels (a
// 1024 x 1024 window), so that a frame of an ordinary window allocates nothing; a larger one is given back
// after its frame, as the whole is when the view goes off.
constexpr size_t largest_kept_pixels = size_t(1) << 20;
std::vector<GLuint> read_back;

// The driver keeps a texture made of each of the last few images drawn with glDrawPixels (Mesa's: a 4096 x
// 4096 window's is 64 MB, in each window's context, kept after the window shrinks or the view goes off).
// After a large frame its first greys are drawn again, each from an image of its own, one pixel in place,
// to take those places: the frame is unchanged, and the memory goes with it.
void let_driver_forget_frame(int width) {
  constexpr int images_kept = 8;  // more than the driver keeps
  for (int i = 0; i < std::min(width, images_kept); ++i) {
    glRasterPos2i(i, 0);
    glDrawPixels(1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &read_back[size_t(i)]);
  }
}

}  // namespace

// The buffer is read back as whole numbers, 0 at the near plane to 2^32 - 1 at the far one, the form the
// driver keeps it in, and the greys go back as whole pixels: the driver's quickest ways both.
void draw_depth_as_grey(int width, int height) {
  if (width < 1 || height < 1) return;
  const size_t pixels = size_t(width) * size_t(height);
  read_back.resize(pixels);
  glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glReadPixels(0, 0, width, height, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, read_back.data());
  // Red, green, blue and alpha bytes in that order on a little-endian machine, as every platform is.
  constexpr GLuint opaque = 0xFF000000u, every_channel = 0x010101u;
  for (GLuint& pixel : read_back) pixel = opaque | compute_depth_grey(pixel) * every_channel;
  glPushAttrib(GL_ENABLE_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  draw_in_window_pixels(width, height, [&] {
    glRasterPos2i(0, 0);
    glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, read_back.data());
    if (pixels > largest_kept_pixels) let_driver_forget_frame(width);
  });
  glPopAttrib();
  glPopClientAttrib();
  if (read_back.capacity() > largest_kept_pixels) release_depth_view();
}

void release_depth_view() { std::vector<GLuint>().swap(read_back); }

size_t depth_view_held_bytes() { return read_back.capacity() * sizeof(GLuint); }
