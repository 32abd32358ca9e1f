#include "settings/about_dialog.h"

#include <string>

#include "catalogue/text.h"
#include "res/resource.h"

namespace stackle {

IntervalInput CheckIntervalInput(std::u16string_view text) {
  text = Trim(text, u" \t");
  if (text.empty()) return {IntervalInput::Verdict::kNotANumber};
  std::uint64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return {IntervalInput::Verdict::kNotANumber};
    // Past the range any further digit only makes it larger; stop before it can overflow.
    if (value <= kMaxFollowInterval) value = value * 10 + (c - u'0');
  }
  if (value > kMaxFollowInterval) return {IntervalInput::Verdict::kOutOfRange};
  return {IntervalInput::Verdict::kAccepted, static_cast<std::uint32_t>(value)};
}

Text VersionText() {
  return u"Version " + Text(u"2.3") + u" with MFC42.DLL version";
}

Text BuildText(const char* date, const char* time) {
  return u"Built Time : " + WidenAscii(date) + u" " + WidenAscii(time);
}

int CAboutDialog::TemplateId() const {
  return IDD_ABOUT;
}

void CAboutDialog::OnInitDialog() {
  surface_->SetItemText(IDC_ABOUT_VERSION, VersionText());
  surface_->SetItemText(IDC_ABOUT_BUILD, BuildText(__DATE__, __TIME__));
  edit_value_ = interval_;
  // The focus goes to the first tab stop, the OK button.
  surface_->SetItemText(IDC_ABOUT_INTERVAL, WidenAscii(std::to_string(edit_value_)));
}

void CAboutDialog::OnOK() {
  const IntervalInput input = CheckIntervalInput(surface_->ItemText(IDC_ABOUT_INTERVAL));
  switch (input.verdict) {
    case IntervalInput::Verdict::kNotANumber:
      surface_->ShowWarning(u"整数を入力してください。");
      surface_->FocusItem(IDC_ABOUT_INTERVAL);
      return;
    case IntervalInput::Verdict::kOutOfRange:
      surface_->ShowWarning(u"0 から 5000 までの整数を入力してください。");
      surface_->FocusItem(IDC_ABOUT_INTERVAL);
      return;
    case IntervalInput::Verdict::kAccepted:
      edit_value_ = input.value;
      interval_ = edit_value_;
      surface_->EndDialog(kIdOk);
      return;
  }
}

}  // namespace stackle
