// SPDX-License-Identifier: MIT
// A window's picture written as a PNG file (png_encoder.h), named for the moment and the window, beside the
// saved states and never over a file that is there already.
#pragma once

#include <ctime>
#include <string>
#include <vector>

// Where a window's picture goes, without ".png": beside the saved states, named for the time and the window
// ("solar_demo-20261209-171502-mother"); its folder is made when missing. Empty, with why, when it cannot be.
struct picture_stem {
  std::string stem, why;
};
picture_stem make_picture_stem(const std::string& save_file, const char* window_word, const std::tm& at);

// Writes width x height RGB pixels, bottom row first as glReadPixels gives them, as a PNG file at
// stem + ".png", or stem + "-2.png" and on when that is taken: the path written, or empty with why.
struct picture_written {
  std::string path;
  std::string why;
};
picture_written write_new_png(const std::string& stem, int width, int height,
                              const std::vector<unsigned char>& rgb);
// The current window's back buffer, width x height pixels from its bottom left, written as write_new_png
// writes it.
picture_written save_back_buffer(const std::string& stem, int width, int height);
