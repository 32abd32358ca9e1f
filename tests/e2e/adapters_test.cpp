// The Win32 adapters against real windows and files, and the window-system contract that the
// simulation also keeps. Run as the `win32` test, apart from the end-to-end cases.
#include <gtest/gtest.h>

#include "contract/shell_contract.h"
#include "contract/window_system_contract.h"
#include "e2e_support.h"
// After <windows.h>, which it needs.
#include <sddl.h>
#include "platform/win32/text_win32.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_tray_icon.h"
#include "platform/win32/win32_window_system.h"

namespace stackle {
namespace {

using win32::FromHwnd;

// Top-level windows of this thread, and another process to act on: this program, waiting.
class Win32Desktop {
 public:
  ~Win32Desktop() {
    for (HWND w : opened_)
      DestroyWindow(w);
  }
  WindowSystem& windows() { return windows_; }
  WindowRef Open(const Text& title, const Text& class_name, bool topmost) {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.lpszClassName = win32::Wide(class_name);
    RegisterClassW(&window_class);  // fails harmlessly once registered
    const HWND w = CreateWindowExW(topmost ? WS_EX_TOPMOST : 0, win32::Wide(class_name),
                                   win32::Wide(title), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                   200, 120, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(w, nullptr);
    opened_.push_back(w);
    return FromHwnd(w);
  }
  WindowRef OpenChild(WindowRef parent) {
    return FromHwnd(CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20,
                                    win32::ToHwnd(parent), nullptr, nullptr, nullptr));
  }
  ProcessId OtherProcess() { return child_.id(); }
  Text OwnProgramName() { return u"stackle_e2e.exe"; }

 private:
  win32::Win32WindowSystem windows_;
  std::vector<HWND> opened_;
  harness::Process child_{harness::ThisProgram(), L"--child",
                          std::filesystem::temp_directory_path().c_str()};
};

TEST(Win32WindowSystem, ReadsTitlesOfEveryLengthWhole) {
  Win32Desktop desktop;
  for (std::size_t length : {1u, 254u, 255u, 256u, 511u, 512u, 4000u}) {
    const Text title(length, u'ア');
    EXPECT_EQ(desktop.windows().Title(desktop.Open(title, u"StackleTestA", false)), title)
        << length;
  }
}

// A fresh directory made the current one for the test's lifetime.
struct InTempDir : e2e::TempDir {
  InTempDir() { SetCurrentDirectoryW(path.c_str()); }
  ~InTempDir() { SetCurrentDirectoryW(std::filesystem::temp_directory_path().c_str()); }
};

win32::UniqueFile Hold(DWORD access, DWORD share) {
  return win32::UniqueFile(
      CreateFileW(L"nolist.txt", access, share, nullptr, OPEN_EXISTING, 0, nullptr));
}

TEST(Win32Files, ReadFilesOfTheCurrentDirectoryWholeOrSayWhyNot) {
  InTempDir dir;
  win32::Win32Files files;
  const auto read = [&] { return files.ReadFile(u"nolist.txt"); };
  const auto failed = [](FileState state) { return FileContent{state, {}}; };
  EXPECT_EQ(read(), failed(FileState::kMissing));

  const std::string bytes("a\r\n\0b\xff\n", 7);
  dir.Write("nolist.txt", bytes);
  EXPECT_EQ(read(), (FileContent{FileState::kRead, bytes})) << "read byte for byte";
  {
    // An editor keeps the file open for writing while the user works on it.
    const auto held = Hold(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(held);
    EXPECT_EQ(read().bytes, bytes) << "read while an editor holds it";
  }
  dir.Write("nolist.txt", std::string(win32::Win32Files::kMaxFileSize + 1, 'x'));
  EXPECT_EQ(read(), failed(FileState::kTooLarge)) << "refused rather than read in part";
  DeleteFileW(L"nolist.txt");
  CreateDirectoryW(L"nolist.txt", nullptr);
  EXPECT_EQ(read(), failed(FileState::kUnreadable)) << "a directory of that name";
}

TEST(Win32Files, ReplacesAFileWholeOrNotAtAll) {
  InTempDir dir;
  win32::Win32Files files;
  EXPECT_TRUE(files.SaveFile(u"nolist.txt", "first\r\n"));
  EXPECT_TRUE(files.SaveFile(u"nolist.txt", "second\r\n"));
  EXPECT_EQ(files.ReadFile(u"nolist.txt").bytes, "second\r\n");
  {
    // Another program holds the file without letting it be replaced.
    const auto held = Hold(GENERIC_READ, 0);
    ASSERT_TRUE(held);
    EXPECT_FALSE(files.SaveFile(u"nolist.txt", "third\r\n"));
  }
  EXPECT_EQ(files.ReadFile(u"nolist.txt").bytes, "second\r\n");
  for (const wchar_t* left : {L"nolist.txt.new", L"nolist.txt.replaced"})
    EXPECT_EQ(GetFileAttributesW(left), INVALID_FILE_ATTRIBUTES) << "left behind";
}

// A top-level window of this thread standing in for Stackle's dialog.
class StandInDialog final : public win32::OwnWindow {
 public:
  StandInDialog() {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.lpszClassName = L"StackleTestDialog";
    RegisterClassW(&window_class);  // fails harmlessly once registered
    window_ = CreateWindowExW(0, window_class.lpszClassName, L"Stand-in", WS_OVERLAPPEDWINDOW, 0, 0,
                              100, 100, nullptr, nullptr, nullptr, nullptr);
  }
  ~StandInDialog() override { DestroyWindow(window_); }
  HWND Hwnd() const override { return window_; }
  HINSTANCE Instance() const override { return GetModuleHandleW(nullptr); }

 private:
  HWND window_ = nullptr;
};

TEST(Win32CommandChannel, ACopyRunAsAdministratorHoldsTheNameAndOutputMayNotBeTaken) {
  // Such a copy holds the name where a normal one may not open it: here, one no one may open.
  PSECURITY_DESCRIPTOR nobody = nullptr;
  ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:", SDDL_REVISION_1, &nobody, nullptr);
  const std::unique_ptr<void, decltype(&LocalFree)> free(nobody, LocalFree);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, nobody, FALSE};
  const win32::UniqueHandle held(CreateMutexW(&attributes, FALSE, win32::kInstanceName));
  EXPECT_FALSE(win32::Win32InstanceGuard().Claim());
  // A window that does not take the output, as Windows keeps it from a command run as
  // administrator: the command is told so.
  StandInDialog dialog, command;
  EXPECT_FALSE(win32::Win32CommandServer(dialog).SendOutput(FromHwnd(command.Hwnd()), u"x"));
}

struct Win32Shell {
  StandInDialog dialog;
  StandInDialog other_program;
  win32::Win32NotifyIcon notify_icon{dialog};
  win32::Win32HotkeyRegistrar registrar{dialog};
  NotifyIcon& icon() { return notify_icon; }
  HotkeyRegistrar& hotkeys() { return registrar; }
  void HoldElsewhere(Hotkey key) { win32::Win32HotkeyRegistrar(other_program).Register(99, key); }
};

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, WindowSystemContract, Win32Desktop);
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, ShellContract, Win32Shell);
}  // namespace contract
}  // namespace stackle
