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

  // Other visible dialogs of Stackle's process than its main one: the About dialog, message
  // boxes.
  static std::vector<HWND> OtherDialogs(Stackle& stackle, const wchar_t* caption) {
    std::vector<HWND> found;
    for (HWND w : ZOrder()) {
      DWORD process = 0;
      GetWindowThreadProcessId(w, &process);
      if (process == stackle.process().id() && w != stackle.dialog() && IsWindowVisible(w) &&
          WindowTitle(w) == caption) {
        found.push_back(w);
      }
    }
    return found;
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

TEST_F(Settings, TheAboutDialogRefusesAnIntervalAbove5000AndTakesAValidOne) {
  dir_.WriteFile("stackle.dat", "00320064014A01A401F4\r\n");
  Stackle stackle(dir_);
  PostMessageW(stackle.dialog(), WM_SYSCOMMAND, 16, 0);
  const wchar_t kAboutCaption[] = L"ﾊﾞｰｼﾞｮﾝ情報 Stackle";
  HWND about = nullptr;
  ASSERT_TRUE(WaitUntil(
      [&] {
        const auto found = OtherDialogs(stackle, kAboutCaption);
        about = found.empty() ? nullptr : found.front();
        return about != nullptr;
      },
      kStartTimeout));
  const HWND edit = GetDlgItem(about, 1007);
  wchar_t shown[32] = {};
  SendMessageW(edit, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(shown));
  EXPECT_STREQ(shown, L"500") << "the interval from the file";

  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"5001"));
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  std::vector<HWND> boxes;
  ASSERT_TRUE(WaitUntil(
      [&] {
        boxes = OtherDialogs(stackle, L"Stackle");
        return !boxes.empty();
      },
      kStartTimeout));
  EXPECT_EQ(boxes.size(), 1u) << "one message";
  PostMessageW(boxes.front(), WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(
      WaitUntil([&] { return OtherDialogs(stackle, L"Stackle").empty(); }, kMessageTimeout));
  EXPECT_TRUE(IsWindowVisible(about)) << "the dialog stays open";

  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"250"));
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); }, kMessageTimeout));
  PostMessageW(stackle.dialog(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(stackle.process().WaitForExit(kExitTimeout));
  EXPECT_EQ(ReadSettings().substr(16), "00FA\r\n") << "250 ms, kept at exit";
}

}  // namespace
}  // namespace stackle::e2e
