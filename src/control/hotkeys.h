// Global hotkeys: the actions they run, the text form of a key ("Ctrl+Shift+F11") and the
// [Hotkeys] section of stackle.ini that keeps them.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/window_system.h"

namespace stackle {

enum class HotkeyAction : std::size_t {
  kToggleTopMost,
  kSendToBottom,
  kHide,
  kShowAllHidden,
  kShowStackle,
};
inline constexpr std::size_t kHotkeyActionCount = 5;

// Modifier bits, with the values the window system's hotkey registration takes.
enum : std::uint32_t { kModAlt = 1, kModControl = 2, kModShift = 4, kModWin = 8 };

struct Hotkey {
  std::uint32_t modifiers = 0;
  std::uint32_t key = 0;  // a virtual-key code; 0 is no hotkey
  bool IsOff() const { return key == 0; }
  friend bool operator==(const Hotkey&, const Hotkey&) = default;
};
using HotkeySet = std::array<Hotkey, kHotkeyActionCount>;

inline constexpr char16_t kHotkeyFileName[] = u"stackle.ini";

// The name of an action in stackle.ini, and how the interface names it.
std::string_view HotkeyActionName(HotkeyAction action);
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

struct HotkeyFile {
  HotkeySet keys = DefaultHotkeys();
  // The lines of the [Hotkeys] section that were not understood, and why.
  std::vector<std::string> problems;
};

// The [Hotkeys] section of stackle.ini, read as far as it makes sense: a line not understood
// turns its action off and is reported; an action without a line keeps its default; a name
// or a key given a second time is reported and the first one stands.
HotkeyFile ReadHotkeyFile(std::string_view content);
// The file with its [Hotkeys] section replaced by `keys`; every other line kept.
std::string WriteHotkeyFile(std::string_view content, const HotkeySet& keys);

}  // namespace stackle
