#include "platform/win32/win32_dialog.h"

#include <algorithm>

#include <commctrl.h>
#include <shellapi.h>

#include <cstddef>

#include "platform/win32/system_function.h"
#include "platform/win32/text_win32.h"
#include "platform/win32/win32_command_link.h"
#include "res/resource.h"
#include "ui/tooltips.h"
#include "ui/tray_menus.h"

namespace stackle::win32 {
namespace {

static_assert(kWmInitDialog == WM_INITDIALOG && kWmCommand == WM_COMMAND && kWmClose == WM_CLOSE &&
              kWmDestroy == WM_DESTROY && kWmInitMenu == WM_INITMENU && kWmSize == WM_SIZE &&
              kWmKillFocus == WM_KILLFOCUS);
static_assert(kIdOk == IDOK && kIdCancel == IDCANCEL);
static_assert(kWmPaint == WM_PAINT && kWmGetMinMaxInfo == WM_GETMINMAXINFO &&
              kWmQueryDragIcon == WM_QUERYDRAGICON && kWmSysCommand == WM_SYSCOMMAND &&
              kWmTimer == WM_TIMER && kWmContextMenu == WM_CONTEXTMENU &&
              kWmEndSession == WM_ENDSESSION && WM_TRAYNOTIFY == WM_USER + 100);
static_assert(kWmHotkey == WM_HOTKEY && kWmCopyData == WM_COPYDATA);
static_assert(sizeof(CopyData) == sizeof(COPYDATASTRUCT) &&
              offsetof(CopyData, size) == offsetof(COPYDATASTRUCT, cbData) &&
              offsetof(CopyData, data) == offsetof(COPYDATASTRUCT, lpData));
static_assert(kModAlt == MOD_ALT && kModControl == MOD_CONTROL && kModShift == MOD_SHIFT &&
              kModWin == MOD_WIN);
static_assert(sizeof(MinMaxInfo) == sizeof(MINMAXINFO) &&
              offsetof(MinMaxInfo, min_track_size) == offsetof(MINMAXINFO, ptMinTrackSize));

void AppendItems(HMENU menu, const Menu& items) {
  for (const MenuItem& item : items) {
    if (item.id == 0) {
      ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.id), Wide(item.text));
    }
  }
}

// The tray icon's identity: the dialog's window and this number.
constexpr UINT kTrayIconId = 0;

// Shell_NotifyIconW, from shell32 loaded when the icon is first needed rather than by the
// loader: loading it takes tens of milliseconds that would come before the dialog shows.
BOOL NotifyIcon(DWORD message, NOTIFYICONDATAW* data) {
  static const auto notify =
      SystemFunction<BOOL(WINAPI*)(DWORD, NOTIFYICONDATAW*)>(L"shell32.dll", "Shell_NotifyIconW");
  return notify ? notify(message, data) : FALSE;
}

// The dialog being created: messages sent before WM_INITDIALOG (the first WM_SIZE among them)
// carry no pointer to their dialog yet.
thread_local Win32Dialog* creating = nullptr;

// Messages whose result a dialog procedure returns directly instead of through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
  switch (message) {
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
      return true;
    default:
      return false;
  }
}

}  // namespace

NOTIFYICONDATAW Win32Dialog::TrayIconData() const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;
  data.hWnd = window_;
  data.uID = kTrayIconId;
  return data;
}

int Win32Dialog::RunModal(MessageTarget& target) {
  target_ = &target;
  ended_ = false;
  saw_size_ = false;
  creating = this;
  HWND window = ::CreateDialogParamW(instance_, MAKEINTRESOURCEW(template_), nullptr, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
  creating = nullptr;
  if (!window) return -1;

  MSG msg;
  bool wants_idle = true;
  while (!ended_) {
    if (wants_idle && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      const auto more = target_->HandleMessage({kWmKickIdle, 0, 0});
      wants_idle = more && *more != 0;
      continue;
    }
    const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      // WM_QUIT belongs to an outer loop; leave it for that loop.
      if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    // Every message for the dialog or its controls goes to the tooltip control first: the
    // tools do not subclass their controls, so this is how the tooltips see the mouse.
    if (tooltip_ && window_ && (msg.hwnd == window_ || ::IsChild(window_, msg.hwnd))) {
      ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    }
    if (!window_ || !::IsDialogMessageW(window_, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  if (window_) ::DestroyWindow(window_);
  target_ = nullptr;
  return result_;
}

INT_PTR CALLBACK Win32Dialog::DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<Win32Dialog*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self && creating) {
    self = creating;
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    // Run as administrator, Stackle would not hear a normal Explorer announce its restart,
    // and its icon would be lost; the filter lets this one message through.
    ::ChangeWindowMessageFilterEx(window, self->TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
  }
  if (!self || !self->target_) return FALSE;
  const INT_PTR result = self->Dispatch(message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    ::RemovePropW(window, kCommandWindowProperty);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    self->window_list_ = nullptr;
    self->tooltip_ = nullptr;  // destroyed with its owner
  }
  return result;
}

INT_PTR Win32Dialog::Dispatch(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_SIZE) saw_size_ = true;
  if (message == WM_INITDIALOG && !saw_size_) {
    // Windows sends the dialog procedure a size event while it creates the window; Wine's
    // dialog manager installs the procedure only after that. Deliver it here, so that the
    // first size event always comes before initialisation.
    RECT client{};
    ::GetClientRect(window_, &client);
    Dispatch(WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
  }
  const auto result = target_->HandleMessage({message, wparam, lparam});
  if (!result) return FALSE;
  if (ReturnsDirectly(message)) return static_cast<INT_PTR>(*result);
  ::SetWindowLongPtrW(window_, DWLP_MSGRESULT, static_cast<LONG_PTR>(*result));
  return TRUE;
}

WindowRef Win32Dialog::Window() {
  return FromHwnd(window_);
}

void Win32Dialog::BindControls() {
  window_list_ = ::GetDlgItem(window_, IDC_WINDOW_LIST);
}

void Win32Dialog::SetCaption(const Text& caption) {
  ::SetWindowTextW(window_, Wide(caption));
}

void Win32Dialog::SetIcons() {
  const auto load = [this](int size_x, int size_y) {
    return UniqueIcon(static_cast<HICON>(::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_STACKLE),
                                                      IMAGE_ICON, ::GetSystemMetrics(size_x),
                                                      ::GetSystemMetrics(size_y), 0)));
  };
  big_icon_ = load(SM_CXICON, SM_CYICON);
  small_icon_ = load(SM_CXSMICON, SM_CYSMICON);
  ::SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_icon_.get()));
  ::SendMessageW(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_icon_.get()));
}

void Win32Dialog::EndDialog(int result) {
  result_ = result;
  ended_ = true;
  // A copy that is ending is found by no command process, which waits for it to end.
  ::RemovePropW(window_, kCommandWindowProperty);
  // Wakes the modal loop if the request came from outside a queued message.
  ::PostMessageW(window_, WM_NULL, 0, 0);
}

void Win32Dialog::ClearWindowList() {
  ::SendMessageW(window_list_, LB_RESETCONTENT, 0, 0);
}

void Win32Dialog::SetWindowListRedraw(bool on) {
  ::SendMessageW(window_list_, WM_SETREDRAW, on, 0);
  // Windows' list box does not repaint itself when drawing comes back on; its scroll bar
  // lies in the frame.
  if (on) ::RedrawWindow(window_list_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

bool Win32Dialog::AddWindowListEntry(const Text& label, WindowRef window) {
  const LRESULT index =
      ::SendMessageW(window_list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(label)));
  if (index < 0) return false;
  ::SendMessageW(window_list_, LB_SETITEMDATA, static_cast<WPARAM>(index),
                 static_cast<LPARAM>(window));
  return true;
}

std::size_t Win32Dialog::WindowListCount() {
  const LRESULT count = ::SendMessageW(window_list_, LB_GETCOUNT, 0, 0);
  return count > 0 ? static_cast<std::size_t>(count) : 0;
}

std::optional<std::size_t> Win32Dialog::WindowListSelection() {
  const LRESULT index = ::SendMessageW(window_list_, LB_GETCURSEL, 0, 0);
  if (index < 0) return std::nullopt;
  return static_cast<std::size_t>(index);
}

}  // namespace stackle::win32

namespace stackle::win32 {

WindowRef Win32Dialog::WindowListControl() {
  return FromHwnd(window_list_);
}

std::optional<Text> Win32Dialog::WindowListLabel(std::size_t index) {
  const LRESULT length = ::SendMessageW(window_list_, LB_GETTEXTLEN, index, 0);
  if (length < 0) return std::nullopt;
  Text label(static_cast<std::size_t>(length) + 1, u'\0');
  const LRESULT copied =
      ::SendMessageW(window_list_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(label.data()));
  if (copied < 0) return std::nullopt;
  label.resize(static_cast<std::size_t>(copied));
  return label;
}

std::optional<WindowRef> Win32Dialog::WindowListWindow(std::size_t index) {
  const LRESULT data = ::SendMessageW(window_list_, LB_GETITEMDATA, index, 0);
  if (data == LB_ERR) return std::nullopt;
  return static_cast<WindowRef>(data);
}

void Win32Dialog::SelectWindowListEntry(std::size_t index) {
  ::SendMessageW(window_list_, LB_SETCURSEL, index, 0);
}

std::optional<std::size_t> Win32Dialog::WindowListEntryNear(Point screen) {
  const std::size_t count = WindowListCount();
  if (count == 0) return std::nullopt;
  POINT p{screen.x, screen.y};
  ::ScreenToClient(window_list_, &p);
  // The answer is the nearest entry; its high word, which says the point lies outside the
  // entries, is not needed.
  const LRESULT hit = ::SendMessageW(window_list_, LB_ITEMFROMPOINT, 0, MAKELPARAM(p.x, p.y));
  return std::min<std::size_t>(LOWORD(hit), count - 1);
}

void Win32Dialog::Focus() {
  ::SetFocus(window_);
}

void Win32Dialog::SetUpTooltips() {
  // Without TTS_ALWAYSTIP the tips show only while the dialog is active.
  tooltip_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr, instance_, nullptr);
  if (!tooltip_) return;
  ::SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
  for (const Tooltip& tip : kTooltips) {
    TTTOOLINFOW tool{};
    // The size every version of the common controls accepts.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(::GetDlgItem(window_, tip.control));
    tool.hinst = instance_;
    tool.lpszText = MAKEINTRESOURCEW(tip.text);
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void Win32Dialog::ActivateTooltips(bool active) {
  if (tooltip_) ::SendMessageW(tooltip_, TTM_ACTIVATE, active, 0);
}

void Win32Dialog::ShowPopupMenu(const Menu& menu, Point at) {
  UniqueMenu popup(::CreatePopupMenu());
  if (!popup) return;
  AppendItems(popup.get(), menu);
  // Either button chooses, as the right button may have opened it.
  ::TrackPopupMenu(popup.get(), TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
  // Lets the menu close properly when the user clicks elsewhere.
  ::PostMessageW(window_, WM_NULL, 0, 0);
}

Text Win32Dialog::StringResource(int id) {
  const wchar_t* text = nullptr;
  const int length = ::LoadStringW(instance_, id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? FromWide(text, static_cast<std::size_t>(length)) : Text();
}

std::uint32_t Win32Dialog::SetTimer(std::uint32_t id, std::uint32_t interval) {
  return static_cast<std::uint32_t>(::SetTimer(window_, id, interval, nullptr));
}

void Win32Dialog::KillTimer(std::uint32_t id) {
  ::KillTimer(window_, id);
}

namespace {

// A modal dialog from a template, its messages handed to a portable ChildDialog.
class Win32ChildDialog final : public ChildDialogSurface {
 public:
  explicit Win32ChildDialog(ChildDialog& dialog) : dialog_(dialog) { dialog.Attach(*this); }

  int Run(HINSTANCE instance, HWND owner) {
    return static_cast<int>(::DialogBoxParamW(instance, MAKEINTRESOURCEW(dialog_.TemplateId()),
                                              owner, Proc, reinterpret_cast<LPARAM>(this)));
  }

  void SetItemText(int id, const Text& text) override {
    ::SetDlgItemTextW(window_, id, Wide(text));
  }
  Text ItemText(int id) override {
    HWND item = ::GetDlgItem(window_, id);
    const int length = ::GetWindowTextLengthW(item);
    Text text(static_cast<std::size_t>(std::max(length, 0)) + 1, u'\0');
    const int copied = ::GetWindowTextW(item, reinterpret_cast<wchar_t*>(text.data()), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
  }
  void FocusItem(int id) override {
    HWND item = ::GetDlgItem(window_, id);
    ::SendMessageW(window_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
    ::SendMessageW(item, EM_SETSEL, 0, -1);
  }
  void ShowWarning(const Text& text) override {
    ::MessageBoxW(window_, Wide(text), L"Stackle", MB_OK | MB_ICONEXCLAMATION);
  }
  void EndDialog(int result) override { ::EndDialog(window_, result); }
  void SetHotkey(int id, Hotkey key) override {
    const BYTE flags = ((key.modifiers & kModShift) ? HOTKEYF_SHIFT : 0) |
                       ((key.modifiers & kModControl) ? HOTKEYF_CONTROL : 0) |
                       ((key.modifiers & kModAlt) ? HOTKEYF_ALT : 0) |
                       // Page Up to Delete are the keys beside the number pad, not on it.
                       ((key.key >= VK_PRIOR && key.key <= VK_DELETE) ? HOTKEYF_EXT : 0);
    ::SendDlgItemMessageW(window_, id, HKM_SETHOTKEY, MAKEWORD(key.key, flags), 0);
  }
  Hotkey GetHotkey(int id) override {
    const auto value = static_cast<WORD>(::SendDlgItemMessageW(window_, id, HKM_GETHOTKEY, 0, 0));
    const BYTE key = LOBYTE(value), flags = HIBYTE(value);
    if (key == 0) return {};
    return {((flags & HOTKEYF_SHIFT) ? kModShift : 0u) |
                ((flags & HOTKEYF_CONTROL) ? kModControl : 0u) |
                ((flags & HOTKEYF_ALT) ? kModAlt : 0u),
            key};
  }

 private:
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
      ::SetWindowLongPtrW(window, GWLP_USERDATA, lparam);
      reinterpret_cast<Win32ChildDialog*>(lparam)->window_ = window;
    }
    auto* self = reinterpret_cast<Win32ChildDialog*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return FALSE;
    const auto result = self->dialog_.HandleMessage({message, wparam, lparam});
    if (!result) return FALSE;
    if (message == WM_INITDIALOG) return static_cast<INT_PTR>(*result);
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, static_cast<LONG_PTR>(*result));
    return TRUE;
  }

  ChildDialog& dialog_;
  HWND window_ = nullptr;
};

}  // namespace

int Win32Dialog::RunChildDialog(ChildDialog& dialog) {
  Win32ChildDialog child(dialog);
  return child.Run(instance_, window_);
}

bool Win32Dialog::AddTrayIcon() {
  if (!tray_icon_) {
    tray_icon_ = UniqueIcon(static_cast<HICON>(
        ::LoadImageW(instance_, MAKEINTRESOURCEW(IDI_STACKLE), IMAGE_ICON,
                     ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0)));
  }
  NOTIFYICONDATAW data = TrayIconData();
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_TRAYNOTIFY;
  data.hIcon = tray_icon_.get();
  ::lstrcpynW(data.szTip, L"Stackle", ARRAYSIZE(data.szTip));
  if (NotifyIcon(NIM_ADD, &data)) return true;
  // The shell still knows an icon of this window (it announced a restart it did not go
  // through): replace it.
  NotifyIcon(NIM_DELETE, &data);
  return NotifyIcon(NIM_ADD, &data) != FALSE;
}

void Win32Dialog::RemoveTrayIcon() {
  if (!tray_icon_) return;  // never added
  NOTIFYICONDATAW data = TrayIconData();
  NotifyIcon(NIM_DELETE, &data);
}

std::uint32_t Win32Dialog::TaskbarCreatedMessage() {
  if (taskbar_created_ == 0) taskbar_created_ = ::RegisterWindowMessageW(L"TaskbarCreated");
  return taskbar_created_;
}

void Win32Dialog::AppendToSystemMenu(const Menu& items) {
  HMENU menu = ::GetSystemMenu(window_, FALSE);
  if (!menu) return;
  AppendItems(menu, items);
}

bool Win32Dialog::OpenHelpFile() {
  // Windows 8, 10 and 11 have no viewer for help files (only a stand-in that says so), and
  // none can be installed on them.
  const auto get_version =
      SystemFunction<LONG(WINAPI*)(OSVERSIONINFOW*)>(L"ntdll.dll", "RtlGetVersion");
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!get_version || get_version(&version) != 0 ||
      (version.dwMajorVersion << 8 | version.dwMinorVersion) >= 0x0602) {
    return false;
  }
  wchar_t path[MAX_PATH];
  const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  std::wstring file(path, length);
  file = file.substr(0, file.find_last_of(L"\\/") + 1) + L"stackle.hlp";
  const DWORD attributes = ::GetFileAttributesW(file.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return false;
  }
  if (!::WinHelpW(window_, file.c_str(), HELP_CONTENTS, 0)) return false;
  help_file_ = file;
  return true;
}

void Win32Dialog::QuitHelp() {
  // Only a viewer that was started is told to quit: asking with none running would start one.
  if (!help_file_.empty()) ::WinHelpW(window_, help_file_.c_str(), HELP_QUIT, 0);
}

void Win32Dialog::ShowInformation(const Text& text) {
  ::MessageBoxW(window_, Wide(text), L"Stackle", MB_OK | MB_ICONINFORMATION);
}

std::optional<Rect> Win32Dialog::ControlRect(int id) {
  RECT r;
  if (!::GetWindowRect(::GetDlgItem(window_, id), &r)) return std::nullopt;
  return Rect{r.left, r.top, r.right, r.bottom};
}

void Win32Dialog::MoveControl(int id, const Rect& client) {
  ::MoveWindow(::GetDlgItem(window_, id), client.left, client.top, client.Width(), client.Height(),
               TRUE);
}

void Win32Dialog::PaintMinimized() {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(window_, &paint);
  ::SendMessageW(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  ::EndPaint(window_, &paint);
}

std::intptr_t Win32Dialog::DragIcon() {
  return reinterpret_cast<std::intptr_t>(big_icon_.get());
}

bool Win32Dialog::RegisterHotkey(int id, Hotkey key) {
  // Held down, a key repeats; the action runs once per press.
  return ::RegisterHotKey(window_, id, key.modifiers | MOD_NOREPEAT, key.key) != FALSE;
}

void Win32Dialog::UnregisterHotkey(int id) {
  ::UnregisterHotKey(window_, id);
}

void Win32Dialog::ShowTrayBalloon(const Text& title, const Text& text) {
  NOTIFYICONDATAW data = TrayIconData();
  data.uFlags = NIF_INFO;
  data.dwInfoFlags = NIIF_WARNING;
  ::lstrcpynW(data.szInfoTitle, Wide(title), ARRAYSIZE(data.szInfoTitle));
  ::lstrcpynW(data.szInfo, Wide(text), ARRAYSIZE(data.szInfo));
  NotifyIcon(NIM_MODIFY, &data);
}

void Win32Dialog::AcceptCommands() {
  ::SetPropW(window_, kCommandWindowProperty, reinterpret_cast<HANDLE>(1));
}

void Win32Dialog::AnswerCommand(WindowRef reply_to, int code, const Text& output) {
  const HWND client = ToHwnd(reply_to);
  if (!output.empty() && client && ::IsWindow(client)) {
    COPYDATASTRUCT data{kCommandTag, static_cast<DWORD>(output.size() * sizeof(char16_t)),
                        const_cast<char16_t*>(output.data())};
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(client, WM_COPYDATA, reinterpret_cast<WPARAM>(window_),
                          reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_BLOCK, 5000,
                          &ignored);
  }
  // The command process goes on now, while Stackle may still wait (for a closing program).
  if (::InSendMessage()) ::ReplyMessage(kCommandAnswered + code);
}

}  // namespace stackle::win32
