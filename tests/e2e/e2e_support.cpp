#include "e2e_support.h"

#include <shellapi.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace stackle::e2e {

namespace {

std::wstring UniqueName(std::wstring_view prefix) {
  static int counter = 0;
  return std::wstring(prefix) + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter);
}

std::runtime_error Error(const std::string& what) {
  return std::runtime_error(what + " (error " + std::to_string(GetLastError()) + ")");
}

// Quotes one argument so that CommandLineToArgvW gives it back unchanged.
std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  for (auto it = arg.begin();; ++it) {
    std::size_t backslashes = 0;
    while (it != arg.end() && *it == L'\\') {
      ++it;
      ++backslashes;
    }
    if (it == arg.end()) {
      quoted.append(backslashes * 2, L'\\');
      break;
    }
    if (*it == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    quoted.push_back(*it);
  }
  quoted.push_back(L'"');
  return quoted;
}

std::vector<std::wstring> HelperArgs(const std::vector<TestWindow>& requests,
                                     const std::filesystem::path& report, const std::wstring& ready,
                                     const std::wstring& hang, const HelperOptions& options) {
  std::vector<std::wstring> args = {L"--report", report.wstring(), L"--ready",
                                    ready,       L"--hang",        hang};
  if (options.hidden_windows > 0) {
    args.insert(args.end(), {L"--hidden-windows", std::to_wstring(options.hidden_windows)});
  }
  if (options.churn) args.push_back(L"--churn");
  for (const TestWindow& request : requests) {
    args.insert(args.end(), {L"--window", request.title});
    if (!request.class_name.empty()) args.insert(args.end(), {L"--class", request.class_name});
    if (request.minimized) args.push_back(L"--minimized");
    if (request.topmost) args.push_back(L"--topmost");
    if (request.hidden) args.push_back(L"--hidden");
    if (request.control) args.push_back(L"--control");
  }
  return args;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

DWORD ProcessOf(HWND window) {
  DWORD process_id = 0;
  GetWindowThreadProcessId(window, &process_id);
  return process_id;
}

}  // namespace

ProgramPaths& Programs() {
  static ProgramPaths paths;
  return paths;
}

bool WaitUntil(const std::function<bool()>& condition, Duration timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Sleep(10);
  }
  return true;
}

std::string Narrow(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string narrow(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size,
                      nullptr, nullptr);
  return narrow;
}

TempDir::TempDir() {
  wchar_t temp[MAX_PATH + 1] = {};
  if (!GetTempPathW(MAX_PATH + 1, temp)) throw Error("no temporary directory");
  path_ = std::filesystem::path(temp) / UniqueName(L"stackle-e2e-");
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::WriteFile(const std::filesystem::path& name, std::string_view bytes) const {
  std::ofstream file(path_ / name, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!file.flush()) throw std::runtime_error("cannot write " + Narrow((path_ / name).wstring()));
}

Process::Process(const std::wstring& program, const std::vector<std::wstring>& args,
                 const std::filesystem::path& current_directory) {
  std::wstring command_line = QuoteArgument(program);
  for (const std::wstring& arg : args)
    command_line += L" " + QuoteArgument(arg);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      current_directory.c_str(), &startup, &info_)) {
    throw Error("cannot start " + Narrow(program));
  }
}

Process::~Process() {
  Terminate();
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

bool Process::Running() const {
  return !WaitForExit(0ms);
}

bool Process::WaitForExit(Duration timeout) const {
  return WaitForSingleObject(info_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

void Process::Terminate() {
  if (!Running()) return;
  TerminateProcess(info_.hProcess, 1);
  WaitForExit(kExitTimeout);
}

Helper::Helper(const std::vector<TestWindow>& requests, const TempDir& dir)
    : Helper(requests, dir, HelperOptions{}) {}

Helper::Helper(const std::vector<TestWindow>& requests, const TempDir& dir,
               const HelperOptions& options)
    : ready_name_(UniqueName(L"StackleE2eHelperReady-")),
      ready_(CreateEventW(nullptr, TRUE, FALSE, ready_name_.c_str())),
      hang_name_(UniqueName(L"StackleE2eHelperHang-")),
      hang_(CreateEventW(nullptr, TRUE, FALSE, hang_name_.c_str())),
      report_(dir.path() / (ready_name_ + L".txt")),
      process_(Programs().helper, HelperArgs(requests, report_, ready_name_, hang_name_, options),
               dir.path()) {
  const HANDLE waits[] = {ready_.get(), process_.handle()};
  const DWORD woken =
      WaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(options.ready_timeout.count()));
  if (woken != WAIT_OBJECT_0) {
    throw Error(woken == WAIT_OBJECT_0 + 1 ? "the helper exited before its windows were ready"
                                           : "the helper's windows were not ready in time");
  }
  std::ifstream report(report_);
  unsigned long long handle = 0;
  while (report >> std::hex >> handle) {
    windows_.push_back(reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle)));
  }
  if (windows_.size() != requests.size()) throw std::runtime_error("the helper's report is short");
}

bool Helper::Owns(HWND window) const {
  return window && ProcessOf(window) == process_.id();
}

void PrintTo(const ListEntry& entry, std::ostream* out) {
  *out << '"' << Narrow(entry.label) << "\" @" << static_cast<const void*>(entry.window);
}

Stackle::Stackle(const TempDir& dir) : process_(Programs().stackle, {}, dir.path()) {
  const bool shown = WaitUntil(
      [&] {
        if (!process_.Running()) return true;
        const std::vector<HWND> dialogs = FindStackleDialogs(process_.id());
        dialog_ = dialogs.empty() ? nullptr : dialogs.front();
        return dialog_ && GetForegroundWindow() == dialog_;
      },
      kStartTimeout);
  if (!process_.Running()) {
    DWORD code = 0;
    GetExitCodeProcess(process_.handle(), &code);
    throw std::runtime_error("stackle.exe exited with code " + std::to_string(code) +
                             " before showing its dialog");
  }
  if (!shown) {
    throw std::runtime_error(dialog_ ? "Stackle's dialog did not come to the foreground"
                                     : "Stackle's dialog did not appear");
  }
}

Stackle::~Stackle() {
  if (!process_.Running()) return;
  PostMessageW(dialog_, WM_CLOSE, 0, 0);
  process_.WaitForExit(kExitTimeout);
}

std::optional<LRESULT> Stackle::Send(HWND window, UINT message, WPARAM wparam,
                                     LPARAM lparam) const {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG,
                           static_cast<UINT>(kMessageTimeout.count()), &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

std::optional<std::vector<ListEntry>> Stackle::ReadList() const {
  // Each entry takes several requests; when the list is rebuilt in between (by a command of
  // Stackle's own, or a menu choice), the read starts over.
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (auto entries = ReadListOnce()) return entries;
    if (!process_.Running()) break;
  }
  return std::nullopt;
}

std::optional<std::vector<ListEntry>> Stackle::ReadListOnce() const {
  const HWND list = Control(kWindowList);
  const auto count = Send(list, LB_GETCOUNT);
  if (!list || !count || *count == LB_ERR) return std::nullopt;
  std::vector<ListEntry> entries;
  for (WPARAM i = 0; i < static_cast<WPARAM>(*count); ++i) {
    const auto length = Send(list, LB_GETTEXTLEN, i);
    if (!length || *length == LB_ERR) return std::nullopt;
    // Room for more than the length said, in case the entry changed since.
    std::wstring label(*length + 256, L'\0');
    const auto copied = Send(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(label.data()));
    const auto data = Send(list, LB_GETITEMDATA, i);
    if (!copied || *copied == LB_ERR || *copied > *length || !data || *data == LB_ERR) {
      return std::nullopt;
    }
    label.resize(*copied);
    entries.push_back({label, reinterpret_cast<HWND>(*data)});
  }
  if (Send(list, LB_GETCOUNT) != count) return std::nullopt;
  return entries;
}

bool Stackle::Click(int button) const {
  const HWND control = Control(button);
  return control && Send(control, BM_CLICK).has_value();
}

std::wstring Stackle::Caption() const {
  return WindowTitle(dialog_);
}

std::vector<HWND> FindStackleDialogs(std::optional<DWORD> process_id) {
  struct Search {
    std::optional<DWORD> process_id;
    std::vector<HWND> found;
  } search{process_id, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(param);
        if (IsWindowVisible(window) && ClassName(window) == L"#32770" &&
            (search.process_id ? ProcessOf(window) == *search.process_id
                               : WindowTitle(window) == L"Stackle")) {
          search.found.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> ZOrder() {
  std::vector<HWND> windows;
  for (HWND window = GetTopWindow(nullptr); window && windows.size() < 100000;
       window = GetWindow(window, GW_HWNDNEXT)) {
    windows.push_back(window);
  }
  return windows;
}

std::wstring WindowTitle(HWND window) {
  std::wstring title(GetWindowTextLengthW(window) + 1, L'\0');
  title.resize(GetWindowTextW(window, title.data(), static_cast<int>(title.size())));
  return title;
}

void PressTrayIcon(const Stackle& stackle, UINT button_down_message) {
  PostMessageW(stackle.dialog(), kTrayCallback, kTrayIconId, button_down_message);
}

namespace {

NOTIFYICONDATAW TrayIconData(HWND owner) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = owner;
  data.uID = kTrayIconId;
  return data;
}

}  // namespace

bool TrayIconExists(HWND owner) {
  NOTIFYICONDATAW data = TrayIconData(owner);
  data.uFlags = NIF_TIP;
  lstrcpynW(data.szTip, L"Stackle", ARRAYSIZE(data.szTip));
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

bool DeleteTrayIcon(HWND owner) {
  NOTIFYICONDATAW data = TrayIconData(owner);
  return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

void BroadcastTaskbarCreated() {
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0,
                      SMTO_ABORTIFHUNG, static_cast<UINT>(kMessageTimeout.count()), &ignored);
}

HWND FindPopupMenu(DWORD process_id) {
  struct Search {
    DWORD process_id;
    HWND found;
  } search{process_id, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(param);
        if (IsWindowVisible(window) && ClassName(window) == L"#32768" &&
            ProcessOf(window) == search.process_id) {
          search.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForPopupMenu(DWORD process_id, Duration timeout) {
  HWND menu = nullptr;
  WaitUntil([&] { return (menu = FindPopupMenu(process_id)) != nullptr; }, timeout);
  return menu;
}

void PostKey(HWND window, UINT virtual_key) {
  const UINT scan = MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC);
  PostMessageW(window, WM_KEYDOWN, virtual_key, 1 | (scan << 16));
  PostMessageW(window, WM_KEYUP, virtual_key, 1 | (scan << 16) | 0xC0000000);
}

void ChooseMenuItem(HWND menu, UINT key, int times) {
  for (int i = 0; i < times; ++i)
    PostKey(menu, key);
  PostKey(menu, VK_RETURN);
}

std::vector<HWND> FindDialogsCaptioned(DWORD process_id, std::wstring_view caption) {
  std::vector<HWND> found;
  for (HWND dialog : FindStackleDialogs(process_id)) {
    if (WindowTitle(dialog) == caption) found.push_back(dialog);
  }
  return found;
}

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG,
                           static_cast<UINT>(kMessageTimeout.count()), &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, static_cast<UINT>(kMessageTimeout.count()), &copied)) {
    return {};
  }
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

std::vector<std::wstring> ChildTexts(HWND window, std::wstring_view class_name) {
  struct Search {
    std::wstring_view class_name;
    std::vector<std::wstring> texts;
  } search{class_name, {}};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM param) -> BOOL {
        auto& search = *reinterpret_cast<Search*>(param);
        if (ClassName(child) == search.class_name) search.texts.push_back(TextOf(child));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.texts;
}

bool WaitForPostedMessages(const Stackle& stackle, Duration timeout) {
  // Any width will do as a mark, as long as it differs from the last one.
  static WPARAM mark = 4000;
  const HWND list = stackle.Control(kWindowList);
  const WPARAM expected = ++mark;
  if (!PostMessageW(list, LB_SETHORIZONTALEXTENT, expected, 0)) return false;
  return WaitUntil(
      [&] { return stackle.Send(list, LB_GETHORIZONTALEXTENT) == static_cast<LRESULT>(expected); },
      timeout);
}

bool Answers(HWND window, Duration timeout) {
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG,
                             static_cast<UINT>(timeout.count()), &ignored) != 0;
}

namespace {

// One handle in the system's table, as NtQuerySystemInformation(SystemExtendedHandleInformation)
// lists them.
struct SystemHandle {
  void* object;
  ULONG_PTR process_id;
  ULONG_PTR handle;
  ULONG granted_access;
  USHORT creator_back_trace_index;
  USHORT object_type_index;
  ULONG attributes;
  ULONG reserved;
};
// The table's head; its entries follow it.
struct SystemHandlesHead {
  ULONG_PTR count;
  ULONG_PTR reserved;
};
constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

}  // namespace

std::optional<std::size_t> HandleCount(DWORD process_id) {
  // Windows counts them directly; Wine answers 0 there, but lists every handle in the system.
  if (const UniqueHandle process{OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, process_id)}) {
    DWORD count = 0;
    if (GetProcessHandleCount(process.get(), &count) && count != 0) return count;
  }
  using Query = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return std::nullopt;
  std::vector<std::byte> buffer(1 << 20);
  for (;;) {
    ULONG needed = 0;
    const LONG status = query(kSystemExtendedHandleInformation, buffer.data(),
                              static_cast<ULONG>(buffer.size()), &needed);
    if (status == kInfoLengthMismatch && buffer.size() < (std::size_t{1} << 30)) {
      buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed));
      continue;
    }
    if (status != 0) return std::nullopt;
    break;
  }
  const auto* head = reinterpret_cast<const SystemHandlesHead*>(buffer.data());
  const auto* entries = reinterpret_cast<const SystemHandle*>(buffer.data() + sizeof *head);
  std::size_t count = 0;
  for (ULONG_PTR i = 0; i < head->count; ++i) {
    if (entries[i].process_id == process_id) ++count;
  }
  return count;
}

// Opens the window menu of the icon and chooses the item of `window`'s entry, which is where
// the entry stands in the list the menu was built from. Returns once the choice is handled.
bool ChooseInTrayWindowMenu(Stackle& stackle, HWND window, Duration timeout) {
  PressTrayIcon(stackle, WM_LBUTTONDOWN);
  const DWORD own = stackle.process().id();
  const HWND menu = WaitForPopupMenu(own, timeout);
  if (!menu) return false;
  const auto list = stackle.ReadList();
  const auto index = list ? IndexOf(*list, window) : std::nullopt;
  if (!index) {
    PostKey(menu, VK_ESCAPE);
    return false;
  }
  ChooseMenuItem(menu, VK_DOWN, *index + 1);
  // The menu posts its command before it closes.
  return WaitUntil([&] { return !FindPopupMenu(own); }, timeout) &&
         WaitForPostedMessages(stackle, timeout);
}

// Waits for a dialog of Stackle's, other than its main one, captioned `caption`.
HWND WaitForOwnDialog(const Stackle& stackle, std::wstring_view caption) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND dialog : FindDialogsCaptioned(stackle.process().id(), caption)) {
          if (dialog != stackle.dialog()) found = dialog;
        }
        return found != nullptr;
      },
      kMessageTimeout);
  return found;
}

std::vector<TestWindow> TitledWindows(const std::vector<std::wstring>& titles) {
  std::vector<TestWindow> windows;
  for (const std::wstring& title : titles)
    windows.push_back({.title = title});
  return windows;
}

std::optional<int> IndexOf(const std::vector<ListEntry>& list, HWND window) {
  const auto it = std::ranges::find(list, window, &ListEntry::window);
  if (it == list.end()) return std::nullopt;
  return static_cast<int>(it - list.begin());
}

std::vector<std::wstring> LabelsOf(const Helper& helper, const std::vector<ListEntry>& list) {
  std::vector<std::wstring> labels;
  for (const ListEntry& entry : list) {
    if (helper.Owns(entry.window)) labels.push_back(entry.label);
  }
  return labels;
}

bool IsTopMost(HWND window) {
  return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

bool Stackle::Select(HWND window) const {
  const auto list = ReadList();
  const auto index = list ? IndexOf(*list, window) : std::nullopt;
  if (!index) return false;
  const HWND list_box = Control(kWindowList);
  return Send(list_box, LB_SETCURSEL, *index) == *index &&
         Send(dialog_, WM_COMMAND, MAKEWPARAM(kWindowList, LBN_SELCHANGE),
              reinterpret_cast<LPARAM>(list_box));
}

std::string PriorityClassName(DWORD priority) {
  switch (priority) {
    case IDLE_PRIORITY_CLASS:
      return "idle";
    case BELOW_NORMAL_PRIORITY_CLASS:
      return "below normal";
    case NORMAL_PRIORITY_CLASS:
      return "normal";
    case ABOVE_NORMAL_PRIORITY_CLASS:
      return "above normal";
    case HIGH_PRIORITY_CLASS:
      return "high";
    case REALTIME_PRIORITY_CLASS:
      return "realtime";
    default: {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%lx", priority);
      return hex;
    }
  }
}

std::string PriorityOf(HANDLE process) {
  return PriorityClassName(GetPriorityClass(process));
}

}  // namespace stackle::e2e
