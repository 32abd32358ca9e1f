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
  kOpacityDown,
  kOpacityUp,
};
inline constexpr std::size_t kHotkeyActionCount = 7;

using HotkeySet = std::array<Hotkey, kHotkeyActionCount>;
// Per action: another program holds its key.
using HeldHotkeys = std::array<bool, kHotkeyActionCount>;

// How the interface names an action.
Text HotkeyActionLabel(HotkeyAction action);

// Ctrl+Shift and a function key from F7 to F11: a function key types nothing, Ctrl+Alt would
// be AltGr on many layouts, Windows keeps adding shortcuts of its own with the Windows key, and
// it keeps F12 for debuggers.
HotkeySet DefaultHotkeys();

// "Ctrl+Alt+Shift+Win+Key", modifiers in any order and case, blanks around the parts. An empty
// text is no hotkey; nothing when the text is not understood.
std::optional<Hotkey> ParseHotkey(std::string_view text);
std::string FormatHotkey(Hotkey key);
// Whether a key may be a hotkey: none at all, or one with Ctrl, Alt or the Windows key, or F13
// to F24, which common keyboards lack. Any other would take its key (a character, Enter,
// Delete, an arrow, F5) away from every program.
bool IsUsableHotkey(Hotkey key);

}  // namespace stackle
