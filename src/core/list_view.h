// The window list control as the user sees it: labels, one selected. It is a view of the
// dialog's model of the listed windows and holds nothing the dialog reads back but the
// selection.
#pragma once

#include <cstddef>
#include <optional>

#include "core/types.h"

namespace stackle {

class ListView {
 public:
  virtual ~ListView() = default;

  // The control's own window, which asks for the per-window menu.
  virtual WindowRef Control() = 0;
  virtual void Clear() = 0;
  // Drawing off while the list is rebuilt; back on, the list is repainted once.
  virtual void SetRedraw(bool on) = 0;
  // False when the control refuses the entry (out of memory).
  virtual bool Add(const Text& label) = 0;
  virtual std::optional<std::size_t> Selection() = 0;
  // Selects without a selection-change notification.
  virtual void Select(std::size_t index) = 0;
  // The entry nearest to a point on the screen, also below the last one; nothing when the
  // list is empty.
  virtual std::optional<std::size_t> EntryNear(Point screen) = 0;
};

}  // namespace stackle
