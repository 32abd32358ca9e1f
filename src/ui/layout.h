// Where the dialog's controls go when its size changes: the window list fills the space
// left of a column of buttons at the top right, and the Exit button keeps to the
// bottom-right corner. The buttons keep the size they had in the template.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "core/dialog_surface.h"

namespace stackle {

class DialogLayout {
 public:
  // The first size event, which the window system sends while it creates the dialog, before
  // its initialisation: the template's window size is the smallest the dialog may take.
  // False, recording nothing, for every later one.
  bool TakeFirstSize(Size window, Size client);
  // The identifier step: the seven buttons in column order.
  void SetIds();
  // The measuring step: each button's size and place in the column, from the dialog.
  void Measure(DialogSurface& dialog);
  // Ends the first-size stage and lays the controls out once in the template's client area:
  // its places, rounded from dialog units, can leave the last button a pixel outside.
  void Finish(DialogSurface& dialog);
  void Relayout(DialogSurface& dialog, Size client) const;
  // Each control's place in a client area of that size, the window list first.
  std::vector<std::pair<int, Rect>> Places(Size client) const;
  // Nothing until the first size has been recorded and initialisation is over.
  std::optional<Size> MinimumTrackSize() const;

 private:
  // The buttons the layout moves, top to bottom, ended by 0.
  std::array<std::int32_t, 10> ids_{};
  // For each: left 0, top its place in the column, right its width, bottom its height.
  std::array<Rect, 7> rects_{};
  bool first_size_ = true;
  Size minimum_{};
  Size first_client_{};
};

}  // namespace stackle
