#include "catalogue/window_list.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

#include "sim_desk.h"

namespace stackle {
namespace {

enum Flags : unsigned {
  kHidden = 1,
  kMinimized = 2,
  kTopMost = 4,
  kFolder = 8,
  kOwnDialog = 16,
  kCoreWindow = 32,
  kStoreFrame = 64,  // holding a child window of process `content`, if any
  kVanishes = 128,   // destroyed once the walk has listed the top-level windows
  kShellWindow = 256,
  kNoDesktop = 512,  // on no virtual desktop
  kDesktopUnknown = 1024,
  kOwnedByBelow = 2048,  // owned by the window below it
};

struct W {
  Text title;
  int process = 1;  // 9 refuses to be opened
  unsigned flags = 0;
  std::uint32_t cloak = 0;
  int content = 0;
};

struct Scenario {
  const char* what;
  std::vector<W> z_order;  // top to bottom
  std::vector<Text> exclusions;
  std::vector<Text> labels;
  std::map<int, std::uint32_t> priorities;  // by process; every process starts at idle
};

TEST(WindowListWalk, ListsWhatTheUserExpects) {
  // clang-format off
  const Scenario scenarios[] = {
      {"lists visible titled windows top to bottom, never the bottom-most",
       {{u"Stackle", 0, kOwnDialog}, {u"Editor", 1}, {u"Mail", 2}, {u"Desktop", 3}},
       {}, {u"Editor", u"Mail"}, {{1, kNormal}, {2, kNormal}, {3, kIdle}}},
      {"starts directly above the own dialog: windows higher up are not visited",
       {{u"Clock", 1, kTopMost}, {u"", 0}, {u"Stackle", 0, kOwnDialog}, {u"Mail", 2}, {u"Desktop", 3}},
       {}, {u"Mail"}, {{1, kIdle}, {2, kNormal}}},
      {"walks from the top when nothing lies above the own dialog",
       {{u"Stackle", 0, kOwnDialog | kTopMost}, {u"Clock", 1, kTopMost}, {u"Mail", 2}, {u"Desktop", 3}},
       {}, {u"(TopMost):Clock", u"Mail"}, {{1, kHigh}, {2, kNormal}}},
      {"hidden, untitled and excluded windows are skipped without a priority change",
       {{u"Stackle", 0, kOwnDialog}, {u"Secret", 1, kHidden}, {u"", 2}, {u"Calculator", 3}, {u"Mail", 4},
        {u"Desktop", 5}},
       {u"Calc"}, {u"Mail"}, {{1, kIdle}, {2, kIdle}, {3, kIdle}, {4, kNormal}}},
      {"prefixes: minimized, then always-on-top, then folder; a folder stays at normal",
       {{u"Stackle", 0, kOwnDialog | kTopMost}, {u"C:\\", 1, kMinimized | kTopMost | kFolder}, {u"Docs", 2, kFolder},
        {u"Player", 3, kMinimized}, {u"Pinned", 4, kTopMost | kMinimized}, {u"Desktop", 5}},
       {}, {u"(Icon):(TopMost):(Folda):C:\\", u"(Icon):(TopMost):Pinned", u"(Folda):Docs", u"(Icon):Player"},
       {{1, kNormal}, {2, kNormal}, {3, kNormal}, {4, kHigh}}},
      {"a process with an always-on-top and an ordinary window ends at normal",
       {{u"Stackle", 0, kOwnDialog | kTopMost}, {u"Palette", 1, kTopMost}, {u"Drawing", 1}, {u"Desktop", 5}},
       {}, {u"(TopMost):Palette", u"Drawing"}, {{1, kNormal}}},
      {"a process that refuses to be opened keeps its class",
       {{u"Stackle", 0, kOwnDialog | kTopMost}, {u"Task Manager", 9, kTopMost}, {u"Desktop", 9}},
       {}, {u"(TopMost):Task Manager"}, {{9, kIdle}}},
      {"windows cloaked for their app or through their owner, and core windows, are not on screen",
       {{u"Stackle", 0, kOwnDialog}, {u"Settings", 1, 0, kCloakedByApp}, {u"Ask", 2, 0, kCloakedByOwner | kCloakedByShell},
        {u"On desktop 2", 3, 0, kCloakedByShell}, {u"Search", 4, kCoreWindow}, {u"Desktop", 5}},
       {}, {u"On desktop 2"}, {{1, kIdle}, {2, kIdle}, {3, kNormal}, {4, kIdle}}},
      {"the shell cloaks windows on another virtual desktop, kept, and Store apps started ahead of use, on none",
       {{u"Stackle", 0, kOwnDialog}, {u"Settings", 1, kNoDesktop, kCloakedByShell},
        {u"Find", 2, kNoDesktop | kOwnedByBelow, kCloakedByShell}, {u"Editor", 2, 0, kCloakedByShell},
        {u"Unknown", 3, kDesktopUnknown, kCloakedByShell}, {u"Desktop", 5}},
       {}, {u"Find", u"Editor", u"Unknown"}, {{1, kIdle}, {2, kNormal}, {3, kNormal}}},
      {"a Store app's frame stands for the app's process, or none when it holds no app",
       {{u"Stackle", 0, kOwnDialog | kTopMost}, {u"Calculator", 1, kStoreFrame | kTopMost, 0, 2},
        {u"Photos", 3, kStoreFrame | kMinimized}, {u"Desktop", 5}},
       {}, {u"(TopMost):Calculator", u"(Icon):Photos"}, {{1, kIdle}, {2, kHigh}, {3, kIdle}}},
      {"no window of the shell's process changes its priority; its desktop window is never listed",
       {{u"Stackle", 0, kOwnDialog | kTopMost}, {u"Run", 6, kTopMost}, {u"Documents", 6, kFolder},
        {u"Program Manager", 6, kShellWindow}, {u"Mail", 2}, {u"Desktop", 5}},
       {}, {u"(TopMost):Run", u"(Folda):Documents", u"Mail"}, {{6, kIdle}, {2, kNormal}}},
      {"a blank exclusion line leaves out every titled window",
       {{u"Stackle", 0, kOwnDialog}, {u"Editor", 1}, {u"Mail", 2}, {u"Desktop", 3}},
       {u"zzz", u""}, {}, {{1, kIdle}, {2, kIdle}}},
      {"a window that vanishes mid-walk is left out, and the walk goes on",
       {{u"Stackle", 0, kOwnDialog | kTopMost}, {u"First", 1}, {u"Second", 1, kVanishes}, {u"Third", 2}, {u"Desktop", 3}},
       {}, {u"First", u"Third"}, {{1, kNormal}, {2, kNormal}}},
  };
  // clang-format on

  for (const Scenario& s : scenarios) {
    sim::SimWindowSystem windows;
    std::map<int, ProcessId> processes{{0, windows.OwnProcess()}};
    for (const W& w : s.z_order) {
      for (int p : {w.process, w.content}) {
        if (!processes.contains(p)) processes[p] = windows.AddProcess(p == 9);
        windows.ForcePriority(processes[p], kIdle);
      }
    }
    // Each new window enters at the top of its band, so add them bottom first.
    WindowRef own = kNoWindow, vanishing = kNoWindow, below = kNoWindow;
    for (auto it = s.z_order.rbegin(); it != s.z_order.rend(); ++it) {
      const WindowRef h = windows.AddWindow(
          {.title = it->title,
           .class_name = (it->flags & kFolder)       ? kFolderWindowClass
                         : (it->flags & kCoreWindow) ? kCoreWindowClass
                         : (it->flags & kStoreFrame) ? kStoreFrameClass
                                                     : u"SimWindow",
           .process = processes[it->process],
           .visible = !(it->flags & kHidden),
           .minimized = (it->flags & kMinimized) != 0,
           .topmost = (it->flags & kTopMost) != 0,
           .cloak = it->cloak,
           .on_desktop = (it->flags & kDesktopUnknown) ? std::nullopt
                                                       : std::optional(!(it->flags & kNoDesktop)),
           .owner = (it->flags & kOwnedByBelow) ? below : kNoWindow});
      below = h;
      if (it->flags & kShellWindow) windows.shell_window = h;
      if (it->flags & kOwnDialog) own = h;
      if (it->flags & kVanishes) vanishing = h;
      if (it->content) windows.AddChild(h, {}, processes[it->content]);
    }
    windows.after_listing = [&] {
      if (vanishing != kNoWindow) windows.DestroyWindow(std::exchange(vanishing, kNoWindow));
    };
    ExclusionList exclusions;
    exclusions.Replace(s.exclusions);

    const auto listed = WalkWindowList(windows, own, exclusions);
    ApplyPriorityPolicy(windows, listed, {});
    EXPECT_EQ(Labels(listed), s.labels) << s.what;
    // A command's look-up walks the same windows and stops at the first it takes.
    EXPECT_EQ(FindListedWindow(windows, own, exclusions, [](const ListedWindow&) { return true; }),
              listed.empty() ? kNoWindow : listed.front().window)
        << s.what;
    for (const auto& [process, priority] : s.priorities) {
      EXPECT_EQ(windows.PriorityOf(processes[process]), priority)
          << s.what << ": process " << process;
    }
  }
}

}  // namespace
}  // namespace stackle
