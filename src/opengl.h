// SPDX-License-Identifier: MIT
// The program's one way into OpenGL, GLU and freeglut. On Windows freeglut's header brings in windows.h,
// whose wingdi.h defines RELATIVE and ABSOLUTE as plain numbers: left defined, RELATIVE would silently become
// 2 wherever a navigation mode is named. They are undefined right here, after the only headers that define
// them; include guards keep those headers from defining them again.
#pragma once

#include <GL/freeglut.h>
#include <GL/glu.h>

#undef RELATIVE
#undef ABSOLUTE
