// A popup menu as Stackle builds it: built for one showing, then thrown away.
#pragma once

#include <vector>

#include "core/types.h"

namespace stackle {

struct MenuItem {
  int id = 0;  // 0 is a separator, or a submenu when it has items
  Text text = {};
  bool checked = false;
  std::vector<MenuItem> submenu = {};
  friend bool operator==(const MenuItem&, const MenuItem&) = default;
};

using Menu = std::vector<MenuItem>;

inline MenuItem Separator() {
  return {};
}

}  // namespace stackle
