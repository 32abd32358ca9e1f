#include "remote/hotkey_dialog.h"

#include <algorithm>

#include "catalogue/text.h"
#include "res/resource.h"

namespace stackle {
namespace {

int ControlOf(std::size_t action) {
  return IDC_HOTKEY_FIRST + static_cast<int>(action);
}

// A key as its control shows it: the control has no Windows key.
Hotkey Shown(Hotkey key) {
  return {key.modifiers & ~kModWin, key.key};
}

}  // namespace

int CHotkeyDialog::TemplateId() const {
  return IDD_HOTKEYS;
}

void CHotkeyDialog::OnInitDialog() {
  for (std::size_t i = 0; i < kHotkeyActionCount; ++i) {
    shown_[i] = Shown(keys_[i]);
    surface_->SetHotkey(ControlOf(i), shown_[i]);
  }
  std::string problems;
  for (const std::string& problem : problems_)
    problems += (problems.empty() ? "stackle.ini: " : "\r\n") + problem;
  surface_->SetItemText(IDC_HOTKEY_PROBLEMS, DecodeUtf8(problems));
  ShowStatus();
}

void CHotkeyDialog::ShowStatus() {
  for (std::size_t i = 0; i < kHotkeyActionCount; ++i) {
    Text status;
    if (held_[i]) {
      status = u"他のプログラムが使用中";
    } else if (keys_[i].modifiers & kModWin) {
      status = DecodeUtf8(FormatHotkey(keys_[i]));
    }
    surface_->SetItemText(IDC_HOTKEY_STATUS_FIRST + static_cast<int>(i), status);
  }
}

HotkeySet CHotkeyDialog::ChosenKeys() {
  HotkeySet keys;
  for (std::size_t i = 0; i < kHotkeyActionCount; ++i) {
    const Hotkey now = surface_->GetHotkey(ControlOf(i));
    keys[i] = now == shown_[i] ? keys_[i] : now;
  }
  return keys;
}

void CHotkeyDialog::OnOK() {
  const HotkeySet keys = ChosenKeys();
  for (std::size_t i = 0; i < kHotkeyActionCount; ++i) {
    const bool taken =
        !keys[i].IsOff() && std::find(keys.begin(), keys.begin() + i, keys[i]) != keys.begin() + i;
    if (!IsUsableHotkey(keys[i]) || taken) {
      surface_->ShowWarning(taken ? u"同じキーが 2 つの操作に割り当てられています。"
                                  : u"Ctrl、Alt、Win のどれかと組み合わせてください"
                                    u" (F13～F24 は単独でも使えます)。");
      surface_->FocusItem(ControlOf(i));
      return;
    }
  }
  const AppliedHotkeys applied = apply_(keys);
  keys_ = keys;
  for (std::size_t i = 0; i < kHotkeyActionCount; ++i)
    shown_[i] = Shown(keys_[i]);
  held_ = applied.held;
  if (!applied.saved) surface_->ShowWarning(u"stackle.ini に書き込めません。");
  ShowStatus();
  // A key another program holds is shown at its control; the dialog stays for a new choice.
  if (std::find(held_.begin(), held_.end(), true) == held_.end()) surface_->EndDialog(kIdOk);
}

}  // namespace stackle
