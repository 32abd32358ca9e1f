// Global hotkeys: the actions they run, and the text form of a key ("Ctrl+Shift+F11").
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/hotkey.h"
#include "core/types.h"

namespace stackle {

enum class HotkeyAction : std::size_t {
  kToggleTopMost,
  kSendToBottom,
  kHide,
  kShowAllHidden,
  kShowStackle,
};
inline constexpr std::size_t kHotkeyActionCount = 5;

using HotkeySet = std::array<Hotkey, kHotkeyActionCount>;
// Per action: another program holds its key.
using HeldHotkeys = std::array<bool, kHotkeyActionCount>;

// How the interface names an action.
Text HotkeyActionLabel(HotkeyAction action);

// Ctrl+Shift and a function key from F8 up: a function key types nothing, Ctrl+Alt would be
// AltGr on many layouts, and Windows keeps adding shortcuts of its own with the Windows key.
HotkeySet DefaultHotkeys();

// "Ctrl+Alt+Shift+Win+Key", modifiers in any order and case, blanks around the parts. An empty
// text is no hotkey; nothing when the text is not understood.
std::optional<Hotkey> ParseHotkey(std::string_view text);
std::string FormatHotkey(Hotkey key);
// A key that types a character, with no modifier but Shift: as a hotkey it would take that
// character away from every program.
bool BlocksTyping(Hotkey key);

}  // namespace stackle
