// The per-window menu: only what would change something for the window it is opened on.
#pragma once

#include <cstdint>
#include <optional>

#include "core/menu.h"
#include "res/resource.h"

namespace stackle {

struct WindowMenuState {
  bool minimized = false;
  bool maximized = false;
  // No priority items: a folder window, or one that stands for no program (the shell's, a
  // Store app's frame without its app).
  bool keeps_priority = false;
  // The process's class as read when the menu opens; 0 when it could not be read.
  std::uint32_t priority = 0;
  // For a window whose program is known: rules that pin its program, or keep its class.
  bool program_known = false;
  bool program_pinned = false;
  bool priority_remembered = false;
  // The window's opacity in percent; nothing when it cannot change (it draws itself).
  std::optional<int> opacity = {};
};

Menu BuildWindowMenu(const WindowMenuState& state);

}  // namespace stackle
