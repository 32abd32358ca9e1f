// The per-window menu: only what would change something for the window it is opened on.
#pragma once

#include <cstdint>

#include "ui/menu.h"

namespace stackle {

enum : int {
  kIdWindowMinimize = 32776,
  kIdWindowMaximize = 32777,
  kIdWindowRestore = 32778,
  kIdWindowClose = 32779,
  kIdPriorityHigh = 32780,
  kIdPriorityRealtime = 32781,
  kIdPriorityNormal = 32782,
  kIdPriorityIdle = 32783,
};

struct WindowMenuState {
  bool minimized = false;
  bool maximized = false;
  bool folder = false;
  // The process's class as read when the menu opens; 0 when it could not be read.
  std::uint32_t priority = 0;
};

Menu BuildWindowMenu(const WindowMenuState& state);

}  // namespace stackle
