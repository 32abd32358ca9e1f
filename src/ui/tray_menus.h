// The notification-area icon's two menus and the system menu's additions.
#pragma once

#include <vector>

#include "core/menu.h"
#include "res/resource.h"

namespace stackle {

// One item per window-list label. Entries past the last identifier the command routing
// knows are listed with an identifier that does nothing.
Menu BuildTrayWindowMenu(const std::vector<Text>& labels);
// Hide or restore the dialog, help, About, the hotkeys, reading the rules again, exit.
Menu BuildTrayToolMenu(bool dialog_visible);
// A separator, help, About and the hotkeys; nothing when the About text is empty.
Menu BuildSystemMenuAdditions(const Text& about_text, int about_id, int hotkeys_id);

}  // namespace stackle
