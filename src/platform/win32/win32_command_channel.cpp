#include "platform/win32/win32_command_channel.h"

#include <string>

#include "catalogue/text.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/win32_module.h"
#include "remote/command_message.h"

namespace stackle::win32 {
namespace {

constexpr DWORD kStartTimeout = 10000;  // ms for a starting copy's dialog to take commands
// ms for a command process's window to take the output: it waits for the answer meanwhile,
// and so takes it at once.
constexpr DWORD kOutputTimeout = 1000;

HWND FindCommandWindow() {
  HWND found = nullptr;
  ::EnumWindows(
      [](HWND window, LPARAM result) -> BOOL {
        if (!::GetPropW(window, kCommandWindowProperty)) return TRUE;
        *reinterpret_cast<HWND*>(result) = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

bool CopyIsStarting() {
  // A copy run as administrator holds a name that a process with fewer rights may not open.
  return UniqueHandle(::OpenMutexW(SYNCHRONIZE, FALSE, kInstanceName)).get() != nullptr ||
         ::GetLastError() == ERROR_ACCESS_DENIED;
}

// Windows' own folder or its system folder: where an elevated prompt or a scheduled task
// without "Start in" runs a program.
bool InSystemDirectory() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring current(size, L'\0');
  current.resize(::GetCurrentDirectoryW(size, current.data()));
  const auto bare = [](std::wstring_view path) {
    return path.substr(0, path.find_last_not_of(L'\\') + 1);
  };
  for (const auto folder :
       {::GetSystemDirectoryW, ::GetWindowsDirectoryW, ::GetSystemWow64DirectoryW}) {
    wchar_t buffer[MAX_PATH];
    const UINT length = folder(buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) continue;
    const std::wstring_view a = bare(current), b = bare({buffer, length});
    if (::CompareStringOrdinal(a.data(), int(a.size()), b.data(), int(b.size()), TRUE) ==
        CSTR_EQUAL)
      return true;
  }
  return false;
}

// A message-only window that collects the output the running copy sends back.
class ReplyWindow {
 public:
  ReplyWindow() {
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = Proc;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = reinterpret_cast<const wchar_t*>(kReplyWindowClass);
    ::RegisterClassW(&window_class);
    window_ = CreateMessageOnlyWindow(window_class.lpszClassName, window_class.hInstance);
    if (!window_) return;
    ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&output));
    // Run as administrator, this process would otherwise not hear from a Stackle that is not:
    // this short-lived window alone takes the output from a process with fewer rights.
    ::ChangeWindowMessageFilterEx(window_, WM_COPYDATA, MSGFLT_ALLOW, nullptr);
  }
  ~ReplyWindow() {
    if (window_) ::DestroyWindow(window_);
  }
  ReplyWindow(const ReplyWindow&) = delete;
  ReplyWindow& operator=(const ReplyWindow&) = delete;

  HWND Get() const { return window_; }
  Text output;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* output = reinterpret_cast<Text*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != WM_COPYDATA || !output) return ::DefWindowProcW(window, message, wparam, lparam);
    // Any program may send it one: only an answer in the running copy's form is taken.
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
    if (!data || data->dwData != kCommandTag || data->cbData % 2 != 0 || !data->lpData)
      return FALSE;
    output->append(reinterpret_cast<const char16_t*>(data->lpData), data->cbData / 2);
    return TRUE;
  }

  HWND window_ = nullptr;
};

}  // namespace

bool Win32InstanceGuard::Claim() {
  // Create and test in one step: two copies started at the same moment cannot both win,
  // as they could if the name were first looked up and then created. The mutex is never
  // owned; its name stays claimed until this process ends and the handle closes.
  mutex_.reset(::CreateMutexW(nullptr, FALSE, kInstanceName));
  const DWORD error = ::GetLastError();
  if (mutex_ && error == ERROR_ALREADY_EXISTS) {
    mutex_.reset();
    return false;
  }
  // A copy run as administrator holds the name where this one may not open it. Without a
  // mutex for any other reason, the program runs unguarded.
  return mutex_ || error != ERROR_ACCESS_DENIED;
}

std::optional<CommandAnswer> Win32CommandLink::Send(const Command& command) {
  HWND target = nullptr;
  for (const ULONGLONG start = ::GetTickCount64(); !(target = FindCommandWindow()); ::Sleep(50)) {
    // A copy that holds its name but takes no commands is starting, or ending: once it has
    // ended, none runs.
    if (!started_ && !CopyIsStarting()) return std::nullopt;
    if (::GetTickCount64() - start > kStartTimeout) return CommandAnswer{};
  }
  ReplyWindow reply;
  if (!reply.Get()) return CommandAnswer{};
  // The user asked for this command: the copy may bring a window to the front for it.
  DWORD process = 0;
  ::GetWindowThreadProcessId(target, &process);
  ::AllowSetForegroundWindow(process);
  const std::string bytes =
      EncodeCommand(command, FromHwnd(reply.Get()), ::GetTickCount64() + kCommandLifetime);
  COPYDATASTRUCT data{kCommandTag, static_cast<DWORD>(bytes.size()),
                      const_cast<char*>(bytes.data())};
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(reply.Get()),
                             reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                             2 * kCommandLifetime, &result)) {
    // The integrity levels keep a message from a Stackle run with more rights than this process.
    return CommandAnswer{::GetLastError() == ERROR_ACCESS_DENIED ? kExitElevated : kExitNoAnswer,
                         {}};
  }
  if (result < static_cast<DWORD_PTR>(kCommandAnswered) ||
      result > static_cast<DWORD_PTR>(kCommandAnswered + kExitOutputLost)) {
    return CommandAnswer{};
  }
  return CommandAnswer{static_cast<int>(result - kCommandAnswered), std::move(reply.output)};
}

bool Win32CommandLink::StartCopy() {
  const auto path = ModulePath();
  if (!path) return false;
  std::wstring command_line = L"\"" + *path + L"\"";
  // Started from there, the copy would read and write its files among Windows' own.
  const auto directory = InSystemDirectory() ? ModuleDirectory() : std::nullopt;
  // No handle, standard ones included: a pipe the command's output goes to must close when
  // this process ends, not when Stackle does.
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(path->c_str(), command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory ? directory->c_str() : nullptr, &startup, &info)) {
    return false;
  }
  UniqueHandle thread(info.hThread), process(info.hProcess);
  started_ = true;
  return true;
}

HANDLE Win32Console::Target(DWORD which) {
  const HANDLE out = ::GetStdHandle(which);
  if (out && out != INVALID_HANDLE_VALUE && ::GetFileType(out) != FILE_TYPE_UNKNOWN) return out;
  // A program without a console of its own writes to its parent's, when it has one.
  if (!console_ && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
    console_.reset(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr));
  }
  return console_.get();
}

void Win32Console::Write(const Text& text) {
  WriteText(Target(STD_OUTPUT_HANDLE), text);
}

void Win32Console::WriteError(const Text& text) {
  WriteText(Target(STD_ERROR_HANDLE), text);
}

void Win32Console::WriteText(HANDLE out, const Text& text) {
  if (text.empty() || !out || out == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0, written = 0;
  if (::GetConsoleMode(out, &mode)) {
    // UTF-16 to a console, which shows every character its font has; each part ends at a
    // whole character, as a console shows half a pair as a box.
    for (std::u16string_view rest = text; !rest.empty(); rest.remove_prefix(written)) {
      const std::u16string_view part = Shortened(rest, 8192);
      if (!::WriteConsoleW(out, part.data(), static_cast<DWORD>(part.size()), &written, nullptr) ||
          written == 0) {
        return;
      }
    }
    return;
  }
  // UTF-8 to a file or a pipe.
  const std::string bytes = EncodeUtf8(text);
  for (std::size_t at = 0; at < bytes.size(); at += written) {
    if (!::WriteFile(out, bytes.data() + at, static_cast<DWORD>(bytes.size() - at), &written,
                     nullptr) ||
        written == 0) {
      return;
    }
  }
}

void Win32CommandServer::Accept() {
  ::SetPropW(dialog_.Hwnd(), kCommandWindowProperty, reinterpret_cast<HANDLE>(1));
}

std::uint64_t Win32CommandServer::Now() {
  return ::GetTickCount64();
}

bool Win32CommandServer::SendOutput(WindowRef reply_to, const Text& output) {
  COPYDATASTRUCT data{kCommandTag, static_cast<DWORD>(output.size() * sizeof(char16_t)),
                      const_cast<char16_t*>(output.data())};
  DWORD_PTR taken = FALSE;
  // Not SMTO_BLOCK: the dialog answers what is sent to it meanwhile.
  return ::SendMessageTimeoutW(
             ToHwnd(reply_to), WM_COPYDATA, reinterpret_cast<WPARAM>(dialog_.Hwnd()),
             reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kOutputTimeout, &taken) &&
         taken;
}

void Win32CommandServer::Answer(int code) {
  // The command process goes on now, while Stackle may still wait (for a closing program).
  if (::InSendMessage()) ::ReplyMessage(kCommandAnswered + code);
}

}  // namespace stackle::win32
