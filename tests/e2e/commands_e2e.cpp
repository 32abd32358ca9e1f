// End to end: the commands a user gives Stackle about the selected window — the buttons and
// their keys, hiding and showing, the per-window menu — checked on a helper's real windows.
#include <gtest/gtest.h>

#include <algorithm>

#include "e2e_support.h"

namespace stackle::e2e {
namespace {

constexpr int kAlwaysOnTopButton = 3;
constexpr int kSendToBottomButton = 4;
constexpr int kShowHideButton = 1003;

std::vector<std::wstring> Labels(const Stackle& stackle, const Helper& helper) {
  return LabelsOf(helper, stackle.ReadList().value_or(std::vector<ListEntry>{}));
}

std::ptrdiff_t ZIndex(HWND window) {
  const std::vector<HWND> z = ZOrder();
  return std::find(z.begin(), z.end(), window) - z.begin();
}

class Commands : public testing::Test {
 protected:
  // Presses Alt and a button's mnemonic while the list has the focus.
  void PressMnemonic(const Stackle& stackle, wchar_t key) {
    PostMessageW(stackle.Control(kWindowList), WM_SYSCHAR, key, 0x20000000);
  }

  HWND OpenMenu() {
    HWND menu = nullptr;
    WaitUntil(
        [&] {
          menu = FindWindowW(L"#32768", nullptr);
          return menu && IsWindowVisible(menu);
        },
        kStartTimeout);
    return menu;
  }

  // Chooses a popup menu item by keyboard: `downs` presses of the down arrow, then Enter.
  void ChooseFromMenu(HWND menu, int downs, bool from_last = false) {
    const auto press = [&](WPARAM key) {
      PostMessageW(menu, WM_KEYDOWN, key, 0);
      PostMessageW(menu, WM_KEYUP, key, 0xC0000000);
      // One key at a time, each handled before the next arrives.
      WaitForInputIdle(stackle_process_, 2000);
    };
    for (int i = 0; i < (from_last ? 1 : downs); ++i)
      press(from_last ? VK_UP : VK_DOWN);
    press(VK_RETURN);
  }

  // Opens the per-window menu with the mouse resting on the window's entry.
  HWND OpenWindowMenu(Stackle& stackle, HWND window) {
    stackle_process_ = stackle.process().handle();
    // A user's right click lands in an active dialog; a menu opened while the activation is
    // still on its way is cancelled by it.
    SetForegroundWindow(stackle.dialog());
    WaitUntil([&] { return GetForegroundWindow() == stackle.dialog(); }, kMessageTimeout);
    const auto list_now = stackle.ReadList();
    const int index = list_now ? IndexOf(*list_now, window).value_or(-1) : -1;
    EXPECT_GE(index, 0);
    const HWND list = stackle.Control(kWindowList);
    const auto height = stackle.Send(list, LB_GETITEMHEIGHT, 0).value_or(16);
    const auto top = stackle.Send(list, LB_GETTOPINDEX).value_or(0);
    POINT at{20, static_cast<LONG>((index - top) * height + height / 2)};
    ClientToScreen(list, &at);
    SetCursorPos(at.x, at.y);
    // The pointer moves through the display server; wait until everyone sees it there.
    WaitUntil(
        [&] {
          POINT now{};
          return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
        },
        kMessageTimeout);
    // Stackle reads the pointer itself, and under Wine it may still see it where it was; a
    // menu opened for the wrong entry is dismissed and asked for again.
    for (int attempt = 0; attempt < 5; ++attempt) {
      PostMessageW(stackle.dialog(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list),
                   MAKELPARAM(at.x, at.y));
      const HWND menu = OpenMenu();
      WaitForInputIdle(stackle_process_, 2000);
      if (!menu || !IsWindowVisible(menu)) continue;
      if (stackle.Send(list, LB_GETCURSEL) == index) return menu;
      PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
      WaitUntil([&] { return !IsWindowVisible(menu); }, kMessageTimeout);
    }
    return nullptr;
  }

  TempDir dir_;
  HANDLE stackle_process_ = nullptr;
};

TEST_F(Commands, ButtonsAndTheirKeysMoveTheSelectedWindowAndStackleStaysAbove) {
  Helper helper({{.title = L"Alpha"}, {.title = L"Beta"}}, dir_);
  const HWND alpha = helper.windows()[0], beta = helper.windows()[1];
  Stackle stackle(dir_);
  SetPriorityClass(helper.process().handle(), IDLE_PRIORITY_CLASS);

  ASSERT_TRUE(stackle.Select(alpha));
  EXPECT_EQ(stackle.Caption(), L"Alpha") << "the caption follows the selection";
  ASSERT_TRUE(stackle.Click(kAlwaysOnTopButton));
  EXPECT_TRUE(IsTopMost(alpha));
  EXPECT_EQ(Labels(stackle, helper), (std::vector<std::wstring>{L"(TopMost):Alpha", L"Beta"}));
  EXPECT_LT(ZIndex(stackle.dialog()), ZIndex(alpha)) << "Stackle stays above";
  EXPECT_TRUE(IsTopMost(stackle.dialog()));
  EXPECT_EQ(GetPriorityClass(helper.process().handle()), static_cast<DWORD>(NORMAL_PRIORITY_CLASS))
      << "one always-on-top and one ordinary window: normal";
  EXPECT_EQ(stackle.Caption(), L"Stackle");
  EXPECT_EQ(stackle.Send(stackle.Control(kWindowList), LB_GETCURSEL), LB_ERR);

  ASSERT_TRUE(stackle.Select(alpha));
  PressMnemonic(stackle, L'u');
  EXPECT_TRUE(WaitUntil([&] { return !IsTopMost(alpha); }, kMessageTimeout)) << "Alt+U";
  // A posted key is handled while the harness looks on: wait for the rebuilt list.
  EXPECT_TRUE(WaitUntil(
      [&] {
        return Labels(stackle, helper) == std::vector<std::wstring>{L"Alpha", L"Beta"};
      },
      kMessageTimeout));

  ASSERT_TRUE(stackle.Select(beta));
  PressMnemonic(stackle, L'b');
  EXPECT_TRUE(WaitUntil([&] { return ZOrder().back() == beta; }, kMessageTimeout)) << "Alt+B";
  EXPECT_TRUE(
      WaitUntil([&] { return Labels(stackle, helper) == std::vector<std::wstring>{L"Alpha"}; },
                kMessageTimeout))
      << "the bottom-most window is never listed";

  // Escape brings the selected window to the front and leaves the dialog open.
  ASSERT_TRUE(stackle.Click(7));
  ASSERT_TRUE(stackle.Select(alpha));
  SetWindowPos(beta, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ASSERT_GT(ZIndex(alpha), ZIndex(beta));
  PostMessageW(stackle.Control(kWindowList), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitUntil([&] { return ZIndex(alpha) < ZIndex(beta); }, kMessageTimeout));
  EXPECT_TRUE(stackle.process().Running());
  EXPECT_LT(ZIndex(stackle.dialog()), ZIndex(alpha));
}

TEST_F(Commands, AHiddenWindowStaysListedAndComesBackWhenStackleEndsEvenAfterAKill) {
  for (const bool killed : {false, true}) {
    SCOPED_TRACE(killed ? "killed, then started and closed" : "closed");
    Helper helper({{.title = L"Mail"}, {.title = L"Editor"}}, dir_);
    const HWND mail = helper.windows()[0];
    const std::vector<std::wstring> listed = {L"Editor", L"(Hide):Mail"};
    {
      Stackle stackle(dir_);
      ASSERT_TRUE(stackle.Select(mail));
      ASSERT_TRUE(stackle.Click(kShowHideButton));
      EXPECT_FALSE(IsWindowVisible(mail));
      EXPECT_EQ(Labels(stackle, helper), listed);
      EXPECT_EQ(PriorityOf(helper.process().handle()), "idle")
          << "a process with a hidden window is held at idle";
      if (killed) {
        stackle.process().Terminate();
      } else {
        PostMessageW(stackle.dialog(), WM_CLOSE, 0, 0);
      }
      ASSERT_TRUE(stackle.process().WaitForExit(kExitTimeout));
    }
    if (killed) {
      EXPECT_FALSE(IsWindowVisible(mail)) << "killed: nothing showed it";
      Stackle stackle(dir_);
      EXPECT_EQ(Labels(stackle, helper), listed) << "the next run takes it over";
    }
    EXPECT_TRUE(IsWindowVisible(mail));
    EXPECT_EQ(PriorityOf(helper.process().handle()), "normal");
  }
}

TEST_F(Commands, ThePerWindowMenuActsOnTheEntryUnderTheMouse) {
  Helper helper({{.title = L"Mail"}, {.title = L"Editor"}}, dir_);
  const HWND mail = helper.windows()[0];
  Stackle stackle(dir_);

  // A window neither minimized nor maximized, at normal priority: 最小化, 最大化, separator,
  // 最高, 高, 低, separator, 閉じる.
  HWND menu = OpenWindowMenu(stackle, mail);
  ASSERT_TRUE(menu);
  EXPECT_EQ(stackle.Caption(), L"Stackle") << "a right click does not change the caption";
  ChooseFromMenu(menu, 2);
  EXPECT_TRUE(WaitUntil([&] { return IsZoomed(mail) != FALSE; }, kMessageTimeout)) << "最大化";
  // Maximizing brought it to the top; the list is rebuilt so, without a selection.
  EXPECT_TRUE(WaitUntil(
      [&] {
        return stackle.Send(stackle.Control(kWindowList), LB_GETCURSEL) == LB_ERR &&
               Labels(stackle, helper) == std::vector<std::wstring>{L"Mail", L"Editor"};
      },
      kMessageTimeout));

  // Maximized: 元のサイズに戻す, 最小化, separator, 最高, 高, 低, ...
  menu = OpenWindowMenu(stackle, mail);
  ASSERT_TRUE(menu);
  ChooseFromMenu(menu, 4);
  EXPECT_TRUE(
      WaitUntil([&] { return GetPriorityClass(helper.process().handle()) == HIGH_PRIORITY_CLASS; },
                kMessageTimeout))
      << "優先度 高";
  EXPECT_EQ(stackle.Send(stackle.Control(kWindowList), LB_GETCURSEL),
            IndexOf(stackle.ReadList().value_or(std::vector<ListEntry>{}), mail))
      << "a priority command does not refresh";
  EXPECT_TRUE(IsZoomed(mail));

  menu = OpenWindowMenu(stackle, mail);
  ASSERT_TRUE(menu);
  ChooseFromMenu(menu, 0, /*from_last=*/true);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(mail); }, kMessageTimeout)) << "閉じる";
  EXPECT_TRUE(
      WaitUntil([&] { return Labels(stackle, helper) == std::vector<std::wstring>{L"Editor"}; },
                kMessageTimeout));
  EXPECT_TRUE(IsTopMost(stackle.dialog())) << "back on top after the close request";
}

}  // namespace
}  // namespace stackle::e2e
