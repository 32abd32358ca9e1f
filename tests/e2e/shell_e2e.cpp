// End to end: Stackle in the shell — its notification-area icon and the icon's two menus, the
// system menu, minimizing into the icon, and the dialog's layout when it is resized.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "e2e_support.h"

#include <shellapi.h>

namespace stackle::e2e {
namespace {

constexpr wchar_t kAboutCaption[] = L"ﾊﾞｰｼﾞｮﾝ情報 Stackle";
constexpr int kAboutInterval = 1007;
// The first words of the help Stackle shows when no help file stands beside it.
constexpr wchar_t kHelpTextStart[] = L"Stackle はウインドウの重なり順";

class ShellE2e : public testing::Test {
 protected:
  TempDir dir_;
};

std::vector<std::string> Narrowed(const std::vector<std::wstring>& texts) {
  std::vector<std::string> narrow;
  std::ranges::transform(texts, std::back_inserter(narrow), Narrow);
  return narrow;
}

// What GetPriorityClass reads for a process that another process set to realtime: Wine may
// grant less than was asked for.
std::string GrantedRealtime(const TempDir& dir) {
  Helper probe({{.title = L"Realtime probe", .hidden = true}}, dir);
  SetPriorityClass(probe.process().handle(), REALTIME_PRIORITY_CLASS);
  return PriorityOf(probe.process().handle());
}

// Opens one of the icon's menus and waits for it.
HWND OpenTrayMenu(Stackle& stackle, UINT button_down_message) {
  PressTrayIcon(stackle, button_down_message);
  return WaitForPopupMenu(stackle.process().id());
}

// Opens the dialog's system menu from the keyboard, as Alt+Space does.
HWND OpenSystemMenu(Stackle& stackle) {
  PostMessageW(stackle.dialog(), WM_SYSCOMMAND, SC_KEYMENU, L' ');
  return WaitForPopupMenu(stackle.process().id());
}

bool WaitUntilGone(HWND window) {
  return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, kMessageTimeout);
}

// Checks that `box` is Stackle's short help, then dismisses it.
void ExpectHelpBoxAndDismiss(HWND box) {
  ASSERT_TRUE(box) << "no message box captioned Stackle";
  const std::vector<std::wstring> texts = ChildTexts(box, L"Static");
  EXPECT_TRUE(std::ranges::any_of(texts, [](const std::wstring& text) {
    return text.starts_with(kHelpTextStart);
  })) << testing::PrintToString(Narrowed(texts));
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(WaitUntilGone(box)) << "the help box did not close";
}

TEST_F(ShellE2e, TrayWindowMenuHidesTheChosenWindowAndShowsItAgain) {
  Helper helper(TitledWindows({L"Tray pick one", L"Tray pick two", L"Tray pick three"}), dir_);
  const HWND target = helper.windows()[1];
  Stackle stackle(dir_);
  const HANDLE helper_process = helper.process().handle();

  ASSERT_TRUE(ChooseInTrayWindowMenu(stackle, target)) << "the window menu did not offer it";
  auto list = stackle.ReadList();
  ASSERT_TRUE(list) << "the window list does not answer";
  EXPECT_FALSE(IsWindowVisible(target));
  EXPECT_TRUE(IsWindowVisible(helper.windows()[0]) && IsWindowVisible(helper.windows()[2]))
      << "another window was hidden too";
  EXPECT_EQ(PriorityOf(helper_process), "idle");
  EXPECT_EQ(
      LabelsOf(helper, *list),
      (std::vector<std::wstring>{L"Tray pick three", L"Tray pick one", L"(Hide):Tray pick two"}))
      << "the hidden window is listed last";

  ASSERT_TRUE(ChooseInTrayWindowMenu(stackle, target)) << "the window menu did not offer it";
  list = stackle.ReadList();
  ASSERT_TRUE(list) << "the window list does not answer";
  EXPECT_TRUE(IsWindowVisible(target));
  EXPECT_EQ(std::ranges::count(*list, ListEntry{L"Tray pick two", target}), 1)
      << testing::PrintToString(*list);
  EXPECT_EQ(std::ranges::count(*list, target, &ListEntry::window), 1);
  EXPECT_EQ(PriorityOf(helper_process), "normal");
}

TEST_F(ShellE2e, TrayToolMenuHidesTheDialogAndRestoresItReadingNolistTxtAgain) {
  Helper early(TitledWindows({L"Kept all along", L"Dropped on restore"}), dir_);
  Stackle stackle(dir_);
  const HWND dialog = stackle.dialog();
  const HANDLE own = stackle.process().handle();
  ASSERT_TRUE(SetPriorityClass(own, NORMAL_PRIORITY_CLASS));

  HWND menu = OpenTrayMenu(stackle, WM_RBUTTONDOWN);
  ASSERT_TRUE(menu) << "the tool menu did not open";
  EXPECT_EQ(PriorityOf(own), "high") << "while the menu is open";
  ChooseMenuItem(menu, VK_DOWN, 1);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, kMessageTimeout))
      << "the dialog is still visible";
  EXPECT_FALSE(IsIconic(dialog)) << "hidden by minimizing";
  EXPECT_TRUE(Answers(dialog, kMessageTimeout));
  EXPECT_EQ(PriorityOf(own), "idle") << "after the menu";

  // While the dialog is hidden, nolist.txt changes and another program starts.
  dir_.WriteFile("nolist.txt", "Dropped\r\n");
  Helper late({{.title = L"Arrived while hidden"}}, dir_);

  menu = OpenTrayMenu(stackle, WM_RBUTTONDOWN);
  ASSERT_TRUE(menu) << "the tool menu did not open with the dialog hidden";
  EXPECT_EQ(PriorityOf(own), "high") << "while the menu is open";
  ChooseMenuItem(menu, VK_DOWN, 1);
  std::optional<std::vector<ListEntry>> list;
  const auto restored = [&] {
    list = stackle.ReadList();
    return IsWindowVisible(dialog) && list &&
           LabelsOf(early, *list) == std::vector<std::wstring>{L"Kept all along"} &&
           LabelsOf(late, *list) == std::vector<std::wstring>{L"Arrived while hidden"};
  };
  EXPECT_TRUE(WaitUntil(restored, kMessageTimeout))
      << "visible: " << IsWindowVisible(dialog) << ", list "
      << testing::PrintToString(list.value_or(std::vector<ListEntry>{}));
  EXPECT_FALSE(IsIconic(dialog));
  EXPECT_TRUE(Answers(dialog, kMessageTimeout));
  EXPECT_EQ(PriorityOf(own), "idle") << "after the menu";
}

TEST_F(ShellE2e, MinimizingHidesTheDialogIntoTheIconAtIdlePriority) {
  const std::string realtime = GrantedRealtime(dir_);
  Stackle stackle(dir_);
  const HWND dialog = stackle.dialog();
  const HANDLE own = stackle.process().handle();
  ASSERT_TRUE(SetPriorityClass(own, NORMAL_PRIORITY_CLASS));

  PostMessageW(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, kMessageTimeout))
      << "the minimized dialog is still visible";
  EXPECT_TRUE(Answers(dialog, kMessageTimeout));
  EXPECT_EQ(PriorityOf(own), "idle");
  EXPECT_TRUE(TrayIconExists(dialog)) << "no icon to come back through";

  const HWND menu = OpenTrayMenu(stackle, WM_RBUTTONDOWN);
  ASSERT_TRUE(menu) << "the tool menu did not open";
  ChooseMenuItem(menu, VK_DOWN, 1);
  EXPECT_TRUE(
      WaitUntil([&] { return IsWindowVisible(dialog) && !IsIconic(dialog); }, kMessageTimeout))
      << "visible: " << IsWindowVisible(dialog) << ", minimized: " << IsIconic(dialog);
  // Coming back from minimized changes the size: realtime, after the menu's idle.
  EXPECT_TRUE(WaitUntil([&] { return PriorityOf(own) == realtime; }, kMessageTimeout))
      << PriorityOf(own) << ", not " << realtime;
}

// A control's rectangle in its dialog's client coordinates.
RECT ClientRectOf(HWND dialog, int id) {
  RECT rect{};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::string Describe(const RECT& r) {
  std::ostringstream out;
  out << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
  return out.str();
}

// The layout after a resize: the list fills the client area left of the button column, the
// buttons stack from the top right in command order, Exit keeps to the bottom-right corner.
void ExpectLaidOut(HWND dialog) {
  RECT client{};
  ASSERT_TRUE(GetClientRect(dialog, &client));
  const RECT refresh = ClientRectOf(dialog, kRefreshButton);
  const LONG button_width = refresh.right - refresh.left;
  const RECT list = ClientRectOf(dialog, kWindowList);
  EXPECT_EQ(Describe(list), Describe({0, 0, client.right - button_width, client.bottom}))
      << "the list, in a client area of " << client.right << " x " << client.bottom;

  const RECT exit = ClientRectOf(dialog, kExitButton);
  EXPECT_EQ(exit.right, client.right) << "Exit " << Describe(exit);
  EXPECT_EQ(exit.bottom, client.bottom) << "Exit " << Describe(exit);

  constexpr std::array kColumn = {kRefreshButton, kBringToFrontButton, 3, 4, 6, 1003};
  LONG top = 0;
  for (const int id : kColumn) {
    const RECT button = ClientRectOf(dialog, id);
    EXPECT_EQ(button.top, top) << "button " << id << " " << Describe(button);
    EXPECT_EQ(button.right, client.right) << "button " << id << " " << Describe(button);
    EXPECT_EQ(button.right - button.left, button_width) << "button " << id;
    top = button.bottom;
  }
}

TEST_F(ShellE2e, ResizingLaysTheControlsOutAndNeverShrinksBelowTheCreationSize) {
  const std::string realtime = GrantedRealtime(dir_);
  Stackle stackle(dir_);
  const HWND dialog = stackle.dialog();
  const HANDLE own = stackle.process().handle();
  RECT created{};
  ASSERT_TRUE(GetWindowRect(dialog, &created));
  const LONG width = created.right - created.left;
  const LONG height = created.bottom - created.top;

  struct Case {
    const char* name;
    std::function<void()> resize;
  };
  const auto size_to = [&](LONG cx, LONG cy) {
    return [=] {
      ASSERT_TRUE(
          SetWindowPos(dialog, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    };
  };
  const std::vector<Case> cases = {
      {"larger", size_to(width + 230, height + 170)},
      {"wider but as high as at first", size_to(width + 400, height)},
      {"maximized", [&] { ShowWindow(dialog, SW_MAXIMIZE); }},
      {"restored", [&] { ShowWindow(dialog, SW_RESTORE); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(SetPriorityClass(own, NORMAL_PRIORITY_CLASS));
    c.resize();
    ASSERT_TRUE(Answers(dialog, kMessageTimeout));
    ExpectLaidOut(dialog);
    EXPECT_EQ(PriorityOf(own), realtime) << "after a size change";
  }

  // The size at creation is the least the dialog can be given.
  ASSERT_TRUE(SetWindowPos(dialog, nullptr, 0, 0, width / 3, height / 3,
                           SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
  RECT shrunk{};
  ASSERT_TRUE(GetWindowRect(dialog, &shrunk));
  EXPECT_EQ(shrunk.right - shrunk.left, width);
  EXPECT_EQ(shrunk.bottom - shrunk.top, height);
  ExpectLaidOut(dialog);

  // Asked directly, it says so; the rest of the answer is left as it was.
  MINMAXINFO info{};
  info.ptMinTrackSize = {1, 2};
  info.ptMaxTrackSize = {30001, 30002};
  info.ptMaxSize = {20001, 20002};
  const auto answer = stackle.Send(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  ASSERT_TRUE(answer) << "no answer";
  EXPECT_EQ(info.ptMinTrackSize.x, width);
  EXPECT_EQ(info.ptMinTrackSize.y, height);
  EXPECT_EQ(info.ptMaxTrackSize.x, 30001);
  EXPECT_EQ(info.ptMaxSize.y, 20002);
}

TEST_F(ShellE2e, SystemAndTrayMenusOpenHelpAndAboutWhoseIntervalIsSavedAtExit) {
  struct Case {
    const char* name;
    std::function<HWND(Stackle&)> open_menu;
    int help_ups, about_ups;  // from the last item
    std::function<void(Stackle&)> exit;
    const wchar_t* interval;
    const char* saved;
  };
  const std::vector<Case> cases = {
      // Help just above the last item, About; closed with the close box.
      {"the system menu", OpenSystemMenu, 2, 1,
       [](Stackle& stackle) { PostMessageW(stackle.dialog(), WM_CLOSE, 0, 0); }, L"1000",
       "03E8\r\n"},
      // Hide or restore, help, About, exit; separators are skipped by the keys.
      {"the icon's tool menu",
       [](Stackle& stackle) { return OpenTrayMenu(stackle, WM_RBUTTONDOWN); }, 3, 2,
       [](Stackle& stackle) {
         const HWND menu = OpenTrayMenu(stackle, WM_RBUTTONDOWN);
         ASSERT_TRUE(menu);
         ChooseMenuItem(menu, VK_UP, 1);
       },
       // The longest interval: the menu that follows is not cut short by a followed window.
       L"5000", "1388\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    Stackle stackle(dir);
    const DWORD own = stackle.process().id();
    HWND menu = c.open_menu(stackle);
    ASSERT_TRUE(menu) << "the menu did not open";
    ChooseMenuItem(menu, VK_UP, c.help_ups);
    ExpectHelpBoxAndDismiss(WaitForOwnDialog(stackle, L"Stackle"));
    EXPECT_TRUE(Answers(stackle.dialog(), kMessageTimeout));

    // About shows the interval in use (none without stackle.dat) and takes a new one. Last
    // here: once the mouse is followed, whatever it rests on comes forward.
    menu = c.open_menu(stackle);
    ASSERT_TRUE(menu) << "the menu did not open again";
    ChooseMenuItem(menu, VK_UP, c.about_ups);
    const HWND about = WaitForOwnDialog(stackle, kAboutCaption);
    ASSERT_TRUE(about) << "the About dialog did not open";
    const HWND interval = GetDlgItem(about, kAboutInterval);
    EXPECT_EQ(Narrow(TextOf(interval)), "0");
    ASSERT_TRUE(stackle.Send(interval, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(c.interval)));
    PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(about, IDOK)));
    EXPECT_TRUE(WaitUntilGone(about)) << "the About dialog did not close";
    EXPECT_TRUE(FindDialogsCaptioned(own, kAboutCaption).empty());

    c.exit(stackle);
    ASSERT_TRUE(stackle.process().WaitForExit(kExitTimeout)) << "Stackle still runs";
    std::ifstream file(dir.path() / "stackle.dat", std::ios::binary);
    const std::string saved{std::istreambuf_iterator<char>(file), {}};
    ASSERT_EQ(saved.size(), 22u) << saved;
    EXPECT_EQ(saved.substr(16), c.saved) << saved;
  }
}

// Whether the shell forgets a window's icon by itself once the window is destroyed, as Wine's
// does. Then an icon gone after its program ended says nothing about the program.
bool ShellDropsIconsOfDestroyedWindows() {
  const HWND window = CreateWindowExW(0, L"STATIC", L"Icon probe", WS_POPUP, 0, 0, 1, 1, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window) return false;
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window;
  data.uID = kTrayIconId;
  data.uFlags = NIF_TIP;
  const bool added = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
  DestroyWindow(window);
  if (!added) return false;
  const bool dropped = WaitUntil([&] { return !TrayIconExists(window); }, 1s);
  DeleteTrayIcon(window);
  return dropped;
}

TEST_F(ShellE2e, TrayIconComesBackWhenTheTaskbarIsCreatedAndGoesAtExit) {
  const bool shell_cleans_up = ShellDropsIconsOfDestroyedWindows();
  Stackle stackle(dir_);
  const HWND dialog = stackle.dialog();
  // The icon comes once the dialog has painted its list.
  ASSERT_TRUE(WaitUntil([&] { return TrayIconExists(dialog); }, kMessageTimeout))
      << "no icon after start";

  // The shell forgets it, then announces a new task bar.
  ASSERT_TRUE(DeleteTrayIcon(dialog));
  ASSERT_FALSE(TrayIconExists(dialog)) << "the check does not tell a missing icon";
  BroadcastTaskbarCreated();
  EXPECT_TRUE(WaitUntil([&] { return TrayIconExists(dialog); }, kMessageTimeout))
      << "the icon did not come back";
  // Announced again while the icon is there: it stays, and Stackle still counts on it, so
  // minimizing hides the dialog into it, and its menu brings the dialog back.
  BroadcastTaskbarCreated();
  EXPECT_TRUE(TrayIconExists(dialog));
  PostMessageW(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(dialog); }, kMessageTimeout))
      << "minimized, the dialog stays visible as if there were no icon";
  const HWND menu = OpenTrayMenu(stackle, WM_RBUTTONDOWN);
  ASSERT_TRUE(menu) << "the icon's menu does not open";
  ChooseMenuItem(menu, VK_DOWN, 1);
  EXPECT_TRUE(
      WaitUntil([&] { return IsWindowVisible(dialog) && !IsIconic(dialog); }, kMessageTimeout));

  PostMessageW(dialog, WM_CLOSE, 0, 0);
  ASSERT_TRUE(stackle.process().WaitForExit(kExitTimeout)) << "Stackle still runs";
  if (shell_cleans_up) {
    std::printf(
        "note: the shell drops icons of destroyed windows by itself; whether Stackle "
        "removed its icon at exit cannot be seen here\n");
  } else {
    EXPECT_FALSE(TrayIconExists(dialog)) << "the icon outlived Stackle";
  }
}

}  // namespace
}  // namespace stackle::e2e
