#include "platform/win32/win32_dialog.h"

#include <algorithm>

#include <commctrl.h>
#include <shellapi.h>

#include <cstddef>

#include "platform/win32/text_win32.h"
#include "platform/win32/win32_command_channel.h"
#include "platform/win32/win32_tray_icon.h"
#include "res/resource.h"
#include "ui/tooltips.h"

namespace stackle::win32 {
namespace {

static_assert(kWmInitDialog == WM_INITDIALOG && kWmCommand == WM_COMMAND && kWmClose == WM_CLOSE &&
              kWmDestroy == WM_DESTROY && kWmInitMenu == WM_INITMENU && kWmSize == WM_SIZE);
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
    if (!item.submenu.empty()) {
      // Destroyed with the menu it is appended to.
      UniqueMenu submenu(::CreatePopupMenu());
      if (!submenu) continue;
      AppendItems(submenu.get(), item.submenu);
      if (::AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu.get()), Wide(item.text)))
        submenu.release();
    } else if (item.id == 0) {
      ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      ::AppendMenuW(menu, MF_STRING | (item.checked ? MF_CHECKED : 0u),
                    static_cast<UINT_PTR>(item.id), Wide(item.text));
    }
  }
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
    // Idle again once the queue has run empty: only this loop, never a menu's or a dialog's
    // inside a handler, sends the dialog its idle message.
    wants_idle = true;
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
    ::ChangeWindowMessageFilterEx(window, TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
  }
  if (!self || !self->target_) return FALSE;
  const INT_PTR result = self->Dispatch(message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    ::RemovePropW(window, kCommandWindowProperty);
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
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

HWND Win32ListView::List() {
  if (dialog_window_ != dialog_.Hwnd()) {
    dialog_window_ = dialog_.Hwnd();
    list_ = ::GetDlgItem(dialog_window_, IDC_WINDOW_LIST);
  }
  return list_;
}

WindowRef Win32ListView::Control() {
  return FromHwnd(List());
}

void Win32ListView::Clear() {
  ::SendMessageW(List(), LB_RESETCONTENT, 0, 0);
}

void Win32ListView::SetRedraw(bool on) {
  ::SendMessageW(List(), WM_SETREDRAW, on, 0);
  // Windows' list box does not repaint itself when drawing comes back on; its scroll bar
  // lies in the frame.
  if (on) ::RedrawWindow(List(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
}

bool Win32ListView::Add(const Text& label) {
  return ::SendMessageW(List(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(label))) >= 0;
}

std::optional<std::size_t> Win32ListView::Selection() {
  const LRESULT index = ::SendMessageW(List(), LB_GETCURSEL, 0, 0);
  if (index < 0) return std::nullopt;
  return static_cast<std::size_t>(index);
}

void Win32ListView::Select(std::size_t index) {
  ::SendMessageW(List(), LB_SETCURSEL, index, 0);
}

std::optional<std::size_t> Win32ListView::EntryNear(Point screen) {
  const LRESULT count = ::SendMessageW(List(), LB_GETCOUNT, 0, 0);
  if (count <= 0) return std::nullopt;
  POINT p{screen.x, screen.y};
  ::ScreenToClient(List(), &p);
  // The answer is the nearest entry; its high word, which says the point lies outside the
  // entries, is not needed.
  const LRESULT hit = ::SendMessageW(List(), LB_ITEMFROMPOINT, 0, MAKELPARAM(p.x, p.y));
  return std::min<std::size_t>(LOWORD(hit), static_cast<std::size_t>(count) - 1);
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

void Win32Dialog::AppendToSystemMenu(const Menu& items) {
  HMENU menu = ::GetSystemMenu(window_, FALSE);
  if (!menu) return;
  AppendItems(menu, items);
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

bool Win32HotkeyRegistrar::Register(int id, Hotkey key) {
  // Held down, a key repeats; the action runs once per press.
  return ::RegisterHotKey(dialog_.Hwnd(), id, key.modifiers | MOD_NOREPEAT, key.key) != FALSE;
}

void Win32HotkeyRegistrar::Unregister(int id) {
  ::UnregisterHotKey(dialog_.Hwnd(), id);
}

}  // namespace stackle::win32
