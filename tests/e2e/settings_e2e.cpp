// End to end: stackle.dat restores the dialog and the mouse-follow interval, mouse-follow
// brings the window under the cursor forward, and the About dialog guards the interval.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "e2e_support.h"

namespace stackle::e2e {
namespace {

class Settings : public testing::Test {
 protected:
  std::string ReadSettings() const {
    std::ifstream file(dir_.path() / "stackle.dat", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  static RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
  }

  TempDir dir_;
};

TEST_F(Settings, TheFileRestoresTheDialogWhereItWasClosed) {
  {
    Stackle stackle(dir_);  // first run: no file
    SetWindowPos(stackle.dialog(), nullptr, 30, 40, 400, 300, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const std::string written = ReadSettings();
  EXPECT_EQ(written, "0028001E015401AE0000\r\n") << "22 bytes: top, left, bottom, right, 0 ms";
  {
    Stackle stackle(dir_);
    const RECT r = WindowRect(stackle.dialog());
    EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right, r.bottom}),
              (std::vector<LONG>{30, 40, 430, 340}));
  }
  EXPECT_EQ(ReadSettings(), written);

  dir_.WriteFile("stackle.dat", "00320064014A01A401F4\r\n");
  Stackle stackle(dir_);
  const RECT r = WindowRect(stackle.dialog());
  EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
            (std::vector<LONG>{100, 50, 320, 280}));
}

TEST_F(Settings, MouseFollowBringsForwardTheWindowWhoseControlIsUnderTheCursor) {
  // Stackle out of the way at 640, 400, following the mouse every 500 ms.
  dir_.WriteFile("stackle.dat", "019002800276039C01F4\r\n");
  Helper helper({{.title = L"Target", .control = true}, {.title = L"Cover"}}, dir_);
  const HWND target = helper.windows()[0];
  SetWindowPos(helper.windows()[1], nullptr, 700, 40, 300, 200, SWP_NOZORDER | SWP_NOACTIVATE);
  Stackle stackle(dir_);
  ASSERT_NE(GetForegroundWindow(), target);
  const HWND list = stackle.Control(kWindowList);
  stackle.Send(list, LB_SETCURSEL, 0);

  const HWND control = FindWindowExW(target, nullptr, L"BUTTON", nullptr);
  ASSERT_TRUE(control);
  RECT r{};
  GetWindowRect(control, &r);
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == target; }, kStartTimeout))
      << "the window under the cursor comes to the front";
  EXPECT_TRUE(WaitUntil([&] { return stackle.Send(list, LB_GETCURSEL) == LB_ERR; }, kStartTimeout))
      << "and the list is rebuilt";
}

// Taking a valid interval and keeping it at exit is part of the shell tests.
TEST_F(Settings, TheAboutDialogShowsTheIntervalInUseAndRefusesOneAbove5000) {
  dir_.WriteFile("stackle.dat", "00320064014A01A401F4\r\n");
  Stackle stackle(dir_);
  PostMessageW(stackle.dialog(), WM_SYSCOMMAND, 16, 0);
  const HWND about = WaitForOwnDialog(stackle, L"ﾊﾞｰｼﾞｮﾝ情報 Stackle");
  ASSERT_TRUE(about) << "the About dialog did not open";
  const HWND edit = GetDlgItem(about, 1007);
  EXPECT_EQ(Narrow(TextOf(edit)), "500") << "the interval from the file";

  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"5001"));
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  const HWND box = WaitForOwnDialog(stackle, L"Stackle");
  ASSERT_TRUE(box) << "no message";
  EXPECT_EQ(FindDialogsCaptioned(stackle.process().id(), L"Stackle").size(), 2u)
      << "one message besides the main dialog";
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, kMessageTimeout));
  EXPECT_TRUE(IsWindowVisible(about)) << "the dialog stays open";
  PostMessageW(about, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, kMessageTimeout));
}

}  // namespace
}  // namespace stackle::e2e
