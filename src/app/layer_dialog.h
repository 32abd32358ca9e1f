// The main dialog: its state, the order of its initialisation and destruction, and the message
// table that hands every message to one handler.
#pragma once

#include <array>
#include <cstdint>

#include "catalogue/exclusion_list.h"
#include "catalogue/window_list.h"
#include "ui/dialog.h"

namespace stackle {

inline constexpr char16_t kDialogCaption[] = u"Stackle";

class CLayerDialog final : public MessageTarget {
 public:
  CLayerDialog(WindowSystem& windows, DialogHost& dialog, FileStore& files);

  std::optional<std::intptr_t> HandleMessage(const Message& message) override;

  // Rebuilds the window list from the Z-order and applies the priority policy.
  void RefreshWindowList();
  // Reads nolist.txt again; keeps the old entries when it cannot be read.
  void LoadExclusionList();

  const ExclusionList& Exclusions() const { return exclusions_; }

 private:
  bool OnInitDialog();
  std::optional<std::intptr_t> OnCommand(int id, int code);
  void OnOK();
  void OnDestroy();

  WindowSystem& windows_;
  DialogHost& dialog_;
  FileStore& files_;

  // The dialog's window rectangle as last recorded, and the mouse-follow state.
  Rect saved_rect_{};
  std::uint32_t follow_interval_ = 0;
  WindowRef last_followed_ = kNoWindow;
  std::uint32_t follow_timer_id_ = 0;
  ExclusionList exclusions_;
  // The controls the layout moves, and their measured places.
  std::array<std::int32_t, 10> layout_ids_{};
  std::array<Rect, 7> layout_rects_{};
  Rect minimum_size_{};
  bool first_size_ = true;
};

}  // namespace stackle
