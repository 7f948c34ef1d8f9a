// SPDX-License-Identifier: MIT
// The one thing pictures need of the platform: RGB rows written into an open file as a PNG image, through
// libpng (png_encoder_libpng.cpp), the Windows Imaging Component (png_encoder_windows.cpp), or nothing.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Whether this build writes pictures.
bool can_write_pictures();

// Writes width x height RGB pixels, bottom row first as glReadPixels gives them, into file as a PNG image,
// top row first: empty when written, else why not.
std::string write_png_rows(std::FILE* file, int width, int height, const std::vector<unsigned char>& rgb);
