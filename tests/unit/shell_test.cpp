#include <gtest/gtest.h>

#include "sim_desk.h"
#include "ui/tray_menus.h"

namespace stackle {
namespace {

TEST(TrayWindowMenu, ActsOnThePressesAndOnTheListAsItStandsWhenChosen) {
  SimDesk d;
  d.Open();
  // The list shrank while the menu was open: the command does nothing, and is handled.
  d.dialog.choose_from_menu = [&](const Menu& menu) {
    EXPECT_EQ(MenuIds(menu),
              (std::vector<int>{IDM_FIRST_LISTED_WINDOW, IDM_FIRST_LISTED_WINDOW + 1}));
    d.windows.DestroyWindow(d.editor);
    d.operations.RefreshWindowList();
    return std::optional<int>(35001);
  };
  d.dialog.Send({WM_TRAYNOTIFY, 0, kWmLButtonDown});
  EXPECT_TRUE(d.windows.IsVisible(d.mail));
  EXPECT_TRUE(d.operations.Hidden().Entries().empty());
  EXPECT_EQ(d.dialog.Send(CommandMessage(35004)), 0);
  // Only the two presses act.
  for (std::intptr_t other : {0x200, 0x202, 0x203, 0x205, 0x206, 0x207})
    d.dialog.Send({WM_TRAYNOTIFY, 0, other});
  EXPECT_EQ(d.dialog.menus_shown.size(), 1u);

  // A very long list keeps its identifiers within the routed range.
  const Menu long_menu = BuildTrayWindowMenu(std::vector<Text>(30600, u"w"));
  ASSERT_EQ(long_menu.size(), 30600u);
  EXPECT_EQ(long_menu[9999].id, 44999);
  EXPECT_EQ(long_menu[10000].id, 45000);
  EXPECT_EQ(long_menu.back().id, 45000);
}

TEST(TrayIcon, ComesAfterTheListAndBackWithTheTaskBarAndIsNeverTheOnlyWayOut) {
  struct Case {
    const char* what;
    bool minimized_first, shell_refuses;
  };
  for (const Case c : {Case{"idle first", false, false}, Case{"minimized first", true, false},
                       Case{"the shell refuses icons", true, true}}) {
    SimDesk d;
    d.dialog.idle_after_open = false;
    d.dialog.tray.shell_refuses = c.shell_refuses;
    d.Open();
    EXPECT_FALSE(d.dialog.tray.added) << c.what << ": the list comes first";
    EXPECT_EQ(d.Labels().size(), 2u) << c.what;
    if (c.minimized_first) {
      d.windows.Get(d.dialog.Window()).minimized = true;
      d.dialog.Send({kWmSize, kSizeMinimized, 0});
      d.dialog.Send({kWmPaint, 0, 0});
      EXPECT_EQ(d.windows.IsVisible(d.dialog.Window()), c.shell_refuses)
          << c.what << ": into the tray, unless there is no icon";
    }
    d.dialog.DeliverIdle();
    d.dialog.DeliverIdle();
    EXPECT_EQ(d.dialog.tray.adds, c.shell_refuses ? 0 : 1) << c.what;
    d.dialog.Send({sim::SimNotifyIcon::kTaskbarCreated, 0, 0});
    EXPECT_EQ(d.dialog.tray.adds, c.shell_refuses ? 0 : 2) << c.what;
  }
  // Started before the shell was ready: tried again on a timer, five times at most.
  for (const int ready_at_tick : {3, 99}) {
    SimDesk d;
    d.dialog.tray.shell_refuses = true;
    d.Open();
    int ticks = 0;
    while (d.dialog.timers.contains(kTrayRetryTimer) && ticks < 10) {
      d.dialog.tray.shell_refuses = ++ticks < ready_at_tick;
      d.dialog.Send({kWmTimer, kTrayRetryTimer, 0});
    }
    EXPECT_EQ(ticks, ready_at_tick == 3 ? 3 : 5);
    EXPECT_EQ(d.dialog.tray.added, ready_at_tick == 3);
  }
}

}  // namespace
}  // namespace stackle
