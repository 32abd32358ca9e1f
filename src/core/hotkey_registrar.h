// System-wide hotkeys, whose presses come to the dialog as WM_HOTKEY.
#pragma once

#include "core/hotkey.h"

namespace stackle {

class HotkeyRegistrar {
 public:
  virtual ~HotkeyRegistrar() = default;

  // False when another program holds the key.
  virtual bool Register(int id, Hotkey key) = 0;
  virtual void Unregister(int id) = 0;
};

}  // namespace stackle
