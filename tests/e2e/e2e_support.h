// The real stackle.exe in a directory of its own, and windows of this harness for it to list;
// each type here cleans up after itself, so a failing check leaves nothing to the next test.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "harness/win32_harness.h"
#include "platform/win32/win32_command_channel.h"
#include "res/resource.h"

namespace stackle::e2e {

using namespace harness;
inline std::wstring stackle_path;  // from the command line

// A fresh directory under the system's temporary directory, removed with its contents.
struct TempDir {
  TempDir() { std::filesystem::create_directories(path); }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  void Write(const char* name, std::string_view bytes) const {
    std::ofstream(path / name, std::ios::binary) << bytes;
  }
  std::string Read(const char* name) const {
    std::ifstream file(path / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
  }
  static inline int count = 0;
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      (L"stackle-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++count));
};

struct TestWindow {
  std::wstring title = L"";
  std::wstring class_name = L"StackleE2eWindow";
  bool hidden = false, control = false;  // control: a button
  bool asks = false;  // asked to close, asks its user, who never answers (until the helper ends)
};

// A window that asks its user before it closes: a message loop of its own, left only when the
// helper ends (WM_APP).
inline LRESULT CALLBACK AskingWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_CLOSE) return DefWindowProcW(window, message, wparam, lparam);
  for (MSG m; GetMessageW(&m, nullptr, 0, 0) > 0 && m.message != WM_APP;)
    DispatchMessageW(&m);
  return 0;
}

// A thread that makes a top-level window per request (the last on top) and handles their messages.
class Helper {
 public:
  explicit Helper(const std::vector<TestWindow>& requests) {
    thread_ = std::thread([this, requests] {
      thread_id_ = GetCurrentThreadId();
      const HINSTANCE instance = GetModuleHandleW(nullptr);
      for (const TestWindow& request : requests) {
        WNDCLASSW window_class{};
        window_class.lpfnWndProc = request.asks ? AskingWindowProc : DefWindowProcW;
        window_class.hInstance = instance;
        window_class.lpszClassName = request.class_name.c_str();
        RegisterClassW(&window_class);  // fails harmlessly once registered
        const int at = 40 + 20 * int(windows.size());
        const HWND window = CreateWindowExW(0, request.class_name.c_str(), request.title.c_str(),
                                            WS_OVERLAPPEDWINDOW, at, at, 320, 200, nullptr, nullptr,
                                            instance, nullptr);
        windows.push_back(window);
        if (request.control)
          CreateWindowExW(0, L"BUTTON", L"Control", WS_CHILD | WS_VISIBLE, 10, 10, 150, 40, window,
                          nullptr, instance, nullptr);
        if (request.hidden) continue;
        // Without activation, so that Stackle's dialog keeps the foreground.
        ShowWindow(window, SW_SHOWNOACTIVATE);
        SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        // Wine can restack a window as it first paints it: paint it before the next one comes.
        UpdateWindow(window);
      }
      for (MSG message; !stop_;) {
        while (WaitForSingleObject(handling_.get(), 0) == WAIT_OBJECT_0 &&
               PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
          DispatchMessageW(&message);
        ready_ = true;
        WaitForSingleObject(handling_.get(), INFINITE);  // not on the queue: hung, as meant
        // On any input, also one seen before a hang; none if a window's own loop saw the stop.
        if (!stop_)
          MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
      }
      for (HWND window : windows)
        DestroyWindow(window);
    });
    if (!WaitUntil([&] { return ready_.load(); })) throw std::runtime_error("no helper windows");
  }
  ~Helper() {
    stop_ = true;
    Resume();
    PostThreadMessageW(thread_id_, WM_APP, 0, 0);
    thread_.join();
  }
  bool Owns(HWND window) const { return std::ranges::count(windows, window) != 0; }
  // From now on the thread leaves its messages alone, as a hung program does, until Resume.
  // (An event, not std::atomic's wait, which MinGW's library can leave asleep.)
  void Hang() {
    ResetEvent(handling_.get());
    PostThreadMessageW(thread_id_, WM_NULL, 0, 0);
  }
  void Resume() {
    SetEvent(handling_.get());
    PostThreadMessageW(thread_id_, WM_NULL, 0, 0);
  }
  // Stackle sets the priority class of a listed window's process: this one.
  DWORD Priority() const { return GetPriorityClass(GetCurrentProcess()); }

  std::vector<HWND> windows;

 private:
  std::atomic<bool> ready_ = false, stop_ = false;
  const win32::UniqueHandle handling_{CreateEventW(nullptr, TRUE, TRUE, nullptr)};
  std::atomic<DWORD> thread_id_ = 0;
  std::thread thread_;
};

inline bool IsTopMost(HWND window) {
  return GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST;
}
inline bool Above(HWND upper, HWND lower) {
  const std::vector<HWND> z = ZOrder();
  return std::ranges::find(z, upper) < std::ranges::find(z, lower);
}

// stackle.exe, in `dir` or a fresh directory, once its dialog is shown in front; closed at the end.
struct Stackle {
  explicit Stackle(const TempDir* dir = nullptr)
      : process(stackle_path, L"", (dir ? dir : &own_dir)->path.c_str()) {
    const bool shown = WaitUntil([&] {
      dialog = FindWindowOf(process.id(), kDialogClass);
      return !process.Running() || (dialog && GetForegroundWindow() == dialog);
    });
    if (!shown || !process.Running()) throw std::runtime_error("Stackle's dialog did not come");
    list = Control(IDC_WINDOW_LIST);
  }
  ~Stackle() {
    if (process.Running() && PostMessageW(dialog, WM_CLOSE, 0, 0)) process.WaitForExit();
  }

  HWND Control(int id) const { return GetDlgItem(dialog, id); }
  bool Click(int button) const { return Send(Control(button), BM_CLICK).has_value(); }
  // Waits until Stackle has handled all it was posted: once this mark posted to the list is.
  bool Settle() const {
    static WPARAM mark = 4000;
    const WPARAM expected = ++mark;
    return PostMessageW(list, LB_SETHORIZONTALEXTENT, expected, 0) && WaitUntil([&] {
             return !process.Running() || Send(list, LB_GETHORIZONTALEXTENT) == LRESULT(expected);
           }) &&
           process.Running();
  }
  // The list's entries, or only those that name one of `helper`'s windows.
  std::vector<Entry> List(const Helper* helper = nullptr) const {
    std::vector<Entry> entries = ReadList(list, helper ? helper->windows : ZOrder());
    if (helper) std::erase_if(entries, [](const Entry& entry) { return !entry.second; });
    return entries;
  }
  // `window`'s place in the list; past its end when it is not there.
  LRESULT IndexOf(HWND window) const {
    const std::vector<std::wstring> labels = ReadLabels(list);
    return std::ranges::find(labels, TitleOf(window), TitleIn) - labels.begin();
  }
  bool Select(HWND window) const { return SelectEntry(dialog, IndexOf(window)); }

  // Waits for a window of Stackle's other than its dialog; null when none comes.
  HWND Wait(const wchar_t* class_name, const wchar_t* caption = nullptr) const {
    return WaitForWindowOf(process.id(), class_name, caption, dialog);
  }
  HWND OpenMenu(UINT message, WPARAM wparam, LPARAM lparam) const {
    return harness::OpenMenu(process.id(), dialog, message, wparam, lparam);
  }
  // Opens the per-window menu of `window`'s entry, the mouse resting on it.
  HWND OpenWindowMenu(HWND window) const {
    const LRESULT index = IndexOf(window);
    RECT item{};
    if (Send(list, LB_GETITEMRECT, index, LPARAM(&item)) == LB_ERR) return nullptr;
    POINT at{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    ClientToScreen(list, &at);
    SetCursorPos(at.x, at.y);
    // Stackle may see the pointer where it was: a menu for another entry is asked for again.
    for (int attempt = 0; attempt < 10; ++attempt) {
      const HWND menu = OpenMenu(WM_CONTEXTMENU, WPARAM(list), 0);
      if (!menu || Send(list, LB_GETCURSEL) == index) return menu;
      Choose(menu, {VK_ESCAPE});
    }
    return nullptr;
  }
  // Presses `keys` in `menu` and waits for the command, which the menu posts before it closes.
  bool Choose(HWND menu, const std::vector<UINT>& keys) const {
    return PressInMenu(menu, keys) && Settle();
  }

  TempDir own_dir;
  Process process;
  HWND dialog = nullptr, list = nullptr;
};

struct Result {
  DWORD code = ~0u;
  std::string output, error;  // UTF-8
};

// `program` with `arguments` in `dir`, its output read from a pipe and its errors from a file.
inline Result RunCommand(const std::filesystem::path& dir, const std::wstring& arguments,
                         const std::wstring& program = stackle_path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const TempDir errors;
  win32::UniqueFile error(CreateFileW((errors.path / "errors").c_str(), GENERIC_WRITE, 0, &inherit,
                                      CREATE_ALWAYS, 0, nullptr));
  Finished finished = RunToEnd(program, arguments, dir.c_str(), error.get());
  error.reset();
  return {finished.code, std::move(finished.output), errors.Read("errors")};
}

}  // namespace stackle::e2e
