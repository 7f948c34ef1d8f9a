// SPDX-License-Identifier: MIT
// The Windows build that tools/windows.sh makes, run under Wine on an X server of its own and held against
// this process's own drawing of the same scene by the Linux build of the same code. Paused, both windows must
// show the picture of one tick within a few pixels; "h" must add the overlay; after a click activates
// "Mother Ship", a space over a planet must make the mother ship follow it and the overlay name it; Escape
// must end it with status 0. A scene built from another random stream, a lost key or a wrong pick position
// changes thousands of pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "demo.h"
#include "scene_windows.h"
// After GoogleTest: Xlib's macros (None among them) would clash with its names.
#include "x_session.h"

namespace {

using e2e::clock;
using e2e::milliseconds;

constexpr int size_px = scene_windows::size_px;
constexpr auto window_deadline = milliseconds(120000);  // Wine starts in seconds, far slower when busy
constexpr auto screen_deadline = milliseconds(60000);
constexpr auto still_span = milliseconds(1000);  // 30 ticks without a change, even on a busy machine
constexpr int tick_ms = 33;
// The two C runtimes' sine and cosine may round a ring vertex differently; a tick off moves the planets by
// hundreds of pixels, another scene or a missing overlay by thousands.
constexpr size_t tolerated_pixels = 40;

size_t pixels_differing(const e2e::image& a, const e2e::image& b) {
  if (a.width != b.width || a.height != b.height) return size_t(-1);
  size_t count = 0;
  for (size_t i = 0; i < a.rgb.size(); i += 3)
    count += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2];
  return count;
}

// The scene as the Linux build draws it, in this process's own windows on its own display.
class linux_scene {
 public:
  linux_scene() {
    char name[] = "solar_windows_tests";
    char* argv[] = {name, nullptr};
    scene_windows::create(1, argv, windows_);
    draw(MOTHER_SHIP);
    draw(SCOUT_SHIP);  // each window shows the other ship where that ship's camera last was
  }
  void tick() {
    demo_idle(compute_timer_step_s(default_timer_period_ms));
    ++ticks_;
  }
  int ticks() const { return ticks_; }
  void key(unsigned char k, int x = size_px / 2, int y = size_px / 2) {
    glutSetWindow(windows_[MOTHER_SHIP]);
    demo_keyboard(k, x, y);
  }
  int pick(int x, int y) {
    glutSetWindow(windows_[MOTHER_SHIP]);
    return demo_pick(x, y);
  }
  // One frame of the window, top row first like an X image.
  e2e::image draw(ship_name viewer) {
    glutSetWindow(windows_[viewer]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    demo_display();
    glFinish();
    std::vector<unsigned char> rows(3 * size_px * size_px);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, size_px, size_px, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    e2e::image img;
    img.width = img.height = size_px;
    for (int row = size_px - 1; row >= 0; --row)
      img.rgb.insert(img.rgb.end(), &rows[3 * size_t(row) * size_px], &rows[3 * size_t(row + 1) * size_px]);
    return img;
  }
  // Where a body's centre shows in the mother window, in GLUT's window pixels (origin top left).
  std::array<int, 2> centre_in_mother_window(body_name b) {
    draw(MOTHER_SHIP);
    GLdouble model[16], projection[16], x, y, z;
    for (int i = 0; i < 16; ++i) model[i] = ships[MOTHER_SHIP]->pose[i];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const GLint viewport[4] = {0, 0, size_px, size_px};
    const float* w = &planet[b]->world_pose[12];
    gluProject(w[0], w[1], w[2], model, projection, viewport, &x, &y, &z);
    return {int(x), size_px - int(y)};
  }

 private:
  int windows_[ship_count];
  int ticks_ = 1;  // the program's first tick runs before its first frame
};

class WindowsBuild : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::ifstream(SOLAR_WINDOWS_EXE).good()) {
      if (std::getenv("CI") != nullptr)
        FAIL() << SOLAR_WINDOWS_EXE << " is missing: tools/windows.sh makes it";
      GTEST_SKIP() << "no Windows build: tools/windows.sh makes it";
    }
  }
  // Killing wine, as the program's destructor does, leaves the Windows process running under wineserver: a
  // test that fails half-way must end every process of its prefix.
  void TearDown() override {
    [[maybe_unused]] const int status = std::system("WINEPREFIX=" WINE_PREFIX " wineserver -k 2>/dev/null");
  }
  e2e::image shot(Window w) { return e2e::capture(display.x(), w); }
  // The scene is paused, so a picture that stands still says nothing of whether a key has been handled yet:
  // after a key, wait for the picture to change first.
  bool changes(Window w, const e2e::image& before) {
    return e2e::wait_until(screen_deadline, [&] { return !(shot(w) == before); });
  }
  // The picture once it has stood unchanged for several ticks.
  e2e::image wait_until_still(Window w) {
    e2e::image last = shot(w);
    auto since = clock::now();
    e2e::wait_until(screen_deadline, [&] {
      e2e::image now = shot(w);
      if (now == last) return clock::now() - since >= still_span;
      last = std::move(now);
      since = clock::now();
      return false;
    });
    return last;
  }
  // Whether the picture differs from this build's by at most a few pixels; says by how many either way.
  bool matches(Window w, ship_name viewer, const std::string& what) {
    const e2e::image wine = wait_until_still(w), linux = scene.draw(viewer);
    const size_t differing = pixels_differing(wine, linux);
    std::printf("%s, %s window: %zu pixels differ from the Linux build\n", what.c_str(), ship_titles[viewer],
                differing);
    if (differing <= tolerated_pixels) return true;
    e2e::save_ppm(wine, testing::TempDir() + "wine_" + what + ".ppm");
    e2e::save_ppm(linux, testing::TempDir() + "linux_" + what + ".ppm");
    return false;
  }
  e2e::virtual_display display;
  const clock::time_point started = clock::now();
  e2e::program wine{"/usr/bin/wine",
                    display.name(),
                    {"WINEPREFIX=" WINE_PREFIX, "WINEDEBUG=-all"},
                    "",
                    {SOLAR_WINDOWS_EXE}};
  linux_scene scene;
};

TEST_F(WindowsBuild, UnderWineItDrawsAndAnswersAsTheLinuxBuildDoes) {
  const Window mother = e2e::find_window(display.x(), "Mother Ship", window_deadline);
  const Window scout = e2e::find_window(display.x(), "Scout Ship", window_deadline);
  ASSERT_NE(mother, 0u) << "no Mother Ship window: " << wine.how_it_ended();
  ASSERT_NE(scout, 0u) << "no Scout Ship window: " << wine.how_it_ended();
  for (Window w : {mother, scout}) {
    const e2e::geometry g = e2e::window_geometry(display.x(), w);
    EXPECT_EQ(g.width, size_px);
    EXPECT_EQ(g.height, size_px);
  }

  // Keys go to the active window, at first the last one created.
  e2e::type_char(display.x(), 'p');
  // Find the tick the program stopped at: it cannot have run more ticks than 33 ms periods have passed.
  size_t closest = size_t(-1);
  e2e::image last_still;
  bool paused_tick_found = e2e::wait_until(screen_deadline, [&] {
    last_still = wait_until_still(mother);
    const int most_ticks = int((clock::now() - started) / milliseconds(tick_ms)) + 1;
    for (; scene.ticks() <= most_ticks; scene.tick()) {
      const size_t differing = pixels_differing(last_still, scene.draw(MOTHER_SHIP));
      closest = std::min(closest, differing);
      if (differing <= tolerated_pixels) return shot(mother) == last_still;
    }
    return false;
  });
  if (!paused_tick_found) e2e::save_ppm(last_still, testing::TempDir() + "wine_unmatched.ppm");
  ASSERT_TRUE(paused_tick_found) << "no tick of the Linux build up to " << scene.ticks()
                                 << " draws the paused mother window; the closest differs in " << closest
                                 << " pixels (" << testing::TempDir() << "wine_unmatched.ppm)";
  scene.key('p');
  std::printf("paused at tick %d\n", scene.ticks());
  EXPECT_TRUE(matches(mother, MOTHER_SHIP, "paused"));
  EXPECT_TRUE(matches(scout, SCOUT_SHIP, "paused"));

  const e2e::image without_overlay = shot(mother);
  e2e::type_char(display.x(), 'h');
  scene.key('h');
  ASSERT_TRUE(changes(mother, without_overlay)) << "\"h\" changed nothing";
  EXPECT_TRUE(matches(mother, MOTHER_SHIP, "overlay"));

  // A planet that a pick at its centre finds in the mother window, as this build picks.
  body_name target = SUN;
  std::array<int, 2> at{};
  for (int b = MERCURY; b <= PLUTO && target == SUN; ++b) {
    at = scene.centre_in_mother_window(body_name(b));
    if (b != MOON && scene.pick(at[0], at[1]) == b) target = body_name(b);
  }
  ASSERT_NE(target, SUN) << "no planet to point at";
  // The server hands Wine the click before the key, so the key finds "Mother Ship" active.
  const e2e::image before_pick = shot(mother);
  e2e::click(display.x(), mother, at[0], at[1]);
  e2e::type_char(display.x(), ' ');
  scene.key(' ', at[0], at[1]);
  ASSERT_TRUE(changes(mother, before_pick)) << "the space bar changed nothing";
  ASSERT_EQ(ships[MOTHER_SHIP]->geosynch_body, planet[target]);
  EXPECT_TRUE(matches(mother, MOTHER_SHIP, std::string("following ") + demo_body_label(target)));

  // W writes the windows' pictures through the system's own codecs: the mother's reads back as it shows.
  const std::filesystem::path users = WINE_PREFIX "/drive_c/users";
  const auto mother_picture = [&] {
    std::error_code none;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(users, none))
      if (entry.path().filename().string().find("-mother") != std::string::npos) return entry.path().string();
    return std::string();
  };
  for (std::string old = mother_picture(); !old.empty(); old = mother_picture()) std::filesystem::remove(old);
  const e2e::image shown = wait_until_still(mother);
  e2e::type_char(display.x(), 'W');
  std::string picture;
  EXPECT_TRUE(e2e::wait_until(screen_deadline,
                              [&] {
                                picture = mother_picture();
                                return !picture.empty() && e2e::read_png(picture).width > 0;
                              }))
      << "no picture of the mother window under " << users;
  EXPECT_TRUE(e2e::read_png(picture) == shown) << picture;

  e2e::type_char(display.x(), 27);
  const std::optional<int> status = wine.wait_exit(screen_deadline);
  ASSERT_TRUE(status.has_value()) << "Escape did not end the program";
  EXPECT_EQ(*status, 0);
}

// The repository's README tells a Windows user to run tools/run.sh and shows pictures the zip does not hold,
// so the zip carries a README of its own, and a notice for freeglut, whose licence asks for one in every
// copy. A test of its own, not of the fixture: the fixture starts Wine and ends every Wine process of the
// prefix when it is done, which would end the other test's program if the two ran side by side.
TEST(WindowsZip, HoldsItsOwnReadmeAndTheNoticesOfWhatIsLinkedIn) {
  if (!std::ifstream(SOLAR_WINDOWS_ZIP).good()) {
    if (std::getenv("CI") != nullptr) FAIL() << SOLAR_WINDOWS_ZIP << " is missing: tools/windows.sh makes it";
    GTEST_SKIP() << "no Windows zip: tools/windows.sh makes it";
  }
  char folder[] = "/tmp/solar_zip_XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string unpack = std::string("cd ") + folder + " && cmake -E tar xf " SOLAR_WINDOWS_ZIP;
  ASSERT_EQ(std::system(unpack.c_str()), 0) << SOLAR_WINDOWS_ZIP;
  const std::string inside = std::string(folder) + "/solar_demo-" SOLAR_VERSION "-windows-x64/";
  const std::string readme = e2e::read_file(inside + "README.txt");
  const std::string notices = e2e::read_file(inside + "THIRD-PARTY-NOTICES.txt");
  EXPECT_FALSE(e2e::read_file(inside + "LICENSE.txt").empty());
  EXPECT_TRUE(e2e::read_file(inside + "README.md").empty()) << "the repository's README stays out";
  for (const char* part : {"solar_demo.exe", "--text-scale", "space: pick", "LOOKAT keys:", "GEOSYNCH keys:"})
    EXPECT_NE(readme.find(part), std::string::npos) << "README.txt lacks " << part;
  for (const char* absent : {"tools/", ".png", ".sh"})
    EXPECT_EQ(readme.find(absent), std::string::npos) << "README.txt names " << absent;
  for (const char* part :
       {"Pawel W. Olszta", "shall be included in", "MinGW-w64", "Runtime Library Exception"})
    EXPECT_NE(notices.find(part), std::string::npos) << "THIRD-PARTY-NOTICES.txt lacks " << part;
  [[maybe_unused]] const int removed = std::system((std::string("rm -rf ") + folder).c_str());
}

// What Windows shows in the .exe's Properties and beside its name: its icon, and a version resource with the
// product's name, version and licence; and the manifest that keeps a scaled desktop from stretching the
// windows as a blurred bitmap. Read with icoutils' wrestool, which tools/windows.sh installs.
TEST(WindowsExe, CarriesItsIconItsDpiAwareManifestAndTheVersionAndLicenceInItsVersionResource) {
  if (!std::ifstream(SOLAR_WINDOWS_EXE).good()) {
    if (std::getenv("CI") != nullptr) FAIL() << SOLAR_WINDOWS_EXE << " is missing: tools/windows.sh makes it";
    GTEST_SKIP() << "no Windows build: tools/windows.sh makes it";
  }
  const auto output_of = [](const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) output.append(chunk, n);
    pclose(pipe);
    return output;
  };
  const std::string listed = output_of("wrestool -l " SOLAR_WINDOWS_EXE);
  EXPECT_NE(listed.find("[type=group_icon"), std::string::npos) << listed;
  // The one manifest Windows reads at start-up: resource 1 of type 24.
  const std::string manifest = output_of("wrestool -x --raw --type=24 --name=1 " SOLAR_WINDOWS_EXE);
  for (const char* declared :
       {"<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm<",
        "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">"
        "PerMonitorV2, PerMonitor<"})
    EXPECT_NE(manifest.find(declared), std::string::npos) << "the manifest lacks " << declared;
  const std::string version = output_of("wrestool -x --raw --type=16 " SOLAR_WINDOWS_EXE);
  // The resource's strings are UTF-16, little-endian.
  const auto utf16 = [](const std::string& text) {
    std::string wide;
    for (const char c : text) wide += {c, '\0'};
    return wide;
  };
  // Each value follows its key, before the next key that names a version.
  const char* const entries[][2] = {{"ProductName", "Solar System Demo"},
                                    {"ProductVersion", SOLAR_VERSION},
                                    {"LegalCopyright", "MIT License"}};
  for (const auto& [key, value] : entries) {
    const size_t at = version.find(utf16(key));
    ASSERT_NE(at, std::string::npos) << "the version resource has no " << key;
    const size_t value_at = version.find(utf16(value), at);
    const size_t next_key = version.find(utf16("Version"), at + 2 * std::string(key).size());
    EXPECT_LT(value_at, std::min(next_key, version.size())) << key << " is not " << value;
  }
}

}  // namespace
