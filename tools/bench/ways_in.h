// The ways a user reaches Stackle other than its list, measured on a running Stackle: a hotkey
// against a click on the button that does the same, and a script's command against the least
// program that could carry one.
#pragma once

#include <windows.h>

#include <string>

#include "bench_common.h"

namespace stackle::bench {

struct WaysIn {
  // From the key press or the click until the window is always on top, and until Stackle's
  // list shows it so.
  Stats hotkey_to_change, click_to_change, hotkey_to_list, click_to_list;
  // From the start of the process until its end, its output read from a pipe.
  Stats list_command, top_command, minimal_command;
};

struct WaysInSetup {
  HWND dialog;  // of the running Stackle
  // The window pinned: listed, its label its title (neither minimized nor always on top, nor a
  // folder window), and owned by a process that answers its messages.
  HWND target;
  std::wstring title;
  std::wstring stackle, minimal_command, work_dir;
  int trials;
};

// Throws when Stackle does not do what it was asked, or a program does not start.
WaysIn MeasureWaysIn(const WaysInSetup& setup);

}  // namespace stackle::bench
