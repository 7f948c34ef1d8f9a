// SPDX-License-Identifier: MIT
// Who holds a lock: this process and host, and whether another process still runs. One source file per
// platform behind these functions (process_posix.cpp, process_windows.cpp), chosen by the build.
#pragma once

#include <string>

long current_process_id();
// The host's name, or "" when it cannot be had.
std::string current_host_name();
// Whether a process of this id runs on this host; a process that cannot be asked counts as running.
bool process_runs(long id);
