#include "ui/layout.h"

#include "res/resource.h"

namespace stackle {

bool DialogLayout::TakeFirstSize(Size window, Size client) {
  if (!first_size_) return false;
  minimum_ = window;
  first_client_ = client;
  first_size_ = false;
  return true;
}

void DialogLayout::SetIds() {
  ids_ = {IDC_REFRESH,
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

void DialogLayout::Measure(DialogSurface& dialog) {
  for (std::size_t i = 0; i < rects_.size() && ids_[i] != 0; ++i) {
    const Rect screen = dialog.ControlRect(ids_[i]).value_or(Rect{});
    const std::int32_t height = screen.Height();
    rects_[i] = {0, static_cast<std::int32_t>(i) * height, screen.Width(), height};
  }
}

void DialogLayout::Finish(DialogSurface& dialog) {
  Relayout(dialog, first_client_);
  first_size_ = false;
}

void DialogLayout::Relayout(DialogSurface& dialog, Size client) const {
  for (const auto& [id, place] : Places(client))
    dialog.MoveControl(id, place);
}

std::vector<std::pair<int, Rect>> DialogLayout::Places(Size client) const {
  const auto [cx, cy] = client;
  std::vector<std::pair<int, Rect>> places;
  places.emplace_back(IDC_WINDOW_LIST, Rect{0, 0, cx - rects_[0].right, cy});
  for (std::size_t i = 0; i < rects_.size() && ids_[i] != 0; ++i) {
    const std::int32_t width = rects_[i].right;
    const std::int32_t height = rects_[i].bottom;
    const std::int32_t top = ids_[i] == IDC_EXIT ? cy - height : rects_[i].top;
    places.emplace_back(ids_[i], Rect{cx - width, top, cx, top + height});
  }
  return places;
}

std::optional<Size> DialogLayout::MinimumTrackSize() const {
  if (first_size_) return std::nullopt;
  return minimum_;
}

}  // namespace stackle
