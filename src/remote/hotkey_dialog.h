// "ホットキーの設定": one hotkey control per action, what stackle.ini held that was not
// understood, and beside each control whether another program holds its key.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "remote/hotkey_text.h"
#include "ui/ok_cancel_dialog.h"

namespace stackle {

struct AppliedHotkeys {
  HeldHotkeys held{};  // per action: another program holds its key
  bool saved = true;   // stackle.ini was written
};

class CHotkeyDialog final : public OkCancelDialog {
 public:
  // `apply` keeps and registers the keys chosen when the user presses OK.
  using Apply = std::function<AppliedHotkeys(const HotkeySet&)>;
  CHotkeyDialog(const HotkeySet& keys, const HeldHotkeys& held,
                const std::vector<std::string>& problems, Apply apply)
      : keys_(keys), held_(held), problems_(problems), apply_(std::move(apply)) {}

  int TemplateId() const override;

 private:
  void OnInitDialog() override;
  void OnOK() override;
  void ShowStatus();
  // The keys as the controls now give them; a control left as it was shown keeps its key,
  // the Windows key included.
  HotkeySet ChosenKeys();

  HotkeySet keys_;
  HotkeySet shown_{};
  HeldHotkeys held_;
  std::vector<std::string> problems_;
  Apply apply_;
};

}  // namespace stackle
