// The About dialog, which is also where the mouse-follow interval is edited.
#pragma once

#include <cstdint>
#include <optional>

#include "ui/ok_cancel_dialog.h"

namespace stackle {

inline constexpr std::uint32_t kMaxFollowInterval = 5000;

// What the interval field's text means: a number, or why it is refused.
struct IntervalInput {
  enum class Verdict { kAccepted, kNotANumber, kOutOfRange } verdict;
  std::uint32_t value = 0;
};
IntervalInput CheckIntervalInput(std::u16string_view text);

// "Version 2.3 ..." and "Built Time : <date> <time>" as the dialog shows them.
Text VersionText();
Text BuildText(const char* date, const char* time);

class CAboutDialog final : public OkCancelDialog {
 public:
  void SetInterval(std::uint32_t interval) { interval_ = interval; }
  std::uint32_t GetInterval() const { return interval_; }

  int TemplateId() const override;

 private:
  void OnInitDialog() override;
  void OnOK() override;

  std::uint32_t interval_ = 0;
  std::uint32_t edit_value_ = 0;
};

}  // namespace stackle
