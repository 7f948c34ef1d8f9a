// SPDX-License-Identifier: MIT
// The -geometry reader: what X's own reader makes of a value, parts left out keeping the defaults.
#include "command_line.h"

#include <gtest/gtest.h>

#include <array>

namespace {

std::array<int, 4> read(const char* value) {
  const window_placement defaults = {512, 512, 0, 100};
  const std::optional<window_placement> placed = compute_geometry(value, defaults, 1280, 1024);
  if (!placed) return {-1, -1, -1, -1};
  return {placed->width, placed->height, placed->x, placed->y};
}

TEST(Geometry, ReadsSizeAndPlaceAsXDoesAndRefusesWhatItCannotRead) {
  EXPECT_EQ(read("300x200+40+60"), (std::array<int, 4>{300, 200, 40, 60}));
  EXPECT_EQ(read("=640X480"), (std::array<int, 4>{640, 480, 0, 100})) << "size only: the default place";
  EXPECT_EQ(read("+5+7"), (std::array<int, 4>{512, 512, 5, 7})) << "place only: the default size";
  EXPECT_EQ(read("300x200-0-10"), (std::array<int, 4>{300, 200, 980, 814})) << "from the right and bottom";
  for (const char* bad : {"", "300", "300x", "x200", "300x200+4", "300x200+4+5junk", "0x200", "300x200++4+5"})
    EXPECT_EQ(read(bad)[0], -1) << '"' << bad << '"';
}

}  // namespace
