// The real stackle.exe in a directory of its own, and windows of this harness for it to list;
// each type here cleans up after itself, so a failing check leaves nothing to the next test.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_command_channel.h"
#include "res/resource.h"

namespace stackle::e2e {

inline constexpr DWORD kTimeout = 30'000;  // ms: room for a loaded machine; waits end once met
inline constexpr UINT kTrayCallback = WM_USER + 100;  // the icon's callback message
inline std::wstring stackle_path;                     // from the command line

inline bool WaitUntil(const std::function<bool()>& condition) {
  for (const ULONGLONG start = GetTickCount64(); !condition(); Sleep(10))
    if (GetTickCount64() - start > kTimeout) return false;
  return true;
}

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

// stackle.exe (or the `command_line`'s program) started in `directory`, writing to `output`
// if given; ended on destruction if it still runs.
struct Process {
  explicit Process(const std::filesystem::path& directory, std::wstring command_line = L"",
                   HANDLE output = nullptr) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = output ? STARTF_USESTDHANDLES : 0;
    startup.hStdOutput = startup.hStdError = output;
    if (!CreateProcessW(command_line.empty() ? stackle_path.c_str() : nullptr,
                        command_line.empty() ? nullptr : command_line.data(), nullptr, nullptr,
                        output != nullptr, 0, nullptr, directory.c_str(), &startup, &info)) {
      throw std::runtime_error("cannot start the program: error " + std::to_string(GetLastError()));
    }
  }
  Process(const Process&) = delete;  // owns its handles
  ~Process() {
    if (Running() && TerminateProcess(info.hProcess, 1)) WaitForExit();
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  bool WaitForExit(DWORD ms = kTimeout) const { return !WaitForSingleObject(info.hProcess, ms); }
  bool Running() const { return !WaitForExit(0); }
  PROCESS_INFORMATION info{};
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
// Every top-level window from the top of the Z-order down.
inline std::vector<HWND> ZOrder() {
  std::vector<HWND> windows;
  for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
    windows.push_back(window);
  return windows;
}
inline bool Above(HWND upper, HWND lower) {
  const std::vector<HWND> z = ZOrder();
  return std::ranges::find(z, upper) < std::ranges::find(z, lower);
}

// `process`'s topmost visible window of `class_name` (and `caption` unless null) but `except`.
inline HWND FindWindowOf(const Process& process, std::wstring_view class_name,
                         const wchar_t* caption = nullptr, HWND except = nullptr) {
  for (HWND window : ZOrder()) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    // Another process's text is read without a message, so a hung helper cannot stop this.
    if (owner != process.info.dwProcessId || window == except || !IsWindowVisible(window)) continue;
    wchar_t name[64] = {}, text[64] = {};
    GetClassNameW(window, name, 64);
    GetWindowTextW(window, text, 64);
    if (name == class_name && (!caption || std::wstring_view(text) == caption)) return window;
  }
  return nullptr;
}

using Entry = std::pair<std::wstring, HWND>;  // a list entry: its label and its window

// stackle.exe, in `dir` or a fresh directory, once its dialog is shown in front; closed at the end.
struct Stackle {
  explicit Stackle(const TempDir* dir = nullptr) : process((dir ? dir : &own_dir)->path) {
    const bool shown = WaitUntil([&] {
      dialog = FindWindowOf(process, L"#32770");
      return !process.Running() || (dialog && GetForegroundWindow() == dialog);
    });
    if (!shown || !process.Running()) throw std::runtime_error("Stackle's dialog did not come");
    list = Control(IDC_WINDOW_LIST);
  }
  ~Stackle() {
    if (process.Running() && PostMessageW(dialog, WM_CLOSE, 0, 0)) process.WaitForExit();
  }

  HWND Control(int id) const { return GetDlgItem(dialog, id); }
  // Sends and waits for the answer; nothing when none comes in time.
  std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wparam = 0,
                              LPARAM lparam = 0) const {
    DWORD_PTR result = 0;
    const bool answered =
        SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kTimeout, &result);
    return answered ? std::optional(LRESULT(result)) : std::nullopt;
  }
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
  // The list's entries, or only those that name one of `helper`'s windows. The list shows
  // labels only: an entry's window is the helper's window (or, without a helper, the top-level
  // window) whose title the label shows.
  std::vector<Entry> List(const Helper* helper = nullptr) const {
    const std::vector<HWND> candidates = helper ? helper->windows : ZOrder();
    std::vector<Entry> entries;
    for (std::wstring& label : Labels()) {
      const auto shown = std::ranges::find(candidates, TitleIn(label), TitleOf);
      const HWND window = shown == candidates.end() ? nullptr : *shown;
      if (!helper || window) entries.emplace_back(std::move(label), window);
    }
    return entries;
  }
  // The labels in the list, read again when a rebuild comes in the middle.
  std::vector<std::wstring> Labels() const {
    for (int attempt = 0; attempt < 5; ++attempt) {
      const LRESULT count = Send(list, LB_GETCOUNT).value_or(LB_ERR);
      std::vector<std::wstring> labels;
      LRESULT i = 0;
      for (; i < count; ++i) {
        const LRESULT length = Send(list, LB_GETTEXTLEN, i).value_or(LB_ERR);
        std::wstring label(std::max<LRESULT>(length, 0), L'\0');
        if (length == LB_ERR || Send(list, LB_GETTEXT, i, LPARAM(label.data())) != length) break;
        labels.push_back(std::move(label));
      }
      if (count >= 0 && i == count && Send(list, LB_GETCOUNT) == count) return labels;
    }
    return {};
  }
  // A window's title, read without a message, so that a hung helper (a thread of this very
  // process) cannot stop this.
  static std::wstring TitleOf(HWND window) {
    wchar_t text[256] = {};
    InternalGetWindowText(window, text, 256);
    return text;
  }
  // The title a label shows, behind its prefixes.
  static std::wstring TitleIn(std::wstring_view label) {
    for (std::wstring_view prefix : {L"(Hide):", L"(Icon):", L"(TopMost):", L"(Folda):"})
      if (label.starts_with(prefix)) label.remove_prefix(prefix.size());
    return std::wstring(label);
  }
  // `window`'s place in the list; past its end when it is not there.
  LRESULT IndexOf(HWND window) const {
    const std::vector<std::wstring> labels = Labels();
    return std::ranges::find(labels, TitleOf(window), TitleIn) - labels.begin();
  }
  // Selects `window`'s entry as a click on it does.
  bool Select(HWND window) const {
    const LRESULT index = IndexOf(window);
    return Send(list, LB_SETCURSEL, index) == index &&
           Send(dialog, WM_COMMAND, MAKEWPARAM(IDC_WINDOW_LIST, LBN_SELCHANGE), LPARAM(list));
  }

  // Waits for a window of Stackle's other than its dialog; null when none comes.
  HWND Wait(const wchar_t* class_name, const wchar_t* caption = nullptr) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowOf(process, class_name, caption, dialog)); });
    return found;
  }
  // Posts `message` (the icon's callback, Alt+Space, ...) and waits for the menu it opens.
  HWND OpenMenu(UINT message, WPARAM wparam, LPARAM lparam) const {
    // The user clicks the dialog first: its activation on the way would cancel the menu.
    const bool ready = !IsWindowVisible(dialog) || WaitUntil([&] {
      return GetForegroundWindow() == dialog || (SetForegroundWindow(dialog), false);
    });
    return ready && PostMessageW(dialog, message, wparam, lparam) ? Wait(L"#32768") : nullptr;
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
  // Presses `keys` (a mnemonic, or arrows then Enter) in `menu`, and waits for the command. A
  // mnemonic goes as the character it types, which a stray mouse move cannot unselect.
  bool Choose(HWND menu, const std::vector<UINT>& keys) const {
    if (!menu) return false;
    for (const UINT key : keys)
      PostMessageW(menu, key >= 'A' && key <= 'Z' ? WM_CHAR : WM_KEYDOWN, key, 1);
    // The menu posts its command before it closes.
    return WaitUntil([&] { return !IsWindowVisible(menu); }) && Settle();
  }

  TempDir own_dir;
  Process process;
  HWND dialog = nullptr, list = nullptr;
};

}  // namespace stackle::e2e
