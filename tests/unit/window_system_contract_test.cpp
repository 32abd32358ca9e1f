#include "../contract/window_system_contract.h"

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
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Simulation, WindowSystemContract, SimDesktop);
}  // namespace contract
}  // namespace stackle
