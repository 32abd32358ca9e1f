// What Stackle relies on from the notification area and the hotkey registration, checked
// against the simulation natively and against the Win32 adapters under Wine.
//
// A shell type provides: `NotifyIcon& icon()`, `HotkeyRegistrar& hotkeys()` and
// `void HoldElsewhere(Hotkey key)` (another program registers the key).
#pragma once

#include <gtest/gtest.h>

#include "core/hotkey_registrar.h"
#include "core/notify_icon.h"

namespace stackle::contract {

template <typename Shell>
class ShellContract : public ::testing::Test {
 protected:
  Shell shell;
};

TYPED_TEST_SUITE_P(ShellContract);

TYPED_TEST_P(ShellContract, AddsTheIconAgainOnceItIsRemoved) {
  NotifyIcon& icon = this->shell.icon();
  EXPECT_NE(icon.TaskbarCreatedMessage(), 0u);
  for (int round = 0; round < 2; ++round) {
    EXPECT_TRUE(icon.Add()) << round;
    EXPECT_FALSE(icon.Add()) << "one request, which the shell refuses while it holds the icon";
    EXPECT_TRUE(icon.Replace()) << round;
    icon.Remove();
  }
}

TYPED_TEST_P(ShellContract, RegistersAKeyOnceAndNeverOneAnotherProgramHolds) {
  HotkeyRegistrar& keys = this->shell.hotkeys();
  const Hotkey mine{kModControl | kModAlt | kModShift, 0x86};    // F23
  const Hotkey theirs{kModControl | kModAlt | kModShift, 0x85};  // F22
  this->shell.HoldElsewhere(theirs);
  EXPECT_TRUE(keys.Register(1, mine));
  EXPECT_FALSE(keys.Register(2, mine)) << "a key is registered once";
  EXPECT_FALSE(keys.Register(3, theirs)) << "another program holds it";
  keys.Unregister(1);
  EXPECT_TRUE(keys.Register(2, mine)) << "free again once unregistered";
  keys.Unregister(2);
}

REGISTER_TYPED_TEST_SUITE_P(ShellContract, AddsTheIconAgainOnceItIsRemoved,
                            RegistersAKeyOnceAndNeverOneAnotherProgramHolds);

}  // namespace stackle::contract
