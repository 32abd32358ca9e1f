#include <gtest/gtest.h>

#include "app/layer_dialog.h"
#include "platform/sim/sim_dialog.h"
#include "platform/sim/sim_files.h"
#include "res/resource.h"
#include "sim_desk.h"
#include "ui/layout.h"
#include "ui/tray_menus.h"

namespace stackle {
namespace {

constexpr std::uint32_t kIdle = 0x40, kNormal = 0x20, kHigh = 0x80, kRealtime = 0x100;

struct Desk : SimDesk {
  ProcessId p = windows.AddProcess();
  std::vector<WindowRef> apps;

  explicit Desk(int count = 5) {
    windows.AddWindow({.title = u"Desktop", .process = p});
    for (int i = count; i > 0; --i) {
      apps.insert(apps.begin(),
                  windows.AddWindow({.title = u"App " + Text(1, u'0' + i % 10), .process = p}));
    }
    dialog.Open(layer);
  }
  std::vector<int> Ids(const Menu& menu) {
    std::vector<int> ids;
    for (const auto& item : menu)
      ids.push_back(item.id);
    return ids;
  }
};

TEST(TrayWindowMenu, ListsEveryEntryAndTogglesTheChosenOne) {
  Desk d;
  d.dialog.choose_from_menu = [](const Menu&) { return std::optional<int>(35002); };
  d.windows.ForcePriority(d.windows.OwnProcess(), kNormal);
  d.dialog.Send({kWmTrayNotify, 0, kWmLButtonDown});
  ASSERT_EQ(d.dialog.menus_shown.size(), 1u);
  const Menu& menu = d.dialog.menus_shown[0].first;
  EXPECT_EQ(d.Ids(menu), (std::vector<int>{35000, 35001, 35002, 35003, 35004}));
  EXPECT_EQ(menu[2].text, u"App 3");
  EXPECT_FALSE(d.windows.IsVisible(d.apps[2]));
  EXPECT_EQ(d.dialog.Entries().back().label, u"(Hide):App 3");
  EXPECT_EQ(d.windows.PriorityOf(d.windows.OwnProcess()), kNormal)
      << "the window menu leaves Stackle's own priority alone";

  // The list shrank while the menu was open: the command does nothing, and is handled.
  d.dialog.choose_from_menu = [&](const Menu&) {
    d.windows.DestroyWindow(d.apps[0]);
    d.windows.DestroyWindow(d.apps[1]);
    d.layer.RefreshWindowList();
    return std::optional<int>(35004);
  };
  d.dialog.Send({kWmTrayNotify, 0, kWmLButtonDown});
  EXPECT_EQ(d.layer.Hidden().Entries().size(), 1u);
  EXPECT_EQ(d.dialog.Send(CommandMessage(35004)), 0);

  // Only the two presses act.
  for (std::intptr_t other : {0x200, 0x202, 0x203, 0x205, 0x206, 0x207}) {
    d.dialog.Send({kWmTrayNotify, 0, other});
  }
  EXPECT_EQ(d.dialog.menus_shown.size(), 2u);
}

TEST(TrayWindowMenu, KeepsItsIdentifiersWithinTheRoutedRange) {
  std::vector<Text> labels(30600, u"w");
  const Menu menu = BuildTrayWindowMenu(labels);
  ASSERT_EQ(menu.size(), labels.size());
  EXPECT_EQ(menu[9999].id, 44999);
  for (std::size_t i = 10000; i < menu.size(); ++i) {
    ASSERT_EQ(menu[i].id, 45000) << i;
  }
}

TEST(TrayToolMenu, HidesAndRestoresTheDialog) {
  Desk d;
  std::vector<std::uint32_t> priority_while_open;
  std::optional<int> choice = kIdHideDialog;
  d.dialog.choose_from_menu = [&](const Menu&) {
    priority_while_open.push_back(d.windows.PriorityOf(d.windows.OwnProcess()));
    return choice;
  };
  const WindowRef own = d.dialog.Window();
  d.dialog.Send({kWmTrayNotify, 0, kWmRButtonDown});
  EXPECT_EQ(d.dialog.menus_shown.back().first[0], (MenuItem{kIdHideDialog, u"最小化(&N)"}));
  EXPECT_FALSE(d.windows.IsVisible(own));
  EXPECT_FALSE(d.windows.IsMinimized(own)) << "hidden, not minimized";
  EXPECT_EQ(d.windows.PriorityOf(d.windows.OwnProcess()), kIdle);

  d.files.files[u"nolist.txt"] = "App 1";
  choice = kIdRestoreDialog;
  d.dialog.Send({kWmTrayNotify, 0, kWmRButtonDown});
  EXPECT_EQ(d.dialog.menus_shown.back().first[0],
            (MenuItem{kIdRestoreDialog, u"元のサイズに戻す(&R)"}));
  EXPECT_TRUE(d.windows.IsVisible(own));
  EXPECT_EQ(d.dialog.Entries().size(), 4u) << "the exclusion file was read again";
  EXPECT_EQ(priority_while_open, (std::vector<std::uint32_t>{kHigh, kHigh}));

  choice = kIdTrayExit;
  d.dialog.Send({kWmTrayNotify, 0, kWmRButtonDown});
  EXPECT_FALSE(d.dialog.IsOpen());
  EXPECT_FALSE(d.dialog.tray_icon) << "the icon is gone after exit";
}

TEST(SystemMenu, AddsHelpAndAboutAndRoutesTheirCommands) {
  Desk d;
  EXPECT_EQ(d.Ids(d.dialog.system_menu), (std::vector<int>{0, kIdHelp, IDM_ABOUT}));
  EXPECT_EQ(d.dialog.system_menu[2].text, u"ﾊﾞｰｼﾞｮﾝ情報 (&A)...");
  EXPECT_TRUE(BuildSystemMenuAdditions(u"", IDM_ABOUT).empty());

  for (std::uintptr_t id : {16u, 31u})
    d.dialog.Send({kWmSysCommand, id, 0});
  EXPECT_EQ(d.dialog.children_shown.size(), 2u);
  d.dialog.Send({kWmSysCommand, 32, 0});
  EXPECT_EQ(d.dialog.children_shown.size(), 2u);

  d.dialog.Send({kWmSysCommand, kIdHelp, 0});
  EXPECT_EQ(d.dialog.information_shown.size(), 1u) << "no help file: the built-in help";
  d.dialog.help_file_present = true;
  d.dialog.Send(CommandMessage(kIdHelp));
  EXPECT_TRUE(d.dialog.help_open);
  EXPECT_EQ(d.dialog.information_shown.size(), 1u);

  const std::uintptr_t kScClose = 0xF060, kScMinimize = 0xF020;
  EXPECT_EQ(d.dialog.Send({kWmSysCommand, kScClose, 0}), std::nullopt);
  EXPECT_EQ(d.dialog.Send({kWmSysCommand, kScMinimize, 0}), std::nullopt);
  d.dialog.Send({kWmClose, 0, 0});
  EXPECT_FALSE(d.dialog.help_open) << "the help viewer is told to quit at exit";
}

TEST(Layout, KeepsTheButtonsAtTheRightAndTheListFillingTheRest) {
  LayoutTable table;
  SetLayoutIds(table);
  const int column[] = {7, 2, 3, 4, 6, 1003, 1};
  for (std::size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(table.ids[i], column[i]);
    const std::int32_t top = 300 + 30 * static_cast<std::int32_t>(i);  // template places
    table.rects[i] = LayoutEntry({500, top, 624, top + 28}, i);
  }
  struct Case {
    std::int32_t cx, cy;
  };
  for (const Case& c : {Case{324, 196}, Case{800, 600}, Case{1280, 737}}) {
    const auto places = LayoutControls(table, c.cx, c.cy);
    ASSERT_EQ(places.size(), 8u);
    EXPECT_EQ(places[0], (std::pair<int, Rect>{1000, {0, 0, c.cx - 124, c.cy}}));
    for (std::size_t i = 0; i < 6; ++i) {
      const std::int32_t top = 28 * static_cast<std::int32_t>(i);
      EXPECT_EQ(places[i + 1], (std::pair<int, Rect>{column[i], {c.cx - 124, top, c.cx, top + 28}}))
          << c.cx << "x" << c.cy;
    }
    EXPECT_EQ(places[7], (std::pair<int, Rect>{1, {c.cx - 124, c.cy - 28, c.cx, c.cy}}));
  }
}

TEST(Sizing, RecordsTheMinimumAndFollowsEveryChange) {
  Desk d;
  const WindowRef own = d.dialog.Window();
  EXPECT_EQ(d.layer.MinimumSize(), (Rect{0, 0, 332, 220})) << "the size at creation";
  MinMaxInfo info{};
  d.dialog.Send({kWmGetMinMaxInfo, 0, reinterpret_cast<std::intptr_t>(&info)});
  EXPECT_EQ(info.min_track_size, (Point{332, 220}));

  // Button 4 stands above button 6 from the first layout pass on.
  d.windows.MoveWindow(own, {0, 0, 808, 624});
  EXPECT_EQ(d.dialog.controls[4], (Rect{676, 84, 800, 112}));
  EXPECT_EQ(d.dialog.controls[6], (Rect{676, 112, 800, 140}));
  EXPECT_EQ(d.dialog.controls[1], (Rect{676, 572, 800, 600}));
  EXPECT_EQ(d.dialog.controls[1000], (Rect{0, 0, 676, 600}));
  EXPECT_EQ(d.layer.SavedRect(), (Rect{0, 0, 808, 624}));
  EXPECT_EQ(d.windows.PriorityOf(d.windows.OwnProcess()), kRealtime);

  d.windows.Get(own).minimized = true;
  d.dialog.Send({kWmSize, kSizeMinimized, 0});
  EXPECT_FALSE(d.windows.IsVisible(own));
  EXPECT_EQ(d.windows.PriorityOf(d.windows.OwnProcess()), kIdle);
  EXPECT_EQ(d.layer.SavedRect(), (Rect{0, 0, 808, 624})) << "a minimize records nothing";

  d.dialog.Send(CommandMessage(kIdRestoreDialog));
  EXPECT_TRUE(d.windows.IsVisible(own));
  EXPECT_FALSE(d.windows.IsMinimized(own));
  d.dialog.SendSize(kSizeRestored);
  EXPECT_EQ(d.windows.PriorityOf(d.windows.OwnProcess()), kRealtime);

  // A paint while minimized hides the dialog too.
  d.windows.Get(own).minimized = true;
  EXPECT_EQ(d.dialog.Send({kWmPaint, 0, 0}), 0);
  EXPECT_FALSE(d.windows.IsVisible(own));
  EXPECT_EQ(d.dialog.Send({kWmQueryDragIcon, 0, 0}), sim::SimDialog::kIconHandle);
}

TEST(TrayIcon, ComesBackWithTheTaskBarAndIsNeverTheOnlyWayOut) {
  Desk d;
  EXPECT_EQ(d.dialog.tray_icons_added, 1);
  d.dialog.Send({sim::SimDialog::kTaskbarCreated, 0, 0});
  EXPECT_EQ(d.dialog.tray_icons_added, 2);

  sim::SimWindowSystem windows;
  sim::SimDialog dialog(windows);
  sim::SimFiles files;
  dialog.shell_refuses_icons = true;
  CLayerDialog layer(windows, dialog, files);
  dialog.Open(layer);
  windows.Get(dialog.Window()).minimized = true;
  dialog.Send({kWmSize, kSizeMinimized, 0});
  dialog.Send({kWmPaint, 0, 0});
  EXPECT_TRUE(windows.IsVisible(dialog.Window())) << "no icon: it stays on the task bar";
}

TEST(TrayIcon, ComesOnceTheDialogStandsIdleOrIsMinimizedBefore) {
  for (const bool minimized_first : {false, true}) {
    SCOPED_TRACE(minimized_first ? "minimized first" : "idle first");
    sim::SimWindowSystem windows;
    sim::SimDialog dialog(windows);
    sim::SimFiles files;
    const ProcessId p = windows.AddProcess();
    windows.AddWindow({.title = u"Desktop", .process = p});
    windows.AddWindow({.title = u"App", .process = p});
    dialog.idle_after_open = false;
    CLayerDialog layer(windows, dialog, files);
    dialog.Open(layer);
    EXPECT_FALSE(dialog.tray_icon) << "the list comes first";
    EXPECT_EQ(dialog.Entries().size(), 1u);
    if (minimized_first) {
      windows.Get(dialog.Window()).minimized = true;
      dialog.Send({kWmSize, kSizeMinimized, 0});
      EXPECT_FALSE(windows.IsVisible(dialog.Window())) << "not into the tray";
    }
    dialog.DeliverIdle();
    dialog.DeliverIdle();
    EXPECT_EQ(dialog.tray_icons_added, 1);
    EXPECT_TRUE(dialog.tray_icon);
    EXPECT_EQ(windows.ClassName(windows.WindowAbove(dialog.Window())), u"tooltips_class32");
  }
}

}  // namespace
}  // namespace stackle
