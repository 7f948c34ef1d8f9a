// SPDX-License-Identifier: MIT
#include <windows.h>

#include "process.h"

long current_process_id() { return long(GetCurrentProcessId()); }

std::string current_host_name() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = "";
  DWORD length = sizeof name;
  if (!GetComputerNameA(name, &length)) return "";
  return std::string(name, length);
}

// A process that has ended may still be held open by others: its exit code then says it is gone.
bool process_runs(long id) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(id));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  DWORD code = 0;
  const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  return running;
}
