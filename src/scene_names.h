// SPDX-License-Identifier: MIT
// The identifiers shared by every module: which body, which ship (and so which window), which drawing pass
// and which navigation mode. The numeric values are part of the program's behaviour: a body_name is also the
// body's index in the scene and its selection name, a ship_name the index of its ship and texture slot.
#pragma once

// Windows' wingdi.h defines RELATIVE as a plain number, which must not stand where the modes are named;
// opengl.h undoes it after the headers that define it, and this file, which needs no GL, undoes it here.
#undef RELATIVE

enum body_name {
  STARFIELD = 0,
  SUN = 1,
  MERCURY = 2,
  VENUS = 3,
  EARTH = 4,
  MOON = 5,
  MARS = 6,
  JUPITER = 7,
  SATURN = 8,
  URANUS = 9,
  NEPTUNE = 10,
  PLUTO = 11,
};
constexpr int body_count = 12;

enum ship_name {
  MOTHER_SHIP = 0,
  SCOUT_SHIP = 1,
};
constexpr int ship_count = 2;
// The ship whose model a window shows: the other one.
constexpr ship_name other_ship(ship_name viewer) { return ship_name((viewer + 1) % ship_count); }
// Each ship's name, which is also the title of its window.
constexpr const char* ship_titles[ship_count] = {"Mother Ship", "Scout Ship"};

enum render_mode {
  RENDER = 0,  // normal drawing into the colour buffer
  SELECT = 1,  // the picking pass, drawn in OpenGL selection mode
};

enum navigation_mode {
  LOOKAT = 0,    // eye, target and up moved along the world axes
  RELATIVE = 1,  // turns and steps in the camera's own frame
  GEOSYNCH = 2,  // holds station above a followed body
};
// Each mode as the views and the key band write it.
constexpr const char* mode_names[] = {"LOOKAT", "RELATIVE", "GEOSYNCH"};
