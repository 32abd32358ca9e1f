// Long random sequences of what the user and other programs do, with what must always hold.
// The seed is printed on failure; STACKLE_MODEL_STEPS and STACKLE_MODEL_SEED change the run.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <random>
#include <set>

#include "catalogue/text.h"
#include "remote/ini_file.h"
#include "sim_desk.h"
#include "ui/tray_menus.h"
#include "ui/window_menu.h"

namespace stackle {
namespace {

std::uint64_t EnvOr(const char* name, std::uint64_t fallback) {
  const char* value = std::getenv(name);
  return value ? std::strtoull(value, nullptr, 10) : fallback;
}

class Model {
 public:
  std::map<std::string, std::uint64_t> counts;  // steps taken, by kind

  explicit Model(std::uint64_t seed) : random_(seed) {
    files_.files[u"nolist.txt"] = "Secret\n";
    files_.files[kIniFileName] =
        "[Rules]\r\nTop=title:Player\r\nHide=title:Retitled\r\nPriority=high title:Editor\r\n"
        "Priority=idle title:メモ帳\r\nOpacity=70 title:Mail\r\n";
    for (int i = 0; i < 4; ++i)
      processes_.push_back(windows_.AddProcess(i == 3));
    windows_.AddWindow({.title = u"Desktop", .process = processes_[0]});
    for (int i = 0; i < 6; ++i)
      OpenWindow();
    Start();
  }

  void Step() {
    // Whatever turned from visible to hidden, but for a window its own program hid, Stackle
    // hid: the user through it, or a rule.
    std::set<WindowRef> visible;
    for (WindowRef w : windows_.OthersWindows()) {
      if (windows_.IsVisible(w)) visible.insert(w);
    }
    hidden_by_program_ = kNoWindow;
    const int what = Pick(100);
    if (what < 45) {
      UserActs();
      ++counts["user actions"];
    } else if (what < 90) {
      OtherProgramActs();
      if (dialog_->IsOpen()) dialog_->Pump();
      ++counts["by other programs"];
    } else if (what < 94) {
      Close();
      Start();
      ++counts["closes"];
    } else if (what < 97) {
      Kill();
      Start();
      ++counts["kills"];
    } else {
      dialog_->Send({kWmEndSession, 1, 0});
      ++counts["session ends"];
    }
    for (WindowRef w : visible) {
      if (windows_.Exists(w) && !windows_.IsVisible(w) && w != hidden_by_program_)
        hidden_by_stackle_.insert(w);
    }
  }

  // Checked after every step, on a freshly built list.
  void CheckInvariants() {
    if (!dialog_->IsOpen()) return;
    layer_->Operations().RefreshWindowList();
    const WindowRef own = dialog_->Window();
    ASSERT_EQ(dialog_->list.labels, Labels(layer_->Operations().Listed()))
        << "the list shows the model";
    for (const ListedWindow& entry : layer_->Operations().Listed()) {
      ASSERT_NE(entry.window, own) << "Stackle's own dialog is listed";
      if (entry.hidden) {
        ASSERT_FALSE(windows_.IsVisible(entry.window))
            << "a (Hide): entry for a window someone showed since";
        continue;
      }
      ASSERT_TRUE(windows_.Exists(entry.window));
      const Text title = windows_.Title(entry.window);
      ASSERT_FALSE(title.empty()) << "an untitled window is listed";
      ASSERT_EQ(title.find(u"Secret"), Text::npos) << "an excluded window is listed";
      ASSERT_NE(windows_.ProcessOf(entry.window), windows_.OwnProcess());
    }
    // Every window Stackle hid and nobody showed since is reachable through the list.
    std::erase_if(hidden_by_stackle_,
                  [this](WindowRef w) { return !windows_.Exists(w) || windows_.IsVisible(w); });
    for (WindowRef w : hidden_by_stackle_) {
      ASSERT_TRUE(Listed(w)) << "a window Stackle hid is stranded";
    }
    // A rule acts at most once each time a window appears.
    int acted = 0;
    const Text report = layer_->Rules().Report();
    for (std::size_t at = report.find(u"適用 "); at != Text::npos;
         at = report.find(u"適用 ", at + 1))
      acted += std::stoi(EncodeUtf8(report.substr(at + 3, 6)));
    // (Every window that came into view, whoever showed it, may have appeared anew.)
    ASSERT_LE(acted, (appearances_ + windows_.appearances) * 5)
        << "a rule acted again in one appearance";
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  void Start() {
    dialog_ = std::make_unique<sim::SimDialog>(windows_);
    layer_ = std::make_unique<CLayerDialog>(dialog_->Ports(files_));
    dialog_->choose_from_menu = [this](const Menu& menu) -> std::optional<int> {
      if (menu.empty() || Pick(5) == 0) return std::nullopt;
      const MenuItem& item = menu[Pick(static_cast<int>(menu.size()))];
      if (item.id == IDM_TRAY_EXIT) return std::nullopt;  // closing is a step of its own
      return item.id == 0 ? std::nullopt : std::optional<int>(item.id);
    };
    dialog_->while_child_open = [this](sim::SimChildDialog& child) {
      const char16_t* inputs[] = {u"0", u"250", u"5000", u"5001", u"x", u""};
      child.items[IDC_ABOUT_INTERVAL] = inputs[Pick(6)];
      child.Press(kIdOk);
    };
    appearances_ = -windows_.appearances;
    for (WindowRef w : windows_.OthersWindows())
      appearances_ += windows_.IsVisible(w);
    dialog_->Open(*layer_);
  }

  void Close() {
    const auto registered = layer_->Operations().Hidden().Entries();
    dialog_->Send({kWmClose, 0, 0});
    ASSERT_FALSE(dialog_->IsOpen());
    for (const HiddenEntry& entry : registered) {
      if (windows_.Exists(entry.window)) {
        ASSERT_TRUE(windows_.IsVisible(entry.window)) << "a hidden window stayed hidden at exit";
      }
    }
    // Nothing a rule did outlives a clean exit, no window keeps an alpha Stackle gave it, and
    // none a mark of Stackle's.
    for (WindowRef w : windows_.OthersWindows()) {
      ASSERT_TRUE(windows_.Get(w).marks.empty()) << "a mark is left after exit";
      const Layering layering = windows_.Get(w).layering;
      ASSERT_TRUE(!layering.layered || layering.alpha == 240) << "a window left translucent";
    }
  }

  // The process ends without its destruction sequence.
  void Kill() {
    const WindowRef own = dialog_->Window();
    layer_.reset();
    dialog_.reset();
    windows_.DestroyWindow(own);
  }

  bool Listed(WindowRef w) const {
    return std::ranges::count(layer_->Operations().Listed(), w, &ListedWindow::window) != 0;
  }

  void UserActs() {
    const auto& labels = dialog_->list.labels;
    if (!labels.empty() && Pick(2) == 0) {
      dialog_->UserSelects(static_cast<std::size_t>(Pick(static_cast<int>(labels.size()))));
    }
    const int commands[] = {IDC_REFRESH,           IDC_BRING_TO_FRONT, IDC_ALWAYS_ON_TOP,
                            IDC_NOT_ALWAYS_ON_TOP, IDC_SEND_TO_BOTTOM, IDC_SHOW_HIDE};
    switch (Pick(10)) {
      case 0:
      case 1:
      case 2:
        dialog_->Send(CommandMessage(commands[Pick(6)]));
        break;
      case 3:
        dialog_->Send(CommandMessage(IDC_WINDOW_LIST, kLbnDblClk));
        break;
      case 4:
        windows_.cursor = Point{0, Pick(200)};
        dialog_->Send({kWmContextMenu, dialog_->list.Control(), 0});
        break;
      case 5:
        dialog_->Send({WM_TRAYNOTIFY, 0, Pick(2) ? kWmLButtonDown : kWmRButtonDown});
        break;
      case 6:
        dialog_->Send({kWmSysCommand, IDM_ABOUT, 0});
        break;
      case 7:
        dialog_->Send({kWmSize, Pick(2) ? kSizeMinimized : kSizeRestored, 0x01000100});
        break;
      case 8:
        dialog_->Send(CommandMessage(IDM_FIRST_LISTED_WINDOW + Pick(12)));
        break;
      case 9:
        dialog_->Send(CommandMessage(Pick(4) ? IDM_OPACITY_FIRST + Pick(9) : IDM_TRAY_OPAQUE));
        break;
    }
  }

  void OpenWindow() {
    const char16_t* titles[] = {u"Editor", u"Mail", u"", u"Secret notes", u"メモ帳", u"Player"};
    const bool visible = Pick(4) != 0;
    windows_.AddWindow({.title = titles[Pick(6)],
                        .class_name = Pick(5) == 0 ? u"CabinetWClass" : u"SimWindow",
                        .process = processes_[Pick(static_cast<int>(processes_.size()))],
                        .visible = visible,
                        .minimized = Pick(5) == 0,
                        .topmost = Pick(6) == 0,
                        .closes = Pick(3) == 0,
                        .refuses = Pick(8) == 0});
  }

  void OtherProgramActs() {
    const auto others = windows_.OthersWindows();
    if (others.size() < 3 || Pick(6) == 0) return OpenWindow();
    const WindowRef w = others[Pick(static_cast<int>(others.size()))];
    switch (Pick(8)) {
      case 0:
        windows_.DestroyWindow(w);
        break;
      case 1: {
        const char16_t* titles[] = {u"Retitled", u"Secret again", u"Player"};
        windows_.Retitle(w, titles[Pick(3)]);
        break;
      }
      case 2:
        windows_.Show(w, ShowCommand::kShow);
        break;
      case 3:
        hidden_by_program_ = w;
        windows_.Show(w, ShowCommand::kHide);
        break;
      case 4:
        windows_.Show(w, ShowCommand::kMinimize);
        break;
      case 5: {
        // A process ends with all its windows.
        const ProcessId p = windows_.ProcessOf(w);
        for (WindowRef o : others) {
          if (windows_.ProcessOf(o) == p) windows_.DestroyWindow(o);
        }
        break;
      }
      case 6:
        processes_.push_back(windows_.AddProcess(Pick(2) == 0));
        break;
      case 7:
        if (dialog_->IsOpen()) dialog_->Send({kWmTimer, kRuleWatchTimer, 0});
        // A program sets an alpha of its own, none of Stackle's steps.
        if (Pick(3) == 0)
          windows_.SetLayering(w, {.layered = true, .readable = true, .alpha = 240});
        break;
    }
  }

  std::mt19937_64 random_;
  sim::SimWindowSystem windows_;
  sim::SimFiles files_;
  std::vector<ProcessId> processes_;
  std::unique_ptr<sim::SimDialog> dialog_;
  std::unique_ptr<CLayerDialog> layer_;
  std::set<WindowRef> hidden_by_stackle_;
  WindowRef hidden_by_program_ = kNoWindow;
  int appearances_ = 0;  // windows of other programs shown since Stackle started
};

TEST(Model, EveryInvariantHoldsOverLongRandomRuns) {
  const std::uint64_t steps = EnvOr("STACKLE_MODEL_STEPS", 10000);
  const std::uint64_t seed = EnvOr("STACKLE_MODEL_SEED", 20261206);
  Model model(seed);
  for (std::uint64_t step = 0; step < steps; ++step) {
    model.Step();
    model.CheckInvariants();
    if (::testing::Test::HasFatalFailure() || ::testing::Test::HasNonfatalFailure()) {
      FAIL() << "seed " << seed << ", step " << step;
    }
  }
  std::string ran = "model: " + std::to_string(steps) + " steps, seed " + std::to_string(seed);
  for (const auto& [kind, count] : model.counts)
    ran += ", " + std::to_string(count) + " " + kind;
  std::printf("%s\n", ran.c_str());
}

}  // namespace
}  // namespace stackle
