// SPDX-License-Identifier: MIT
// PNG files through libpng, where the build found it.
#include <png.h>

#include <cerrno>
#include <cstring>

#include "png_encoder.h"

namespace {

// libpng's own words on a fault or a doubt would go to the terminal beside the program's: they are kept
// instead, a fault with what the system said of the last write, and the program says what came of it.
struct png_words {
  std::string fault;
};

[[noreturn]] void keep_fault(png_structp png, png_const_charp message) {
  auto* words = static_cast<png_words*>(png_get_error_ptr(png));
  words->fault = errno != 0 ? std::strerror(errno) : message;
  png_longjmp(png, 1);
}

void ignore_warning(png_structp, png_const_charp) {}

}  // namespace

bool can_write_pictures() { return true; }

// libpng reports a fault by a long jump back into the function that set it; nothing there needs unwinding.
std::string write_png_rows(std::FILE* file, int width, int height, const std::vector<unsigned char>& rgb) {
  png_words words;
  errno = 0;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &words, keep_fault, ignore_warning);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return words.fault.empty() ? "out of memory" : words.fault;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int row = height - 1; row >= 0; --row)  // a PNG's rows run top to bottom
    png_write_row(png, &rgb[3 * size_t(row) * size_t(width)]);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return "";
}
