#include "platform/win32/win32_window_system.h"

#include <vector>

#include "contract/window_system_contract.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/unique_resource.h"

namespace stackle {
namespace {

using win32::FromHwnd;
using win32::Wide;

void PumpMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    ::DispatchMessageW(&msg);
}

// Real top-level windows of this process, and a child process to act on.
class Win32Desktop {
 public:
  Win32Desktop() {
    for (const wchar_t* name : {L"StackleTestA", L"CabinetWClass"}) {
      WNDCLASSW wc{};
      wc.lpfnWndProc = ::DefWindowProcW;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.lpszClassName = name;
      ::RegisterClassW(&wc);  // fails harmlessly when already registered
    }
  }
  ~Win32Desktop() {
    for (HWND w : opened_)
      ::DestroyWindow(w);
    if (child_.hProcess) {
      ::TerminateProcess(child_.hProcess, 0);
      ::WaitForSingleObject(child_.hProcess, 5000);
      ::CloseHandle(child_.hProcess);
      ::CloseHandle(child_.hThread);
    }
    PumpMessages();
  }

  WindowSystem& windows() { return windows_; }

  WindowRef Open(const Text& title, const Text& class_name, bool topmost) {
    HWND w = ::CreateWindowExW(topmost ? WS_EX_TOPMOST : 0, Wide(class_name), Wide(title),
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 120, nullptr, nullptr,
                               ::GetModuleHandleW(nullptr), nullptr);
    EXPECT_NE(w, nullptr);
    opened_.push_back(w);
    PumpMessages();
    return FromHwnd(w);
  }

  ProcessId OtherProcess() {
    if (!child_.hProcess) {
      wchar_t path[MAX_PATH];
      ::GetModuleFileNameW(nullptr, path, MAX_PATH);
      std::wstring command = L"\"" + std::wstring(path) + L"\" --child";
      STARTUPINFOW startup{};
      startup.cb = sizeof startup;
      EXPECT_TRUE(::CreateProcessW(path, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &child_));
    }
    return child_.dwProcessId;
  }

 private:
  win32::Win32WindowSystem windows_;
  std::vector<HWND> opened_;
  PROCESS_INFORMATION child_{};
};

TEST(Win32WindowSystem, ReadsTitlesOfEveryLengthWhole) {
  Win32Desktop desktop;
  for (std::size_t length : {1u, 254u, 255u, 256u, 511u, 512u, 4000u}) {
    const Text title(length, u'ア');
    const WindowRef w = desktop.Open(title, u"StackleTestA", false);
    EXPECT_EQ(desktop.windows().Title(w), title) << length;
  }
}

}  // namespace

namespace contract {
INSTANTIATE_TYPED_TEST_SUITE_P(Win32, WindowSystemContract, Win32Desktop);
}  // namespace contract
}  // namespace stackle
