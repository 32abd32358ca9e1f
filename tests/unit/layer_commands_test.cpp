#include <gtest/gtest.h>

#include "catalogue/text.h"
#include "res/resource.h"
#include "sim_desk.h"
#include "ui/window_menu.h"

namespace stackle {
namespace {

constexpr std::uint32_t kIdle = 0x40, kNormal = 0x20, kHigh = 0x80;

// A desktop with Stackle open on it: an editor and a mail program below the dialog, and a
// desktop window at the bottom that is never listed.
struct Desk : SimDesk {
  ProcessId editor_process = windows.AddProcess();
  ProcessId mail_process = windows.AddProcess();
  WindowRef bottom = windows.AddWindow({.title = u"Desktop", .process = editor_process});
  WindowRef mail = windows.AddWindow({.title = u"Inbox - Mail", .process = mail_process});
  WindowRef editor = windows.AddWindow({.title = u"Notes - Editor", .process = editor_process});

  Desk() { dialog.Open(layer); }

  void Select(WindowRef window) {
    for (std::size_t i = 0; i < dialog.Entries().size(); ++i) {
      if (dialog.Entries()[i].window == window) return dialog.UserSelects(i);
    }
    ADD_FAILURE() << "not listed";
  }
  void Command(int id) { dialog.Send(CommandMessage(id)); }
  std::vector<Text> Labels() const {
    std::vector<Text> labels;
    for (const auto& e : dialog.Entries())
      labels.push_back(e.label);
    return labels;
  }
  // Everything a user could notice.
  std::string Snapshot() {
    std::string out = EncodeUtf8(dialog.Caption()) + "|";
    for (WindowRef w : windows.ZOrder()) {
      const auto& s = windows.Get(w);
      out += EncodeUtf8(s.title) + (s.topmost ? "^" : "") + (s.visible ? "" : "~") +
             (s.minimized ? "_" : "") + (s.maximized ? "+" : "") + ",";
    }
    for (const Text& l : Labels())
      out += EncodeUtf8(l) + ";";
    out += std::to_string(windows.PriorityOf(editor_process)) + "/" +
           std::to_string(windows.PriorityOf(mail_process));
    return out;
  }
};

TEST(LayerCommands, MoveTheSelectedWindowAndKeepStackleOnTop) {
  struct Case {
    const char* what;
    int command;
    std::vector<Text> labels_after;
    bool editor_topmost;
    std::uint32_t editor_priority;
  };
  const Case cases[] = {
      {"bring to front", IDC_BRING_TO_FRONT, {u"Inbox - Mail", u"Notes - Editor"}, false, kNormal},
      {"always on top",
       IDC_ALWAYS_ON_TOP,
       {u"(TopMost):Inbox - Mail", u"Notes - Editor"},
       false,
       kNormal},
      {"not always on top",
       IDC_NOT_ALWAYS_ON_TOP,
       {u"Notes - Editor", u"Inbox - Mail"},
       false,
       kNormal},
  };
  for (const Case& c : cases) {
    Desk d;
    d.windows.ForcePriority(d.mail_process, kIdle);
    d.Select(d.mail);
    EXPECT_EQ(d.dialog.Caption(), u"Inbox - Mail") << "the caption follows the selection";
    d.dialog.LoseFocus();
    d.Command(c.command);
    EXPECT_EQ(d.Labels(), c.labels_after) << c.what;
    EXPECT_EQ(d.windows.ZOrder()[1], d.dialog.Window()) << c.what << ": Stackle stays above";
    EXPECT_TRUE(d.windows.IsTopMost(d.dialog.Window())) << c.what;
    EXPECT_EQ(d.dialog.Caption(), u"Stackle") << c.what;
    EXPECT_EQ(d.dialog.WindowListSelection(), std::nullopt) << c.what;
    EXPECT_TRUE(d.dialog.HasFocus()) << c.what;
    EXPECT_EQ(d.windows.PriorityOf(d.mail_process),
              c.command == IDC_ALWAYS_ON_TOP ? kHigh : kNormal)
        << c.what;
  }
}

TEST(LayerCommands, TopMostThenNotTopMostAndSendToBottom) {
  Desk d;
  d.Select(d.mail);
  d.Command(IDC_ALWAYS_ON_TOP);
  d.Select(d.mail);
  EXPECT_EQ(d.dialog.Caption(), u"(TopMost):Inbox - Mail");
  d.Command(IDC_NOT_ALWAYS_ON_TOP);
  EXPECT_EQ(d.Labels(), (std::vector<Text>{u"Inbox - Mail", u"Notes - Editor"}));

  d.windows.ForcePriority(d.editor_process, kHigh);
  d.Select(d.editor);
  d.windows.Place(d.dialog.Window(), InsertAfter::kNoTopMost, false);  // some other program did
  d.Command(IDC_SEND_TO_BOTTOM);
  EXPECT_EQ(d.windows.ZOrder().back(), d.editor);
  EXPECT_EQ(d.Labels(), (std::vector<Text>{u"Inbox - Mail", u"Desktop"}))
      << "the bottom-most window drops out of the list";
  EXPECT_EQ(d.windows.PriorityOf(d.editor_process), kNormal);
  EXPECT_FALSE(d.windows.IsTopMost(d.dialog.Window())) << "the short form does not re-assert";
}

TEST(LayerCommands, DoubleClickMinimizesOrRestores) {
  Desk d;
  d.windows.Get(d.mail).maximized = true;
  d.Select(d.mail);
  d.dialog.Send(CommandMessage(IDC_WINDOW_LIST, kLbnDblClk));
  EXPECT_TRUE(d.windows.IsMinimized(d.mail));
  EXPECT_EQ(d.Labels()[1], u"(Icon):Inbox - Mail");
  d.Select(d.mail);
  d.dialog.Send(CommandMessage(IDC_WINDOW_LIST, kLbnDblClk));
  EXPECT_FALSE(d.windows.IsMinimized(d.mail));
  EXPECT_FALSE(d.windows.IsMaximized(d.mail)) << "restored to its normal size";
  EXPECT_EQ(d.dialog.Caption(), u"Stackle");
}

TEST(LayerCommands, DoNothingAtAllWithoutASelection) {
  const Message messages[] = {
      CommandMessage(IDC_BRING_TO_FRONT),
      CommandMessage(IDC_ALWAYS_ON_TOP),
      CommandMessage(IDC_NOT_ALWAYS_ON_TOP),
      CommandMessage(IDC_SEND_TO_BOTTOM),
      CommandMessage(IDC_SHOW_HIDE),
      CommandMessage(IDC_WINDOW_LIST, kLbnDblClk),
      CommandMessage(IDC_WINDOW_LIST, kLbnSelChange),
      CommandMessage(kIdWindowRestore),
      CommandMessage(kIdWindowMinimize),
      CommandMessage(kIdWindowMaximize),
      CommandMessage(kIdWindowClose),
      CommandMessage(kIdPriorityHigh),
      CommandMessage(kIdPriorityIdle),
      CommandMessage(kIdPriorityRealtime),
  };
  for (const Message& m : messages) {
    Desk d;
    d.dialog.SetCaption(u"Something");
    d.windows.ForcePriority(d.mail_process, kIdle);
    d.dialog.LoseFocus();
    const std::string before = d.Snapshot();
    d.dialog.Send(m);
    EXPECT_EQ(d.Snapshot(), before) << LowWord(m.wparam) << "/" << HighWord(m.wparam);
    EXPECT_FALSE(d.dialog.HasFocus());
    EXPECT_TRUE(d.dialog.IsOpen());
  }
}

TEST(HiddenWindows, StayReachableAndComeBackAtExit) {
  Desk d;
  d.Select(d.mail);
  d.Command(IDC_SHOW_HIDE);
  EXPECT_FALSE(d.windows.IsVisible(d.mail));
  EXPECT_EQ(d.Labels(), (std::vector<Text>{u"Notes - Editor", u"(Hide):Inbox - Mail"}));
  EXPECT_EQ(d.windows.PriorityOf(d.mail_process), kIdle);

  // The title changes while hidden: the entry keeps the old one.
  d.windows.Get(d.mail).title = u"Inbox (3) - Mail";
  d.Command(IDC_REFRESH);
  EXPECT_EQ(d.Labels().back(), u"(Hide):Inbox - Mail");

  // Shown again through its entry: back at its place, without the prefix.
  d.Select(d.mail);
  d.Command(IDC_SHOW_HIDE);
  EXPECT_TRUE(d.windows.IsVisible(d.mail));
  EXPECT_EQ(d.Labels(), (std::vector<Text>{u"Notes - Editor", u"Inbox (3) - Mail"}));
  EXPECT_EQ(d.windows.PriorityOf(d.mail_process), kNormal);
  EXPECT_FALSE(d.windows.HasHiddenMark(d.mail));

  // Hidden again, then shown by its own program and hidden once more through the stale entry
  // before any refresh: two entries, and at exit it is shown (twice) at normal priority.
  d.Select(d.mail);
  d.Command(IDC_SHOW_HIDE);
  d.windows.Show(d.mail, ShowCommand::kShow);
  d.Select(d.mail);
  d.Command(IDC_SHOW_HIDE);
  EXPECT_EQ(d.layer.Hidden().Entries().size(), 2u);
  EXPECT_EQ(d.Labels().size(), 3u);
  const WindowRef editor = d.editor;
  d.Select(editor);
  d.Command(IDC_SHOW_HIDE);
  d.windows.DestroyWindow(editor);  // gone while hidden: listed until exit, then skipped
  d.Command(IDC_REFRESH);
  EXPECT_EQ(d.Labels(), (std::vector<Text>{u"(Hide):Inbox (3) - Mail", u"(Hide):Inbox (3) - Mail",
                                           u"(Hide):Notes - Editor"}));
  d.dialog.Send({kWmClose, 0, 0});
  EXPECT_TRUE(d.windows.IsVisible(d.mail));
  EXPECT_EQ(d.windows.PriorityOf(d.mail_process), kNormal);
  EXPECT_FALSE(d.windows.HasHiddenMark(d.mail));
}

TEST(HiddenWindows, TheTrayToggleRegistersEvenWhatItShows) {
  Desk d;
  d.files.files[u"nolist.txt"] = "Secret";
  d.layer.LoadExclusionList();
  const ProcessId secret_process = d.windows.AddProcess();
  const WindowRef secret =
      d.windows.AddWindow({.title = u"Secret", .process = secret_process, .visible = false});
  d.layer.RefreshWindowList();
  d.Select(d.mail);
  d.Command(IDC_SHOW_HIDE);
  d.Command(IDC_SHOW_HIDE);  // nothing selected any more: nothing happens
  ASSERT_EQ(d.Labels().back(), u"(Hide):Inbox - Mail");

  d.layer.ToggleListedWindow(1);  // the "(Hide):" entry: shown, registered, pruned at once
  EXPECT_TRUE(d.windows.IsVisible(d.mail));
  EXPECT_TRUE(d.layer.Hidden().Entries().empty());
  EXPECT_EQ(d.windows.PriorityOf(d.mail_process), kNormal);

  d.layer.ToggleListedWindow(99);  // no such entry: nothing happens
  EXPECT_EQ(d.Labels().size(), 2u);

  // A shown window that the list leaves out keeps the idle priority the toggle gave it.
  d.dialog.AddWindowListEntry(u"(Hide):Secret", secret);
  d.layer.ToggleListedWindow(2);
  EXPECT_TRUE(d.windows.IsVisible(secret));
  EXPECT_EQ(d.windows.PriorityOf(secret_process), kIdle);
}

TEST(HiddenWindows, SurviveAKilledStackleAndTheEndOfTheSession) {
  sim::SimWindowSystem windows;
  sim::SimFiles files;
  const ProcessId p = windows.AddProcess();
  windows.AddWindow({.title = u"Desktop", .process = p});
  const WindowRef mail = windows.AddWindow({.title = u"Mail", .process = p});
  const WindowRef shown_since = windows.AddWindow({.title = u"Chat", .process = p});
  {
    sim::SimDialog dialog(windows);
    CLayerDialog layer(windows, dialog, files);
    dialog.Open(layer);
    layer.ToggleListedWindow(0);  // Chat
    layer.ToggleListedWindow(0);  // Mail
    // Killed: no destruction sequence runs.
  }
  windows.Get(mail).title = u"Mail (1)";
  windows.Show(shown_since, ShowCommand::kShow);

  sim::SimDialog dialog(windows);
  CLayerDialog layer(windows, dialog, files);
  dialog.Open(layer);
  ASSERT_EQ(dialog.Entries().back().label, u"(Hide):Mail (1)");
  EXPECT_EQ(layer.Hidden().Entries().size(), 1u);
  EXPECT_FALSE(windows.HasHiddenMark(shown_since));

  dialog.Send({kWmEndSession, 0, 0});  // log-off cancelled: nothing happens
  EXPECT_FALSE(windows.IsVisible(mail));
  dialog.Send({kWmEndSession, 1, 0});
  EXPECT_TRUE(windows.IsVisible(mail));
}

TEST(WindowMenu, OffersOnlyWhatWouldChangeSomething) {
  struct Case {
    const char* what;
    WindowMenuState state;
    std::vector<int> ids;  // 0 is a separator
  };
  const std::uint32_t kRealtime = 0x100;
  const Case cases[] = {
      {"normal window, normal priority",
       {false, false, false, kNormal},
       {kIdWindowMinimize, kIdWindowMaximize, 0, kIdPriorityRealtime, kIdPriorityHigh,
        kIdPriorityIdle, 0, kIdWindowClose}},
      {"minimized, high",
       {true, false, false, kHigh},
       {kIdWindowRestore, kIdWindowMaximize, 0, kIdPriorityRealtime, kIdPriorityNormal,
        kIdPriorityIdle, 0, kIdWindowClose}},
      {"maximized, idle",
       {false, true, false, kIdle},
       {kIdWindowRestore, kIdWindowMinimize, 0, kIdPriorityRealtime, kIdPriorityHigh,
        kIdPriorityNormal, 0, kIdWindowClose}},
      {"realtime",
       {false, false, false, kRealtime},
       {kIdWindowMinimize, kIdWindowMaximize, 0, kIdPriorityHigh, kIdPriorityNormal,
        kIdPriorityIdle, 0, kIdWindowClose}},
      {"below normal, or unreadable",
       {false, false, false, 0x4000},
       {kIdWindowMinimize, kIdWindowMaximize, 0, kIdPriorityRealtime, kIdPriorityHigh,
        kIdPriorityNormal, kIdPriorityIdle, 0, kIdWindowClose}},
      {"folder window",
       {true, false, true, kNormal},
       {kIdWindowRestore, kIdWindowMaximize, 0, kIdWindowClose}},
  };
  for (const Case& c : cases) {
    std::vector<int> ids;
    for (const MenuItem& item : BuildWindowMenu(c.state))
      ids.push_back(item.id);
    EXPECT_EQ(ids, c.ids) << c.what;
  }
  const Menu menu = BuildWindowMenu({false, false, false, kNormal});
  EXPECT_EQ(menu[3].text, u"優先度 最高(&T)");
  EXPECT_EQ(menu.back().text, u"閉じる(&C)");
}

TEST(WindowMenu, OpensForTheEntryUnderTheCursorOnly) {
  Desk d;
  d.dialog.choose_from_menu = [](const Menu&) { return std::nullopt; };
  const WindowRef list = d.dialog.WindowListControl();

  d.dialog.Send({kWmContextMenu, d.dialog.Window(), 0});  // the dialog's background
  EXPECT_TRUE(d.dialog.menus_shown.empty());

  d.windows.cursor = Point{40, 5 * sim::SimDialog::kRowHeight};  // below the last entry
  d.dialog.Send({kWmContextMenu, list, 0});
  ASSERT_EQ(d.dialog.menus_shown.size(), 1u);
  EXPECT_EQ(d.dialog.WindowListSelection(), 1u);
  EXPECT_EQ(d.dialog.Caption(), u"Stackle") << "a right click does not change the caption";
  EXPECT_EQ(d.dialog.menus_shown[0].second, (Point{40, 80}));
  EXPECT_EQ(d.windows.Foreground(), d.dialog.Window());

  // A process that refuses to be opened: selected, but no menu.
  const ProcessId guarded = d.windows.AddProcess(/*refuses_open=*/true);
  d.windows.AddWindow({.title = u"Task Manager", .process = guarded});
  d.Command(IDC_REFRESH);
  d.windows.cursor = Point{0, 0};
  d.dialog.Send({kWmContextMenu, list, 0});
  EXPECT_EQ(d.dialog.menus_shown.size(), 1u);
  EXPECT_EQ(d.dialog.WindowListSelection(), 0u);

  d.windows.cursor.reset();  // the cursor cannot be read
  d.dialog.Send({kWmContextMenu, list, 0});
  EXPECT_EQ(d.dialog.menus_shown.size(), 1u);
}

TEST(WindowMenu, CommandsActOnTheWindowTheRightClickChose) {
  Desk d;
  int choice = 0;
  d.dialog.choose_from_menu = [&](const Menu&) { return std::optional<int>(choice); };
  const auto choose = [&](WindowRef window, int id) {
    choice = id;
    for (std::size_t i = 0; i < d.dialog.Entries().size(); ++i) {
      if (d.dialog.Entries()[i].window == window) {
        d.windows.cursor = Point{0, static_cast<std::int32_t>(i) * sim::SimDialog::kRowHeight};
      }
    }
    d.dialog.Send({kWmContextMenu, d.dialog.WindowListControl(), 0});
  };

  choose(d.mail, kIdPriorityHigh);
  EXPECT_EQ(d.windows.PriorityOf(d.mail_process), kHigh);
  EXPECT_EQ(d.dialog.WindowListSelection(), 1u) << "priority commands do not refresh";

  choose(d.mail, kIdWindowMaximize);
  EXPECT_TRUE(d.windows.IsMaximized(d.mail));
  EXPECT_EQ(d.windows.PriorityOf(d.mail_process), kNormal) << "the refresh re-applies the policy";
  choose(d.mail, kIdWindowMinimize);
  EXPECT_TRUE(d.windows.IsMinimized(d.mail));
  choose(d.mail, kIdWindowRestore);
  EXPECT_FALSE(d.windows.IsMinimized(d.mail) || d.windows.IsMaximized(d.mail));

  // Closing: Stackle leaves the always-on-top band for exactly the time of the request, and a
  // program that asks its user, or does not answer, leaves its window listed.
  bool topmost_during_close = true;
  d.windows.during_close = [&](WindowRef) {
    topmost_during_close = d.windows.IsTopMost(d.dialog.Window());
  };
  for (sim::OnClose behaviour : {sim::OnClose::kStaysOpen, sim::OnClose::kHangs}) {
    d.windows.Get(d.mail).on_close = behaviour;
    choose(d.mail, kIdWindowClose);
    EXPECT_FALSE(topmost_during_close);
    EXPECT_TRUE(d.windows.IsTopMost(d.dialog.Window()));
    EXPECT_EQ(d.Labels().size(), 2u);
  }
  d.windows.Get(d.mail).on_close = sim::OnClose::kCloses;
  choose(d.mail, kIdWindowClose);
  EXPECT_FALSE(d.windows.Exists(d.mail));
  EXPECT_EQ(d.Labels(), std::vector<Text>{u"Notes - Editor"});
}

}  // namespace
}  // namespace stackle
