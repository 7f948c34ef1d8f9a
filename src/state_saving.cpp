// SPDX-License-Identifier: MIT
#include "state_saving.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "body_labels.h"
#include "key_codes.h"
#include "process.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* save_folder = "solar-demo";
constexpr const char* save_name = "saved.lesson";
// How many files a save goes on into, "saved.lesson" to "saved-99.lesson", before it gives up.
constexpr int most_continued_files = 99;

// The time of day a state is titled with, "09:05".
std::string compute_clock_text(int hour, int minute) {
  char time[8];
  std::snprintf(time, sizeof time, "%02d:%02d", hour, minute);
  return time;
}

// Two programs saving at once take turns: the one that makes the lock folder saves, with its host and
// process written inside, and the other says so at once rather than hold its frames up. A lock whose
// process is gone from this host is taken over; one without an owner (its program died before writing it)
// after a while. Anything else in the lock's place is the user's, and is never removed.
class save_lock {
 public:
  explicit save_lock(const fs::path& file)
      : file_(file), path_(file.string() + ".lock"), owner_(path_ / "owner") {
    // Another program's lock may go between two looks at it: a few tries, none of them waiting.
    for (int tries = 0; tries < 3 && !held_; ++tries) {
      std::error_code error, ignored;
      if ((held_ = fs::create_directory(path_, error))) break;
      if (error && error != std::errc::file_exists) {
        why_ = "cannot lock " + file.string() + ": " + error.message();
        return;
      }
      // One look at what is there, which another program's release cannot split in two.
      const fs::file_type there = fs::symlink_status(path_, ignored).type();
      if (there == fs::file_type::not_found) continue;
      if (there != fs::file_type::directory) {
        why_ = "cannot lock " + file.string() + ": " + path_.string() +
               " is in the way, and it is no lock of this program's: move it away";
        return;
      }
      if (!take_over_stale()) break;
    }
    if (held_)
      std::ofstream(owner_) << current_host_name() << ' ' << current_process_id() << '\n';
    else if (why_.empty())
      say_held("", 0);
  }
  ~save_lock() {
    std::error_code ignored;
    if (!held_) return;
    fs::remove(owner_, ignored);
    fs::remove(path_, ignored);
  }
  save_lock(const save_lock&) = delete;
  save_lock& operator=(const save_lock&) = delete;
  bool held() const { return held_; }
  bool busy() const { return busy_; }
  const std::string& why() const { return why_; }

 private:
  // Whether the lock there was left by a program that is gone, and is now removed; else why_ says who holds
  // it and which folder to delete if nobody does.
  bool take_over_stale() {
    std::string host;
    long process = 0;
    std::ifstream(owner_) >> host >> process;
    std::error_code error;
    const auto age = fs::file_time_type::clock::now() - fs::last_write_time(path_, error);
    const bool stale = process > 0 ? host == current_host_name() && !process_runs(process)
                                   : !error && age > std::chrono::seconds(30);
    if (stale) {
      fs::remove(owner_, error);
      if (fs::remove(path_, error)) return true;
    }
    say_held(host, process);
    return false;
  }

  void say_held(const std::string& host, long process) {
    busy_ = true;
    why_ = "another program" +
           (process > 0 ? " (process " + std::to_string(process) + " on " + host + ")" : std::string()) +
           " is saving to " + file_.string() + ": press S again, or if none is, delete the folder " +
           path_.string();
  }

  fs::path file_, path_, owner_;
  bool held_ = false, busy_ = false;
  std::string why_;
};

// The file a path names, its links followed: a save that fails removes only a file it made, never a link.
fs::path follow_links(fs::path path) {
  std::error_code error;
  for (int hops = 0; hops < 40 && fs::is_symlink(path, error); ++hops) {
    const fs::path to = fs::read_symlink(path, error);
    if (error) break;
    path = to.is_absolute() ? to : path.parent_path() / to;
  }
  return path;
}

// At most a byte more than a lesson can hold: enough to know that it is too large.
std::string read_start(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string text(largest_lesson_bytes + 1, '\0');
  in.read(text.data(), std::streamsize(text.size()));
  text.resize(size_t(in.gcount()));
  return text;
}

// The first F key the lesson's reader found free, or lesson_key_count when none is; every key of a text it
// refuses, whose states it keeps none of.
int first_free_key(const lesson_reading& reading) {
  int index = 0;
  while (index < lesson_key_count && reading.read.states[size_t(index)]) ++index;
  return index;
}

// The outcome of a save into one file; full when each of its F keys is used.
struct file_outcome {
  save_outcome saved;
  bool full = false;
};

file_outcome save_into(const std::string& file, const state_to_save& state) {
  const auto refused = [&](const std::string& why, bool busy = false) {
    return file_outcome{{-1, file, why, busy}, false};
  };
  const fs::path path(file);
  std::error_code error;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), error);
  if (error) return refused("cannot make the folder " + path.parent_path().string() + ": " + error.message());
  const save_lock lock(path);
  if (!lock.held()) return refused(lock.why(), lock.busy());
  const fs::path target = follow_links(path);
  const bool existed = fs::exists(target, error);
  // A pipe would hold the program up, and a device is no file to keep states in.
  if (existed && !fs::is_regular_file(target, error)) return refused(file + " is not a regular file");
  if (existed && !std::ifstream(target, std::ios::binary))
    return refused("cannot read " + file + ": " + std::strerror(errno));
  const std::string old = existed ? read_start(target) : "";
  const int index = first_free_key(compute_lesson_file(old, file, state.refuse_key));
  if (index == lesson_key_count) return {{-1, file, "", false}, true};
  constexpr const char* heading =
      "# Saved by solar_demo: --lesson this file brings each state back on its F key\n";
  const std::string added = (old.empty()          ? heading + state.new_lesson_settings
                             : old.back() == '\n' ? "\n"
                                                  : "\n\n") +
                            compute_state_block(index, state.title, state.notes, state.numbers);
  // What is appended must leave a file that loads: the file as the reader would then find it.
  if (old.size() + added.size() > largest_lesson_bytes)
    return refused(file + " would grow past the largest a lesson can be (" +
                   std::to_string(largest_lesson_bytes >> 20) + " MB): save to another with --save-to");
  const lesson_reading after = compute_lesson_file(old + added, file, state.refuse_key);
  if (!after.error.empty())
    return refused(file + " is left as it was, for it would not load: " + after.error);
  {
    std::ofstream out(target, std::ios::binary | std::ios::app);
    out.write(added.data(), std::streamsize(added.size()));
    out.close();
    if (out) return {{index, file, "", false}, false};
  }
  // Not all of it was written (a full disk, a file that cannot be written): the file as it was.
  const std::string why = "cannot write " + file + ": " + std::strerror(errno);
  if (existed)
    fs::resize_file(target, old.size(), error);
  else
    fs::remove(target, error);
  return refused(why);
}

}  // namespace

std::string compute_default_save_file(const char* xdg_data_home, const char* home, const char* appdata) {
  const auto given = [](const char* value) { return value != nullptr && *value != '\0'; };
  fs::path folder;
  if (given(xdg_data_home) && fs::path(xdg_data_home).is_absolute())
    folder = xdg_data_home;
  else if (given(home))
    folder = fs::path(home) / ".local" / "share";
  else if (given(appdata))
    folder = appdata;
  else
    return "";
  return (folder / save_folder / save_name).string();
}

std::string compute_state_title(const state_numbers& state, int hour, int minute) {
  const std::string time = compute_clock_text(hour, minute);
  const ship_numbers& ship = state.ships[state.keys_to];
  const std::string who = state.keys_to == MOTHER_SHIP ? "Mother Ship" : "Scout Ship";
  if (ship.mode == GEOSYNCH && ship.follows >= 0)
    return time + ", " + who + " following " + body_labels[ship.follows];
  if (ship.mode == RELATIVE) return time + ", " + who + " flying";
  char target[96];
  std::snprintf(target, sizeof target, "%.3g, %.3g, %.3g", double(ship.target[0]), double(ship.target[1]),
                double(ship.target[2]));
  return time + ", " + who + " looking at " + target;
}

std::string compute_kept_title(const std::string& lesson_step, int hour, int minute) {
  const size_t named = lesson_step.find(": ");  // after "F3: "
  return lesson_step.substr(named == std::string::npos ? 0 : named + 2) + ", " +
         compute_clock_text(hour, minute);
}

std::string compute_state_block(int index, const std::string& title, const std::vector<std::string>& notes,
                                const state_numbers& state) {
  std::string block = "[F" + std::to_string(index + 1) + "]\ntitle = " + compute_utf8(title) + "\n";
  for (const std::string& note : notes) block += "note = " + compute_utf8(note) + "\n";
  for (const std::string& line : compute_state_lines(state)) block += line + "\n";
  return block;
}

std::string compute_continued_file(const std::string& file, int number) {
  if (number <= 1) return file;
  const fs::path path(file);
  fs::path continued = path;
  continued.replace_filename(path.stem().string() + "-" + std::to_string(number) + path.extension().string());
  return continued.string();
}

state_to_save compute_state_to_save(const state_numbers& numbers, const std::string& lesson_step,
                                    const std::vector<std::string>& notes, std::array<int, 2> window_size,
                                    int text_scale, std::array<int, 2> hour_minute, key_refusal refuse_key) {
  const auto [hour, minute] = hour_minute;
  const auto [width, height] = window_size;
  const bool sized = width <= largest_lesson_window_px && height <= largest_lesson_window_px;
  return {lesson_step.empty() ? compute_state_title(numbers, hour, minute)
                              : compute_kept_title(lesson_step, hour, minute),
          notes, numbers,
          (sized ? "size = " + std::to_string(width) + "x" + std::to_string(height) + "\n" : "") +
              "text scale = " + std::to_string(text_scale) + "\n",
          refuse_key};
}

save_outcome append_state(const std::string& file, const state_to_save& state) {
  for (int number = 1; number <= most_continued_files; ++number) {
    const file_outcome outcome = save_into(compute_continued_file(file, number), state);
    if (!outcome.full) return outcome.saved;
  }
  return {-1, file,
          "every F key of " + file + " and of the files after it, up to " +
              compute_continued_file(file, most_continued_files) +
              ", is used: save to another with --save-to",
          false};
}

std::string compute_save_message(const std::string& file, const save_outcome& saved) {
  if (saved.index < 0) return "not saved: " + saved.why;
  const std::string full = saved.file == file ? "" : file + " has a state on every F key, so ";
  return full + "saved as F" + std::to_string(saved.index + 1) + " in " + saved.file +
         ": --lesson with that file brings it back";
}
