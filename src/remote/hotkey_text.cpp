#include "remote/hotkey_text.h"

#include <algorithm>
#include <cstdio>

#include "catalogue/text.h"

namespace stackle {
namespace {

struct ActionInfo {
  const char16_t* label;
  Hotkey key;
};

// Virtual-key codes of the keys named below.
enum : std::uint32_t { kVkF1 = 0x70, kVkF24 = 0x87 };

constexpr ActionInfo kActions[kHotkeyActionCount] = {
    {u"常に手前に/解除", {kModControl | kModShift, kVkF1 + 10}},
    {u"一番奥に", {kModControl | kModShift, kVkF1 + 9}},
    {u"非表示", {kModControl | kModShift, kVkF1 + 8}},
    {u"非表示のウインドウをすべて表示", {kModControl | kModShift, kVkF1 + 7}},
    {u"Stackle を手前に", {kModControl | kModShift, kVkF1 + 6}},
    {u"不透明度を下げる", {kModControl | kModShift, kVkF1 + 4}},
    {u"不透明度を上げる", {kModControl | kModShift, kVkF1 + 5}},
};

struct KeyName {
  std::string_view name;
  std::uint32_t key;
};

constexpr KeyName kKeyNames[] = {
    {"Backspace", 0x08},  {"Tab", 0x09},         {"Enter", 0x0D},       {"Pause", 0x13},
    {"Esc", 0x1B},        {"Space", 0x20},       {"PageUp", 0x21},      {"PageDown", 0x22},
    {"End", 0x23},        {"Home", 0x24},        {"Left", 0x25},        {"Up", 0x26},
    {"Right", 0x27},      {"Down", 0x28},        {"PrintScreen", 0x2C}, {"Insert", 0x2D},
    {"Delete", 0x2E},     {"NumMultiply", 0x6A}, {"NumAdd", 0x6B},      {"NumSubtract", 0x6D},
    {"NumDecimal", 0x6E}, {"NumDivide", 0x6F},   {"Semicolon", 0xBA},   {"Plus", 0xBB},
    {"Comma", 0xBC},      {"Minus", 0xBD},       {"Period", 0xBE},      {"Slash", 0xBF},
    {"Backquote", 0xC0},  {"LeftBracket", 0xDB}, {"Backslash", 0xDC},   {"RightBracket", 0xDD},
    {"Quote", 0xDE},
};

// Around the parts of a key and of a line of stackle.ini.
constexpr std::string_view kBlanks = " \t\r";

struct Modifier {
  std::string_view name;
  std::uint32_t bit;
};
constexpr Modifier kModifiers[] = {
    {"Ctrl", kModControl}, {"Control", kModControl}, {"Alt", kModAlt},
    {"Shift", kModShift},  {"Win", kModWin},
};

// A key's virtual-key code; 0 when the name is unknown.
std::uint32_t ParseKey(std::string_view name) {
  if (name.empty()) return 0;
  if (name.size() == 1) {
    const char c = AsciiLower(name[0]);
    if (c >= 'a' && c <= 'z') return static_cast<std::uint32_t>(c - 'a' + 'A');
    if (c >= '0' && c <= '9') return static_cast<std::uint32_t>(c);
    return 0;
  }
  for (const KeyName& k : kKeyNames)
    if (EqualsIgnoringAsciiCase(name, k.name)) return k.key;
  const auto number = [](std::string_view digits) {
    int value = 0;
    for (char c : digits) {
      if (c < '0' || c > '9' || value > 99) return -1;
      value = value * 10 + (c - '0');
    }
    return digits.empty() || digits.front() == '0' ? -1 : value;
  };
  if (AsciiLower(name[0]) == 'f') {
    const int n = number(name.substr(1));
    if (n >= 1 && n <= 24) return kVkF1 + static_cast<std::uint32_t>(n - 1);
  }
  if (name.size() == 4 && EqualsIgnoringAsciiCase(name.substr(0, 3), "num") && name[3] >= '0' &&
      name[3] <= '9') {
    return 0x60 + static_cast<std::uint32_t>(name[3] - '0');
  }
  // Any other key as its code: "VK_E2".
  if (name.size() == 5 && EqualsIgnoringAsciiCase(name.substr(0, 3), "vk_")) {
    const int high = HexDigitValue(name[3]), low = HexDigitValue(name[4]);
    const int code = high * 16 + low;
    if (high >= 0 && low >= 0 && code >= 0x07 && code <= 0xFE)
      return static_cast<std::uint32_t>(code);
  }
  return 0;
}

std::string NameOfKey(std::uint32_t key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, char(key));
  if (key >= kVkF1 && key <= kVkF24)
    return std::string("F").append(std::to_string(key - kVkF1 + 1));
  if (key >= 0x60 && key <= 0x69) return std::string("Num").append(std::to_string(key - 0x60));
  for (const KeyName& k : kKeyNames)
    if (k.key == key) return std::string(k.name);
  char code[8];
  std::snprintf(code, sizeof code, "VK_%02X", static_cast<unsigned>(key & 0xFF));
  return code;
}

}  // namespace

Text HotkeyActionLabel(HotkeyAction action) {
  return kActions[static_cast<std::size_t>(action)].label;
}

HotkeySet DefaultHotkeys() {
  HotkeySet keys;
  for (std::size_t i = 0; i < kHotkeyActionCount; ++i)
    keys[i] = kActions[i].key;
  return keys;
}

std::optional<Hotkey> ParseHotkey(std::string_view text) {
  text = Trim(text, kBlanks);
  if (text.empty()) return Hotkey{};
  Hotkey hotkey;
  while (true) {
    const std::size_t plus = text.find('+');
    const std::string_view part = Trim(text.substr(0, plus), kBlanks);
    if (plus == std::string_view::npos) {
      hotkey.key = ParseKey(part);
      if (hotkey.key == 0) return std::nullopt;
      return hotkey;
    }
    const auto modifier = std::ranges::find_if(
        kModifiers, [&](const Modifier& m) { return EqualsIgnoringAsciiCase(part, m.name); });
    if (modifier == std::end(kModifiers) || (hotkey.modifiers & modifier->bit)) return std::nullopt;
    hotkey.modifiers |= modifier->bit;
    text.remove_prefix(plus + 1);
  }
}

std::string FormatHotkey(Hotkey key) {
  if (key.IsOff()) return {};
  std::string text;
  if (key.modifiers & kModControl) text += "Ctrl+";
  if (key.modifiers & kModAlt) text += "Alt+";
  if (key.modifiers & kModShift) text += "Shift+";
  if (key.modifiers & kModWin) text += "Win+";
  return text + NameOfKey(key.key);
}

bool IsUsableHotkey(Hotkey key) {
  return key.IsOff() || (key.modifiers & (kModControl | kModAlt | kModWin)) != 0 ||
         (key.key >= kVkF1 + 12 && key.key <= kVkF24);
}

}  // namespace stackle
