// Where the dialog's controls go when its size changes: the window list fills the space
// left of a column of buttons at the top right, and the Exit button keeps to the
// bottom-right corner. The buttons keep the size they had in the template.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "catalogue/window_system.h"

namespace stackle {

struct LayoutTable {
  // The buttons the layout moves, top to bottom, ended by 0.
  std::array<std::int32_t, 10> ids{};
  // For each: left 0, top its place in the column, right its width, bottom its height.
  std::array<Rect, 7> rects{};
};

// The identifier step: the seven buttons in column order.
void SetLayoutIds(LayoutTable& table);
// The measuring step for entry `index`, from the control's screen rectangle.
Rect LayoutEntry(const Rect& screen, std::size_t index);
// Each control's place in a client area of cx × cy, the window list first.
std::vector<std::pair<int, Rect>> LayoutControls(const LayoutTable& table, std::int32_t cx,
                                                 std::int32_t cy);

}  // namespace stackle
