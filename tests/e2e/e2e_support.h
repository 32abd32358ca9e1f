// What the end-to-end tests drive: the real stackle.exe in its own current directory, and
// windows owned by threads of this harness for it to list. Every type here cleans up after
// itself, so a failing check never leaves a window or a process behind for the next test.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace stackle::e2e {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;

// Long enough for a loaded machine; a wait ends as soon as its condition holds.
inline constexpr Duration kTimeout = 30s;
// The notification-area icon's callback message.
inline constexpr UINT kTrayCallback = WM_USER + 100;

bool WaitUntil(const std::function<bool()>& condition, Duration timeout = kTimeout);
// The stackle.exe under test, from the command line.
const std::wstring& StacklePath();

// A fresh directory under the system's temporary directory, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::filesystem::path& path() const { return path_; }
  void Write(const std::filesystem::path& name, std::string_view bytes) const;
  std::string Read(const std::filesystem::path& name) const;

 private:
  std::filesystem::path path_;
};

// A started process, ended on destruction if it still runs.
class Process {
 public:
  Process(const std::wstring& program, const std::filesystem::path& current_directory);
  ~Process();
  DWORD id() const { return info_.dwProcessId; }
  bool Running() const { return !WaitForExit(0ms); }
  bool WaitForExit(Duration timeout = kTimeout) const;
  void Terminate();

 private:
  PROCESS_INFORMATION info_{};
};

// How a helper window is made.
struct TestWindow {
  std::wstring title = {};
  std::wstring class_name = L"StackleE2eWindow";
  bool minimized = false;
  bool topmost = false;
  bool hidden = false;
  bool control = false;  // a button in the window, for the mouse to rest on
};

// A thread of this harness that owns one top-level window per request, created in order (the
// last on top), and handles their messages until it is destroyed. Churning, it also keeps
// creating and destroying shown titled windows.
class Helper {
 public:
  explicit Helper(std::vector<TestWindow> requests, bool churn = false);
  ~Helper();
  const std::vector<HWND>& windows() const { return windows_; }
  bool Owns(HWND window) const;
  // From now on the thread stops handling messages, as a hung program does.
  void Hang();

 private:
  void Run(const std::vector<TestWindow>& requests, bool churn);

  std::vector<HWND> windows_;
  std::atomic<bool> ready_ = false, hung_ = false, stop_ = false;
  DWORD thread_id_ = 0;
  std::thread thread_;
};

// Stackle sets the priority class of a listed window's process: the helpers' is this one.
inline DWORD HelpersPriority() {
  return GetPriorityClass(GetCurrentProcess());
}

struct ListEntry {
  std::wstring label;
  HWND window = nullptr;
  friend bool operator==(const ListEntry&, const ListEntry&) = default;
};
void PrintTo(const ListEntry& entry, std::ostream* out);

// Every top-level window from the top of the Z-order down.
std::vector<HWND> ZOrder();
bool Above(HWND upper, HWND lower);
bool IsTopMost(HWND window);
// The visible top-level windows of class `class_name` that `process_id` owns, top first.
std::vector<HWND> WindowsOf(DWORD process_id, std::wstring_view class_name);

// A running stackle.exe whose dialog is shown and in front. Closed on destruction.
class Stackle {
 public:
  explicit Stackle(const TempDir& dir);
  ~Stackle();

  Process& process() { return process_; }
  HWND dialog() const { return dialog_; }
  HWND Control(int id) const { return GetDlgItem(dialog_, id); }

  // Sends and waits for the answer; nothing when none comes in time.
  std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wparam = 0,
                              LPARAM lparam = 0) const;
  // Waits until Stackle has handled every message posted to it so far.
  bool Settle() const;
  std::vector<ListEntry> List() const;
  // The labels of the entries that name one of `helper`'s windows, in list order.
  std::vector<std::wstring> Labels(const Helper& helper) const;
  std::optional<int> IndexOf(HWND window) const;
  bool Click(int button) const { return Send(Control(button), BM_CLICK).has_value(); }
  // Selects `window`'s entry as a click on it does.
  bool Select(HWND window) const;
  // Posts a key press to the window list, where the dialog manager sees it.
  void PressKey(UINT virtual_key) const;

  // Posts `message` to the dialog and waits for the popup menu it opens: the icon's
  // callback, Alt+Space, or a context menu request.
  HWND OpenMenu(UINT message, WPARAM wparam, LPARAM lparam) const;
  // Opens the per-window menu of `window`'s entry, the mouse resting on it.
  HWND OpenWindowMenu(HWND window) const;
  // Presses `keys` in an open `menu` (an item's mnemonic, or arrows then Enter) and waits
  // until the chosen command has been handled, or has opened its dialog.
  bool Choose(HWND menu, const std::vector<UINT>& keys) const;
  // Stackle's visible dialogs captioned `caption`, other than its main one.
  std::vector<HWND> Dialogs(std::wstring_view caption) const;
  HWND WaitForDialog(std::wstring_view caption) const;

 private:
  Process process_;
  HWND dialog_ = nullptr;
};

// `window`'s text as the window itself tells it.
std::wstring TextOf(HWND window);
// Whether the shell holds the icon `owner` added: modifying it succeeds.
bool TrayIconExists(HWND owner);
bool DeleteTrayIcon(HWND owner);
// The number of kernel handles `process_id` holds; 0 when the system does not tell.
std::size_t HandleCount(DWORD process_id);

}  // namespace stackle::e2e
