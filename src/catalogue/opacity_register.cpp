#include "catalogue/opacity_register.h"

#include <algorithm>
#include <utility>

#include "catalogue/window_list.h"

namespace stackle {
namespace {

static_assert(sizeof(std::uintptr_t) >= 8, "the original state needs a 64-bit mark");

std::uint8_t AlphaOf(int percent) {
  return static_cast<std::uint8_t>((std::clamp(percent, 0, kOpaque) * 255 + 50) / 100);
}

int PercentOfAlpha(std::uint8_t alpha) {
  return (alpha * 100 + 127) / 255;
}

// The mark's value: bit 63 always (a mark is never 0), whether the window was layered and its
// attributes readable, the alpha given, then the original alpha, flags and colour key.
std::uintptr_t Encode(const Layering& original, std::uint8_t given) {
  return std::uintptr_t{1} << 63 | std::uintptr_t{original.layered} << 57 |
         std::uintptr_t{original.readable} << 56 | std::uintptr_t{given} << 48 |
         std::uintptr_t{original.alpha} << 40 | std::uintptr_t{original.flags & 3} << 32 |
         (original.color_key & 0xFFFFFF);
}

void Decode(std::uintptr_t mark, Layering& original, std::uint8_t& given) {
  original.layered = (mark >> 57) & 1;
  original.readable = (mark >> 56) & 1;
  given = static_cast<std::uint8_t>(mark >> 48);
  original.alpha = static_cast<std::uint8_t>(mark >> 40);
  original.flags = (mark >> 32) & 3;
  original.color_key = mark & 0xFFFFFF;
}

}  // namespace

std::optional<int> ParseOpacity(std::u16string_view text) {
  if (text.empty() || text.size() > 3) return std::nullopt;
  int value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  if (value < kMinOpacity || value > kOpaque) return std::nullopt;
  return value;
}

OpacityRegister::Result OpacityRegister::Set(WindowRef window, int percent) {
  percent = std::clamp(percent, kMinOpacity, kOpaque);
  auto changed = changed_.find(window);
  if (changed == changed_.end()) {
    const Layering original = windows_.LayeringOf(window);
    // It draws itself through UpdateLayeredWindow: an alpha set on it would break its drawing.
    if (original.layered && !original.readable) return Result::kDrawsItself;
    if (percent == kOpaque) return Result::kDone;
    changed = changed_.emplace(window, Change{original, 255}).first;
  }
  Change& change = changed->second;
  if (percent == kOpaque) {
    if (!windows_.SetLayering(window, change.original)) return Result::kRefused;
    windows_.SetMark(window, WindowMark::kTranslucent, 0);
    changed_.erase(changed);
    return Result::kDone;
  }
  // Always from the original, never from what the window has now: steps never compound.
  Layering translucent = change.original;
  translucent.layered = translucent.readable = true;
  translucent.alpha = AlphaOf(percent);
  translucent.flags = kLayeredAlpha | (change.original.flags & kLayeredColorKey);
  // Marked first: killed right after, Stackle leaves no translucent window without its mark.
  windows_.SetMark(window, WindowMark::kTranslucent, Encode(change.original, translucent.alpha));
  if (!windows_.SetLayering(window, translucent)) {
    if (change.given == 255) {
      windows_.SetMark(window, WindowMark::kTranslucent, 0);
      changed_.erase(changed);
    } else {
      windows_.SetMark(window, WindowMark::kTranslucent, Encode(change.original, change.given));
    }
    return Result::kRefused;
  }
  change.given = translucent.alpha;
  return Result::kDone;
}

int OpacityRegister::PercentOf(WindowRef window) {
  if (const auto set = ChangedTo(window)) return *set;
  const Layering now = windows_.LayeringOf(window);
  return now.layered && now.readable && (now.flags & kLayeredAlpha) ? PercentOfAlpha(now.alpha)
                                                                    : kOpaque;
}

std::optional<int> OpacityRegister::ChangedTo(WindowRef window) const {
  const auto changed = changed_.find(window);
  if (changed == changed_.end()) return std::nullopt;
  return PercentOfAlpha(changed->second.given);
}

void OpacityRegister::RestoreAll() {
  for (const auto& [window, change] : std::exchange(changed_, {})) {
    const Layering now = windows_.LayeringOf(window);
    if (now.layered && now.readable && now.alpha == change.given)
      windows_.SetLayering(window, change.original);
    windows_.SetMark(window, WindowMark::kTranslucent, 0);
  }
}

void OpacityRegister::AdoptIfMarked(WindowRef w) {
  const std::uintptr_t mark = windows_.MarkOf(w, WindowMark::kTranslucent);
  if (!mark || changed_.contains(w)) return;
  Change change;
  Decode(mark, change.original, change.given);
  changed_.emplace(w, change);
}

}  // namespace stackle
