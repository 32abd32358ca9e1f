// The windows Stackle made translucent. Before the first change it records what the window
// was (layered or not, its alpha and colour key) and puts exactly that back at 100%, at exit,
// at the end of the Windows session and on すべて不透明に戻す. The record is kept in a mark on
// the window too, so that the copy started after a kill puts it back at its own exit.
#pragma once

#include <map>
#include <optional>
#include <string_view>

#include "core/window_system.h"

namespace stackle {

// Opacity in percent: steps of 10 from 100 down to a floor, so that no window ever vanishes.
inline constexpr int kOpaque = 100, kMinOpacity = 20, kOpacityStep = 10;

// An opacity as a command or a rule gives it: a whole number from kMinOpacity to kOpaque in
// ASCII digits; nothing otherwise.
std::optional<int> ParseOpacity(std::u16string_view text);

class OpacityRegister {
 public:
  explicit OpacityRegister(WindowSystem& windows) : windows_(windows) {}

  enum class Result {
    kDone,
    kRefused,      // its program refused (run as administrator)
    kDrawsItself,  // layered by its program, with attributes that cannot be read
    kKept,         // the shell's or Stackle's own, whose opacity never changes
  };
  // Sets the window's opacity, `percent` from kMinOpacity to kOpaque; kOpaque puts back what
  // the window was.
  Result Set(WindowRef window, int percent);
  // The opacity the window has now as far as Stackle knows: what it set, or what its program
  // set when that can be read; kOpaque for a window not layered.
  int PercentOf(WindowRef window);
  // What Stackle set, and nothing for a window it did not change.
  std::optional<int> ChangedTo(WindowRef window) const;
  // Puts back every window that still has the alpha Stackle gave it; one whose program set
  // its alpha since is left as the program set it.
  void RestoreAll();
  // Takes in `w` when a previous run made it translucent and could not put it back.
  void AdoptIfMarked(WindowRef w);

 private:
  struct Change {
    Layering original;
    std::uint8_t given = 255;
  };

  WindowSystem& windows_;
  std::map<WindowRef, Change> changed_;
};

}  // namespace stackle
