#include "app/layer_dialog.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "app/layer_app.h"
#include "platform/sim/sim_dialog.h"
#include "platform/sim/sim_files.h"
#include "res/resource.h"

namespace stackle {
namespace {

struct Desktop {
  sim::SimWindowSystem windows;
  sim::SimDialog dialog{windows};
  sim::SimFiles files;
  ProcessId editor = windows.AddProcess();

  Desktop() {
    windows.AddWindow({.title = u"Desktop", .process = editor});
    windows.AddWindow({.title = u"Notes.txt - Editor", .process = editor});
  }

  std::vector<Text> Labels() const {
    std::vector<Text> labels;
    for (const auto& e : dialog.Entries())
      labels.push_back(e.label);
    return labels;
  }
};

TEST(MainDialog, OpensAlwaysOnTopWithTheWindowList) {
  Desktop d;
  d.files.files[u"nolist.txt"] = "Secret\n";
  d.windows.AddWindow({.title = u"Secret plans", .process = d.editor});
  CLayerDialog layer(d.windows, d.dialog, d.files);
  d.dialog.Open(layer);

  const WindowRef own = d.dialog.Window();
  // Only its own tooltip window lies above it.
  EXPECT_EQ(d.windows.ProcessOf(d.windows.TopWindow()), d.windows.OwnProcess());
  EXPECT_EQ(d.windows.ZOrder()[1], own);
  EXPECT_TRUE(d.windows.IsTopMost(own));
  EXPECT_EQ(d.windows.Foreground(), own);
  EXPECT_TRUE(d.dialog.HasIcons());
  EXPECT_EQ(d.dialog.Caption(), u"Stackle");
  EXPECT_EQ(d.Labels(), std::vector<Text>{u"Notes.txt - Editor"});
}

TEST(MainDialog, ClosesOnlyThroughTheAcceptPath) {
  struct Case {
    const char* what;
    Message message;
    bool closes;
  };
  const Case cases[] = {
      {"close box, Alt+F4, system menu Close", {kWmClose, 0, 0}, true},
      {"the Exit button", CommandMessage(kIdOk), true},
      {"Escape and Enter issue command 2", CommandMessage(kIdCancel), false},
      {"opening the system menu", {kWmInitMenu, 0, 0}, false},
      {"a button notification other than a click", CommandMessage(kIdOk, 5), false},
  };
  for (const Case& c : cases) {
    Desktop d;
    CLayerDialog layer(d.windows, d.dialog, d.files);
    d.dialog.Open(layer);
    const WindowRef own = d.dialog.Window();
    d.dialog.Send(c.message);
    EXPECT_EQ(!d.dialog.IsOpen(), c.closes) << c.what;
    EXPECT_EQ(!d.windows.Exists(own), c.closes) << c.what;
  }
}

// Single-instance name shared by every copy started on one simulated desktop.
struct SimGuard final : InstanceGuard {
  std::set<std::string>& names;
  bool claimed = false;
  explicit SimGuard(std::set<std::string>& n) : names(n) {}
  ~SimGuard() override {
    if (claimed) names.erase("Stackle");
  }
  bool Claim() override { return claimed = names.insert("Stackle").second; }
};

TEST(Startup, ASecondCopyEndsSilentlyAndTheFirstRunsOn) {
  std::set<std::string> names;
  Desktop d;
  auto first_guard = std::make_unique<SimGuard>(names);
  CLayerApp first({d.windows, d.dialog, d.files, *first_guard});

  bool second_ran = false;
  std::size_t windows_during_second = 0;
  d.dialog.while_running = [&](sim::SimDialog& running) {
    sim::SimDialog second_dialog(d.windows);
    SimGuard second_guard(names);
    CLayerApp second({d.windows, second_dialog, d.files, second_guard});
    const auto before = d.windows.ZOrder();
    EXPECT_FALSE(second.InitInstance());
    second_ran = true;
    windows_during_second = d.windows.ZOrder().size();
    EXPECT_EQ(d.windows.ZOrder(), before) << "the first copy is neither activated nor moved";
    EXPECT_TRUE(running.IsOpen());
  };
  EXPECT_FALSE(first.InitInstance());
  EXPECT_TRUE(second_ran);
  EXPECT_EQ(windows_during_second, 4u) << "two desktop windows, one dialog and its tooltip";
  EXPECT_FALSE(d.dialog.IsOpen());

  // Once the first copy's process has ended, the next start runs normally.
  first_guard.reset();
  SimGuard third_guard(names);
  bool third_ran = false;
  d.dialog.while_running = [&](sim::SimDialog&) { third_ran = true; };
  CLayerApp third({d.windows, d.dialog, d.files, third_guard});
  third.InitInstance();
  EXPECT_TRUE(third_ran);
}

}  // namespace
}  // namespace stackle
