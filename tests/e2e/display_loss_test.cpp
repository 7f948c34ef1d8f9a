// SPDX-License-Identifier: MIT
// Losing the display under the running program: the X server killed, or one of its windows destroyed by
// another client. Either must end the program at once with status 1 and one line naming the display; it used
// to hang now and then in freeglut's exit-time clean-up. Closing a window through the window manager's
// protocol is an ordinary way out, with status 0.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

// After GoogleTest: Xlib's macros (None among them) would clash with its names.
#include "running_demo.h"
#include "x_session.h"

namespace {

using e2e::milliseconds;

constexpr int runs = 20;
constexpr auto window_deadline = milliseconds(20000);
// Far beyond the second the program takes: a hung program never ends at all.
constexpr auto exit_deadline = milliseconds(10000);

// One run: the program on a fresh server, its windows up, then the server or a window taken away by lose;
// the line said starts with said and the display's name.
void expect_prompt_exit_on_loss(int run, const std::function<void(e2e::virtual_display&, Window)>& lose,
                                const std::string& said) {
  e2e::virtual_display display;
  const std::string display_name = display.name();
  // A file of this run's own: CTest runs the other display-loss test side by side.
  const std::string errors = e2e::make_own_file(testing::TempDir() + "solar_display_loss_");
  e2e::program app(SOLAR_DEMO_PATH, display_name, {e2e::probe_preload}, errors);
  const Window mother = e2e::find_window(display.x(), "Mother Ship", window_deadline);
  ASSERT_NE(mother, 0u) << "run " << run;
  if (run % 2 == 1) {
    // Every other run lets the program draw for a while first, so the loss strikes at different moments.
    e2e::wait_until(milliseconds(3000), [&] {
      const e2e::image img = e2e::capture(display.x(), mother);
      return img.width > 0 && img.at(256, 256).r > 40;
    });
  }
  lose(display, mother);
  ASSERT_TRUE(app.wait_exit(exit_deadline).has_value()) << "run " << run << ": the program hangs";
  EXPECT_EQ(app.how_it_ended(), "exited with status 1") << "run " << run;
  const std::string message = e2e::read_file(errors);
  EXPECT_EQ(message.rfind("solar_demo: " + said, 0), 0u) << "run " << run << ": " << message;
  EXPECT_NE(message.find("on display " + display_name), std::string::npos)
      << "run " << run << ": " << message;
  EXPECT_EQ(message.find('\n'), message.size() - 1) << "run " << run << ": one line, not " << message;
  std::remove(errors.c_str());
}

TEST(DisplayLoss, KillingTheXServerEndsTheProgramWithStatusOneEveryTime) {
  for (int run = 0; run < runs; ++run)
    expect_prompt_exit_on_loss(
        run, [](e2e::virtual_display& display, Window) { display.kill_server(); },
        "lost the connection to the X server");
}

TEST(DisplayLoss, AWindowDestroyedByAnotherClientEndsTheProgramWithStatusOneEveryTime) {
  for (int run = 0; run < runs; ++run)
    expect_prompt_exit_on_loss(
        run,
        [](e2e::virtual_display& display, Window mother) {
          XDestroyWindow(display.x(), mother);
          XSync(display.x(), False);
        },
        "X error");
}

// A server gone while the first window is made faults in the GL driver, which reads its replies unchecked:
// the probe makes that fault at that moment, and the program must tell it as the display's loss.
TEST(DisplayLoss, TheServerLostWhileAWindowIsMadeEndsWithStatusOne) {
  e2e::virtual_display display;
  const std::string display_name = display.name();
  const std::string errors = e2e::make_own_file(testing::TempDir() + "solar_startup_loss_");
  const std::string making = e2e::make_own_file(testing::TempDir() + "solar_startup_making_");
  e2e::program app(SOLAR_DEMO_PATH, display_name, {e2e::probe_preload, "STARTUP_LOSS_PROBE_FILE=" + making},
                   errors);
  ASSERT_TRUE(e2e::wait_until(window_deadline, [&] { return !e2e::read_file(making).empty(); }));
  display.kill_server();
  ASSERT_TRUE(app.wait_exit(exit_deadline).has_value()) << "the program hangs";
  EXPECT_EQ(app.how_it_ended(), "exited with status 1");
  EXPECT_EQ(e2e::read_file(errors),
            "solar_demo: lost the connection to the X server on display " + display_name + "; exiting\n");
  std::remove(errors.c_str());
  std::remove(making.c_str());
}

// What a window manager sends for Alt+F4 or the close button.
void close_as_a_window_manager_does(Display* x, Window w) {
  XEvent close = {};
  close.xclient.type = ClientMessage;
  close.xclient.window = w;
  close.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
  close.xclient.format = 32;
  close.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
  close.xclient.data.l[1] = CurrentTime;
  XSendEvent(x, w, False, NoEventMask, &close);
  XSync(x, False);
}

// The board closed so closes alone; a scene window then still ends the program.
TEST(DisplayLoss, ClosingAWindowThroughTheWindowManagerEndsWithStatusZero) {
  for (const bool board : {false, true}) {
    e2e::virtual_display display;
    e2e::program app(SOLAR_DEMO_PATH, display.name(), {e2e::probe_preload}, "",
                     board ? std::vector<std::string>{"--board"} : std::vector<std::string>{});
    Display* x = display.x();
    const Window scout = e2e::find_window(x, "Scout Ship", window_deadline);
    ASSERT_NE(scout, 0u);
    if (board) {
      const Window opened = e2e::find_window(x, "Board", window_deadline);
      ASSERT_NE(opened, 0u);
      close_as_a_window_manager_does(x, opened);
      EXPECT_TRUE(e2e::wait_until(exit_deadline, [&] { return e2e::find_window(x, "Board", {}) == 0; }));
      EXPECT_TRUE(app.running()) << "closing the board " << app.how_it_ended();
    }
    close_as_a_window_manager_does(x, scout);
    ASSERT_TRUE(app.wait_exit(exit_deadline).has_value()) << "the program hangs";
    EXPECT_EQ(app.how_it_ended(), "exited with status 0") << (board ? "with" : "without") << " the board";
  }
}

}  // namespace
