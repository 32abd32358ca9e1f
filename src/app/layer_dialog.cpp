#include "app/layer_dialog.h"

#include "res/resource.h"

namespace stackle {

CLayerDialog::CLayerDialog(WindowSystem& windows, DialogHost& dialog, FileStore& files)
    : windows_(windows), dialog_(dialog), files_(files) {}

std::optional<std::intptr_t> CLayerDialog::HandleMessage(const Message& message) {
  switch (message.id) {
    case kWmInitDialog:
      return OnInitDialog() ? 1 : 0;
    case kWmCommand:
      return OnCommand(LowWord(message.wparam), HighWord(message.wparam));
    case kWmClose:
      OnOK();
      return 0;
    case kWmDestroy:
      OnDestroy();
      return 0;
    case kWmInitMenu:
      // Opening the system menu changes nothing, not even through default processing.
      return 0;
    default:
      return std::nullopt;
  }
}

std::optional<std::intptr_t> CLayerDialog::OnCommand(int id, int code) {
  if (code != 0) return std::nullopt;
  switch (id) {
    case IDC_REFRESH:
      RefreshWindowList();
      return 0;
    case kIdOk:
      OnOK();
      return 0;
    case kIdCancel:
      // Escape issues this identifier; it must never close the dialog.
      return 0;
    default:
      return std::nullopt;
  }
}

bool CLayerDialog::OnInitDialog() {
  dialog_.BindControls();
  dialog_.SetIcons();
  windows_.Place(dialog_.Window(), InsertAfter::kTopMost, /*activate=*/true);
  LoadExclusionList();
  first_size_ = false;
  RefreshWindowList();
  // The list, the first control with a tab stop, takes the keyboard focus.
  return true;
}

void CLayerDialog::OnOK() {
  dialog_.EndDialog(kIdOk);
}

void CLayerDialog::OnDestroy() {}

void CLayerDialog::LoadExclusionList() {
  exclusions_.Load(files_);
}

void CLayerDialog::RefreshWindowList() {
  dialog_.ClearWindowList();
  for (const WindowListEntry& entry : WalkWindowList(windows_, dialog_.Window(), exclusions_)) {
    dialog_.AddWindowListEntry(entry.label, entry.window);
  }
  dialog_.SetCaption(kDialogCaption);
}

}  // namespace stackle
