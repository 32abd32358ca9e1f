// Other programs' top-level windows as Windows announces them to a window-event hook: created,
// shown, hidden, destroyed, retitled or uncloaked.
#pragma once

#include <vector>

#include "core/types.h"

namespace stackle {

class WindowEvents {
 public:
  virtual ~WindowEvents() = default;

  // Listens while `on`. The first window announced after the queue was last taken posts the
  // dialog WM_WINDOWEVENTS; the hook itself does nothing else.
  virtual void Listen(bool on) = 0;
  // The windows announced since the last call, in order, each once.
  virtual std::vector<WindowRef> TakeAnnounced() = 0;
};

}  // namespace stackle
