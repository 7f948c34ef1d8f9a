// SPDX-License-Identifier: MIT
#include "picture_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "opengl.h"
#include "png_encoder.h"

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

namespace {

// The file made anew, or null when one of that name is there ("x": never opened over another).
std::FILE* create_new(const std::string& path) { return std::fopen(path.c_str(), "wbx"); }

}  // namespace

picture_written write_new_png(const std::string& stem, int width, int height,
                              const std::vector<unsigned char>& rgb) {
  if (!can_write_pictures()) return {"", "this build of the program writes no pictures"};
  constexpr int most_tries = 1000;
  for (int copy = 1; copy <= most_tries; ++copy) {
    const std::string path = stem + (copy == 1 ? "" : "-" + std::to_string(copy)) + ".png";
    std::FILE* file = create_new(path);
    if (file == nullptr && errno == EEXIST) continue;
    if (file == nullptr) return {"", "cannot make " + path + ": " + std::strerror(errno)};
    std::string why = write_png_rows(file, width, height, rgb);
    if (std::fclose(file) != 0 && why.empty()) why = std::strerror(errno);
    if (why.empty()) return {path, ""};
    std::remove(path.c_str());  // a picture cut short is no picture
    return {"", "cannot write " + path + ": " + why};
  }
  return {"", "every name from " + stem + ".png on is taken"};
}
