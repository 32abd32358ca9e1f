#include <gtest/gtest.h>

#include "settings/about_dialog.h"
#include "settings/mouse_follow.h"
#include "settings/settings_file.h"
#include "sim_desk.h"

namespace stackle {
namespace {

TEST(SettingsFile, ReadsTheFirstLineAsAFourDigitScan) {
  struct Case {
    const char* what;
    std::string content;
    int fields;
    Rect rect;  // left, top, right, bottom
    std::uint32_t interval;
  };
  const Rect kept{1, 2, 3, 4};
  // clang-format off
  const Case cases[] = {
      {"the usual line", "00320064014A01A401F4\r\n", 5, {100, 50, 420, 330}, 500},
      {"lower case", "00320064014a01a401f4\r\n", 5, {100, 50, 420, 330}, 500},
      {"blanks between fields", "0032 0064\t014A  01A4 01F4", 5, {100, 50, 420, 330}, 500},
      {"LF only", "00320064014A01A401F4\n", 5, {100, 50, 420, 330}, 500},
      {"no line end", "00320064014A01A401F4", 5, {100, 50, 420, 330}, 500},
      {"only the first line counts", "00320064014A01A401F4\r\n0000000000000000FFFF\r\n", 5, {100, 50, 420, 330}, 500},
      {"four fields", "00320064014A01A4", 4, {100, 50, 420, 330}, 0},
      {"three fields", "00320064014A", 3, {100, 50, 3, 330}, 0},
      {"short fields end at the first non-digit", "1 2 3 4 5 x", 5, {2, 1, 4, 3}, 5},
      {"garbage", "hello", 0, kept, 0},
      {"a sign is not a digit", "-001", 0, kept, 0},
      {"an interval above 5000 is read as it is", "00000000010001001388", 5, {0, 0, 256, 256}, 5000},
      {"the largest interval", "0000000001000100FFFF", 5, {0, 0, 256, 256}, 0xFFFF},
      {"the wide form", "#-50,-1200,330,-880,65536\r\n", 5, {-1200, -50, -880, 330}, 65536},
      {"a broken wide form reads nothing", "#-50,-1200,330\r\n", 0, kept, 0},
      {"a wide form out of range reads nothing", "#0,0,0,99999999999,1\r\n", 0, kept, 0},
      {"empty", "", 0, kept, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    const StoredSettings read =
        ParseSettings(c.content, {.fields = 0, .rect = kept, .interval = 0});
    EXPECT_EQ(read.fields, c.fields) << c.what;
    EXPECT_EQ(read.rect, c.rect) << c.what;
    EXPECT_EQ(read.interval, c.interval) << c.what;
  }
}

TEST(SettingsFile, PlacesTheDialogOnlyWhereItCanBeSeen) {
  sim::SimWindowSystem windows;
  windows.monitors = {{{0, 0, 1280, 800}, {0, 0, 1280, 760}},
                      {{1280, 0, 2560, 1024}, {1280, 0, 2560, 984}}};
  struct Case {
    const char* what;
    StoredSettings stored;
    std::optional<Rect> placed;
  };
  // clang-format off
  const Case cases[] = {
      {"on the second monitor", {5, {1500, 100, 1820, 380}, 0}, Rect{1500, 100, 1820, 380}},
      {"three fields do not move it", {3, {1500, 100, 1820, 380}, 0}, std::nullopt},
      {"no width", {4, {100, 100, 100, 380}, 0}, std::nullopt},
      {"upside down", {4, {100, 380, 420, 100}, 0}, std::nullopt},
      {"a removed monitor on the right", {5, {2700, 100, 3020, 380}, 0}, Rect{2240, 100, 2560, 380}},
      {"a removed monitor on the left, larger than the work area", {5, {-3000, -50, -1000, 1950}, 0}, Rect{0, 0, 1280, 760}},
      {"edges whose distance overflows", {5, {INT32_MIN, 0, INT32_MAX, 100}, 0}, Rect{0, 0, 1280, 100}},
  };
  // clang-format on
  for (const Case& c : cases)
    EXPECT_EQ(PlaceableRect(c.stored, windows), c.placed) << c.what;
}

TEST(Settings, AreWrittenAtExitWhereverTheyCanBe) {
  {
    SimDesk d;  // closed while minimized: the rectangle recorded before
    d.files.files[u"stackle.dat"] = "00320064014A01A4000A\r\nsecond line\r\n";
    d.Open();
    d.windows.Get(d.dialog.Window()).minimized = true;
    d.windows.Get(d.dialog.Window()).rect = {-32000, -32000, -31840, -31970};
    d.dialog.Send({kWmClose, 0, 0});
    EXPECT_EQ(d.files.files[u"stackle.dat"], "00320064014A01A4000A\r\n");
  }
  {
    SimDesk d;  // held by another program at start-up: what it holds is kept
    d.files.files[u"stackle.dat"] = "00320064014A01A401F4\r\n";
    d.files.failing[u"stackle.dat"] = FileState::kUnreadable;
    d.Open();
    d.dialog.Send({kWmClose, 0, 0});
    EXPECT_EQ(d.files.files[u"stackle.dat"], "00320064014A01A401F4\r\n");
  }
  {
    SimDesk d;  // the Windows session ends: written without the dialog being destroyed
    d.Open();
    d.windows.MoveWindow(d.dialog.Window(), {0, 0, 320, 280});
    d.dialog.Send({kWmEndSession, 1, 0});
    EXPECT_EQ(d.files.files[u"stackle.dat"], "00000000011801400000\r\n");
  }
}

TEST(AboutDialog, HandsBackOnlyAConfirmedValidInterval) {
  struct Case {
    const char* what;
    std::uint32_t handed_in;
    std::vector<std::u16string> typed;  // each followed by OK
    bool cancel_after;
    std::uint32_t handed_back;
    std::size_t warnings;
  };
  // clang-format off
  const Case cases[] = {
      {"OK without editing", 500, {u"500"}, false, 500, 0},
      {"the upper bound", 500, {u"5000"}, false, 5000, 0},
      {"zero", 500, {u"0"}, false, 0, 0},
      {"surrounding blanks", 500, {u" 250 "}, false, 250, 0},
      {"5001 refused, then cancel", 500, {u"5001"}, true, 500, 1},
      {"letters, a sign, nothing, then cancel", 500, {u"abc", u"-1", u"", u"12a", u"+5"}, true, 500, 5},
      {"a huge number is out of range", 500, {u"99999999999999999999", u"42"}, false, 42, 1},
      {"cancel at once, with a value the file gave", 9000, {}, true, 9000, 0},
  };
  // clang-format on
  for (const Case& c : cases) {
    CAboutDialog about;
    about.SetInterval(c.handed_in);
    sim::SimChildDialog child(about);
    about.Attach(child);
    about.HandleMessage({kWmInitDialog, 0, 0});
    const std::string shown = std::to_string(c.handed_in);
    EXPECT_EQ(child.items[IDC_ABOUT_INTERVAL], std::u16string(shown.begin(), shown.end()))
        << c.what;
    for (const auto& text : c.typed) {
      child.items[IDC_ABOUT_INTERVAL] = text;
      child.Press(kIdOk);
    }
    if (c.cancel_after) {
      EXPECT_TRUE(child.IsOpen()) << c.what;
      if (c.warnings > 0) {
        EXPECT_EQ(child.focused_item, IDC_ABOUT_INTERVAL) << c.what;
      }
      child.Press(kIdCancel);
    }
    EXPECT_FALSE(child.IsOpen()) << c.what;
    EXPECT_EQ(about.GetInterval(), c.handed_back) << c.what;
    EXPECT_EQ(child.warnings.size(), c.warnings) << c.what;
  }
}

TEST(AboutDialog, FromTheSystemMenuRestartsTheTimerHoweverItCloses) {
  SimDesk d;
  d.files.files[u"stackle.dat"] = "00320064014A01A401F4";
  d.Open();
  const struct {
    std::optional<std::u16string> typed;  // nothing: cancel
    std::map<std::uint32_t, std::uint32_t> timers;
  } steps[] = {
      {std::nullopt, {{1, 500}}},
      {u"1000", {{1, 1000}}},
      {u"0", {}},
      {u"250", {{1, 250}}},
  };
  for (const auto& step : steps) {
    d.dialog.timers.clear();  // a restart must start it again
    d.dialog.timers[99] = 1;  // unrelated; proves only the follow timer is touched
    d.dialog.while_child_open = [&](sim::SimChildDialog& child) {
      if (!step.typed) return;
      child.items[IDC_ABOUT_INTERVAL] = *step.typed;
      child.Press(kIdOk);
    };
    d.dialog.Send({kWmSysCommand, IDM_ABOUT + 3, 0});  // the low four bits do not matter
    d.dialog.timers.erase(99);
    EXPECT_EQ(d.dialog.timers, step.timers);
  }
  EXPECT_EQ(d.layer.FollowInterval(), 250u);
}

TEST(MouseFollow, BringsForwardTheWindowUnderTheCursorOnce) {
  sim::SimWindowSystem ws;
  const ProcessId p = ws.AddProcess();
  const WindowRef a = ws.AddWindow({.title = u"A", .process = p, .rect = {0, 0, 100, 100}});
  ws.AddChild(a, {10, 10, 50, 30});
  const WindowRef a_panel = ws.AddChild(a, {60, 10, 90, 90});
  ws.AddChild(a_panel, {65, 20, 85, 40});
  const WindowRef b = ws.AddWindow({.title = u"B", .process = p, .rect = {200, 0, 300, 100}});
  ws.AddChild(b, {210, 10, 250, 30});
  ws.AddWindow({.title = u"Question", .process = p, .owner = b, .rect = {400, 0, 500, 100}});

  struct Step {
    const char* what;
    Point cursor;
    WindowRef last;
    WindowRef brought;
  };
  const Step steps[] = {
      {"a control directly in A brings A", {20, 20}, kNoWindow, a},
      {"another control of A changes nothing", {20, 20}, a, kNoWindow},
      {"a nested control brings its own parent", {70, 30}, a, a_panel},
      {"A's bare client area brings nothing", {5, 95}, kNoWindow, kNoWindow},
      {"B after A", {220, 20}, a, b},
      {"an owned pop-up's bare area brings its owner", {450, 50}, kNoWindow, b},
      {"nothing under the cursor", {900, 700}, kNoWindow, kNoWindow},
  };
  for (const Step& s : steps) {
    ws.cursor = s.cursor;
    EXPECT_EQ(FollowTarget(ws, s.last), s.brought) << s.what;
  }
  ws.cursor.reset();
  EXPECT_EQ(FollowTarget(ws, kNoWindow), kNoWindow) << "the cursor cannot be read";
}

TEST(MouseFollow, ComesOnceGetsPastTheForegroundLockOnceAndNeverWhileAKeyIsHeld) {
  SimDesk d;
  const WindowRef a =
      d.windows.AddWindow({.title = u"A", .process = d.editor_process, .rect = {0, 0, 90, 90}});
  d.windows.AddChild(a, {10, 10, 50, 30});
  const WindowRef b =
      d.windows.AddWindow({.title = u"B", .process = d.mail_process, .rect = {600, 0, 690, 90}});
  d.windows.AddChild(b, {610, 10, 650, 30});
  d.Open();
  struct Step {
    const char* what;
    WindowRef under;
    bool lock_refuses_sharing, key_held;
    WindowRef user_activates, foreground;
    int inputs_shared;  // so far
  };
  // clang-format off
  const Step steps[] = {
      {"refused, it comes sharing the input", a, false, false, kNoWindow, a, 1},
      {"the user activates another window: A stays behind", a, false, false, d.mail, d.mail, 1},
      {"refused even so: left alone, not tried on every tick", b, true, false, kNoWindow, d.mail, 2},
      {"a modifier key held: no sharing", a, false, true, kNoWindow, d.mail, 2},
      {"the key released: it comes on the next tick", a, false, false, kNoWindow, a, 3},
  };
  // clang-format on
  for (const Step& s : steps) {
    d.windows.cursor = Point{d.windows.Get(s.under).rect.left + 20, 20};
    d.windows.lock_refuses_sharing = s.lock_refuses_sharing;
    d.windows.modifier_down = s.key_held;
    if (s.user_activates) d.windows.Place(s.user_activates, InsertAfter::kTop, true);
    d.windows.foreground_lock = 99;
    for (int tick = 0; tick < 2; ++tick)
      d.dialog.Send({kWmTimer, kMouseFollowTimer, 0});
    EXPECT_EQ(d.windows.ForegroundWindow(), s.foreground) << s.what;
    EXPECT_EQ(d.windows.inputs_shared, s.inputs_shared) << s.what;
  }
}

}  // namespace
}  // namespace stackle
