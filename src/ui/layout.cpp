#include "ui/layout.h"

#include "res/resource.h"

namespace stackle {

void SetLayoutIds(LayoutTable& table) {
  table.ids = {IDC_REFRESH,
               IDC_BRING_TO_FRONT,
               IDC_ALWAYS_ON_TOP,
               IDC_SEND_TO_BOTTOM,
               IDC_NOT_ALWAYS_ON_TOP,
               IDC_SHOW_HIDE,
               IDC_EXIT,
               0,
               0,
               0};
}

Rect LayoutEntry(const Rect& screen, std::size_t index) {
  const std::int32_t height = screen.Height();
  return {0, static_cast<std::int32_t>(index) * height, screen.Width(), height};
}

std::vector<std::pair<int, Rect>> LayoutControls(const LayoutTable& table, std::int32_t cx,
                                                 std::int32_t cy) {
  std::vector<std::pair<int, Rect>> places;
  const std::int32_t list_width = cx - table.rects[0].right;
  places.emplace_back(IDC_WINDOW_LIST, Rect{0, 0, list_width, cy});
  for (std::size_t i = 0; i < table.rects.size() && table.ids[i] != 0; ++i) {
    const std::int32_t width = table.rects[i].right;
    const std::int32_t height = table.rects[i].bottom;
    const std::int32_t top = table.ids[i] == IDC_EXIT ? cy - height : table.rects[i].top;
    places.emplace_back(table.ids[i], Rect{cx - width, top, cx, top + height});
  }
  return places;
}

}  // namespace stackle
