// SPDX-License-Identifier: MIT
#include "state_saving.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <thread>

#include "body_labels.h"
#include "key_codes.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* save_folder = "solar-demo";
constexpr const char* save_name = "saved.lesson";

// The F keys a lesson's text already gives, from its "[Fn]" headers.
std::array<bool, lesson_key_count> used_keys(const std::string& text) {
  std::array<bool, lesson_key_count> used{};
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    int key = 0;
    char close = 0;
    if (std::sscanf(line.c_str(), " [F%d%c", &key, &close) == 2 && close == ']' && key >= 1 &&
        key <= lesson_key_count)
      used[size_t(key - 1)] = true;
  }
  return used;
}

// Two programs saving at once take turns: the one that makes the lock folder saves, the other waits for it
// to go. A lock left by a program that died is taken after a while.
class save_lock {
 public:
  explicit save_lock(const fs::path& file) : path_(file.string() + ".lock") {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    std::error_code error;
    while (!(held_ = fs::create_directory(path_, error)) && std::chrono::steady_clock::now() < deadline) {
      if (error) {  // not another program's lock: a folder that takes no new entry
        why_ = "cannot lock " + path_.string() + ": " + error.message();
        return;
      }
      const auto age = fs::file_time_type::clock::now() - fs::last_write_time(path_, error);
      if (!error && age > std::chrono::seconds(30)) fs::remove(path_, error);
      std::this_thread::sleep_for(std::chrono::milliseconds(5));  // another program's save takes a moment
    }
    if (!held_) why_ = "another program holds " + path_.string() + ": it is saving, or died saving";
  }
  ~save_lock() {
    std::error_code ignored;
    if (held_) fs::remove(path_, ignored);
  }
  save_lock(const save_lock&) = delete;
  save_lock& operator=(const save_lock&) = delete;
  bool held() const { return held_; }
  const std::string& why() const { return why_; }

 private:
  fs::path path_;
  bool held_ = false;
  std::string why_;
};

std::string read_whole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::string compute_default_save_file(const char* xdg_data_home, const char* home, const char* appdata) {
  const auto given = [](const char* value) { return value != nullptr && *value != '\0'; };
  fs::path folder;
  if (given(xdg_data_home))
    folder = xdg_data_home;
  else if (given(home))
    folder = fs::path(home) / ".local" / "share";
  else if (given(appdata))
    folder = appdata;
  else
    return "";
  return (folder / save_folder / save_name).string();
}

picture_stem compute_picture_stem(const std::string& save_file, const char* window_word, int year, int month,
                                  int day, int hour, int minute, int second) {
  const fs::path folder = fs::path(save_file).parent_path();
  std::error_code error;
  if (!folder.empty()) fs::create_directories(folder, error);
  if (error) return {"", "cannot make the folder " + folder.string() + ": " + error.message()};
  char name[64];
  std::snprintf(name, sizeof name, "solar_demo-%04d%02d%02d-%02d%02d%02d-%s", year, month, day, hour, minute,
                second, window_word);
  return {(folder / name).string(), ""};
}

std::string compute_state_title(const state_numbers& state, int hour, int minute) {
  char time[8];
  std::snprintf(time, sizeof time, "%02d:%02d", hour, minute);
  const ship_numbers& ship = state.ships[state.keys_to];
  const std::string who = state.keys_to == MOTHER_SHIP ? "Mother Ship" : "Scout Ship";
  if (ship.mode == GEOSYNCH && ship.follows >= 0)
    return std::string(time) + ", " + who + " following " + body_labels[ship.follows];
  if (ship.mode == RELATIVE) return std::string(time) + ", " + who + " flying";
  char target[96];
  std::snprintf(target, sizeof target, "%.3g, %.3g, %.3g", double(ship.target[0]), double(ship.target[1]),
                double(ship.target[2]));
  return std::string(time) + ", " + who + " looking at " + target;
}

std::string compute_state_block(int index, const std::string& title, const state_numbers& state) {
  std::string block = "[F" + std::to_string(index + 1) + "]\ntitle = " + title + "\n";
  for (const std::string& line : compute_state_lines(state)) block += line + "\n";
  return block;
}

save_outcome append_state(const std::string& file, const std::string& title, const state_numbers& state,
                          const std::string& new_lesson_settings) {
  const fs::path path(file);
  std::error_code error;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), error);
  if (error) return {-1, "cannot make the folder " + path.parent_path().string() + ": " + error.message()};
  const save_lock lock(path);
  if (!lock.held()) return {-1, lock.why()};
  const bool existed = fs::exists(path, error);
  // A pipe would hold the program up, and a device is no file to keep states in.
  if (existed && !fs::is_regular_file(path, error)) return {-1, file + " is not a regular file"};
  if (existed && !std::ifstream(path, std::ios::binary))
    return {-1, "cannot read " + file + ": " + std::strerror(errno)};
  const std::string old = existed ? read_whole(path) : "";
  const std::array<bool, lesson_key_count> used = used_keys(old);
  int index = 0;
  while (index < lesson_key_count && used[size_t(index)]) ++index;
  if (index == lesson_key_count)
    return {-1, file + " has a state on every F key: save to another with --save-to"};
  constexpr const char* heading =
      "# Saved by solar_demo: --lesson this file brings each state back on its F key\n";
  std::string text = old.empty() ? heading + new_lesson_settings : old.back() == '\n' ? "\n" : "\n\n";
  text += compute_state_block(index, title, state);
  {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(text.data(), std::streamsize(text.size()));
    out.close();
    if (out) return {index, ""};
  }
  // Not all of it was written (a full disk, a file that cannot be written): the file as it was.
  const std::string why = "cannot write " + file + ": " + std::strerror(errno);
  if (existed)
    fs::resize_file(path, old.size(), error);
  else
    fs::remove(path, error);
  return {-1, why};
}
