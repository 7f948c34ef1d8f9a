// SPDX-License-Identifier: MIT
// A window's picture written as a PNG file through libpng, never over a file that is there already.
#pragma once

#include <string>
#include <vector>

// Whether this build writes pictures (it does where libpng was found).
bool can_write_pictures();

// Writes width x height RGB pixels, bottom row first as glReadPixels gives them, as a PNG file at
// stem + ".png", or stem + "-2.png" and on when that is taken: the path written, or empty with why.
struct picture_written {
  std::string path;
  std::string why;
};
picture_written write_new_png(const std::string& stem, int width, int height,
                              const std::vector<unsigned char>& rgb);
