// The notification-area icon's two menus and the system menu's additions.
#pragma once

#include <vector>

#include "ui/menu.h"

namespace stackle {

inline constexpr std::uint32_t kWmTrayNotify = 0x464;  // the icon's callback message

enum : int {
  kIdHelp = 32771,
  kIdTrayExit = 32772,
  kIdTrayAbout = 32774,
  kIdRestoreDialog = 32784,
  kIdHideDialog = 32785,
  kIdTrayHotkeys = 32786,
  // The tray window menu: entry i of the window list is 35000 + i.
  kIdFirstListedWindow = 35000,
  kIdLastListedWindow = 44999,
};

// One item per window-list label. Entries past the last identifier the command routing
// knows are listed with an identifier that does nothing.
Menu BuildTrayWindowMenu(const std::vector<Text>& labels);
// Hide or restore the dialog, help, About, the hotkeys, exit.
Menu BuildTrayToolMenu(bool dialog_visible);
// A separator, help, About and the hotkeys; nothing when the About text is empty.
Menu BuildSystemMenuAdditions(const Text& about_text, int about_id, int hotkeys_id);

}  // namespace stackle
