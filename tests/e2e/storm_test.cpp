// SPDX-License-Identifier: MIT
// A key storm on the real program: thousands of random keys, every character code but Escape, with the
// pointer thrown about inside and outside both windows. Run against the sanitizer build, any memory error,
// undefined behaviour or leak ends the program with a non-zero status, which the final Escape check sees.
// GoogleTest comes before the X headers, whose None macro would break it.
#include <gtest/gtest.h>
// clang-format off
#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <random>
#include <string>

#include "running_demo.h"

namespace {

std::string storm_executable() {
  const char* path = std::getenv("SOLAR_STORM_EXECUTABLE");
  return path != nullptr ? path : SOLAR_DEMO_PATH;
}

constexpr int frame_every_keys = 5;

int storm_keys() {
  const char* count = std::getenv("SOLAR_STORM_KEYS");
  return count != nullptr ? std::atoi(count) : 2000;
}

// Binds every Latin-1 keysym the keymap lacks to a spare keycode, so that each character code can be typed.
std::map<KeySym, KeyCode> bind_latin1(Display* x) {
  int min_code = 0, max_code = 0;
  XDisplayKeycodes(x, &min_code, &max_code);
  std::map<KeySym, KeyCode> codes;
  int spare = max_code;
  for (KeySym sym = 0x20; sym <= 0xFF; ++sym) {
    if (sym > 0x7E && sym < 0xA0) continue;  // no Latin-1 keysyms there
    KeyCode code = XKeysymToKeycode(x, sym);
    if (code == 0) {
      while (spare >= min_code && XkbKeycodeToKeysym(x, spare, 0, 0) != NoSymbol) --spare;
      if (spare < min_code) break;
      KeySym bound = sym;
      XChangeKeyboardMapping(x, spare, 1, &bound, 1);
      code = static_cast<KeyCode>(spare--);
    }
    codes[sym] = code;
  }
  XSync(x, False);
  return codes;
}

// Presses the key with the modifiers held (a modifier of 0 is none).
void tap(Display* x, KeyCode code, std::initializer_list<KeyCode> modifiers = {}) {
  for (KeyCode m : modifiers)
    if (m) XTestFakeKeyEvent(x, m, True, CurrentTime);
  XTestFakeKeyEvent(x, code, True, CurrentTime);
  XTestFakeKeyEvent(x, code, False, CurrentTime);
  for (KeyCode m : modifiers)
    if (m) XTestFakeKeyEvent(x, m, False, CurrentTime);
}

// The keys that switch the views: the storm switches them all on first and never types them, so that every
// view runs in the states the other keys reach.
constexpr const char* view_keys = "hnivou";

class KeyStorm : public testing::Test {
 protected:
  long swaps() const { return swap_file.swaps(); }
  e2e::virtual_display display;
  e2e::swap_count swap_file;
};

TEST_F(KeyStorm, ThousandsOfRandomKeysLeaveTheProgramRunningAndItQuitsCleanly) {
  // Any sanitizer report, a leak at exit included, must end the program with a status of its own; the
  // leak checker's other options come from the environment. The swap probe checks for leaks while the GL
  // driver is still loaded.
  const char* asan_options = std::getenv("ASAN_OPTIONS");
  // S and W save into the data folder: a folder of the test's own, not the user's.
  const std::string own = e2e::make_own_file(testing::TempDir() + "storm_data_"), data = own + ".d";
  e2e::program app(storm_executable(), display.name(),
                   {std::string("ASAN_OPTIONS=") + (asan_options != nullptr ? asan_options : "") +
                        ":detect_leaks=1:abort_on_error=0:exitcode=86",
                    "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1", e2e::probe_preload,
                    swap_file.environment(), "XDG_DATA_HOME=" + data});
  Display* x = display.x();
  const Window mother = e2e::find_window(x, "Mother Ship", e2e::window_deadline);
  const Window scout = e2e::find_window(x, "Scout Ship", e2e::window_deadline);
  ASSERT_NE(mother, 0u);
  ASSERT_NE(scout, 0u);

  const std::map<KeySym, KeyCode> codes = bind_latin1(x);
  const KeyCode control = XKeysymToKeycode(x, XK_Control_L);
  const KeyCode shift = XKeysymToKeycode(x, XK_Shift_L);
  const KeySym specials[] = {XK_BackSpace, XK_Tab, XK_Return, XK_Delete, XK_space};
  e2e::move_pointer(x, mother, 256, 256);
  for (const char* key = view_keys; *key != '\0'; ++key) e2e::type_char(x, *key);
  std::mt19937 random(20261207);
  const int keys = storm_keys();
  for (int i = 0; i < keys; ++i) {
    // A frame of both windows every few keys, so that every view draws the states the keys reach.
    if (i % frame_every_keys == 0) {
      XSync(x, False);
      const long drawn = swaps();
      ASSERT_TRUE(e2e::wait_until(e2e::screen_deadline, [&] { return swaps() >= drawn + 2; }))
          << "no frames after " << i << " keys";
    }
    if (i % 7 == 0) {
      // Mostly over the windows, sometimes beside or below them.
      XTestFakeMotionEvent(x, DefaultScreen(x), int(random() % 1200), int(random() % 800), CurrentTime);
    }
    const int kind = int(random() % 10);
    if (kind == 0) {
      // Control with a letter or with one of @ [ \ ] ^ _ types the control codes 0 to 31.
      const KeySym with_control = "@abcdefghijklmnopqrstuvwxyz[\\]^_"[random() % 32];
      if (with_control == '[') continue;  // control-[ is Escape, which would end the storm
      const KeyCode code = codes.at(with_control);
      const bool needs_shift = XkbKeycodeToKeysym(x, code, 0, 0) != with_control;
      tap(x, code, {control, needs_shift ? shift : KeyCode(0)});
    } else if (kind == 1) {
      tap(x, XKeysymToKeycode(x, specials[random() % 5]));
    } else {
      auto it = codes.begin();
      std::advance(it, random() % codes.size());
      if (std::strchr(view_keys, int(it->first)) != nullptr) continue;
      const bool needs_shift = XkbKeycodeToKeysym(x, it->second, 0, 0) != it->first;
      tap(x, it->second, {needs_shift ? shift : KeyCode(0)});
    }
    if (i % 50 == 0) {
      XSync(x, False);
      ASSERT_TRUE(app.running()) << "the program ended during the storm, after " << i << " keys";
    }
  }
  XSync(x, False);
  ASSERT_TRUE(app.running());

  // Views off, resume, reset, and the start-up view is back, drawn anew.
  e2e::move_pointer(x, mother, 256, 256);
  for (const char* key = view_keys; *key != '\0'; ++key) e2e::type_char(x, *key);
  e2e::type_char(x, 'P');
  e2e::type_char(x, '>');
  e2e::type_char(x, 'm');
  EXPECT_TRUE(e2e::wait_until(e2e::screen_deadline, [&] {
    const e2e::image img = e2e::capture(x, mother);
    const e2e::image::pixel p = img.at(256, 256);
    return p.r > 40 && std::abs(p.r - p.g) <= 3 && p.b < 10;
  })) << "the sun is not back at the mother window's centre";
  const e2e::image before = e2e::capture(x, scout);
  EXPECT_TRUE(e2e::wait_until(e2e::screen_deadline, [&] { return !(e2e::capture(x, scout) == before); }))
      << "the scout window stopped redrawing";

  e2e::press_keysym(x, XK_Escape);
  const std::optional<int> status = app.wait_exit(e2e::exit_deadline);
  ASSERT_TRUE(status.has_value()) << "still running after Escape";
  EXPECT_EQ(*status, 0) << "86 means a sanitizer report";
  std::filesystem::remove_all(data);
  std::remove(own.c_str());
}

}  // namespace
