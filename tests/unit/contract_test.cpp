#include "../contract/shell_contract.h"
#include "../contract/window_system_contract.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/sim_window_system.h"

namespace stackle {
namespace {

struct SimDesktop {
  sim::SimWindowSystem sim;
  ProcessId other = sim.AddProcess();
  WindowSystem& windows() { return sim; }
  WindowRef Open(const Text& title, const Text& class_name, bool topmost) {
    return sim.AddWindow({.title = title,
                          .class_name = class_name,
                          .process = sim.OwnProcess(),
                          .topmost = topmost});
  }
  WindowRef OpenChild(WindowRef parent) { return sim.AddChild(parent, {}); }
  ProcessId OtherProcess() { return other; }
  Text OwnProgramName() { return u"stackle.exe"; }
};

struct SimShell {
  sim::SimNotifyIcon notify_icon;
  sim::SimHotkeyRegistrar registrar;
  NotifyIcon& icon() { return notify_icon; }
  HotkeyRegistrar& hotkeys() { return registrar; }
  void HoldElsewhere(Hotkey key) { registrar.held_by_others.push_back(key); }
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Simulation, WindowSystemContract, SimDesktop);
INSTANTIATE_TYPED_TEST_SUITE_P(Simulation, ShellContract, SimShell);
}  // namespace contract
}  // namespace stackle
