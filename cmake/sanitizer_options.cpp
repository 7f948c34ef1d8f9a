// SPDX-License-Identifier: MIT
// The sanitizer build's options, compiled into each of its programs, so that a test run by ctest, by hand or
// by another test holds to them with nothing set in the environment; an option set there still wins.
//
// intercept_tls_get_addr=0: up to GCC 13 the runtime's __tls_get_addr hook takes a dynamic TLS block whose
// address lies 16 bytes into a page for glibc 2.19's layout and reads a length from before it. The GL
// driver's blocks are ordinary heap blocks that land there now and then, depending on how the heap lies (the
// length of the paths in the environment moves it), and LeakSanitizer's tracer then dies reading them at
// exit. Without the hook those blocks are not scanned for pointers; only the driver keeps pointers there, and
// its memory is suppressed below.
//
// dlclose does nothing: the GL libraries unload their driver on the way out (freeglut's own clean-up, or the
// display's closing), before LeakSanitizer checks at exit, and the driver's memory can then no longer be told
// from the program's own. A library kept loaded keeps its name in the report, where the suppressions match
// it; a clean run then reports nothing and ends with its own status.
extern "C" {
int dlclose(void* /*handle*/) { return 0; }
const char* __asan_default_options() { return "detect_leaks=1:intercept_tls_get_addr=0"; }
const char* __lsan_default_options() {
  return "suppressions=" SOLAR_LSAN_SUPPRESSIONS ":print_suppressions=0";
}
const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }
}
