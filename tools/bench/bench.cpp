// Measures the running stackle.exe under Wine against plain Win32 code doing the same work, and
// prints the tables; scripts/bench runs it in a private Wine session.
//
//   stackle_bench.exe <stackle.exe> <minimal dialog.exe> <minimal command.exe> <work dir>
//                     <results.json> [trials]
//   stackle_bench.exe --helper <process index> <windows>
//
// The second form is one of the ten helper processes that own the benchmark's windows.
#include <windows.h>
// After <windows.h>, which they need.
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench_common.h"
#include "harness/win32_harness.h"
#include "res/resource.h"
#include "settings/mouse_follow.h"
#include "ways_in.h"

namespace {

using namespace stackle::bench;
using namespace stackle::harness;
using stackle::win32::UniqueHandle;

constexpr int kProcesses = 10;
constexpr int kWindowCounts[] = {100, 1000, 3000};
constexpr int kExclusionCounts[] = {0, 50};
constexpr int kMemoryCount = 1000;
constexpr int kStartTrials = 9;
constexpr int kTickTrials = 50;

// ---------------------------------------------------------------------------------------------
// The benchmark's windows. Window g belongs to process g % 10; one in ten is visible and titled
// (the one whose tens digit equals its process), the rest are hidden helper windows with
// titles, as real desktops have many. The visible ones take their traits from their ordinal v.

bool IsShown(int g) {
  return (g / 10) % 10 == g % 10;
}
bool IsTopMost(int v) {
  return v % 10 < 3 || v % 7 == 4;
}
bool IsMinimized(int v) {
  return v % 5 == 3;
}
bool IsFolder(int v) {
  return v % 11 == 6;
}
// The one marker nolist.txt matches.
bool IsMarked(int v) {
  return v % 13 == 9;
}

// The window the hotkey, the click and the commands pin: shown (v = 5) with none of the traits,
// so that its label is its title.
constexpr int kPinnedWindow = 55;

std::wstring Title(int g) {
  if (!IsShown(g)) return L"Hidden helper " + std::to_wstring(g);
  const int v = g / 10;
  return L"Bench window " + std::to_wstring(v) + L" of process " + std::to_wstring(g % 10) +
         (IsMarked(v) ? L" [x]" : L"");
}

// nolist.txt: `count` entries, of which only the last matches any window.
std::string ExclusionFile(int count) {
  std::string text;
  for (int i = 0; i + 1 < count; ++i)
    text += "Absent entry " + std::to_string(i) + "\r\n";
  if (count > 0) text += "[x]\r\n";
  return text;
}

std::wstring EventName(const wchar_t* what, int index) {
  return std::wstring(L"Local\\StackleBench") + what + std::to_wstring(index);
}

int RunHelper(int process, int count) {
  RegisterPlainClass(L"StackleBenchWindow");
  RegisterPlainClass(L"CabinetWClass");

  std::vector<HWND> windows;
  for (int g = process; g < count; g += kProcesses) {
    const bool shown = IsShown(g);
    const int v = g / 10;
    const DWORD ex_style = shown && IsTopMost(v) ? WS_EX_TOPMOST : 0;
    const wchar_t* window_class = shown && IsFolder(v) ? L"CabinetWClass" : L"StackleBenchWindow";
    // Visible windows stay left of x = 760, where the harness keeps its own window.
    HWND w = CreateWindowExW(ex_style, window_class, Title(g).c_str(), WS_OVERLAPPEDWINDOW,
                             (v * 37) % 560, (v * 23) % 480, 200, 120, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (!w) return 1;
    if (shown) ShowWindow(w, IsMinimized(v) ? SW_SHOWMINNOACTIVE : SW_SHOWNOACTIVATE);
    windows.push_back(w);
  }
  const UniqueHandle ready(
      CreateEventW(nullptr, TRUE, FALSE, EventName(L"Ready", process).c_str()));
  const UniqueHandle quit(CreateEventW(nullptr, TRUE, FALSE, EventName(L"Quit", 0).c_str()));
  SetEvent(ready.get());
  Rest(INFINITE, quit.get());
  for (HWND w : windows)
    DestroyWindow(w);
  return 0;
}

// ---------------------------------------------------------------------------------------------
// The helper processes.

class Helpers {
 public:
  ~Helpers() { Stop(); }

  // One process after the other, so that the Z-order is the same on every run.
  bool Start(int count) {
    ResetEvent(quit_.get());
    for (int p = 0; p < kProcesses; ++p) {
      const UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, EventName(L"Ready", p).c_str()));
      ResetEvent(ready.get());
      const Process& helper = processes_.emplace_back(
          ThisProgram(), L"--helper " + std::to_wstring(p) + L" " + std::to_wstring(count));
      HANDLE both[] = {ready.get(), helper.handle()};
      if (WaitForMultipleObjects(2, both, FALSE, 120000) != WAIT_OBJECT_0) return false;
    }
    return true;
  }

  // Those that have not ended 20 s after they were told to are killed.
  void Stop() {
    SetEvent(quit_.get());
    for (const Process& helper : processes_)
      helper.WaitForExit(20000);
    processes_.clear();
  }

  void SetAllPriorities(DWORD priority) {
    for (const Process& helper : processes_)
      SetPriorityClass(helper.handle(), priority);
  }
  std::vector<DWORD> Priorities() const {
    std::vector<DWORD> classes;
    for (const Process& helper : processes_)
      classes.push_back(GetPriorityClass(helper.handle()));
    return classes;
  }

 private:
  const UniqueHandle quit_{CreateEventW(nullptr, TRUE, FALSE, EventName(L"Quit", 0).c_str())};
  std::deque<Process> processes_;  // a deque, as a Process cannot move
};

// ---------------------------------------------------------------------------------------------
// A dialog program under test: started, found, and closed as its user closes it (killed if it
// has not ended 20 s later).

struct Running {
  Running(const std::wstring& exe, const std::wstring& work_dir)
      : process(exe, L"", work_dir.c_str()) {}
  ~Running() {
    if (dialog) PostMessageW(dialog, WM_CLOSE, 0, 0);
    process.WaitForExit(20000);
  }
  Process process;
  HWND dialog = nullptr;
  HWND list = nullptr;
  double startup_ms = 0;
  std::size_t private_bytes = 0;
};

// Whether PrivateUsage was filled in; Wine leaves it at 0.
bool private_usage_reported = true;

// A process's private memory: PrivateUsage, or where the system leaves that at 0, the sum of
// its committed private pages, which is what PrivateUsage counts.
std::size_t PrivateBytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters) &&
      counters.PrivateUsage != 0) {
    return counters.PrivateUsage;
  }
  private_usage_reported = false;
  std::size_t committed = 0;
  MEMORY_BASIC_INFORMATION region;
  for (auto address = reinterpret_cast<const char*>(0);
       VirtualQueryEx(process, address, &region, sizeof region) == sizeof region;) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) committed += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= address) break;
    address = next;
  }
  return committed;
}

// The program's dialog, told by the system as the program creates it. Looking for it instead
// took thousands of requests to the window server every millisecond while the program started,
// which slowed the program most that makes the most requests of its own.
struct AwaitedDialog {
  DWORD process = 0;
  const wchar_t* caption = nullptr;
  HWND found = nullptr;
} awaited_dialog;

void CALLBACK OnWindowCreated(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) {
  DWORD process = 0;
  if (object != OBJID_WINDOW || awaited_dialog.found ||
      !GetWindowThreadProcessId(window, &process) || process != awaited_dialog.process)
    return;
  wchar_t name[64] = {}, text[256] = {};
  GetClassNameW(window, name, 64);
  GetWindowTextW(window, text, 256);
  if (std::wstring_view(name) == kDialogClass && std::wstring_view(text) == awaited_dialog.caption)
    awaited_dialog.found = window;
}

// Starts a program and times it from just before the process is created until its window list
// holds an entry.
std::unique_ptr<Running> Launch(const std::wstring& exe, const wchar_t* caption,
                                const std::wstring& work_dir) {
  // Once the dialog is there, asking its list for its count waits until the program reads its
  // messages: the wait makes no requests meanwhile.
  const HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr,
                                             OnWindowCreated, 0, 0, WINEVENT_OUTOFCONTEXT);
  const double start = NowMs();
  auto running = std::make_unique<Running>(exe, work_dir);
  awaited_dialog = {running->process.id(), caption, nullptr};
  const auto filled = [&] {
    running->dialog = awaited_dialog.found;
    if (!running->dialog) return false;
    running->list = GetDlgItem(running->dialog, IDC_WINDOW_LIST);
    DWORD_PTR count = 0;
    return running->list &&
           SendMessageTimeoutW(running->list, LB_GETCOUNT, 0, 0, SMTO_NORMAL, 10000, &count) &&
           static_cast<LRESULT>(count) > 0;
  };
  const bool done = WaitUntil(filled, 30000, 1);
  UnhookWinEvent(hook);
  if (!done) {
    std::fprintf(stderr, "%ls did not fill its list\n", exe.c_str());
    return nullptr;
  }
  running->startup_ms = NowMs() - start;
  // Its memory is read once it has handled what its start-up left queued.
  Flush(running->dialog);
  running->private_bytes = PrivateBytes(running->process.handle());
  return running;
}

// ---------------------------------------------------------------------------------------------
// The baseline: the least Win32 work that gives Stackle's list and priority classes, in the
// harness's own list box.

class Baseline {
 public:
  explicit Baseline(HWND list) : list_(list) {}

  void SetExclusions(int count) {
    exclusions_.clear();
    const std::string file = ExclusionFile(count);
    for (std::size_t start = 0; start < file.size();) {
      const std::size_t end = file.find("\r\n", start);
      exclusions_.emplace_back(file.begin() + start, file.begin() + end);
      start = end + 2;
    }
  }

  void Refresh(HWND stackle) {
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    priorities_.clear();
    const HWND last = GetWindow(stackle, GW_HWNDLAST);
    HWND w = GetWindow(stackle, GW_HWNDPREV);
    if (!w) w = GetTopWindow(nullptr);
    for (; w && w != last; w = GetWindow(w, GW_HWNDNEXT)) {
      if (w == stackle || !IsWindowVisible(w)) continue;
      const int length = GetWindowTextW(w, title_, static_cast<int>(std::size(title_)));
      if (length <= 0) continue;
      const std::wstring_view title(title_, static_cast<std::size_t>(length));
      if (Excluded(title)) continue;
      GetClassNameW(w, class_name_, static_cast<int>(std::size(class_name_)));
      const bool folder = std::wcscmp(class_name_, L"CabinetWClass") == 0;
      const bool topmost = (GetWindowLongPtrW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
      label_.clear();
      if (IsIconic(w)) label_ += L"(Icon):";
      if (topmost) label_ += L"(TopMost):";
      if (folder) label_ += L"(Folda):";
      label_ += title;
      const LRESULT index =
          SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label_.c_str()));
      SendMessageW(list_, LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(w));
      DWORD process = 0;
      GetWindowThreadProcessId(w, &process);
      const DWORD priority = topmost && !folder ? HIGH_PRIORITY_CLASS : NORMAL_PRIORITY_CLASS;
      auto known = std::find_if(priorities_.begin(), priorities_.end(),
                                [process](const auto& p) { return p.first == process; });
      if (known == priorities_.end()) {
        priorities_.emplace_back(process, priority);
      } else {
        known->second = priority;
      }
    }
    for (const auto& [process, priority] : priorities_) {
      if (const UniqueHandle handle{OpenProcess(PROCESS_SET_INFORMATION, FALSE, process)})
        SetPriorityClass(handle.get(), priority);
    }
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(list_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
  }

 private:
  bool Excluded(std::wstring_view title) const {
    for (const std::wstring& entry : exclusions_) {
      if (title.find(entry) != std::wstring_view::npos) return true;
    }
    return false;
  }

  HWND list_;
  std::vector<std::wstring> exclusions_;
  std::vector<std::pair<DWORD, DWORD>> priorities_;
  wchar_t title_[1024];
  wchar_t class_name_[64];
  std::wstring label_;
};

// ---------------------------------------------------------------------------------------------
// Results.

struct Case {
  int windows = 0;
  int exclusions = 0;
  std::size_t listed = 0;
  bool same_list = false;
  bool same_priorities = false;
  Stats refresh, baseline, tick, floor, startup, minimal_startup;
  std::size_t private_bytes = 0, minimal_private_bytes = 0;
  WaysIn ways;
};

// Of the medians, and of the minimums.
struct Ratios {
  double medians = 0, minimums = 0;
};

Ratios Compare(const Stats& a, const Stats& b) {
  return {Ratio(a.median, b.median), Ratio(a.min, b.min)};
}

// A command process against the least one, plus the refresh the running copy makes for it.
Ratios CompareCommand(const Stats& command, const Case& c) {
  const Stats& least = c.ways.minimal_command;
  return {Ratio(command.median, least.median + c.refresh.median),
          Ratio(command.min, least.min + c.refresh.min)};
}

std::size_t Median(std::vector<std::size_t> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void WriteRatios(FILE* out, const char* name, Ratios ratios) {
  std::fprintf(out, "      \"%s\": %.3f, \"%s_of_minimums\": %.3f,\n", name, ratios.medians, name,
               ratios.minimums);
}

void WriteStats(FILE* out, const char* name, const Stats& s, bool last = false) {
  std::fprintf(out,
               "      \"%s\": {\"median_ms\": %.4f, \"p25_ms\": %.4f, \"p75_ms\": %.4f, "
               "\"min_ms\": %.4f, ",
               name, s.median, s.p25, s.p75, s.min);
  std::fprintf(out, "\"samples_ms\": [");
  for (std::size_t i = 0; i < s.samples.size(); ++i)
    std::fprintf(out, "%s%.4f", i ? ", " : "", s.samples[i]);
  std::fprintf(out, "]}%s\n", last ? "" : ",");
}

bool WriteJson(const std::wstring& path, const std::vector<Case>& cases, long long exe_size,
               long long minimal_size, int trials) {
  FILE* out = _wfopen(path.c_str(), L"w");
  if (!out) return false;
  std::fprintf(out, "{\n  \"trials\": %d,\n  \"stackle_exe_bytes\": %lld,\n", trials, exe_size);
  std::fprintf(out, "  \"minimal_exe_bytes\": %lld,\n  \"tick_window_system_calls\": 3,\n",
               minimal_size);
  std::fprintf(out, "  \"private_memory_source\": \"%s\",\n",
               private_usage_reported ? "PrivateUsage" : "committed private pages");
  std::fprintf(out, "  \"cases\": [\n");
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    std::fprintf(out, "    {\n      \"windows\": %d, \"exclusions\": %d, \"listed\": %zu,\n",
                 c.windows, c.exclusions, c.listed);
    std::fprintf(out, "      \"same_list\": %s, \"same_priorities\": %s,\n",
                 c.same_list ? "true" : "false", c.same_priorities ? "true" : "false");
    WriteRatios(out, "refresh_ratio", Compare(c.refresh, c.baseline));
    WriteRatios(out, "startup_ratio", Compare(c.startup, c.minimal_startup));
    WriteRatios(out, "hotkey_to_change_ratio",
                Compare(c.ways.hotkey_to_change, c.ways.click_to_change));
    WriteRatios(out, "hotkey_to_list_ratio", Compare(c.ways.hotkey_to_list, c.ways.click_to_list));
    WriteRatios(out, "list_command_ratio", CompareCommand(c.ways.list_command, c));
    WriteRatios(out, "top_command_ratio", CompareCommand(c.ways.top_command, c));
    std::fprintf(out, "      \"private_bytes\": %zu, \"minimal_private_bytes\": %zu,\n",
                 c.private_bytes, c.minimal_private_bytes);
    WriteStats(out, "refresh", c.refresh);
    WriteStats(out, "baseline", c.baseline);
    WriteStats(out, "tick", c.tick);
    WriteStats(out, "message_round_trip", c.floor);
    WriteStats(out, "startup", c.startup);
    WriteStats(out, "minimal_startup", c.minimal_startup);
    WriteStats(out, "hotkey_to_change", c.ways.hotkey_to_change);
    WriteStats(out, "click_to_change", c.ways.click_to_change);
    WriteStats(out, "hotkey_to_list", c.ways.hotkey_to_list);
    WriteStats(out, "click_to_list", c.ways.click_to_list);
    WriteStats(out, "list_command", c.ways.list_command);
    WriteStats(out, "top_command", c.ways.top_command);
    WriteStats(out, "minimal_command", c.ways.minimal_command, true);
    std::fprintf(out, "    }%s\n", i + 1 < cases.size() ? "," : "");
  }
  std::fprintf(out, "  ]\n}\n");
  return std::fclose(out) == 0;
}

// "median (p25-p75) min", with as many decimals as the size of the figures calls for.
std::string Cell(const Stats& s, double scale = 1) {
  const auto number = [](double v) {
    char text[16];
    std::snprintf(text, sizeof text, v >= 100 ? "%.0f" : v >= 10 ? "%.1f" : "%.2f", v);
    return std::string(text);
  };
  return number(s.median * scale) + " (" + number(s.p25 * scale) + "-" + number(s.p75 * scale) +
         ") " + number(s.min * scale);
}

std::string RatioCell(Ratios ratios) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f / %.2f", ratios.medians, ratios.minimums);
  return text;
}

void PrintTable(const std::vector<Case>& cases, long long exe_size, int trials) {
  std::printf(
      "\nStackle under Wine: median (p25-p75) min of %d trials, %d for start-up; ratios of the "
      "medians / of the minimums\n\n",
      trials, kStartTrials);
  std::printf("%5s %3s %6s  %-23s %-23s %-11s  %-21s %-21s  %-21s %-21s %-11s\n", "N", "E",
              "listed", "refresh ms", "baseline ms", "ratio", "tick unchanged us",
              "message floor us", "start-up ms", "minimal dialog ms", "ratio");
  for (const Case& c : cases) {
    std::printf("%5d %3d %6zu  %-23s %-23s %-11s  %-21s %-21s  %-21s %-21s %-11s%s\n", c.windows,
                c.exclusions, c.listed, Cell(c.refresh).c_str(), Cell(c.baseline).c_str(),
                RatioCell(Compare(c.refresh, c.baseline)).c_str(), Cell(c.tick, 1000).c_str(),
                Cell(c.floor, 1000).c_str(), Cell(c.startup).c_str(),
                Cell(c.minimal_startup).c_str(),
                RatioCell(Compare(c.startup, c.minimal_startup)).c_str(),
                c.same_list && c.same_priorities ? "" : "  RESULTS DIFFER");
  }
  std::printf(
      "\nThe ways in: a hotkey and a click on 常に手前に(M), from the key or the click to the "
      "window's change and to the rebuilt list; stackle.exe /list and /top TEXT against the "
      "minimal command program plus one refresh (the refresh above)\n\n");
  std::printf("%5s %3s  %-21s %-21s %-11s  %-21s %-21s %-11s\n", "N", "E", "hotkey->change ms",
              "click->change ms", "ratio", "hotkey->list ms", "click->list ms", "ratio");
  for (const Case& c : cases) {
    const WaysIn& w = c.ways;
    std::printf("%5d %3d  %-21s %-21s %-11s  %-21s %-21s %-11s\n", c.windows, c.exclusions,
                Cell(w.hotkey_to_change).c_str(), Cell(w.click_to_change).c_str(),
                RatioCell(Compare(w.hotkey_to_change, w.click_to_change)).c_str(),
                Cell(w.hotkey_to_list).c_str(), Cell(w.click_to_list).c_str(),
                RatioCell(Compare(w.hotkey_to_list, w.click_to_list)).c_str());
  }
  std::printf("\n%5s %3s  %-21s %-21s %-21s %-11s %-11s\n", "N", "E", "/list ms", "/top ms",
              "minimal command ms", "/list ratio", "/top ratio");
  for (const Case& c : cases) {
    const WaysIn& w = c.ways;
    std::printf("%5d %3d  %-21s %-21s %-21s %-11s %-11s\n", c.windows, c.exclusions,
                Cell(w.list_command).c_str(), Cell(w.top_command).c_str(),
                Cell(w.minimal_command).c_str(),
                RatioCell(CompareCommand(w.list_command, c)).c_str(),
                RatioCell(CompareCommand(w.top_command, c)).c_str());
  }
  std::printf("\nstackle.exe: %lld bytes (%.0f KB)\n", exe_size, exe_size / 1024.0);
  for (const Case& c : cases) {
    if (c.windows != kMemoryCount || c.exclusions != 0) continue;
    std::printf(
        "private memory after start-up, N = %d: stackle.exe %.0f KB, minimal dialog %.0f KB, "
        "ratio %.2f (%s)\n",
        c.windows, c.private_bytes / 1024.0, c.minimal_private_bytes / 1024.0,
        Ratio(static_cast<double>(c.private_bytes), static_cast<double>(c.minimal_private_bytes)),
        private_usage_reported ? "PrivateUsage" : "committed private pages; PrivateUsage read 0");
  }
  std::printf(
      "mouse-follow tick without a change: 3 window-system calls (GetCursorPos, WindowFromPoint, "
      "GetParent)\n");
}

long long FileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool WriteExclusionFile(const std::wstring& dir, int count) {
  FILE* out = _wfopen((dir + L"\\nolist.txt").c_str(), L"wb");
  if (!out) return false;
  const std::string text = ExclusionFile(count);
  std::fwrite(text.data(), 1, text.size(), out);
  return std::fclose(out) == 0;
}

// The shell removes an ended program's taskbar button and tray icon after it has gone, and
// a program that starts meanwhile waits for the shell: every start begins on a settled desktop.
void SettleDesktop() {
  Rest(100);
  if (HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr)) Flush(tray);
}

// Round trip of one message sent to the dialog, in milliseconds.
double SendTimed(HWND dialog, UINT message, WPARAM wparam) {
  DWORD_PTR ignored;
  const double start = NowMs();
  SendMessageTimeoutW(dialog, message, wparam, 0, SMTO_NORMAL, 60000, &ignored);
  return NowMs() - start;
}

// The program measured and the two it is measured against.
struct Programs {
  std::wstring stackle, minimal_dialog, minimal_command;
};

int RunHarness(const Programs& programs, const std::wstring& work_dir, const std::wstring& json,
               int trials) {
  CreateDirectoryW(work_dir.c_str(), nullptr);
  DeleteFileW((work_dir + L"\\stackle.dat").c_str());

  // The harness's own window: untitled, so that neither Stackle nor the baseline lists it,
  // with a list box like Stackle's for the baseline, away from the benchmark's windows.
  RegisterPlainClass(L"StackleBenchHarness");
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  HWND harness = CreateWindowExW(0, L"StackleBenchHarness", L"", WS_POPUP | WS_BORDER | WS_VISIBLE,
                                 900, 420, 330, 260, nullptr, nullptr, instance, nullptr);
  HWND list = CreateWindowExW(
      WS_EX_CLIENTEDGE, L"LISTBOX", nullptr,
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 0, 0, 200, 196,
      harness, reinterpret_cast<HMENU>(IDC_WINDOW_LIST), instance, nullptr);
  if (!harness || !list) return 1;
  Pump();
  Baseline baseline(list);
  Helpers helpers;
  // STACKLE_BENCH_WINDOWS=1000 measures that one window count only.
  wchar_t only[16] = L"";
  GetEnvironmentVariableW(L"STACKLE_BENCH_WINDOWS", only, 16);
  const std::wstring only_windows = only;
  std::vector<Case> cases;

  for (int count : kWindowCounts) {
    if (!only_windows.empty() && only_windows != std::to_wstring(count)) continue;
    std::printf("N = %d: opening windows\n", count);
    std::fflush(stdout);
    if (!helpers.Start(count)) {
      std::fprintf(stderr, "the helper processes did not open their windows\n");
      return 1;
    }
    // The new windows are painted and announced to the shell for a while after they open.
    Rest(1000);
    for (int exclusions : kExclusionCounts) {
      Case c;
      c.windows = count;
      c.exclusions = exclusions;
      std::printf("N = %d, E = %d: measuring\n", count, exclusions);
      std::fflush(stdout);
      if (!WriteExclusionFile(work_dir, exclusions)) return 1;
      baseline.SetExclusions(exclusions);

      // Start-up, Stackle and the minimal dialog each alone on a settled desktop, in turns
      // first, so that neither starts beside the other or just after it; then the Stackle that
      // stays for the rest.
      std::vector<double> startup, minimal_startup;
      std::vector<std::size_t> memory, minimal_memory;
      for (int t = 0; t < 2 * kStartTrials; ++t) {
        const bool stackle = (t + t / 2) % 2 == 0;
        SettleDesktop();
        const auto started = stackle ? Launch(programs.stackle, L"Stackle", work_dir)
                                     : Launch(programs.minimal_dialog, L"Minimal list", work_dir);
        if (!started) return 1;
        (stackle ? startup : minimal_startup).push_back(started->startup_ms);
        (stackle ? memory : minimal_memory).push_back(started->private_bytes);
      }
      c.startup = Summarize(startup);
      c.private_bytes = Median(memory);
      c.minimal_startup = Summarize(minimal_startup);
      c.minimal_private_bytes = Median(minimal_memory);
      SettleDesktop();
      auto running = Launch(programs.stackle, L"Stackle", work_dir);
      if (!running) return 1;
      const HWND dialog = running->dialog;
      Settle(dialog);

      // Same list and the same final priority classes, each from idle.
      helpers.SetAllPriorities(IDLE_PRIORITY_CLASS);
      SendTimed(dialog, WM_COMMAND, IDC_REFRESH);
      const auto stackle_list = ReadLabels(running->list);
      const auto stackle_priorities = helpers.Priorities();
      helpers.SetAllPriorities(IDLE_PRIORITY_CLASS);
      baseline.Refresh(dialog);
      c.same_list = stackle_list == ReadLabels(list);
      c.same_priorities = stackle_priorities == helpers.Priorities();
      c.listed = stackle_list.size();

      // Refresh against the baseline, trials interleaved and in turns first, so that drift
      // and whatever one leaves behind hit both alike.
      std::vector<double> refresh, plain_refresh;
      for (int t = 0; t < 2 * trials; ++t) {
        Settle(dialog);
        if ((t + t / 2) % 2 == 0) {
          refresh.push_back(SendTimed(dialog, WM_COMMAND, IDC_REFRESH));
        } else {
          const double start = NowMs();
          baseline.Refresh(dialog);
          plain_refresh.push_back(NowMs() - start);
        }
      }
      c.refresh = Summarize(refresh);
      c.baseline = Summarize(plain_refresh);

      // Mouse-follow ticks with the cursor resting on the harness's list box: the first tick
      // follows its window, the rest find nothing new. Against an empty round trip.
      SetCursorPos(1000, 500);
      Settle(dialog);
      SendTimed(dialog, WM_TIMER, stackle::kMouseFollowTimer);
      Settle(dialog);
      std::vector<double> tick, floor;
      for (int t = 0; t < kTickTrials; ++t) {
        tick.push_back(SendTimed(dialog, WM_TIMER, stackle::kMouseFollowTimer));
        floor.push_back(SendTimed(dialog, WM_NULL, 0));
      }
      c.tick = Summarize(tick);
      c.floor = Summarize(floor);

      const std::wstring title = Title(kPinnedWindow);
      c.ways = MeasureWaysIn({.dialog = dialog,
                              .target = FindWindowW(L"StackleBenchWindow", title.c_str()),
                              .title = title,
                              .stackle = programs.stackle,
                              .minimal_command = programs.minimal_command,
                              .work_dir = work_dir,
                              .trials = trials});

      running.reset();
      cases.push_back(c);
    }
    helpers.Stop();
  }

  const long long exe_size = FileSize(programs.stackle);
  PrintTable(cases, exe_size, trials);
  if (!WriteJson(json, cases, exe_size, FileSize(programs.minimal_dialog), trials)) {
    std::fprintf(stderr, "cannot write %ls\n", json.c_str());
    return 1;
  }
  DestroyWindow(harness);
  for (const Case& c : cases) {
    if (!c.same_list || !c.same_priorities) {
      std::fprintf(stderr, "Stackle and the baseline disagree at N = %d, E = %d\n", c.windows,
                   c.exclusions);
      return 1;
    }
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 4 && std::wcscmp(argv[1], L"--helper") == 0) {
    return RunHelper(_wtoi(argv[2]), _wtoi(argv[3]));
  }
  if (argc != 6 && argc != 7) {
    std::fprintf(stderr,
                 "usage: stackle_bench <stackle.exe> <minimal dialog.exe> <minimal command.exe> "
                 "<work dir> <results.json> [trials]\n");
    return 2;
  }
  const int trials = argc == 7 ? std::max(1, _wtoi(argv[6])) : 25;
  try {
    return RunHarness({argv[1], argv[2], argv[3]}, argv[4], argv[5], trials);
  } catch (const std::runtime_error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
