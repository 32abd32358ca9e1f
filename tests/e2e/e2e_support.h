// What the end-to-end tests drive: the real stackle.exe in its own current directory, and
// helper processes that own the windows it is asked to list. Every type here cleans up after
// itself, so a failing check never leaves a process behind for the next test.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace stackle::e2e {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;

inline constexpr Duration kStartTimeout = 10s;
inline constexpr Duration kExitTimeout = 5s;
inline constexpr Duration kMessageTimeout = 5s;

// Control and command ids of Stackle's main dialog.
inline constexpr int kExitButton = 1;
inline constexpr int kBringToFrontButton = 2;
inline constexpr int kRefreshButton = 7;
inline constexpr int kWindowList = 1000;

// Where the programs under test are; set once from the command line.
struct ProgramPaths {
  std::wstring stackle;
  std::wstring helper;
};
ProgramPaths& Programs();

// Polls `condition` until it holds or `timeout` passes; true when it held.
bool WaitUntil(const std::function<bool()>& condition, Duration timeout);

std::string Narrow(std::wstring_view text);

// A fresh directory under the system's temporary directory, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  void WriteFile(const std::filesystem::path& name, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
};

// Closes a kernel handle.
struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// A started process. Ends it (and waits for it) on destruction if it still runs.
class Process {
 public:
  Process(const std::wstring& program, const std::vector<std::wstring>& args,
          const std::filesystem::path& current_directory);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  DWORD id() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }
  bool Running() const;
  // True when the process ended within `timeout`.
  bool WaitForExit(Duration timeout) const;
  void Terminate();

 private:
  PROCESS_INFORMATION info_{};
};

// How a helper window is made.
struct TestWindow {
  std::wstring title = {};
  std::wstring class_name = {};  // empty: the helper's own class
  bool minimized = false;
  bool topmost = false;
  bool hidden = false;
  bool control = false;  // a button in the window, for the mouse to rest on
};

// What a helper does besides owning its windows.
struct HelperOptions {
  int hidden_windows = 0;  // hidden titled top-level windows, not among windows()
  bool churn = false;      // keeps creating and destroying shown titled windows
  Duration ready_timeout = kStartTimeout;
};

// A helper process owning one top-level window per request, created in order (the last on top).
class Helper {
 public:
  Helper(const std::vector<TestWindow>& requests, const TempDir& dir);
  Helper(const std::vector<TestWindow>& requests, const TempDir& dir, const HelperOptions& options);

  const Process& process() const { return process_; }
  // The windows in the order requested.
  const std::vector<HWND>& windows() const { return windows_; }
  bool Owns(HWND window) const;
  // From now on the helper stops handling its messages, as a hung program does.
  void Hang() const { SetEvent(hang_.get()); }

 private:
  std::wstring ready_name_;
  UniqueHandle ready_;
  std::wstring hang_name_;
  UniqueHandle hang_;
  std::filesystem::path report_;
  Process process_;
  std::vector<HWND> windows_;
};

struct ListEntry {
  std::wstring label;
  HWND window = nullptr;
  friend bool operator==(const ListEntry&, const ListEntry&) = default;
};
void PrintTo(const ListEntry& entry, std::ostream* out);

// Plain helper windows titled `titles`.
std::vector<TestWindow> TitledWindows(const std::vector<std::wstring>& titles);
// Where `window`'s entry stands in `list`.
std::optional<int> IndexOf(const std::vector<ListEntry>& list, HWND window);
// The labels of `list`'s entries that name one of `helper`'s windows, in list order.
std::vector<std::wstring> LabelsOf(const Helper& helper, const std::vector<ListEntry>& list);
bool IsTopMost(HWND window);

// A running stackle.exe whose main dialog has appeared. Closes it on destruction.
class Stackle {
 public:
  explicit Stackle(const TempDir& dir);
  ~Stackle();

  Process& process() { return process_; }
  const Process& process() const { return process_; }
  HWND dialog() const { return dialog_; }
  HWND Control(int id) const { return GetDlgItem(dialog_, id); }

  // Sends `message` and waits for the answer; nothing when the dialog does not answer in time.
  std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wparam = 0,
                              LPARAM lparam = 0) const;
  std::optional<std::vector<ListEntry>> ReadList() const;
  std::optional<std::vector<ListEntry>> ReadListOnce() const;
  // Clicks a button; returns once the dialog has handled the click.
  bool Click(int button) const;
  std::wstring Caption() const;
  // Selects `window`'s entry as a click on it does: the list selects, then tells the dialog.
  bool Select(HWND window) const;

 private:
  Process process_;
  HWND dialog_ = nullptr;
};

// The visible dialogs of `process_id`; without one, every visible dialog captioned "Stackle".
std::vector<HWND> FindStackleDialogs(std::optional<DWORD> process_id = std::nullopt);

// Every top-level window from the top of the Z-order down.
std::vector<HWND> ZOrder();

std::wstring WindowTitle(HWND window);

// The notification-area icon's callback message and identity.
inline constexpr UINT kTrayCallback = WM_USER + 100;
inline constexpr UINT kTrayIconId = 0;

// Presses a mouse button on Stackle's notification-area icon, as the shell reports it.
void PressTrayIcon(const Stackle& stackle, UINT button_down_message);

// Whether the shell knows the icon `owner` added as `kTrayIconId`: modifying it succeeds.
bool TrayIconExists(HWND owner);
// Takes that icon away, as a restarting shell loses it.
bool DeleteTrayIcon(HWND owner);
// Tells every top-level window that the shell's task bar was created anew.
void BroadcastTaskbarCreated();

// Opens the window menu of the icon and chooses the item of `window`'s entry, which is where
// the entry stands in the list the menu was built from. Returns once the choice is handled.
bool ChooseInTrayWindowMenu(Stackle& stackle, HWND window, Duration timeout = kMessageTimeout);

// The visible popup menu of `process_id`; nullptr when none is open.
HWND FindPopupMenu(DWORD process_id);
// Waits for a popup menu of `process_id` to open; nullptr when none did in time.
HWND WaitForPopupMenu(DWORD process_id, Duration timeout = kMessageTimeout);
// Posts a key press and release to `window`. An open menu takes every key of its thread.
void PostKey(HWND window, UINT virtual_key);
// Chooses an item of an open `menu` by keyboard: `key` (VK_DOWN or VK_UP) `times`, then Enter.
// The first VK_DOWN selects the first item, the first VK_UP the last.
void ChooseMenuItem(HWND menu, UINT key, int times);

// The visible top-level dialogs of `process_id` captioned `caption`.
std::vector<HWND> FindDialogsCaptioned(DWORD process_id, std::wstring_view caption);
// Waits for a visible dialog of Stackle's, other than its main one, captioned `caption`: the
// About dialog, a message box. Nullptr when none came in time.
HWND WaitForOwnDialog(const Stackle& stackle, std::wstring_view caption);
// `window`'s text as the window itself tells it (WM_GETTEXT): for a control that keeps its own
// text, such as an edit control, this is not always the title the system holds.
std::wstring TextOf(HWND window);
// The texts of `window`'s children of class `class_name`, as they tell them.
std::vector<std::wstring> ChildTexts(HWND window, std::wstring_view class_name);

// Waits until Stackle has handled every message posted to it so far, such as the command of a
// menu item just chosen: a message posted to its list now is handled after them. Sent
// messages, reading the list among them, do not wait for posted ones.
bool WaitForPostedMessages(const Stackle& stackle, Duration timeout = kMessageTimeout);

// Whether `window`'s thread answers a message within `timeout`.
bool Answers(HWND window, Duration timeout);

// The number of kernel handles `process_id` holds; nothing when the system does not tell.
std::optional<std::size_t> HandleCount(DWORD process_id);

// A priority class by name ("idle", "high"...), or in hexadecimal when it has none.
std::string PriorityClassName(DWORD priority);
// The priority class of `process`, by name.
std::string PriorityOf(HANDLE process);

}  // namespace stackle::e2e
