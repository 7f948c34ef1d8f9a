// SPDX-License-Identifier: MIT
#include "picture_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "opengl.h"

#if SOLAR_HAVE_PNG
#include <png.h>
#endif

picture_stem make_picture_stem(const std::string& save_file, const char* window_word, const std::tm& at) {
  const std::filesystem::path folder = std::filesystem::path(save_file).parent_path();
  std::error_code error;
  if (!folder.empty()) std::filesystem::create_directories(folder, error);
  if (error) return {"", "cannot make the folder " + folder.string() + ": " + error.message()};
  char name[64];
  std::snprintf(name, sizeof name, "solar_demo-%04d%02d%02d-%02d%02d%02d-%s", at.tm_year + 1900,
                at.tm_mon + 1, at.tm_mday, at.tm_hour, at.tm_min, at.tm_sec, window_word);
  return {(folder / name).string(), ""};
}

picture_written save_back_buffer(const std::string& stem, int width, int height) {
  std::vector<unsigned char> rgb(3 * size_t(width) * size_t(height));
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  return write_new_png(stem, width, height, rgb);
}

#if SOLAR_HAVE_PNG

namespace {

// The file made anew, or null when one of that name is there ("x": never opened over another).
std::FILE* create_new(const std::string& path) { return std::fopen(path.c_str(), "wbx"); }

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

// libpng reports a fault by a long jump back into the function that set it; nothing there needs unwinding.
// Empty when written, else why not.
std::string write_rows(std::FILE* file, int width, int height, const std::vector<unsigned char>& rgb) {
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

}  // namespace

bool can_write_pictures() { return true; }

picture_written write_new_png(const std::string& stem, int width, int height,
                              const std::vector<unsigned char>& rgb) {
  constexpr int most_tries = 1000;
  for (int copy = 1; copy <= most_tries; ++copy) {
    const std::string path = stem + (copy == 1 ? "" : "-" + std::to_string(copy)) + ".png";
    std::FILE* file = create_new(path);
    if (file == nullptr && errno == EEXIST) continue;
    if (file == nullptr) return {"", "cannot make " + path + ": " + std::strerror(errno)};
    std::string why = write_rows(file, width, height, rgb);
    if (std::fclose(file) != 0 && why.empty()) why = std::strerror(errno);
    if (why.empty()) return {path, ""};
    std::remove(path.c_str());  // a picture cut short is no picture
    return {"", "cannot write " + path + ": " + why};
  }
  return {"", "every name from " + stem + ".png on is taken"};
}

#else

bool can_write_pictures() { return false; }

picture_written write_new_png(const std::string&, int, int, const std::vector<unsigned char>&) {
  return {"", "this build of the program writes no pictures"};
}

#endif
