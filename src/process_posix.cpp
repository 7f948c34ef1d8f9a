// SPDX-License-Identifier: MIT
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "process.h"

long current_process_id() { return long(getpid()); }

std::string current_host_name() {
  char name[256] = "";
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

// Signal 0 only asks: a process of another user answers EPERM, and is running.
bool process_runs(long id) { return id > 0 && (kill(pid_t(id), 0) == 0 || errno != ESRCH); }
