#include "platform/win32/win32_window_events.h"

#include <algorithm>

#include "platform/win32/text_win32.h"
#include "res/resource.h"

namespace stackle::win32 {
namespace {

constexpr DWORD kEventObjectUncloaked = 0x8018;  // not in MinGW's headers
// Created (Wine 8 announces nothing else of another program's windows), shown, hidden,
// destroyed, retitled, and back from a cloak (a Store app's window arriving in its frame).
constexpr DWORD kEvents[] = {EVENT_OBJECT_CREATE,  EVENT_OBJECT_SHOW,       EVENT_OBJECT_HIDE,
                             EVENT_OBJECT_DESTROY, EVENT_OBJECT_NAMECHANGE, kEventObjectUncloaked};

// The hook's callback has no context of its own; one dialog listens at a time.
Win32WindowEvents* listening = nullptr;

}  // namespace

void Win32WindowEvents::Listen(bool on) {
  if (on == !hooks_.empty()) return;
  if (!on) {
    for (HWINEVENTHOOK hook : hooks_)
      ::UnhookWinEvent(hook);
    hooks_.clear();
    listening = nullptr;
    return;
  }
  listening = this;
  // One hook per event: a range would also wake Stackle for every event between them.
  for (DWORD event : kEvents) {
    if (HWINEVENTHOOK hook = ::SetWinEventHook(event, event, nullptr, OnEvent, 0, 0,
                                               WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS)) {
      hooks_.push_back(hook);
    }
  }
}

std::vector<WindowRef> Win32WindowEvents::TakeAnnounced() {
  posted_ = false;
  std::vector<WindowRef> announced;
  announced.swap(queue_);
  return announced;
}

void CALLBACK Win32WindowEvents::OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object,
                                         LONG child, DWORD, DWORD) {
  // Only whole top-level windows; a destroyed one has no parent left to ask about. The call
  // comes while Stackle handles messages anywhere (a menu, a wait): it only queues.
  if (!listening || object != OBJID_WINDOW || child != CHILDID_SELF || !window) return;
  if (event != EVENT_OBJECT_DESTROY && ::GetAncestor(window, GA_PARENT) != ::GetDesktopWindow())
    return;
  Win32WindowEvents& self = *listening;
  if (std::ranges::find(self.queue_, FromHwnd(window)) == self.queue_.end())
    self.queue_.push_back(FromHwnd(window));
  if (!self.posted_) self.posted_ = ::PostMessageW(self.dialog_.Hwnd(), WM_WINDOWEVENTS, 0, 0);
}

}  // namespace stackle::win32
